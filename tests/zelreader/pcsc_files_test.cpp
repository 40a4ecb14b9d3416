// Card file reads and writes through pcscd + vpcd + the virtual card: the
// exact APDU sequences, the text formats, cancel and failure pass-through.
#include <gtest/gtest.h>

#include "builder.h"
#include "cardtext.h"
#include "orv/hex.h"
#include "pcsc_environment.h"
#include "zellib.h"

namespace {

using cardsim::Bytes;
using orvtest::ZelLib;
using Apdus = std::vector<std::string>;

const std::string kMF = "00A40000023F00", kApp = "00A40400055449443031";

std::vector<std::pair<int, int>> g_calls;
int g_cancelAt = 0;

void ZEL_CALL record(int32_t n, int32_t m, int32_t* cancel) {
    g_calls.emplace_back(n, m);
    if (g_cancelAt && static_cast<int>(g_calls.size()) == g_cancelAt) *cancel = 1;
}

std::string hex(const Bytes& b) {
    return orv::hex::encode(b);
}

class PcscFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        g_cancelAt = 0;
        useCard(cardsim::build(cardsim::realisticSpec()));
        lib_.select(orvtest::kReader0);
        fds_ = orvtest::openDescriptors();
    }
    void TearDown() override { EXPECT_EQ(orvtest::openDescriptors(), fds_) << "session left open"; }
    void useCard(cardsim::Card c) {
        built_ = c;
        card().setCard(std::move(c));
        card().setFaults({});
        card().clearLog();
    }
    void fault(const std::string& option) {
        cardsim::Faults f;
        ASSERT_TRUE(f.parse(option));
        card().setFaults(f);
    }
    cardsim::Emulator& card() { return orvtest::insertedCard().card(); }

    ZelLib lib_;
    cardsim::Card built_;
    int fds_ = 0;
};

TEST_F(PcscFilesTest, EF02IsOneBinaryRead) {
    std::string text;
    EXPECT_EQ(lib_.call(lib_.ReadEF02, text), 0x9000);
    EXPECT_EQ(text, hex(built_.files.at(0xEF02).data));
    EXPECT_EQ(card().log(), (Apdus{kMF, kApp, "00A4000002EF02", "00B00000DD"}));
}

TEST_F(PcscFilesTest, ShortEF02IsReadAgainWithSixtyOneBytes) {
    cardsim::CardSpec spec = cardsim::realisticSpec();
    spec.shortEF02 = true;
    useCard(cardsim::build(spec));
    std::string text;
    EXPECT_EQ(lib_.call(lib_.ReadEF02, text), 0x9000);
    EXPECT_EQ(text.size(), 122u);
    EXPECT_EQ(card().log(), (Apdus{kMF, kApp, "00A4000002EF02", "00B00000DD", "00B000003D"}));
}

TEST_F(PcscFilesTest, OtherBinaryReadErrorsAreReturnedWithoutRetry) {
    fault("prefix=00B00000DD:6A82");
    std::string text = "untouched";
    EXPECT_EQ(lib_.call(lib_.ReadEF02, text), 0x6A82);
    EXPECT_EQ(text, "untouched");
    EXPECT_EQ(card().log().size(), 4u);
}

TEST_F(PcscFilesTest, SelectAnswersOf61xxAreAccepted) {
    fault("prefix=" + kMF + ":6110");
    std::string text;
    EXPECT_EQ(lib_.call(lib_.ReadEF02, text), 0x9000);
}

TEST_F(PcscFilesTest, FailedOpeningSelectIsReturned) {
    fault("prefix=" + kMF + ":6A82");
    std::string text = "untouched";
    EXPECT_EQ(lib_.call(lib_.ReadEF04, text), 0x6A82);
    EXPECT_EQ(card().log(), (Apdus{kMF}));
    EXPECT_EQ(text, "untouched");
}

TEST_F(PcscFilesTest, EF04RecordsAreJoinedAndTheWalkEndsAtNotFound) {
    cardsim::CardSpec spec = cardsim::realisticSpec();
    spec.machines.assign(3, cardsim::MachineSpec{});
    spec.blankTail = 0;  // the third record is the file's last
    useCard(cardsim::build(spec));
    std::string text;
    EXPECT_EQ(lib_.call(lib_.ReadEF04, text), 0x9000);
    const auto& r = built_.files.at(0xEF04).records;
    EXPECT_EQ(text, hex(r[0]) + "##" + hex(r[1]) + "##" + hex(r[2]));
    EXPECT_EQ(card().log(), (Apdus{kMF, kApp, "00A4000002EF04", "00B20104DC", "00B20204DC",
                                   "00B20304DC", "00B20404DC"}));
}

