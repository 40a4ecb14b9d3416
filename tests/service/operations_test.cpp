// The card operations end to end: the real main window and wizard (buttons
// pressed and amounts typed through QTest), the reader library through
// pcscd + vpcd + the virtual card, the test tax server on 127.0.0.1 and a
// real orv.db. Each run is checked by its final text, its operation row and
// child rows, the card afterwards and the server's view of every request.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QToolBar>

#include "base/ErrorTexts.h"
#include "builder.h"
#include "card/RecordsDb.h"
#include "gui/MessageBox.h"
#include "operations.h"
#include "orv/hex.h"
#include "qtwait.h"
#include "service/NaviWindow.h"
#include "service/OperationTexts.h"
#include "service/Texts.h"
#include "service/WizardTexts.h"
#include "shell/MainWindow.h"
#include "taxsim.h"
#include "virtualreader.h"

namespace {

using orv::MessageBox;
using orvtest::ProgramRun;
using orvtest::TaxSim;
using orvtest::WizardDriver;
namespace texts = orv::texts;

const QString kDailyHintLine = "\n" + texts::kDailyHint;

// A card of `machines` machines, `rolls` invoice rolls each, a period of
// `periodDays` days and `days` daily records a machine (-1: one a day).
cardsim::Card smallCard(int machines, int rolls, int periodDays, int days = -1) {
    cardsim::CardSpec spec = cardsim::realisticSpec();
    spec.periodEnd = std::chrono::year_month_day(std::chrono::sys_days(spec.periodStart) +
                                                 std::chrono::days(periodDays - 1));
    spec.machines.assign(static_cast<std::size_t>(machines), cardsim::MachineSpec{rolls, days});
    return cardsim::build(spec);
}

// The virtual reader stays inserted from one run to the next, each run
// with a card of its own: pcscd takes a while to see a card inserted.
orvtest::VirtualReader& sharedReader() {
    static orvtest::VirtualReader reader;
    return reader;
}

// One training run: a card in the virtual reader, the server with its
// scenario, the program started against both.
struct Env {
    explicit Env(const QString& scenario,
                 const cardsim::Card& card = cardsim::build(cardsim::realisticSpec()),
                 const QString& fault = {})
        : reader(sharedReader()), before(card) {
        MessageBox::takeShown();
        sim = std::make_unique<TaxSim>(dir, scenario, fault);
        reader.card().setCard(card);
        reader.card().setFaults({});
        reader.card().clearLog();
        reader.insert();
        run = std::make_unique<ProgramRun>(dir,
                                           QStringList{"READER=Virtual PCD 00 00", "IP=127.0.0.1",
                                                       "PORT=" + QString::number(sim->port())});
    }
    cardsim::Card card() const { return reader.card().card(); }
    int requests() const { return orvtest::checkedRequests(sim->lines()); }
    QString serial() const { return sim->lines().value(1)["serial"].toString(); }
    std::vector<std::string> apdus() const { return reader.card().log(); }

