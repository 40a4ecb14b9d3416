#include "base/AppLog.h"

#include <QFile>

#include "base/Text.h"
#include "base/Version.h"

namespace orv {

QString AppLog::version() {
    const ProgramVersion v = programVersion();
    return QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision);
}

AppLog::AppLog(const QString& programFolder, const Clock& clock)
    : file_(std::make_unique<orv::LogFile>(QFile::encodeName(programFolder).toStdString(),
                                           orv::LogFile::Variant::Program, version().toStdString(),
                                           clock)) {}

bool AppLog::Log(const QString& text) {
    return file_->log(toGbk(text).toStdString());
}

QString AppLog::LogFile() const {
    return QFile::decodeName(QByteArray::fromStdString(file_->logFile()));
}

void AppLog::setLogFile(const QString& path) {
    file_->setLogFile(QFile::encodeName(path).toStdString());
}

}  // namespace orv
