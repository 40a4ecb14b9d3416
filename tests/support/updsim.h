// The test update server (tools/updsim) as a process of the test, serving
// a folder of its own, and the test's view of its request log. Signing, it
// serves "NAME.sig" for every NAME, signed with the test key.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

#include "tempdir.h"
#include "zellib.h"

namespace orvtest {

class UpdSim {
public:
    // The private half of the deployment's update key (Deployment.h).
    static QString testKey() { return QStringLiteral(ORV_TEST_UPDATE_KEY); }

    explicit UpdSim(bool signing = false)
        : log_(QString::fromStdString(dir_.file("requests.log"))) {
        proc_.setReadChannel(QProcess::StandardError);
        QStringList args{"--port", "0", "--root", root(), "--log", log_};
        if (signing) args << "--key" << testKey();
        proc_.start(QString::fromStdString(binDir() + "/updsim"), args);
        proc_.waitForStarted(5000);
        // "updsim: listening on 127.0.0.1:PORT"
        while (port_ == 0 && proc_.waitForReadyRead(5000)) {
            const QByteArray line = proc_.readAllStandardError();
            const qsizetype colon = line.lastIndexOf(':');
            if (line.contains("listening") && colon > 0)
                port_ = line.mid(colon + 1).trimmed().toUShort();
        }
    }
    ~UpdSim() {
        proc_.kill();
        proc_.waitForFinished(5000);
    }
    quint16 port() const { return port_; }
    QString root() const { return QString::fromStdString(dir_.path().string()); }
    // A file the server serves at "/" + name.
    void put(const QString& name, const QByteArray& content) const {
        QFile f(QDir(root()).filePath(name));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(content);
    }
    QString url(const QString& target) const {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(target);
    }
    // One line a request: method, target, status, bytes sent.
    QStringList requests() const {
        QFile f(log_);
        f.open(QIODevice::ReadOnly);
        return QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    TempDir dir_;
    QString log_;
    QProcess proc_;
    quint16 port_ = 0;
};

}  // namespace orvtest
