// The card pulled during clear-unlock, after each of its APDUs from the
// re-read of EF02 to the last UPDATE RECORD of EF09. Every case must end
// with its text and outcome code, keep the report and the monitoring record,
// and leave a card that, put back, ends fully cleared: "确定" writes the
// record where the card never took it, clearing the history does the rest.
#include <gtest/gtest.h>

#include <QSqlRecord>
#include <cstdio>
#include <cstdlib>

#include "builder.h"
#include "operations.h"
#include "orv/hex.h"
#include "service/OperationTexts.h"
#include "service/Wizard.h"
#include "service/WizardTexts.h"
#include "taxsim.h"
#include "virtualreader.h"

namespace {

using orvtest::WizardDriver;
namespace texts = orv::texts;

const std::string kSelectMaster = "00A40000023F00";

// Two machines, two invoice rolls and two days each: every kind of APDU of
// clear-unlock, in few of them.
cardsim::Card matrixCard() {
    cardsim::CardSpec spec = cardsim::realisticSpec();
    spec.periodEnd =
        std::chrono::year_month_day(std::chrono::sys_days(spec.periodStart) + std::chrono::days(1));
    spec.machines.assign(2, cardsim::MachineSpec{2, -1});
    return cardsim::build(spec);
}

// Where each library session of a run starts in its APDU log (1-based APDU
// numbers): the four reads, then clear-unlock's EF02, EchoControls,
// ClearEF06, ClearEF09.
struct Sessions {
    std::vector<long> first;  // first APDU of each session
    long lastDailyUpdate = 0;
    long total = 0;
};

Sessions sessionsOf(const std::vector<std::string>& log) {
    Sessions s;
    s.total = static_cast<long>(log.size());
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i] == kSelectMaster) s.first.push_back(static_cast<long>(i) + 1);
        // UPDATE RECORD with 192 bytes: an EF09 sub-record.
        if (log[i].rfind("00DC", 0) == 0 && log[i].substr(6, 4) == "04C0")
            s.lastDailyUpdate = static_cast<long>(i) + 1;
    }
    return s;
}

TEST(RemovalMatrix, CardPulledAfterEachApduOfClearUnlock) {
    orvtest::TempDir dir;
    orvtest::TaxSim sim(dir, "unlock");
    const cardsim::Card card = matrixCard();
    orvtest::VirtualReader reader;
    reader.card().setCard(card);
    reader.insert();
    orvtest::ProgramRun run(
        dir, {"READER=Virtual PCD 00 00", "IP=127.0.0.1", "PORT=" + QString::number(sim.port())});

    // A run without faults gives the APDU sequence.
    reader.card().clearLog();
    reader.card().setFaults({});
    ASSERT_EQ(run.runToEnd("mnuCBS"), texts::kUnlocked);
    const Sessions s = sessionsOf(reader.card().log());
    ASSERT_EQ(s.first.size(), 8u);
    ASSERT_GT(s.lastDailyUpdate, s.first[7]);
    long from = s.first[4], to = s.lastDailyUpdate;
    // ORV_MATRIX_ONLY=K runs the one case K (when looking into a failure).
    if (const char* only = std::getenv("ORV_MATRIX_ONLY")) from = to = std::atol(only);
    std::printf("removal matrix: APDUs %ld to %ld of %ld, %ld cases\n", from, to, s.total,
                to - from + 1);

    // Outcome codes of the session that fails: EF02, EchoControls, the clears.
    const int codeOf[] = {4, 6, 7, 8};
    for (long k = from; k <= to; ++k) {
        SCOPED_TRACE("card pulled after APDU " + std::to_string(k));
        int session = 4;
        while (session + 1 < 8 && s.first[static_cast<std::size_t>(session + 1)] <= k)
            ++session;
        // Pulled after a session's last APDU: that session is done, the
        // next one fails at its reset.
        const bool lastOfSession =
            session + 1 < 8 && s.first[static_cast<std::size_t>(session + 1)] == k + 1;
        const int code = codeOf[session - 4 + (lastOfSession ? 1 : 0)];

        reader.card().setCard(card);
        cardsim::Faults pull;
        pull.removeAfter = k;
        reader.card().setFaults(pull);
        QString failed, retried;
        bool retryOffered = false;
        QSqlRecord afterFailure;
        QString sw;
        run.operation("mnuCBS", [&](WizardDriver& d) {
            d.ok();
            failed = d.drive();
            retryOffered = d.okEnabled();
            afterFailure = run.lastOperation();
            sw = run.program().card->getSW();
            // Put back.
            reader.remove();
            reader.card().setFaults({});
            try {
                reader.insert();
            } catch (const std::exception& e) {
                ADD_FAILURE() << e.what();
                return;
            }
            if (retryOffered) {
                d.ok();
                retried = d.drive();
            }
        });
        QString expected;
        switch (code) {
            case 4:
                expected = orv::Wizard::readFailedText(sw) + "\n" + texts::kRetryWithOk;
                break;
            case 6:
                expected = texts::kEchoFailed + sw + "\n" + texts::kContactService + "\n" +
                           texts::kRetryWithOk;
                break;
            case 7:
                expected = texts::kClearInvoicesFailed + sw + "\n" + texts::kUseClearHistory +
                           texts::kOrContactService;
                break;
            default:
                expected = texts::kClearDailyFailed + sw + "\n" + texts::kUseClearHistory +
                           texts::kOrContactService;
        }
        EXPECT_NE(sw, "9000");
        EXPECT_EQ(failed, expected);
        EXPECT_EQ(afterFailure.value("jg3").toInt(), code);
        EXPECT_EQ(afterFailure.value("jg1").toInt(), 1);
        const qint64 id = afterFailure.value("id").toLongLong();
        EXPECT_EQ(run.rowsOf("ef04", id), 2);
        EXPECT_EQ(run.rowsOf("ef06", id), 4);
        EXPECT_EQ(run.rowsOf("ef09", id), 4);
        EXPECT_EQ(run.monitoringRows(id).size(), 1);
        // Until the card took the record, "确定" writes it.
        EXPECT_EQ(retryOffered, code == 4 || code == 6);
        if (retryOffered) {
            EXPECT_EQ(retried, texts::kUnlocked);
            EXPECT_EQ(run.lastOperation().value("jg3").toInt(), 1);
        }
        EXPECT_EQ(run.lastOperation().value("id").toLongLong(), id);

        EXPECT_EQ(run.runToEnd("mnuClearIC"), texts::kHistoryCleared);
        const cardsim::Card after = reader.card().card();
        orvtest::expectHistoryCleared(after);
        ASSERT_EQ(after.monitor.size(), 1u);  // written once, never twice
        EXPECT_EQ(QString::fromStdString(orv::hex::encode(after.monitor[0])),
                  run.monitoringRows(id).value(0));
        for (const auto& summary : after.files.at(0xEF04).records)
            EXPECT_NE(summary[0], 0x01);
    }
}

}  // namespace
