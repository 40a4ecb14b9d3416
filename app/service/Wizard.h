// The operation wizard's decisions: the mode, the card reads of modes 1 to
// 4, the server session with its reply handling and the step processor,
// cancel, and the unexpected-error handler. The operations of modes 5 to 7
// plug in as WizardFlows and use the members below.
#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <functional>

#include "card/CardAccess.h"
#include "card/RecordsStore.h"
#include "service/ReplyClassifier.h"
#include "service/Requests.h"
#include "service/RunState.h"
#include "service/ServerSession.h"

namespace orv {

class AppLog;
class CardData;
class Clock;
class IniFile;
class MonotonicClock;
class Waiter;
class Wizard;
class WizardView;
struct SystemSettings;

struct WizardContext {
    CardAccess& card;
    CardData& data;
    AppLog& log;
    const SystemSettings& settings;
    IniFile& ini;  // the transaction counter SN
    QSqlDatabase db;
    Waiter& waiter;
    const MonotonicClock& clock;
    const Clock& wallClock;
    QString readingClip, writingClip;
    // Sets the program's ServerConnected and refreshes its status bar.
    std::function<void(bool)> serverConnected;
};

class WizardFlows {
public:
    virtual ~WizardFlows() = default;
    // "确定" in modes 5, 6 and 7.
    virtual void ok(Wizard& wizard) = 0;
    // Steps 4, 10 and 20: write the monitoring record and clear the card.
    virtual void clearUnlock(Wizard& wizard) = 0;
};

class Wizard : public QObject, private SessionHost {
    Q_OBJECT
public:
    Wizard(WizardContext context, WizardView& view, QObject* parent = nullptr);

    void setMode(int mode) { mode_ = mode; }
    int mode() const { return mode_; }
    void setFlows(WizardFlows* flows) { flows_ = flows; }

    // The window has loaded.
    void open();
    // "确定" and "取消".
    void ok();
    void cancel();
    // The window's close box: as "取消" unless a card operation that cannot
    // be interrupted is running (false: the window stays open).
    bool requestClose();
    // True while the buttons are enabled and the wizard waits for the user.
    bool idle() const { return idle_; }
    bool cancelRequested() const { return cancelFlag_; }
    void clearCancel() { cancelFlag_ = false; }
    bool closing() const { return closing_; }

    // For the flows.
    const WizardContext& context() const { return ctx_; }
    RunState& run() { return run_; }
    RequestBuilder& builder() { return builder_; }
    RecordsStore& store() { return store_; }
    ServerSession& session() { return session_; }
    WizardView& view() { return view_; }
    void tips(const QString& text);
    void busy(bool cancelEnabled);
    void ready(bool okEnabled);
    // "[mm,sss]" of the mode and the step.
    QString prefix() const;
    void log(const QString& text);
    // The card-read failure text for a status text, shown and logged.
    void showReadFailure(const QString& sw);
    // Connects unless the window is closing; false when it did not.
    bool connectToServer();
    // Sends the run's outgoing request.
    void send();
    // Adds 1 to the stored transaction counter; the next Q1 uses it.
    qint64 advanceTransactionCounter();
    void unexpectedError(int number, const QString& description);

    // "FF7A" and "FF3F" explained; "" for any other status text.
    static QString cardHint(const QString& sw);
    static QString readFailedText(const QString& sw);
    // Error numbers of the unexpected-error text.
    static constexpr int kDatabaseError = 1;
    static constexpr int kInternalError = 2;

private:
    void sessionTips(const QString& text) override { tips(text); }
    void sessionReady() override { ready(false); }
    void sessionLog(const QString& text) override { log(text); }
    void serverConnectedChanged(bool connected) override;
    void replyArrived(const wire::Reply& reply, bool refused) override;

    void readCardFile();
    void processStep();
    // Runs `work`, turning an exception into the unexpected-error text.
    void guarded(const std::function<void()>& work);

    WizardContext ctx_;
    WizardView& view_;
    RunState run_;
    RecordsStore store_;
    RequestBuilder builder_;
    ReplyClassifier classifier_;
    ServerSession session_;
    WizardFlows* flows_ = nullptr;
    int mode_ = 0;
    bool idle_ = true;
    bool cancelFlag_ = false;
    bool reading_ = false;  // a cancellable card read is running
    bool closing_ = false;
    qint64 counter_ = 0;
    // Last, so that it goes first: the hooks read cancelFlag_.
    ProgressHooksScope progressHooks_;
};

}  // namespace orv