    orvtest::TempDir dir;
    orvtest::VirtualReader& reader;
    std::unique_ptr<TaxSim> sim;
    std::unique_ptr<ProgramRun> run;
    cardsim::Card before;
};

QString today() {
    return QDate::currentDate().toString("yyyy-MM-dd");
}

// The operation row with its results, serial and date, and its child rows
// as the card builder made them.
void expectOperation(const Env& e, int jg1, int jg2, int jg3, int summaries, int rolls, int days) {
    const QSqlRecord r = e.run->lastOperation();
    ASSERT_FALSE(r.isEmpty());
    EXPECT_EQ(r.value("jg1").toInt(), jg1);
    EXPECT_EQ(r.value("jg2").toInt(), jg2);
    EXPECT_EQ(r.value("jg3").toInt(), jg3);
    EXPECT_EQ(r.value("jylsh").toString(), e.serial());
    EXPECT_EQ(r.value("jylsh").toString().size(), 16);
    EXPECT_EQ(r.value("jyrq").toString(), today());
    EXPECT_EQ(r.value("nsrbm").toString(), "1101082012345678");
    EXPECT_EQ(r.value("nsrmc").toString(), "北京市海淀区示例商贸有限公司");
    const qint64 id = r.value("id").toLongLong();
    EXPECT_EQ(e.run->rowsOf("ef02", id), 1);
    EXPECT_EQ(e.run->rowsOf("ef04", id), summaries);
    EXPECT_EQ(e.run->rowsOf("ef06", id), rolls);
    EXPECT_EQ(e.run->rowsOf("ef09", id), days);
}

QStringList monitorsOf(const Env& e) {
    return e.run->monitoringRows(e.run->lastOperation().value("id").toLongLong());
}

bool logged(const Env& e, const QString& line) {
    return e.run->logLines().contains(line);
}

TEST(Operations, UnlockRunThenTheCardIsUnlockedAndItsHistoryCleared) {
    Env e("unlock");
    EXPECT_EQ(e.run->runToEnd("mnuCBS"), texts::kUnlocked);
    EXPECT_EQ(e.requests(), 3);
    expectOperation(e, 1, 0, 1, 2, 6, 62);
    const QStringList records = monitorsOf(e);
    ASSERT_EQ(records.size(), 1);
    orvtest::expectUnlocked(e.before, e.card(), records, {3, 3}, {31, 31});
    for (const char* line :
         {"[06,004]echoControls成功", "[06,004]clearEF06成功", "[06,004]clearEF09成功",
          "[05,025]1101082012345678北京市海淀区示例商贸有限公司"})
        EXPECT_TRUE(logged(e, QString::fromUtf8(line))) << line;
    EXPECT_EQ(e.run->program().ini.GetSetting("SYSTEM", "SN", ""), "2");

    // The next report finds the card unlocked and sends nothing.
    const cardsim::Card unlocked = e.card();
    EXPECT_EQ(e.run->runToEnd("mnuCBS"),
              texts::kAlreadyUnlocked + "\n卡上最后一次申报数据所属期为: 20120301 至 20120331\n" +
                  texts::kNotSummarisedHint);
    EXPECT_EQ(e.requests(), 3);
    EXPECT_EQ(e.run->operations(), 1);
    EXPECT_TRUE(logged(e, "[05,026]用户卡未汇总"));

    // Clearing the history is allowed now, and leaves every sub-file zero.
    EXPECT_EQ(e.run->runToEnd("mnuClearIC"), texts::kHistoryCleared);
    orvtest::expectHistoryCleared(e.card());
    EXPECT_EQ(e.card().monitor, unlocked.monitor);
    EXPECT_TRUE(logged(e, "[07,000]clearEF06成功"));
    EXPECT_TRUE(logged(e, "[07,000]clearEF09成功"));
    EXPECT_EQ(e.run->operations(), 1);  // nothing recorded
}

TEST(Operations, EveryTaxCommandStartsTheCopyTaxRun) {
    Env e("unlock");
    for (const char* item : {"mnuCBS", "mnuSBJS", "mnuQLJS", "mnuClearIC"}) {
        int mode = 0;
        QString text;
        e.run->operation(item, [&](WizardDriver& d) {
            mode = d.wizard().mode();
            text = d.tips();
        });
        EXPECT_EQ(mode, QLatin1String(item) == QLatin1String("mnuClearIC") ? 7 : 5) << item;
        EXPECT_EQ(text, texts::kInsertCard);
    }
    auto* toolbar = e.run->window().findChild<QToolBar*>("zelToolbar");
    ASSERT_TRUE(toolbar->findChild<QAction*>("TAX")->isEnabled());
    int mode = 0;
    bool opened = false;
    QTimer::singleShot(0, [&] {
        orvtest::waitFor([] { return QApplication::activeModalWidget() != nullptr; });
        if (auto* w = qobject_cast<orv::NaviWindow*>(QApplication::activeModalWidget())) {
            opened = true;
            mode = w->wizard().mode();
            WizardDriver(*w).cancel();
        }
    });
    e.run->window().toolbarClicked("TAX");
    EXPECT_TRUE(opened);
    EXPECT_EQ(mode, 5);
    EXPECT_EQ(e.requests(), 0);
}

TEST(Operations, ReportEndedWithAStatusTextKeepsTheCardAsItWas) {
    for (const auto& [scenario, result, text] :
         {std::tuple{"report-ok", 1, "本月抄报税成功"},
          std::tuple{"report-fail", 2, "抄报税失败：申报数据校验未通过"}}) {
        SCOPED_TRACE(scenario);
        Env e(scenario);
        EXPECT_EQ(e.run->runToEnd("mnuCBS"), QString::fromUtf8(text));
        EXPECT_EQ(e.requests(), 3);
        expectOperation(e, result, 0, 0, 2, 6, 62);
        orvtest::expectUntouched(e.before, e.card());
    }
}

// Typical exchange 1: the report accepted with a result text, the
// declaration query answered with the tax (03), the payment with the
// monitoring record.
TEST(Operations, DeclarationOf03GoesFromQueryToPaymentAndUnlock) {
    Env e("declare-03");
    std::vector<std::pair<int, QString>> seen;
    QString final;
    e.run->operation("mnuCBS", [&](WizardDriver& d) {
        d.ok();
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(d.settle());
            seen.emplace_back(d.step(), d.tips());
            EXPECT_TRUE(d.okEnabled());
            d.ok();
        }
        final = d.drive();
    });
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(7, QStringLiteral("抄报税成功，请继续申报缴税。")));
    EXPECT_EQ(seen[1], std::make_pair(11, QStringLiteral("应纳税额123.45元，请确认缴款。")));
    EXPECT_EQ(final, texts::kUnlocked);
    EXPECT_EQ(e.requests(), 5);
    expectOperation(e, 1, 1, 1, 2, 6, 62);
    const QSqlRecord r = e.run->lastOperation();
    EXPECT_DOUBLE_EQ(r.value("je").toDouble(), 123.45);
    EXPECT_EQ(r.value("skqsrq").toString(), "2012-03-01");
    EXPECT_EQ(r.value("skjzrq").toString(), "2012-03-31");
    orvtest::expectUnlocked(e.before, e.card(), monitorsOf(e), {3, 3}, {31, 31});
    EXPECT_TRUE(logged(e, "[06,020]clearEF09成功"));
}

