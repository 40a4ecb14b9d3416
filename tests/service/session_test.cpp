// The wizard's server session and step processor against the test
// tax-service server and its faults, with requests from the real builders,
// the real classifier and a real records database. Time is injected: the
// reply time-out and the connect time-out pass in milliseconds.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>

#include <QFile>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>

#include "appcard.h"
#include "base/AppLog.h"
#include "base/ErrorTexts.h"
#include "base/IniFile.h"
#include "base/Settings.h"
#include "base/Text.h"
#include "card/CardAccess.h"
#include "card/CardData.h"
#include "card/RecordsDb.h"
#include "fakes.h"
#include "openrecordsdb.h"
#include "qtwait.h"
#include "service/Texts.h"
#include "service/Wizard.h"
#include "service/WizardTexts.h"
#include "service/WizardView.h"
#include "taxsim.h"
#include "zellib.h"

namespace {

using orv::Wizard;
using orvtest::TaxSim;
using orvtest::waitFor;

class RecordingView : public orv::WizardView {
public:
    QStringList tips;
    bool ok = true, cancel = true, closed = false, playing = false;
    QString clip;
    void showTips(const QString& t) override { tips << t; }
    void setButtons(bool o, bool c) override {
        ok = o;
        cancel = c;
    }
    void openClip(const QString& p) override { clip = p; }
    void playAnimation() override { playing = true; }
    void stopAnimation() override { playing = false; }
    void closeWizard() override { closed = true; }
    void showAmountInputs(const orv::AmountInputs&) override {}
    void hideAmountInputs() override {}
    QString amountText(int) const override { return {}; }
    void focusAmountInput(int) override {}
    void showError(const QString&) override {}
    QString last() const { return tips.isEmpty() ? QString() : tips.last(); }
};

class RecordingFlows : public orv::WizardFlows {
public:
    int oks = 0, unlocks = 0;
    void ok(Wizard&) override { ++oks; }
    void clearUnlock(Wizard&) override { ++unlocks; }
};

// A port on 127.0.0.1 where nothing listens.
quint16 closedPort() {
    QTcpServer s;
    EXPECT_TRUE(s.listen(QHostAddress::LocalHost));
    const quint16 p = s.serverPort();
    s.close();
    return p;
}

// A listener whose accept queue is full: a further connect stays pending,
// as with a server that never answers the handshake.
class StuckListener {
public:
    StuckListener() {
        listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        EXPECT_EQ(::listen(listen_, 0), 0);
        socklen_t len = sizeof a;
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        filler_ = ::socket(AF_INET, SOCK_STREAM, 0);
        EXPECT_EQ(::connect(filler_, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    }
    ~StuckListener() {
        ::close(filler_);
        ::close(listen_);
    }
    quint16 port() const { return port_; }

private:
    int listen_ = -1, filler_ = -1;
    quint16 port_ = 0;
};

class SessionTest : public ::testing::Test {
protected:
    SessionTest() {
        orvtest::installReaderLibrary(dir_, false);
        log_ = std::make_unique<orv::AppLog>(folder(), clock_);
        settings_.IP = QStringLiteral("127.0.0.1");
    }
    QString folder() const { return QString::fromStdString(dir_.path().string()); }

    // A wizard for the server phase of a run, its card read already.
    Wizard& wizard(quint16 port, int mode = 6) {
        settings_.PORT = QString::number(port);
        wizard_ = std::make_unique<Wizard>(
            orv::WizardContext{access_, data_, *log_, settings_, ini_, db_.db(), waiter_, mono_,
                               clock_, QStringLiteral("zelSC.dll"), QStringLiteral("zelSCC.dll"),
                               [this](bool on) { connected_.push_back(on); }},
            view_);
        wizard_->setFlows(&flows_);
        wizard_->setMode(mode);
        wizard_->open();
        data_ = orvtest::cardDataFrom(cardsim::realisticSpec());
        wizard_->run().registerId = orv::registerIdFor(data_);
        return *wizard_;
    }
    // Q1 of a new run, sent.
    void startRun(Wizard& w) {
        w.run().step = 23;
        w.advanceTransactionCounter();
        w.builder().buildSerialRequest();
        ASSERT_TRUE(w.connectToServer());
        w.send();
    }
    QStringList logLines() const {
        QFile f(log_->LogFile());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return orv::fromGbk(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
    bool logged(const QString& text) const {
        for (const QString& l : logLines())
            if (l.mid(20) == text) return true;
        return false;
    }
    void expectAllValid(const TaxSim& sim, int requests) {
        const QList<QJsonObject> lines = sim.lines();
        EXPECT_EQ(lines.size(), requests);
        for (const QJsonObject& l : lines)
            EXPECT_TRUE(l["ok"].toBool()) << QJsonDocument(l).toJson().toStdString();
    }
    int rows(const char* table) {
        QSqlQuery q(db_.db());
        EXPECT_TRUE(q.exec(QStringLiteral("select count(*) from %1").arg(QLatin1String(table))));
        q.next();
        return q.value(0).toInt();
    }

    orvtest::TempDir dir_;
    orvtest::OpenRecordsDb db_{dir_};
    orvtest::FakeClock clock_;
    orvtest::FakeMonotonicClock mono_;
    orvtest::FakeWaiter waiter_;
    orv::ZelLibrary lib_{folder()};
    orv::CardAccess access_{lib_, waiter_};
    orv::CardData data_;
    std::unique_ptr<orv::AppLog> log_;
    orv::SystemSettings settings_;
    orv::IniFile ini_{QString::fromStdString(dir_.file("zelReader.ini"))};
    RecordingView view_;
    RecordingFlows flows_;
    std::vector<bool> connected_;
    std::unique_ptr<Wizard> wizard_;
};

TEST_F(SessionTest, UnlockRunGoesThroughBothReportsToClearUnlock) {
    TaxSim sim(dir_, "unlock");
    Wizard& w = wizard(sim.port());
    startRun(w);
    ASSERT_TRUE(waitFor([&] { return flows_.unlocks == 1; })) << view_.last().toStdString();
    EXPECT_EQ(w.run().step, 4);
    expectAllValid(sim, 3);
    EXPECT_EQ(sim.lines()[2]["report"].toString(), "detail");
    EXPECT_EQ(data_.ef01.size(), 74);
    EXPECT_EQ(rows("ef01"), 1);
    // One connection per request; the status bar heard of each change.
    EXPECT_EQ(connected_, (std::vector<bool>{true, false, true, false, true, false}));
    EXPECT_EQ(view_.last(), orv::texts::kReceived);
    EXPECT_TRUE(view_.tips.contains(orv::texts::kSent));
    EXPECT_FALSE(w.session().awaitingReply());
    EXPECT_EQ(w.session().socket().state(), QAbstractSocket::UnconnectedState);
    // Each request and each reply is logged under the step it belongs to.
    const QStringList lines = logLines();
    const auto count = [&](const QString& prefix) {
        return std::count_if(lines.begin(), lines.end(),
                             [&](const QString& l) { return l.mid(20).startsWith(prefix); });
    };
    EXPECT_EQ(count(QStringLiteral("[06,023]QVNX")), 2);  // Q1 and Q2
    EXPECT_EQ(count(QStringLiteral("[06,002]QVNX")), 2);  // S1 and S2
    EXPECT_EQ(count(QStringLiteral("[06,005]QVNX")), 2);
    EXPECT_EQ(ini_.GetSetting("SYSTEM", "SN", ""), "2");
}

TEST_F(SessionTest, SplitRepliesAreGatheredBeforeTheyAreClassified) {
    TaxSim sim(dir_, "split");
    Wizard& w = wizard(sim.port());
    startRun(w);
    ASSERT_TRUE(waitFor([&] { return flows_.unlocks == 1; })) << view_.last().toStdString();
    expectAllValid(sim, 3);
}

TEST_F(SessionTest, SilentServerTimesOutAfterTheReplyTimeOut) {
    TaxSim sim(dir_, "silent");
    settings_.EchoOverTime = 300;
    Wizard& w = wizard(sim.port());
    startRun(w);
    ASSERT_TRUE(waitFor([&] { return view_.last() == orv::texts::kSent; }));
    EXPECT_TRUE(w.session().awaitingReply());
    EXPECT_EQ(w.session().watchdog().interval(), 10000);
    EXPECT_TRUE(view_.cancel);
    EXPECT_FALSE(view_.ok);
    mono_.t += 300;  // not more than the time-out yet
    w.session().watchdogTick();
    EXPECT_EQ(view_.last(), orv::texts::kSent);
    mono_.t += 0.5;
    w.session().watchdogTick();
    EXPECT_EQ(view_.last(), orv::texts::kReplyTimeout);
    EXPECT_FALSE(w.session().awaitingReply());
    EXPECT_EQ(w.session().socket().state(), QAbstractSocket::UnconnectedState);
    EXPECT_EQ(connected_.back(), false);
    EXPECT_TRUE(logged("[06,023]与服务器通讯超时"));
}

TEST_F(SessionTest, ServerClosingWithoutAReplyBreaksTheConnection) {
    TaxSim sim(dir_, "close");
    Wizard& w = wizard(sim.port());
    startRun(w);
    const QString text = orv::texts::kDisconnected + "\n" + orv::texts::kRetryLater;
    ASSERT_TRUE(waitFor([&] { return view_.last() == text; })) << view_.last().toStdString();
    EXPECT_FALSE(w.session().awaitingReply());
    EXPECT_TRUE(logged("[06,023]服务器连接被断开 请您稍后重试，点“取消”退出。"));
    EXPECT_EQ(connected_.back(), false);
}

TEST_F(SessionTest, MalformedRepliesEndTheRunAsAbnormal) {
    for (const char* scenario : {"garbage", "short", "bad-serial"}) {
        SCOPED_TRACE(scenario);
        orvtest::TempDir dir;
        TaxSim sim(dir, scenario);
        view_ = RecordingView();
        Wizard& w = wizard(sim.port());
        startRun(w);
        ASSERT_TRUE(waitFor([&] { return w.run().step >= 30; }));
        const QString expected = QLatin1String(scenario) == QLatin1String("bad-serial")
                                     ? orv::texts::kSerialFailed
                                     : orv::texts::kAbnormalReply;
        EXPECT_EQ(view_.last(), expected);
        EXPECT_FALSE(view_.ok);
        EXPECT_TRUE(view_.cancel);
        EXPECT_EQ(w.session().socket().state(), QAbstractSocket::UnconnectedState);
    }
}

TEST_F(SessionTest, ReportEndedWithAResultTextWaitsForTheUser) {
    TaxSim sim(dir_, "declare-03");
    Wizard& w = wizard(sim.port());
    startRun(w);
    ASSERT_TRUE(waitFor([&] { return w.run().step == 7; }));
    EXPECT_EQ(view_.last(), QStringLiteral("抄报税成功，请继续申报缴税。"));
    EXPECT_TRUE(view_.ok);
    EXPECT_EQ(rows("sbjs"), 1);
}

TEST_F(SessionTest, ClosedPortGivesTheSocketErrorNotTheTimeOut) {
    Wizard& w = wizard(closedPort());
    w.run().step = 23;
    EXPECT_FALSE(w.connectToServer());
    const QString shown = view_.last();
    // The reason in the program's words; the system's own text only in the log.
    EXPECT_EQ(shown, orv::texts::kSocketError + "\n" +
                         orv::socketErrorText(QAbstractSocket::ConnectionRefusedError) + "\n" +
                         orv::texts::kRetryLater);
    EXPECT_FALSE(view_.tips.contains(orv::texts::kConnectTimeout));
    EXPECT_TRUE(w.session().socketError().isEmpty());  // cleared for the next attempt
    EXPECT_TRUE(view_.cancel);
    QString line = shown;
    line.replace('\n', ' ');
    const QStringList lines = logLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString& l) {
        return l.mid(20).startsWith("[06,023]" + line + "（") &&
               l.contains("refused", Qt::CaseInsensitive);
    })) << lines.join('\n').toStdString();
    EXPECT_EQ(waiter_.waits, std::vector<double>{60});
}

TEST_F(SessionTest, ConnectTimeOutWhenTheServerNeverAccepts) {
    StuckListener stuck;
    settings_.ConnOverTime = 60;
    waiter_.budgetMs = 200;
    Wizard& w = wizard(stuck.port());
    w.run().step = 1;
    EXPECT_FALSE(w.connectToServer());
    EXPECT_EQ(view_.last(), orv::texts::kConnectTimeout);
    EXPECT_TRUE(logged("[06,001]" + orv::texts::kConnectTimeout));
    EXPECT_FALSE(view_.ok);
    EXPECT_TRUE(view_.cancel);
    EXPECT_EQ(w.session().socket().state(), QAbstractSocket::UnconnectedState);
}

TEST_F(SessionTest, CancelWhileConnectingStopsTheWait) {
    StuckListener stuck;
    Wizard& w = wizard(stuck.port());
    w.run().step = 1;
    QTimer::singleShot(20, [&] { w.cancel(); });
    EXPECT_FALSE(w.connectToServer());
    EXPECT_TRUE(view_.closed);
    EXPECT_TRUE(logged("[06,001]" + orv::texts::kUserLeft));
    EXPECT_FALSE(view_.tips.contains(orv::texts::kConnectTimeout));
}

// A reply far larger than any the server sends is refused, not gathered.
TEST_F(SessionTest, OversizedReplyIsRefusedAsAbnormal) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* s = server.nextPendingConnection();
        QObject::connect(s, &QTcpSocket::readyRead, s, [s] {
            s->readAll();
            QByteArray header("QVNX\x7F\0\0\0", 8);  // a body of 2 GiB declared
            s->write(header + QByteArray(8, '\0') + QByteArray(64, 'x'));
        });
    });
    Wizard& w = wizard(server.serverPort());
    startRun(w);
    ASSERT_TRUE(waitFor([&] { return w.run().step == 34; }));
    EXPECT_EQ(view_.last(), orv::texts::kAbnormalReply);
}

