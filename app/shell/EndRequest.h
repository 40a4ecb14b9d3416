// The system asking the program to end: the session ending at log-out or
// shutdown, or an interrupt. Arrives as one signal on the GUI thread on
// every platform; what ending means is the main window's business.
#pragma once

#include <QObject>
#include <memory>

namespace orv {

class EndRequest : public QObject {
    Q_OBJECT
public:
    // One per process, made once the application object exists. Until it
    // goes, the system's request no longer ends the process by itself.
    explicit EndRequest(QObject* parent = nullptr);
    ~EndRequest() override;

    // True once a request came: one that came before anyone listened is
    // not lost.
    bool requested() const { return requested_; }

signals:
    void endRequested();

private:
    void receive() {
        requested_ = true;
        emit endRequested();
    }

    struct Impl;
    std::unique_ptr<Impl> d_;
    bool requested_ = false;
};

}  // namespace orv