// Typical exchange 2, with the amounts typed, refused and typed again.
TEST(Operations, Declaration12TakesThreeTypedAmounts) {
    Env e("declare-12");
    QString final;
    e.run->operation("mnuCBS", [&](WizardDriver& d) {
        d.ok();
        ASSERT_TRUE(d.settle());
        ASSERT_EQ(d.step(), 7);
        d.ok();
        ASSERT_TRUE(d.settle());
        ASSERT_EQ(d.step(), 14);
        EXPECT_EQ(d.tips(), "请输入本期发生额、应税货物销售额和应税服务销售额。");
        for (int i = 0; i < 3; ++i)
            EXPECT_FALSE(d.input(i)->isVisible()) << i;
        d.ok();
        ASSERT_EQ(d.step(), 15);
        EXPECT_EQ(d.tips(), texts::kOtherSales);
        EXPECT_TRUE(d.okEnabled());
        const QStringList captions{"本期发生额：", "应税货物销售额：", "应税服务销售额："};
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(d.input(i)->isVisible()) << i;
            EXPECT_EQ(d.input(i)->text(), "0");
            EXPECT_EQ(d.caption(i), captions[i]);
            EXPECT_EQ(d.input(i)->accessibleName(), captions[i]);
        }
        EXPECT_EQ(d.window().focusWidget(), d.input(0));

        // Keys other than digits, "." and Backspace do not reach an input.
        d.type(2, "-5,a.5 ");
        EXPECT_EQ(d.input(2)->text(), "5.5");
        // Selecting all is editing, not typing; pasting puts no text in.
        QTest::keyClick(d.input(2), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(d.input(2), "7");
        EXPECT_EQ(d.input(2)->text(), "7");
        QApplication::clipboard()->setText("-1,000");
        QTest::keyClick(d.input(2), Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(d.input(2)->text(), "7");

        // Three decimals: refused, the focus on the first input, nothing sent.
        d.type(0, "12.345");
        d.ok();
        auto shown = MessageBox::takeShown();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].text, "输入的金额错误，请重新输入。");
        EXPECT_EQ(shown[0].caption, "错误");
        EXPECT_EQ(shown[0].icon, MessageBox::Icon::Exclamation);
        EXPECT_EQ(d.step(), 15);
        EXPECT_EQ(d.window().focusWidget(), d.input(0));
        EXPECT_TRUE(d.okEnabled());
        EXPECT_EQ(e.requests(), 4);

        // The first valid, the second too large: the focus goes to the second.
        d.type(0, "99999999.99");
        d.type(1, "100000000");
        d.ok();
        EXPECT_EQ(MessageBox::takeShown().size(), 1);
        EXPECT_EQ(d.window().focusWidget(), d.input(1));
        EXPECT_EQ(e.requests(), 4);

        final = d.drive({"1000", "20.5", "0.01"});
        for (int i = 0; i < 3; ++i)
            EXPECT_FALSE(d.input(i)->isVisible()) << i;
    });
    EXPECT_EQ(final, texts::kUnlocked);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(e.requests(), 6);
    EXPECT_EQ(e.sim->lines()[4]["declaration"].toString(),
              "0.00#0.00#0.00#1000.00#20.50#0.01#0.00");
    expectOperation(e, 1, 1, 1, 2, 6, 62);
    EXPECT_DOUBLE_EQ(e.run->lastOperation().value("je").toDouble(), 56.78);
    orvtest::expectUnlocked(e.before, e.card(), monitorsOf(e), {3, 3}, {31, 31});
}