TEST_F(PcscFilesTest, EF04WithBlankFirstRecordIsEmpty) {
    cardsim::Card c = cardsim::build(cardsim::realisticSpec());
    Bytes& first = c.files.at(0xEF04).records[0];
    std::fill(first.begin() + 1, first.begin() + 9, 0xFF);  // byte 0 is not looked at
    useCard(c);
    std::string text = "untouched";
    EXPECT_EQ(lib_.call(lib_.ReadEF04, text), 0x9000);
    EXPECT_EQ(text, "");
}

TEST_F(PcscFilesTest, GroupReadsWalkEveryRecordAndItsSubFile) {
    std::string ef06, ef09;
    EXPECT_EQ(lib_.call(lib_.ReadEF06, ef06, record), 0x9000);
    EXPECT_EQ(ef06, orvtest::groupsText(built_, 0xEF06));
    EXPECT_EQ(g_calls.size(), 6u);  // 2 machines x 3 rolls
    EXPECT_EQ(card().log(),
              (Apdus{kMF, kApp, "00A4000002EF06", "00B2010412", "00A40000020601", "00B2010425",
                     "00B2020425", "00B2030425", "00B2040425", "00A4000002EF06", "00B2020412",
                     "00A40000020602", "00B2010425", "00B2020425", "00B2030425", "00B2040425",
                     "00A4000002EF06", "00B2030412"}));
    g_calls.clear();
    EXPECT_EQ(lib_.call(lib_.ReadEF09, ef09, nullptr), 0x9000);
    EXPECT_EQ(ef09, orvtest::groupsText(built_, 0xEF09));
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(PcscFilesTest, SubFileWithTwoUsedRecordsCallsBackTwice) {
    cardsim::CardSpec spec = cardsim::realisticSpec();
    spec.machines = {cardsim::MachineSpec{2, 1}};
    useCard(cardsim::build(spec));
    std::string text;
    EXPECT_EQ(lib_.call(lib_.ReadEF06, text, record), 0x9000);
    EXPECT_EQ(text.size(), 36u + 1 + 148);
    EXPECT_EQ(g_calls, (std::vector<std::pair<int, int>>{{1, 1}, {1, 2}}));
}

TEST_F(PcscFilesTest, EmptySubFileGivesItsRecordAndBarOnly) {
    cardsim::CardSpec spec = cardsim::realisticSpec();
    spec.machines = {cardsim::MachineSpec{0, 1}, cardsim::MachineSpec{1, 1}};
    useCard(cardsim::build(spec));
    std::string text;
    EXPECT_EQ(lib_.call(lib_.ReadEF06, text, record), 0x9000);
    const auto& r = built_.files.at(0xEF06).records;
    EXPECT_EQ(text, hex(r[0]) + "|##" + hex(r[1]) + "|" + hex(built_.files.at(0x0602).records[0]));
    EXPECT_EQ(g_calls, (std::vector<std::pair<int, int>>{{2, 1}}));
}

TEST_F(PcscFilesTest, CallbackCancelEndsTheReadWithMinusOne) {
    g_cancelAt = 1;
    std::string text = "untouched";
    EXPECT_EQ(lib_.call(lib_.ReadEF06, text, record), -1);
    EXPECT_EQ(text, "untouched");
    EXPECT_EQ(card().log().back(), "00B2010425");  // nothing after the cancelled record
}

TEST_F(PcscFilesTest, SubFileSelectFailureEndsTheWholeRead) {
    fault("prefix=00A40000020602:6A82");
    std::string text = "untouched";
    EXPECT_EQ(lib_.call(lib_.ReadEF06, text, record), 0x6A82);
    EXPECT_EQ(text, "untouched");
}

TEST_F(PcscFilesTest, EchoControlsWritesEachRecordToTheApplication) {
    const std::string a(74, 'A'), b = "0123456789ABCDEF" + std::string(58, '1');
    const std::u16string text(std::u16string(a.begin(), a.end()) +
                              std::u16string(b.begin(), b.end()));
    EXPECT_EQ(lib_.EchoControls(text.c_str()), 0x9000);
    EXPECT_EQ(card().log(), (Apdus{kMF, kApp, "C0E8000025" + a, "C0E8000025" + b}));
    const auto monitor = card().card().monitor;
    ASSERT_EQ(monitor.size(), 2u);
    EXPECT_EQ(hex(monitor[1]), b);
}

TEST_F(PcscFilesTest, EchoControlsRefusesWrongLengthsWithoutTouchingTheCard) {
    EXPECT_EQ(lib_.EchoControls(std::u16string(150, u'0').c_str()), 0x6700);
    EXPECT_EQ(lib_.EchoControls(u""), 0x6700);
    EXPECT_EQ(lib_.EchoControls(nullptr), 0x6700);
    EXPECT_TRUE(card().log().empty());
}

TEST_F(PcscFilesTest, EchoControlsStopsAtTheFirstRefusedRecord) {
    fault("at=4:6985");
    EXPECT_EQ(lib_.EchoControls(std::u16string(222, u'A').c_str()), 0x6985);
    EXPECT_EQ(card().log().size(), 4u);
    EXPECT_EQ(card().card().monitor.size(), 1u);
}

TEST_F(PcscFilesTest, ClearWithCountListZeroesExactlyThoseRecords) {
    uint8_t counts[256] = {3, 0};
    EXPECT_EQ(lib_.ClearEF06(counts, record), 0x9000);
    const std::string zeros(74, '0');
    EXPECT_EQ(card().log(), (Apdus{kMF, kApp, "00A4000002EF06", "00B2010412", "00A40000020601",
                                   "00DC030425" + zeros, "00DC020425" + zeros, "00DC010425" + zeros,
                                   "00A4000002EF06", "00B2020412", "00A40000020602",
                                   "00A4000002EF06", "00B2030412"}));
    EXPECT_EQ(g_calls, (std::vector<std::pair<int, int>>{{1, 3}, {1, 2}, {1, 1}}));
    const cardsim::Card after = card().card();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(after.files.at(0x0601).records[i], Bytes(37, 0));
    EXPECT_EQ(after.files.at(0x0602).records, built_.files.at(0x0602).records);
}

TEST_F(PcscFilesTest, ClearWithoutCountsTriesTwoHundredAndSkipsMissingRecords) {
    cardsim::CardSpec spec = cardsim::realisticSpec();
    spec.machines = {cardsim::MachineSpec{50, 1}};
    spec.blankTail = 0;
    useCard(cardsim::build(spec));
    EXPECT_EQ(lib_.ClearEF06(nullptr, record), 0x9000);
    const Apdus log = card().log();
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& a) { return a.rfind("00DC", 0) == 0; }),
              200);
    EXPECT_EQ(log[5].substr(0, 10), "00DCC80425");  // record 200 first
    EXPECT_EQ(g_calls.size(), 50u);
    EXPECT_EQ(g_calls.front(), std::make_pair(1, 50));
}