TEST_F(SessionTest, DatabaseFailureWhileSavingShowsTheUnexpectedError) {
    TaxSim sim(dir_, "report-ok");
    Wizard& w = wizard(sim.port());
    QSqlQuery(db_.db()).exec("drop table ef09");
    startRun(w);
    ASSERT_TRUE(waitFor([&] { return w.run().step == 6; }));
    ASSERT_TRUE(waitFor([&] { return view_.last().startsWith(orv::texts::kUnexpected); }));
    EXPECT_TRUE(view_.last().contains(orv::texts::kErrorNumber + "1\n"));
    // SQLite's words only in the log; the user reads the program's.
    EXPECT_TRUE(view_.last().contains(orv::texts::kErrorDescription + orv::kRecordsUnwritable))
        << view_.last().toStdString();
    EXPECT_FALSE(view_.last().contains("ef09")) << view_.last().toStdString();
    const QStringList lines = logLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const QString& l) {
        return l.contains(orv::kRecordsUnwritable) && l.contains("ef09");
    })) << lines.join('\n').toStdString();
    EXPECT_EQ(rows("sbjs"), 0);  // the report was rolled back whole
    EXPECT_TRUE(view_.cancel);
}

TEST_F(SessionTest, StepsThatCarryAMonitoringRecordRunClearUnlock) {
    TaxSim sim(dir_, "declare-05");
    Wizard& w = wizard(sim.port());
    startRun(w);
    ASSERT_TRUE(waitFor([&] { return w.run().step == 7; }));
    w.builder().buildDeclarationQuery();
    w.run().declarationKind = 1;
    w.run().step = 8;
    ASSERT_TRUE(w.connectToServer());
    w.send();
    ASSERT_TRUE(waitFor([&] { return flows_.unlocks == 1; }));
    EXPECT_EQ(w.run().step, 10);
    EXPECT_EQ(data_.replyData.size(), 74 + 2 + 74);
    EXPECT_EQ(data_.ef01, data_.replyData);
}

}  // namespace
