// taxsim: a test tax-service server for the demo, the tests and training.
//
//   taxsim [--port N] [--scenario NAME] [--fault KIND:N] [--log FILE]
//
// Listens on 127.0.0.1 (port 0: any free port) and prints
// "taxsim: listening on 127.0.0.1:PORT". Writes one JSON line per request
// (to FILE, or standard output). Scenarios: unlock, report-ok, report-fail,
// declare-03, declare-12, declare-13, declare-11, declare-05, silent,
// close, garbage, bad-serial, split, short, bad-record, pay-fail. --fault gives the
// N-th request of the scenario's flow the fault KIND (silent, close,
// garbage, short) or refuses its connection (refuse).
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "TaxServer.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    quint16 port = 0;
    QString logPath;
    taxsim::Scenario scenario;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const QString value = args.value(i + 1);
        bool ok = true;
        if (a == QLatin1String("--port") && i + 1 < args.size()) {
            const uint p = value.toUInt(&ok);
            ok = ok && p <= 65535;
            port = static_cast<quint16>(p);
            ++i;
        } else if (a == QLatin1String("--scenario") && i + 1 < args.size()) {
            ok = scenario.select(value);
            ++i;
        } else if (a == QLatin1String("--fault") && i + 1 < args.size()) {
            ok = scenario.setFault(value);
            ++i;
        } else if (a == QLatin1String("--log") && i + 1 < args.size()) {
            logPath = value;
            ++i;
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(
                stderr,
                "usage: taxsim [--port N] [--scenario NAME] [--fault KIND:N] [--log FILE]\n"
                "scenarios: %s\nfaults: %s\n",
                qPrintable(taxsim::Scenario::names().join(QLatin1Char(' '))),
                qPrintable(taxsim::Scenario::faultKinds().join(QLatin1Char(' '))));
            return 2;
        }
    }
    QFile log;
    if (logPath.isEmpty() ? !log.open(stdout, QIODevice::WriteOnly)
                          : (log.setFileName(logPath), !log.open(QIODevice::Append))) {
        std::fprintf(stderr, "taxsim: cannot write the log\n");
        return 1;
    }
    taxsim::TaxServer server(scenario, &log);
    if (!server.listen(port)) {
        std::fprintf(stderr, "taxsim: cannot listen on 127.0.0.1:%u\n", port);
        return 1;
    }
    std::fprintf(stderr, "taxsim: listening on 127.0.0.1:%u\n", server.port());
    std::fflush(stderr);
    return app.exec();
}
