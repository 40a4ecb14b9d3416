#include "emulator.h"

#include <gtest/gtest.h>

#include "builder.h"
#include "orv/hex.h"
#include "tempdir.h"

namespace {

using cardsim::Bytes;

std::string run(cardsim::Emulator& e, const std::string& apdu) {
    Bytes b;
    EXPECT_TRUE(orv::hex::decode(apdu, b));
    const auto r = e.process(b);
    return r ? orv::hex::encode(*r) : "PULLED";
}

std::string sw(const std::string& reply) {
    return reply.substr(reply.size() - 4);
}

class EmulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        card_ = cardsim::build(cardsim::realisticSpec());
        emu_.setCard(card_);
        emu_.reset();
    }
    void openApp() {
        ASSERT_EQ(run(emu_, "00A40000023F00"), "9000");
        ASSERT_EQ(run(emu_, "00A40400055449443031"), "9000");
    }
    cardsim::Card card_;
    cardsim::Emulator emu_;
};

TEST_F(EmulatorTest, FilesAreReachedOnlyThroughTheApplication) {
    EXPECT_EQ(run(emu_, "00A4000002EF02"), "6A82");
    openApp();
    EXPECT_EQ(run(emu_, "00A4000002EF02"), "9000");
    EXPECT_EQ(run(emu_, "00A4000002ABCD"), "6A82");
    EXPECT_EQ(run(emu_, "00A40400055449443032"), "6A82");  // TID02
}

TEST_F(EmulatorTest, ReadBinaryAnswersTheLengthToUseWhenAskedForTooMuch) {
    cardsim::CardSpec spec = cardsim::realisticSpec();
    spec.shortEF02 = true;
    emu_.setCard(cardsim::build(spec));
    openApp();
    run(emu_, "00A4000002EF02");
    EXPECT_EQ(run(emu_, "00B00000DD"), "6C3D");
    EXPECT_EQ(run(emu_, "00B000003D").size(), 61u * 2 + 4);
}

TEST_F(EmulatorTest, RecordCommandsCheckTheRecordAndTheFile) {
    openApp();
    EXPECT_EQ(run(emu_, "00B20104DC"), "6986");  // no file selected
    run(emu_, "00A4000002EF02");
    EXPECT_EQ(run(emu_, "00B20104DC"), "6981");  // transparent file
    run(emu_, "00A4000002EF04");
    EXPECT_EQ(sw(run(emu_, "00B20104DC")), "9000");
    EXPECT_EQ(run(emu_, "00B20904DC"), "6A83");
    run(emu_, "00A40000020601");
    EXPECT_EQ(run(emu_, "00DC090425" + std::string(74, '0')), "6A83");
    EXPECT_EQ(run(emu_, "00DC010425" + std::string(72, '0')), "6700");
    EXPECT_EQ(run(emu_, "00DC010425" + std::string(74, '0')), "9000");
    EXPECT_EQ(emu_.card().files.at(0x0601).records[0], Bytes(37, 0));
}

TEST_F(EmulatorTest, MonitoringRecordsNeedTheApplication) {
    const std::string record(74, 'A');
    EXPECT_EQ(run(emu_, "C0E8000025" + record), "6985");
    openApp();
    EXPECT_EQ(run(emu_, "C0E8000025" + record), "9000");
    EXPECT_EQ(run(emu_, "C0E8000024" + record.substr(2)), "6700");
    ASSERT_EQ(emu_.card().monitor.size(), 1u);
    EXPECT_EQ(orv::hex::encode(emu_.card().monitor[0]), record);
}

