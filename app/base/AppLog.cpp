#include "base/AppLog.h"

#include "base/Text.h"
#include "base/Version.h"

namespace orv {

QString AppLog::version() {
    const ProgramVersion v = programVersion();
    return QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision);
}

AppLog::AppLog(const QString& programFolder, const Clock& clock)
    : file_(std::make_unique<orv::LogFile>(programFolder.toStdU16String(),
                                           orv::LogFile::Variant::Program, version().toStdString(),
                                           clock)) {}

bool AppLog::Log(const QString& text) {
    return file_->log(toGbk(text).toStdString());
}

QString AppLog::LogFile() const {
    return QString::fromStdU16String(file_->logFile().u16string());
}

void AppLog::setLogFile(const QString& path) {
    file_->setLogFile(path.toStdU16String());
}

}  // namespace orv