TEST(Operations, Declaration13ShowsAndChecksOnlyTheSecondAndThirdInputs) {
    Env e("declare-13");
    QString final;
    e.run->operation("mnuSBJS", [&](WizardDriver& d) {
        d.ok();
        for (int step : {7, 14}) {
            ASSERT_TRUE(d.settle());
            ASSERT_EQ(d.step(), step);
            d.ok();
        }
        ASSERT_EQ(d.step(), 15);
        EXPECT_FALSE(d.input(0)->isVisible());
        EXPECT_EQ(d.input(0)->text(), "0");
        EXPECT_TRUE(d.input(1)->isVisible());
        EXPECT_TRUE(d.input(2)->isVisible());
        EXPECT_EQ(d.window().focusWidget(), d.input(1));
        d.input(0)->setText("not looked at");
        final = d.drive({"", "300", "45.6"});
    });
    EXPECT_EQ(final, texts::kUnlocked);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(e.sim->lines()[4]["declaration"].toString(), "0.00#0.00#0.00#300.00#45.60#0.00");
    EXPECT_EQ(e.requests(), 6);
    expectOperation(e, 1, 1, 1, 2, 6, 62);
}

TEST(Operations, Declaration11SendsTheAmountsAtOnce) {
    Env e("declare-11");
    bool inputsShown = false;
    QString final;
    e.run->operation("mnuQLJS", [&](WizardDriver& d) {
        d.ok();
        for (int step : {7, 14}) {
            ASSERT_TRUE(d.settle());
            ASSERT_EQ(d.step(), step);
            d.ok();
        }
        for (int i = 0; i < 3; ++i)
            inputsShown = inputsShown || d.input(i)->isVisible();
        EXPECT_NE(d.step(), 15);
        final = d.drive();
    });
    EXPECT_FALSE(inputsShown);
    EXPECT_EQ(final, texts::kUnlocked);
    EXPECT_EQ(e.sim->lines()[4]["declaration"].toString(), "0.00#0.00#0.00");
    EXPECT_EQ(e.requests(), 6);
}

