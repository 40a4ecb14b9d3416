// The real program for the card operations' tests: a program folder with a
// fresh orv.db, start-up with the time seams faked, the main window, and a
// driver for the modal wizard that presses its buttons and types amounts
// as a user would, through QTest.
#pragma once

#include <QList>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "builder.h"
#include "fakes.h"
#include "shell/NetworkState.h"
#include "shell/Program.h"
#include "tempdir.h"

class QLineEdit;

namespace orv {
class MainWindow;
class NaviWindow;
class Wizard;
}  // namespace orv

namespace orvtest {

// The open wizard, driven through its controls.
class WizardDriver {
public:
    explicit WizardDriver(orv::NaviWindow& window);

    orv::Wizard& wizard() const;
    orv::NaviWindow& window() const { return window_; }
    QString tips() const;
    bool okEnabled() const;
    bool cancelEnabled() const;
    int step() const;

    // Clicks "确定" (the handler runs to its end, card work included).
    void ok();
    // Clicks "取消".
    void cancel();

    // Waits (bounded) until nothing runs: the buttons are the user's, no
    // reply is awaited and the socket is closed; or until a reply is
    // awaited while `stall` holds (`*stalled` then set). False on time-out.
    bool settle(int timeoutMs = 20000, const std::function<bool()>& stall = {},
                bool* stalled = nullptr);
    // Waits until the server has the request and the reply is awaited.
    bool awaiting(int timeoutMs = 20000);

    QLineEdit* input(int i) const;  // txtJE, txtJE1, txtJE2
    QString caption(int i) const;   // lblInput, lblInput1, lblInput2
    // Empties the input and types `text` into it, key by key.
    void type(int i, const QString& text);

    // Presses "确定" while the wizard asks for it (the steps that continue
    // a run), typing `amounts` (first, second, third) when the inputs are
    // shown, until the run ends or it waits for a reply that `stall` says
    // will not come. The final text.
    QString drive(const QStringList& amounts = {}, const std::function<bool()>& stall = {});

private:
    orv::NaviWindow& window_;
};

// The program started in a test's folder, its main window shown.
class ProgramRun {
public:
    // `settings`: lines of zelReader.ini's SYSTEM section (READER, IP, PORT).
    ProgramRun(const TempDir& dir, const QStringList& settings, bool serialSimulator = false);
    ~ProgramRun();

    orv::Program& program() { return program_; }
    orv::MainWindow& window() { return *window_; }
    FakeWaiter& waiter() { return waiter_; }
    FakeMonotonicClock& clock() { return clock_; }

    // Triggers the menu item; `inWizard` runs once the wizard is open. The
    // call returns when the wizard has closed (it is modal); `inWizard`
    // leaves it with "取消" when it did not close it itself.
    void operation(const char* menuItem, const std::function<void(WizardDriver&)>& inWizard);
    // A whole operation: "确定", then `drive`; the final text.
    QString runToEnd(const char* menuItem, const QStringList& amounts = {});

    // The newest operation row, and the number of rows of a table that
    // belong to it (cbid).
    QSqlRecord lastOperation() const;
    int operations() const;
    int rowsOf(const char* table, qint64 cbid) const;
    QStringList monitoringRows(qint64 cbid) const;
    // The log's lines without their time stamps.
    QStringList logLines() const;

private:
    const TempDir& dir_;
    FakeWaiter waiter_;
    FakeMonotonicClock clock_;
    orv::Program program_;
    std::unique_ptr<orv::NetworkState> network_;
    std::unique_ptr<orv::MainWindow> window_;
};

// The server's requests all passed its checks; their number.
int checkedRequests(const QList<class QJsonObject>& lines);

// What clear-unlock must leave on a card built from `before`: the summary
// flags 00, the monitoring records appended in order, and in each EF06 and
// EF09 sub-file the first `counts[machine]` records zeroed, nothing else
// changed. `rolls`/`days`: records counted per machine.
void expectUnlocked(const cardsim::Card& before, const cardsim::Card& after,
                    const QStringList& monitoring, const std::vector<int>& rolls,
                    const std::vector<int>& days);
// Every record of every EF06 and EF09 sub-file is zero.
void expectHistoryCleared(const cardsim::Card& card);
// Nothing written: the card's files and monitoring records as before.
void expectUntouched(const cardsim::Card& before, const cardsim::Card& after);

}  // namespace orvtest
