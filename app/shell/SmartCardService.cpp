#include "shell/SmartCardService.h"

#include <QProcess>
#include <QStringList>

namespace orv {

namespace {
void startDetached(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.setProgram(program);
    p.setArguments(arguments);
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.startDetached();  // a failure to start is ignored
}
}  // namespace

void SystemSmartCardService::start() {
#ifdef Q_OS_WIN
    startDetached(QStringLiteral("sc"), {QStringLiteral("config"), QStringLiteral("SCardSvr"),
                                         QStringLiteral("start="), QStringLiteral("auto")});
    startDetached(QStringLiteral("sc"), {QStringLiteral("start"), QStringLiteral("SCardSvr")});
#else
    // Socket activation starts pcscd on the first client, now and at boot.
    startDetached(QStringLiteral("systemctl"),
                  {QStringLiteral("--no-ask-password"), QStringLiteral("enable"),
                   QStringLiteral("--now"), QStringLiteral("pcscd.socket")});
#endif
}

}  // namespace orv