// Typical exchange 4, with two monitoring records in the K4 data.
TEST(Operations, Declaration05UnlocksWithTheK4Data) {
    Env e("declare-05");
    EXPECT_EQ(e.run->runToEnd("mnuCBS"), texts::kUnlocked);
    EXPECT_EQ(e.requests(), 4);
    expectOperation(e, 1, 0, 1, 2, 6, 62);
    const QStringList records = monitorsOf(e);
    ASSERT_EQ(records.size(), 2);
    EXPECT_NE(records[0], records[1]);
    orvtest::expectUnlocked(e.before, e.card(), records, {3, 3}, {31, 31});
    EXPECT_TRUE(logged(e, "[06,010]echoControls成功"));
}

// Typical exchange 3.
TEST(Operations, PaymentRefusedWithAStatusTextEndsTheRun) {
    Env e("pay-fail");
    EXPECT_EQ(e.run->runToEnd("mnuCBS"), "缴款失败：扣款账户余额不足，请存入税款后重新申报缴税。");
    EXPECT_EQ(e.requests(), 5);
    expectOperation(e, 1, 2, 0, 2, 6, 62);
    EXPECT_DOUBLE_EQ(e.run->lastOperation().value("je").toDouble(), 0.0);
    orvtest::expectUntouched(e.before, e.card());
}

TEST(Operations, RepliesThatCannotBeTakenWriteNothing) {
    struct Case {
        const char* scenario;
        QString text;
        int requests, operations;
    };
    // A report accepted with a record the card cannot take is kept, and
    // the refused write with it (jg3 = 6).
    for (const Case& k :
         {Case{"bad-serial", texts::kSerialFailed, 1, 0},
          Case{"bad-record", texts::kMonitoringUnusable + "\n" + texts::kContactService, 3, 1},
          Case{"garbage", texts::kAbnormalReply, 1, 0}}) {
        SCOPED_TRACE(k.scenario);
        Env e(k.scenario);
        EXPECT_EQ(e.run->runToEnd("mnuCBS"), k.text);
        EXPECT_EQ(e.requests(), k.requests);
        EXPECT_EQ(e.run->operations(), k.operations);
        if (k.operations) expectOperation(e, 1, 0, 6, 2, 6, 62);
        orvtest::expectUntouched(e.before, e.card());
        for (const std::string& apdu : e.apdus()) {
            EXPECT_NE(apdu.rfind("C0E8", 0), 0u);
            EXPECT_NE(apdu.rfind("00DC", 0), 0u);
        }
    }
}

TEST(Operations, SplitRepliesGiveTheSameRun) {
    Env e("split");
    EXPECT_EQ(e.run->runToEnd("mnuCBS"), texts::kUnlocked);
    expectOperation(e, 1, 0, 1, 2, 6, 62);
}

TEST(Operations, CardWithoutAValidSummarySendsNothing) {
    cardsim::CardSpec spec = cardsim::realisticSpec();
    spec.summaryFlag = 0x00;
    Env e("unlock", cardsim::build(spec));
    EXPECT_EQ(e.run->runToEnd("mnuCBS"),
              texts::kAlreadyUnlocked + "\n卡上最后一次申报数据所属期为: 20120301 至 20120331\n" +
                  texts::kNotSummarisedHint);
    EXPECT_TRUE(e.sim->lines().isEmpty());
    EXPECT_EQ(e.run->operations(), 0);
    orvtest::expectUntouched(e.before, e.card());
}

