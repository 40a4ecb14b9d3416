// The card operations through the serial reader (READER "USB", the reader
// maker's library simulated over the virtual card): a card not fully
// inserted (FF7A) or inserted the wrong way round (FF3F) is retried, then
// explained with its hint.
#include <gtest/gtest.h>

#include <QSqlRecord>

#include "builder.h"
#include "env.h"
#include "operations.h"
#include "serialsim.h"
#include "service/OperationTexts.h"
#include "service/Wizard.h"
#include "service/WizardTexts.h"
#include "taxsim.h"

namespace {

using orvtest::ProgramRun;
using orvtest::TaxSim;
using orvtest::WizardDriver;
namespace texts = orv::texts;

class SerialOperations : public ::testing::Test {
protected:
    void start(const QString& scenario, const cardsim::CardSpec& spec = cardsim::realisticSpec()) {
        before_ = cardsim::build(spec);
        image_ = dir_.file("card.txt");
        ASSERT_TRUE(before_.save(image_));
        orvtest::useSerialSimulator(image_, dir_.file("calls.log"));
        sim_ = std::make_unique<TaxSim>(dir_, scenario);
        run_ = std::make_unique<ProgramRun>(
            dir_,
            QStringList{"READER=USB", "IP=127.0.0.1", "PORT=" + QString::number(sim_->port())},
            true);
    }
    void TearDown() override { orvtest::unsetEnv("ZELSIM_CODES"); }
    cardsim::Card card() const {
        cardsim::Card c;
        EXPECT_TRUE(cardsim::Card::load(image_, c, nullptr));
        return c;
    }

    orvtest::TempDir dir_;
    std::string image_;
    cardsim::Card before_;
    std::unique_ptr<TaxSim> sim_;
    std::unique_ptr<ProgramRun> run_;
};

TEST_F(SerialOperations, CardNotFullyInsertedIsRetriedThenExplained) {
    start("unlock");
    orvtest::setEnv("ZELSIM_CODES", "FF7A,FF7A,FF7A,FF7A");
    bool okEnabled = true;
    QString text;
    run_->operation("mnuCBS", [&](WizardDriver& d) {
        d.ok();
        ASSERT_TRUE(d.settle());
        text = d.tips();
        okEnabled = d.okEnabled();
    });
    EXPECT_EQ(text,
              "读卡时发生错误，错误代码：FF7A\n可能是用户卡未插到位。\n" + texts::kCheckAndRetry);
    EXPECT_FALSE(okEnabled);
    EXPECT_EQ(run_->waiter().waits, (std::vector<double>{1, 1, 1}));
    EXPECT_TRUE(sim_->lines().isEmpty());
    EXPECT_TRUE(run_->logLines().contains(
        "[05,025]FF7A读卡时发生错误，错误代码：FF7A 可能是用户卡未插到位。 " +
        texts::kCheckAndRetry));
}

TEST_F(SerialOperations, CardInsertedBackwardsStopsClearingTheHistory) {
    cardsim::CardSpec spec = cardsim::realisticSpec();
    spec.summaryFlag = 0x00;
    start("unlock", spec);
    orvtest::setEnv("ZELSIM_CODES", "FF3F");
    EXPECT_EQ(run_->runToEnd("mnuClearIC"),
              "读卡时发生错误，错误代码：FF3F\n可能是用户卡插反了。\n" + texts::kCheckAndRetry);
    orvtest::expectUntouched(before_, card());
}

// The clear fails after its four attempts; "确定" repeats the whole.
TEST_F(SerialOperations, FailedClearOfTheHistoryIsRepeatedWithOk) {
    cardsim::CardSpec spec = cardsim::realisticSpec();
    spec.summaryFlag = 0x00;
    start("unlock", spec);
    // The EF04 read resets the card first (0: no injected code).
    orvtest::setEnv("ZELSIM_CODES", "0,FF7A,FF7A,FF7A,FF7A");
    QString failed, repeated;
    bool repeatOffered = false;
    run_->operation("mnuClearIC", [&](WizardDriver& d) {
        d.ok();
        ASSERT_TRUE(d.settle());
        failed = d.tips();
        repeatOffered = d.okEnabled();
        d.ok();
        ASSERT_TRUE(d.settle());
        repeated = d.tips();
    });
    EXPECT_EQ(failed, texts::kClearHistoryFailed + "FF7A\n可能是用户卡未插到位。\n" +
                          texts::kContactService);
    EXPECT_TRUE(repeatOffered);
    EXPECT_EQ(repeated, texts::kHistoryCleared);
    EXPECT_TRUE(run_->logLines().contains("[07,000]clearEF06失败：FF7A"));
    orvtest::expectHistoryCleared(card());
}

// Clear-unlock that cannot read the card records code 4 and keeps the
// monitoring record; "确定" writes it once the card is seated.
TEST_F(SerialOperations, ClearUnlockThatCannotReadTheCardIsTriedAgain) {
    start("declare-03");
    QString failed, final;
    int jg3 = -1;
    bool retryOffered = false;
    run_->operation("mnuCBS", [&](WizardDriver& d) {
        d.ok();
        for (int step : {7, 11}) {
            ASSERT_TRUE(d.settle());
            ASSERT_EQ(d.step(), step);
            if (step == 11) orvtest::setEnv("ZELSIM_CODES", "FF7A,FF7A,FF7A,FF7A");
            d.ok();
        }
        failed = d.drive();
        retryOffered = d.okEnabled();
        jg3 = run_->lastOperation().value("jg3").toInt();
        orvtest::unsetEnv("ZELSIM_CODES");
        d.ok();
        final = d.drive();
    });
    EXPECT_EQ(failed, orv::Wizard::readFailedText("FF7A") + "\n" + texts::kRetryWithOk);
    EXPECT_TRUE(failed.contains("可能是用户卡未插到位。"));
    EXPECT_EQ(jg3, 4);
    EXPECT_TRUE(retryOffered);
    EXPECT_TRUE(run_->logLines().contains("[06,020]换卡：FF7A"));
    EXPECT_EQ(final, texts::kUnlocked);
    const QSqlRecord r = run_->lastOperation();
    EXPECT_EQ(r.value("jg3").toInt(), 1);
    EXPECT_EQ(r.value("jg2").toInt(), 1);
    const QStringList records = run_->monitoringRows(r.value("id").toLongLong());
    ASSERT_EQ(records.size(), 1);
    orvtest::expectUnlocked(before_, card(), records, {3, 3}, {31, 31});
}

}  // namespace
