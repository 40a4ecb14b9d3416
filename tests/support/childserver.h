// Test servers that run as child processes on 127.0.0.1, any free port:
// the port comes from their "... listening on 127.0.0.1:PORT" line on
// standard error.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace orvtest {

// Starts the server and returns its port, or 0 when it did not come up.
quint16 startListening(QProcess& proc, const QString& program, const QStringList& args);

// A port on 127.0.0.1 that nothing listens on: a connection is refused.
// The port stays bound (not listening) until the test ends, so a server of
// a test running beside this one cannot be given it in the meantime.
quint16 closedPort();

// The test invoice-check web server (tools/invoicesim), optionally with a
// link to `link` on every page.
class InvoiceSim {
public:
    explicit InvoiceSim(const QString& link = {});
    ~InvoiceSim();
    InvoiceSim(const InvoiceSim&) = delete;
    InvoiceSim& operator=(const InvoiceSim&) = delete;

    quint16 port() const { return port_; }
    QString url(const QString& path) const;

private:
    QProcess proc_;
    quint16 port_ = 0;
};

}  // namespace orvtest