TEST(Operations, DailyRecordsThatDoNotFitThePeriodStopTheReport) {
    struct Case {
        int days;
        QString text, logLine;
    };
    for (const Case& k : {Case{0, texts::kNoDaily + kDailyHintLine, "[05,028]用户卡无日交易记录"},
                          Case{30, texts::kDailyMismatch + kDailyHintLine,
                               "[05,028]用户卡日交易记录与汇总数据不符"}}) {
        SCOPED_TRACE(k.days);
        Env e("unlock", smallCard(2, 3, 31, k.days));
        EXPECT_EQ(e.run->runToEnd("mnuCBS"), k.text);
        EXPECT_TRUE(logged(e, k.logLine));
        EXPECT_TRUE(e.sim->lines().isEmpty());
        EXPECT_EQ(e.run->operations(), 0);
        orvtest::expectUntouched(e.before, e.card());
    }
}

// Two days after the period's end: not reported, yet read, so cleared.
TEST(Operations, RecordsOutsideThePeriodAreNotReported) {
    Env e("unlock", smallCard(2, 3, 31, 33));
    EXPECT_EQ(e.run->runToEnd("mnuCBS"), texts::kUnlocked);
    expectOperation(e, 1, 0, 1, 2, 6, 62);
    orvtest::expectUnlocked(e.before, e.card(), monitorsOf(e), {3, 3}, {33, 33});
}

// Another card inserted between the report and clear-unlock: nothing is
// written to it; with the reported card back, "确定" finishes the unlock.
TEST(Operations, AnotherCardBeforeClearUnlockIsNotWritten) {
    Env e("declare-03");
    cardsim::CardSpec otherSpec = cardsim::realisticSpec();
    otherSpec.taxpayerCode = "1101089999999999";
    const cardsim::Card other = cardsim::build(otherSpec);
    QString refused, final;
    bool retryOffered = false;
    int jg3 = -1;
    cardsim::Card otherAfter;
    e.run->operation("mnuCBS", [&](WizardDriver& d) {
        d.ok();
        for (int step : {7, 11}) {
            ASSERT_TRUE(d.settle());
            ASSERT_EQ(d.step(), step);
            if (step == 11) e.reader.card().setCard(other);
            d.ok();
        }
        refused = d.drive();
        retryOffered = d.okEnabled();
        jg3 = e.run->lastOperation().value("jg3").toInt();
        otherAfter = e.card();
        e.reader.card().setCard(e.before);
        d.ok();
        final = d.drive();
    });
    EXPECT_EQ(refused,
              texts::kOtherCard + "\n" + texts::kCheckAndRetry + "\n" + texts::kRetryWithOk);
    EXPECT_EQ(jg3, 5);
    EXPECT_TRUE(retryOffered);
    orvtest::expectUntouched(other, otherAfter);
    EXPECT_TRUE(logged(e, "[06,020]换卡：1101089999999999北京市海淀区示例商贸有限公司"));
    EXPECT_EQ(final, texts::kUnlocked);
    expectOperation(e, 1, 1, 1, 2, 6, 62);
    orvtest::expectUnlocked(e.before, e.card(), monitorsOf(e), {3, 3}, {31, 31});
}

// Regression: when the outcome of clear-unlock could not be saved, the user
// saw only the unexpected-error text, not what the card went through.
TEST(Operations, AnUnlockThatCannotBeRecordedStillSaysWhatTheCardWentThrough) {
    Env e("unlock");
    QSqlQuery q(orv::RecordsDb::connection());
    ASSERT_TRUE(
        q.exec("create trigger refuse_unlocked before update of jg3 on sbjs "
               "when new.jg3 = 1 begin select raise(abort, 'disk I/O error'); end"));
    const QString final = e.run->runToEnd("mnuCBS");
    EXPECT_TRUE(final.startsWith(texts::kUnlocked + "\n" + texts::kUnexpected + "\n"))
        << final.toStdString();
    // The user reads the program's words; SQLite's stay in the log.
    EXPECT_TRUE(final.contains(texts::kErrorDescription + orv::kRecordsUnwritable))
        << final.toStdString();
    EXPECT_FALSE(final.contains("disk I/O error")) << final.toStdString();
    orvtest::expectUnlocked(e.before, e.card(), monitorsOf(e), {3, 3}, {31, 31});
    EXPECT_TRUE(logged(e, "[06,004]clearEF09成功"));
    bool errorLogged = false;
    for (const QString& line : e.run->logLines())
        errorLogged |= line.contains(orv::kRecordsUnwritable) && line.contains("disk I/O error");
    EXPECT_TRUE(errorLogged);
}