TEST_F(EmulatorTest, AnAcceptedMonitoringRecordUnlocksTheSummaries) {
    const std::string record(74, 'B');
    openApp();
    EXPECT_EQ(run(emu_, "C0E8000024" + record.substr(2)), "6700");  // refused: no unlock
    EXPECT_EQ(emu_.card().files.at(0xEF04).records[0][0], 0x01);
    EXPECT_EQ(run(emu_, "C0E8000025" + record), "9000");
    const auto summaries = emu_.card().files.at(0xEF04).records;
    EXPECT_EQ(summaries[0][0], 0x00);
    EXPECT_EQ(summaries[1][0], 0x00);
    EXPECT_EQ(summaries[2], Bytes(220, 0xFF));  // the blank tail stays blank
    // Nothing else of the card changes.
    cardsim::Card expected = card_;
    for (Bytes& r : expected.files.at(0xEF04).records)
        if (r[0] == 0x01) r[0] = 0x00;
    for (const auto& [fid, f] : expected.files) {
        EXPECT_EQ(emu_.card().files.at(fid).records, f.records) << fid;
        EXPECT_EQ(emu_.card().files.at(fid).data, f.data) << fid;
    }

    emu_.setCard(card_);
    emu_.setUnlockOnMonitor(false);
    openApp();
    EXPECT_EQ(run(emu_, "C0E8000025" + record), "9000");
    EXPECT_EQ(emu_.card().files.at(0xEF04).records[0][0], 0x01);
}

TEST_F(EmulatorTest, FaultsReplaceRepliesAndPullTheCard) {
    cardsim::Faults f;
    ASSERT_TRUE(f.parse("at=2:6985"));
    ASSERT_TRUE(f.parse("prefix=00a4000002ef04:6A82"));
    ASSERT_TRUE(f.parse("remove=4"));
    EXPECT_FALSE(f.parse("at=x:9000"));
    EXPECT_FALSE(f.parse("prefix=00A4"));
    EXPECT_FALSE(f.parse("bogus=1"));
    emu_.setFaults(f);
    EXPECT_EQ(run(emu_, "00A40000023F00"), "9000");
    EXPECT_EQ(run(emu_, "00A40400055449443031"), "6985");
    EXPECT_EQ(run(emu_, "00A4000002EF04"), "6A82");
    EXPECT_EQ(run(emu_, "00A40000023F00"), "9000");  // the fourth is still answered
    EXPECT_EQ(run(emu_, "00A40000023F00"), "PULLED");
    EXPECT_FALSE(emu_.reset());
    EXPECT_EQ(emu_.log().size(), 4u);
}

TEST_F(EmulatorTest, WritesReachTheImageFileWhenTheCardIsReset) {
    orvtest::TempDir dir;
    const std::string image = dir.file("card.txt");
    ASSERT_TRUE(card_.save(image));
    emu_.setCard(card_, image);
    openApp();
    run(emu_, "C0E8000025" + std::string(74, 'B'));
    cardsim::Card onDisk;
    ASSERT_TRUE(cardsim::Card::load(image, onDisk, nullptr));
    EXPECT_TRUE(onDisk.monitor.empty());  // not yet flushed
    emu_.reset();
    ASSERT_TRUE(cardsim::Card::load(image, onDisk, nullptr));
    EXPECT_EQ(onDisk.monitor.size(), 1u);
}

TEST(CardImage, RoundTripsAndReportsBadLines) {
    const cardsim::Card card = cardsim::build(cardsim::realisticSpec());
    cardsim::Card back;
    ASSERT_TRUE(cardsim::Card::fromText(card.toText(), back, nullptr));
    EXPECT_EQ(back.toText(), card.toText());

    std::string error;
    EXPECT_FALSE(cardsim::Card::fromText("FILE EF0 RECORD\n", back, &error));
    EXPECT_EQ(error, "line 1: bad file id");
    EXPECT_FALSE(cardsim::Card::fromText("# c\nREC 00\n", back, &error));
    EXPECT_EQ(error, "line 2: unexpected REC");
    EXPECT_FALSE(cardsim::Card::fromText("FILE EF02 BINARY\nDATA 0Z\n", back, &error));
    EXPECT_FALSE(cardsim::Card::load("/nonexistent/card.txt", back, &error));
}

}  // namespace