TEST_F(PcscFilesTest, ClearEF09WritesOneHundredZeroRecordsPerSubFile) {
    EXPECT_EQ(lib_.ClearEF09(nullptr, nullptr), 0x9000);
    const Apdus log = card().log();
    const std::string zeros(384, '0');
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [&](const std::string& a) {
                                return a.rfind("00DC", 0) == 0 && a.substr(6, 4) == "04C0" &&
                                       a.substr(10) == zeros;
                            }),
              200);  // 2 machines
    const cardsim::Card after = card().card();
    for (const Bytes& r : after.files.at(0x0901).records) {
        if (r[0] != 0xFF) {
            EXPECT_EQ(r, Bytes(192, 0));
        }
    }
}

TEST_F(PcscFilesTest, ClearStopsAtOnceOnAWriteError) {
    fault("prefix=00DC02:6581");
    uint8_t counts[256] = {3, 3};
    EXPECT_EQ(lib_.ClearEF06(counts, record), 0x6581);
    EXPECT_EQ(card().log().back().substr(0, 6), "00DC02");
    EXPECT_EQ(g_calls.size(), 1u);
}

TEST_F(PcscFilesTest, BlankFirstGroupRecordEndsTheClearAtOnce) {
    cardsim::Card c = cardsim::build(cardsim::realisticSpec());
    std::fill(c.files.at(0xEF06).records[0].begin(), c.files.at(0xEF06).records[0].end(), 0);
    useCard(c);
    EXPECT_EQ(lib_.ClearEF06(nullptr, record), 0x9000);
    EXPECT_EQ(card().log(), (Apdus{kMF, kApp, "00A4000002EF06", "00B2010412"}));
}

TEST(PcscCardRemoval, PulledCardIsATransportFailureAndTheSessionCloses) {
    orvtest::VirtualReader reader(1);
    reader.card().setCard(cardsim::build(cardsim::realisticSpec()));
    cardsim::Faults f;
    f.parse("remove=4");
    reader.card().setFaults(f);
    reader.insert();
    ZelLib lib;
    lib.select(orvtest::kReader1);
    std::string text = "untouched";
    const int32_t r = lib.call(lib.ReadEF04, text);
    EXPECT_EQ(r, 0x8400);
    EXPECT_EQ(text, "untouched");
    reader.remove();
    EXPECT_EQ(lib.ResetCard(), -6);
}

}  // namespace
