// updsim: a test update server for the tests and the training mode.
//
//   updsim --root DIR [--port N] [--log FILE] [--key PEM]
//
// Serves the files of DIR over plain HTTP on 127.0.0.1 (port 0: any free
// port) and prints "updsim: listening on 127.0.0.1:PORT" on standard error.
// Faults are chosen per request by its query (see UpdateServer.h). One line
// per request goes to FILE, or standard output. With --key (an ECDSA P-256
// private key) a request for "NAME.sig" that is no file gets NAME's
// signature.
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "UpdateServer.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    quint16 port = 0;
    QString root, logPath, keyPath;
    bool ok = true;
    for (qsizetype i = 0; ok && i < args.size(); ++i) {
        const QString& a = args[i];
        if (i + 1 >= args.size()) {
            ok = false;
        } else if (a == QLatin1String("--port")) {
            const uint p = args[++i].toUInt(&ok);
            ok = ok && p <= 65535;
            port = static_cast<quint16>(p);
        } else if (a == QLatin1String("--root")) {
            root = args[++i];
        } else if (a == QLatin1String("--log")) {
            logPath = args[++i];
        } else if (a == QLatin1String("--key")) {
            keyPath = args[++i];
        } else {
            ok = false;
        }
    }
    if (!ok || root.isEmpty()) {
        std::fprintf(stderr, "usage: updsim --root DIR [--port N] [--log FILE] [--key PEM]\n");
        return 2;
    }
    QFile log;
    if (logPath.isEmpty() ? !log.open(stdout, QIODevice::WriteOnly)
                          : (log.setFileName(logPath), !log.open(QIODevice::Append))) {
        std::fprintf(stderr, "updsim: cannot write the log\n");
        return 1;
    }
    updsim::UpdateServer server(root, &log);
    if (!keyPath.isEmpty()) {
        auto signer = updsim::Signer::fromPemFile(keyPath);
        if (!signer) {
            std::fprintf(stderr, "updsim: cannot read the key %s\n", qPrintable(keyPath));
            return 1;
        }
        server.setSigner(std::move(signer));
    }
    if (!server.listen(port)) {
        std::fprintf(stderr, "updsim: cannot listen on 127.0.0.1:%u\n", port);
        return 1;
    }
    std::fprintf(stderr, "updsim: listening on 127.0.0.1:%u\n", server.port());
    std::fflush(stderr);
    return app.exec();
}
