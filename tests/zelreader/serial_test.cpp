// Serial mode through the libdcic32 simulator (in-process, no daemon).
#include <gtest/gtest.h>
#include <stdlib.h>

#include "builder.h"
#include "orv/hex.h"
#include "serialsim.h"
#include "zellib.h"

namespace {

using orvtest::ZelLib;

class SerialTest : public ::testing::Test {
protected:
    void SetUp() override {
        image_ = lib_.folder().file("card.txt");
        log_ = lib_.folder().file("calls.log");
        ASSERT_TRUE(cardsim::build(cardsim::realisticSpec()).save(image_));
        for (const char* v :
             {"ZELSIM_PORTS", "ZELSIM_INITTYPE", "ZELSIM_STATUS", "ZELSIM_CODES", "ZELSIM_FAULTS"})
            unsetenv(v);
        setenv("ZELSIM_CARD", image_.c_str(), 1);
        setenv("ZELSIM_LOG", log_.c_str(), 1);
    }
    std::vector<std::string> calls() {
        std::istringstream in(orvtest::readFile(log_));
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        orvtest::writeFile(log_, "");
        return lines;
    }
    using Calls = std::vector<std::string>;

    ZelLib lib_;
    std::string image_, log_;
};

TEST_F(SerialTest, ComNameSelectsThePortAndASessionOpensAndClosesIt) {
    lib_.select("COM3");
    EXPECT_EQ(lib_.ResetCard(), 0);
    EXPECT_EQ(lib_.RunCommand("00a40000023f00"), 0x9000);
    EXPECT_EQ(lib_.EjectCard(), 0);
    EXPECT_EQ(calls(), (Calls{"IC_InitComm 3", "IC_InitType 12", "IC_Status", "IC_CpuReset",
                              "00A40000023F00", "IC_Down", "IC_ExitComm"}));
    lib_.EjectCard();  // nothing open: nothing called
    EXPECT_TRUE(calls().empty());
}

TEST_F(SerialTest, UsbIsPortOneHundredAndBareComIsPortZeroProbedAsOneHundred) {
    lib_.select("USB");
    ASSERT_EQ(lib_.ResetCard(), 0);
    lib_.EjectCard();
    EXPECT_EQ(calls().front(), "IC_InitComm 100");

    lib_.select("COM");
    EXPECT_EQ(lib_.GetReaderStatus(), 1);
    EXPECT_EQ(calls(), (Calls{"IC_InitComm 100", "IC_InitType 12", "IC_Status", "IC_ExitComm"}));
    ASSERT_EQ(lib_.ResetCard(), 0);
    lib_.EjectCard();
    EXPECT_EQ(calls().front(), "IC_InitComm 0");
}

TEST_F(SerialTest, ReaderCodesOnResetPassThroughAndCloseThePort) {
    lib_.select("COM1");
    setenv("ZELSIM_CODES", "FF7A,FF3F", 1);
    std::string text = "untouched";
    EXPECT_EQ(lib_.call(lib_.ReadEF02, text) & 0xFFFF, 0xFF7A);
    EXPECT_EQ(lib_.call(lib_.ReadEF02, text) & 0xFFFF, 0xFF3F);
    EXPECT_EQ(text, "untouched");
    const Calls c = calls();
    EXPECT_EQ(std::count(c.begin(), c.end(), "IC_ExitComm"), 2);
    EXPECT_EQ(lib_.call(lib_.ReadEF02, text), 0x9000);
    EXPECT_EQ(text.size(), 442u);
}

TEST_F(SerialTest, TypeSelectionFailureIsReturnedAfterClosing) {
    lib_.select("COM2");
    setenv("ZELSIM_INITTYPE", "-3", 1);
    EXPECT_EQ(lib_.ResetCard(), -3);
    EXPECT_EQ(calls(), (Calls{"IC_InitComm 2", "IC_InitType 12", "IC_Down", "IC_ExitComm"}));
    EXPECT_EQ(lib_.GetReaderStatus(), 0);
}

TEST_F(SerialTest, PortWithoutReaderFailsWithMinusOne) {
    setenv("ZELSIM_PORTS", "100", 1);
    lib_.select("COM4");
    EXPECT_EQ(lib_.ResetCard(), -1);
    EXPECT_EQ(lib_.GetReaderStatus(), 0);
    setenv("ZELSIM_STATUS", "-1", 1);
    lib_.select("USB");
    EXPECT_EQ(lib_.GetReaderStatus(), 0);  // port opens, no reader answers
}

TEST_F(SerialTest, ProbeBeforeAnyChoiceCountsPcscReadersFirst) {
    std::string list;
    const int32_t pcsc = lib_.call(lib_.GetReaderList, list);
    ASSERT_GT(pcsc, 0) << "pcscd with the vpcd readers must be running";
    EXPECT_EQ(lib_.GetReaderStatus(), pcsc);
    EXPECT_TRUE(calls().empty());  // no serial probe needed
}

TEST_F(SerialTest, ReadsTheCardFilesOverTheSerialReader) {
    lib_.select("USB");
    std::string ef04, ef09;
    EXPECT_EQ(lib_.call(lib_.ReadEF04, ef04), 0x9000);
    EXPECT_EQ(ef04.size(), 2u * 440 + 2);
    EXPECT_EQ(lib_.call(lib_.ReadEF09, ef09, nullptr), 0x9000);
    EXPECT_EQ(ef09.size(), 2u * (36 + 1 + 31 * 384) + 2);
}

TEST_F(SerialTest, PulledCardEndsTheReadWithTheReaderCode) {
    lib_.select("USB");
    setenv("ZELSIM_FAULTS", "remove=4", 1);
    std::string text = "untouched";
    EXPECT_EQ(lib_.call(lib_.ReadEF04, text), -16);
    EXPECT_EQ(text, "untouched");
    const Calls c = calls();
    EXPECT_EQ(c.back(), "IC_ExitComm");
}

TEST_F(SerialTest, RecordWalkStopsAtRecord255) {
    cardsim::Card card = cardsim::build(cardsim::realisticSpec());
    auto& ef04 = card.files.at(0xEF04).records;
    ef04.assign(260, ef04[0]);  // more records than one byte can number
    const std::string image = lib_.folder().file("long.txt");
    ASSERT_TRUE(card.save(image));
    setenv("ZELSIM_CARD", image.c_str(), 1);
    lib_.select("USB");
    std::string text;
    EXPECT_EQ(lib_.call(lib_.ReadEF04, text), 0x9000);
    EXPECT_EQ(text.size(), 255u * 440 + 254 * 2);
    const Calls c = calls();
    EXPECT_EQ(std::count_if(c.begin(), c.end(),
                            [](const std::string& l) { return l.rfind("00B2", 0) == 0; }),
              255);
}

TEST_F(SerialTest, ApduTooLongForTheSerialLengthByteIsRefused) {
    lib_.select("USB");
    ASSERT_EQ(lib_.ResetCard(), 0);
    EXPECT_EQ(lib_.RunCommand(("00DC0104FF" + std::string(2 * 256, '0')).c_str()), 0x6700);
    lib_.EjectCard();
}

TEST(SerialMissingLibrary, PortCountsAsNotOpenedAndNothingCrashes) {
    ZelLib lib(ZelLib::Serial::Missing);
    lib.select("COM1");
    EXPECT_EQ(lib.ResetCard(), -1);
    EXPECT_EQ(lib.GetReaderStatus(), 0);
    std::string text;
    EXPECT_EQ(lib.call(lib.ReadEF02, text), -1);
    EXPECT_EQ(lib.EjectCard(), lib.EjectCard());
}

}  // namespace