// Regression: after the card refused the second of two monitoring records,
// "确定" sent both again and the first was written twice. The retry goes on
// from the refused record; a failure after which the card may hold the
// record (6581: memory changed) sends the user to clearing the history
// and offers no retry.
TEST(Operations, ARetriedUnlockWritesEachRecordOnce) {
    for (const char* status : {"6985", "6581"}) {
        SCOPED_TRACE(status);
        const bool retryable = QByteArray(status) == "6985";
        Env e("declare-05");
        QString refused, final;
        bool retryOffered = false;
        int jg3 = -1;
        QString first, second;
        e.run->operation("mnuCBS", [&](WizardDriver& d) {
            d.ok();
            ASSERT_TRUE(d.settle());
            ASSERT_EQ(d.step(), 7);
            // The server's two records: the serial, the register, a tag.
            const QJsonObject q = e.sim->lines().value(1);
            const QString run = q["serial"].toString() + q["register"].toString();
            first = "C0E8000025" + (run + "MONI").toLatin1().toHex().toUpper();
            second = "C0E8000025" + (run + "NONI").toLatin1().toHex().toUpper();
            cardsim::Bytes reply;
            ASSERT_TRUE(orv::hex::decode(status, reply));
            cardsim::Faults refuse;
            refuse.prefixes.push_back({second.toStdString(), reply});
            e.reader.card().setFaults(refuse);
            d.ok();
            refused = d.drive();
            retryOffered = d.okEnabled();
            jg3 = e.run->lastOperation().value("jg3").toInt();
            e.reader.card().setFaults({});
            if (retryOffered) {
                d.ok();
                final = d.drive();
            }
        });
        const QString code = QString::fromLatin1(status);
        EXPECT_EQ(jg3, 6);
        EXPECT_EQ(retryOffered, retryable);
        int writesOfFirst = 0, writesOfSecond = 0;
        for (const std::string& apdu : e.apdus()) {
            writesOfFirst += QString::fromStdString(apdu) == first;
            writesOfSecond += QString::fromStdString(apdu) == second;
        }
        EXPECT_EQ(writesOfFirst, 1);
        if (retryable) {
            EXPECT_EQ(refused, texts::kEchoFailed + code + "\n" + texts::kContactService + "\n" +
                                   texts::kRetryWithOk);
            EXPECT_EQ(writesOfSecond, 2);  // refused, then taken
            EXPECT_EQ(final, texts::kUnlocked);
            EXPECT_EQ(e.run->lastOperation().value("jg3").toInt(), 1);
        } else {
            EXPECT_EQ(refused, texts::kEchoFailed + code + "\n" + texts::kUseClearHistory +
                                   texts::kOrContactService);
            EXPECT_EQ(writesOfSecond, 1);
        }
    }
}

TEST(Operations, ClearHistoryRefusesALockedCard) {
    Env e("unlock");
    EXPECT_EQ(e.run->runToEnd("mnuClearIC"), texts::kNotUnlocked + "\n" + texts::kNotUnlockedHint);
    EXPECT_TRUE(logged(e, "[07,000]用户卡未解锁"));
    orvtest::expectUntouched(e.before, e.card());
}

// The full card holds 200 days a machine: clearing all must reach them.
TEST(Operations, ClearHistoryClearsMoreThanAHundredDaysAMachine) {
    cardsim::CardSpec spec = cardsim::fullSpec();
    spec.summaryFlag = 0x00;
    Env e("unlock", cardsim::build(spec));
    bool repeatOffered = false;
    QString text;
    e.run->operation("mnuClearIC", [&](WizardDriver& d) {
        d.ok();
        ASSERT_TRUE(d.settle());
        text = d.tips();
        repeatOffered = d.okEnabled();
    });
    EXPECT_EQ(text, texts::kHistoryCleared);
    EXPECT_TRUE(repeatOffered);
    orvtest::expectHistoryCleared(e.card());
    EXPECT_EQ(e.run->operations(), 0);
}

// A server fault at each request of a declaration run: the fault's text,
// and nothing stored that did not happen.
TEST(Operations, ServerFaultsAtEachRequest) {
    const cardsim::Card card = smallCard(1, 1, 2);
    const int kRequests = 6;  // Q1, S1, S1, K3 query, K3 amounts, K1
    const QString disconnected = texts::kDisconnected + "\n" + texts::kRetryLater;
    for (const char* kind : {"silent", "close", "garbage", "short", "refuse"}) {
        for (int at = 1; at <= kRequests; ++at) {
            const QString fault = QStringLiteral("%1:%2").arg(kind).arg(at);
            SCOPED_TRACE(fault.toStdString());
            Env e("declare-12", card, fault);
            const bool silent = QLatin1String(kind) == QLatin1String("silent");
            QString text;
            e.run->operation("mnuCBS", [&](WizardDriver& d) {
                d.ok();
                text =
                    d.drive({"1", "2", "3"}, [&] { return silent && e.sim->lines().size() == at; });
                if (!silent) return;
                const int timeout = e.run->program().settings.EchoOverTime;
                EXPECT_TRUE(d.wizard().session().awaitingReply());
                e.run->clock().t += timeout;
                d.wizard().session().watchdogTick();
                EXPECT_EQ(d.tips(), orv::texts::kSent);  // not more than the time-out yet
                e.run->clock().t += 0.5;
                d.wizard().session().watchdogTick();
                text = d.tips();
            });
            const QString kindName = QLatin1String(kind);
            if (kindName == "silent") {
                EXPECT_EQ(text, texts::kReplyTimeout);
            } else if (kindName == "close") {
                EXPECT_EQ(text, disconnected);
            } else if (kindName == "refuse") {
                EXPECT_TRUE(text.startsWith(texts::kSocketError + "\n")) << text.toStdString();
                EXPECT_TRUE(text.endsWith("\n" + texts::kRetryLater)) << text.toStdString();
            } else {
                EXPECT_EQ(text, texts::kAbnormalReply);
            }
            EXPECT_EQ(e.requests(), kindName == "refuse" ? at - 1 : at);
            // The report is kept once the server accepted it (its 3rd reply).
            if (at <= 3) {
                EXPECT_EQ(e.run->operations(), 0);
            } else {
                const QSqlRecord r = e.run->lastOperation();
                EXPECT_EQ(e.run->operations(), 1);
                EXPECT_EQ(r.value("jg1").toInt(), 1);
                EXPECT_EQ(r.value("jg2").toInt(), 0);
                EXPECT_EQ(r.value("jg3").toInt(), 0);
            }
            orvtest::expectUntouched(e.before, e.card());
        }
    }
}

// The reader answers, but holds no card: the first read fails with the
// reader's code and nothing is sent.
TEST(Operations, EmptyReaderStopsTheReportAtTheFirstRead) {
    sharedReader().remove();
    orvtest::TempDir dir;
    TaxSim sim(dir, "unlock");
    ProgramRun run(
        dir, {"READER=Virtual PCD 00 00", "IP=127.0.0.1", "PORT=" + QString::number(sim.port())});
    QString text;
    bool okEnabled = true;
    run.operation("mnuCBS", [&](WizardDriver& d) {
        d.ok();
        ASSERT_TRUE(d.settle());
        text = d.tips();
        okEnabled = d.okEnabled();
    });
    EXPECT_TRUE(text.startsWith(texts::kReadFailed)) << text.toStdString();
    EXPECT_TRUE(text.endsWith(texts::kCheckAndRetry));
    EXPECT_FALSE(okEnabled);
    EXPECT_TRUE(sim.lines().isEmpty());
}

}  // namespace
