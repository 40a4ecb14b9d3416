// The card access object over the real reader library: serial mode through
// the simulator, PC/SC through pcscd + vpcd + the virtual card.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "base/AppLog.h"
#include "builder.h"
#include "card/CardAccess.h"
#include "card/Hex.h"
#include "fakes.h"
#include "orv/hex.h"
#include "serialsim.h"
#include "tempdir.h"
#include "virtualreader.h"
#include "zellib.h"
#include "zelreader.h"

namespace {

using orv::CardAccess;

class CardAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        orvtest::installReaderLibrary(dir_, true);
        image_ = dir_.file("card.txt");
        log_ = dir_.file("calls.log");
        ASSERT_TRUE(cardsim::build(cardsim::realisticSpec()).save(image_));
        orvtest::useSerialSimulator(image_, log_);
    }
    QString folder() const { return QString::fromStdString(dir_.path().string()); }
    long calls(const std::string& what) {
        const auto lines = orvtest::takeLines(log_);
        return std::count(lines.begin(), lines.end(), what);
    }

    orvtest::TempDir dir_;
    std::string image_, log_;
    orvtest::FakeWaiter waiter_;
    orv::ZelLibrary lib_{folder()};
    CardAccess access_{lib_, waiter_};
};

TEST_F(CardAccessTest, StatusTextIsTheLowFourHexDigits) {
    EXPECT_EQ(CardAccess::statusText(-1), "FFFF");
    EXPECT_EQ(CardAccess::statusText(0x6A83), "6A83");
    EXPECT_EQ(CardAccess::statusText(0x8400), "8400");
    EXPECT_EQ(CardAccess::statusText(-134), "FF7A");
    EXPECT_EQ(CardAccess::statusText(0), "0000");
    EXPECT_TRUE(CardAccess::retryable("ff3f"));
    EXPECT_FALSE(CardAccess::retryable("6A82"));
    EXPECT_FALSE(CardAccess::retryable(""));
    EXPECT_EQ(access_.getSW(), "9000");
}

TEST_F(CardAccessTest, ReadEF02RetriesACardNotSeatedWell) {
    access_.setReader("USB");
    setenv("ZELSIM_CODES", "FF7A,FF7A,FF7A", 1);
    const QString text = access_.readEF02();
    EXPECT_EQ(text.size(), 442);
    EXPECT_EQ(access_.getSW(), "9000");
    EXPECT_EQ(calls("IC_CpuReset"), 4);
    EXPECT_EQ(waiter_.waits, (std::vector<double>{1, 1, 1}));
}

TEST_F(CardAccessTest, ReadEF02GivesUpAfterFourAttempts) {
    access_.setReader("USB");
    setenv("ZELSIM_CODES", "FF3F,FF3F,FF3F,FF3F,FF3F", 1);
    EXPECT_TRUE(access_.readEF02().isEmpty());
    EXPECT_EQ(access_.getSW(), "FF3F");
    EXPECT_EQ(calls("IC_CpuReset"), 4);
    EXPECT_EQ(waiter_.waits.size(), 3u);
}

TEST_F(CardAccessTest, OtherFailuresAreNotRetried) {
    access_.setReader("USB");
    setenv("ZELSIM_FAULTS", "prefix=00B00000DD:6A82", 1);
    EXPECT_TRUE(access_.readEF02().isEmpty());
    EXPECT_EQ(access_.getSW(), "6A82");
    EXPECT_TRUE(waiter_.waits.empty());
    setenv("ZELSIM_CODES", "FF7A", 1);
    EXPECT_TRUE(access_.readEF04().isEmpty());  // one attempt for the other files
    EXPECT_EQ(access_.getSW(), "FF7A");
    EXPECT_TRUE(waiter_.waits.empty());
}

TEST_F(CardAccessTest, GroupReadsFillTheCountListsThatTheClearsUse) {
    QByteArray ef06(256, '\0'), ef09(256, '\0');
    access_.setProgressHooks({&ef06, &ef09, {}});
    access_.setReader("USB");
    EXPECT_FALSE(access_.readEF06().isEmpty());
    EXPECT_EQ(ef06.left(3), QByteArray("\x03\x03\x00", 3));
    EXPECT_FALSE(access_.readEF09().isEmpty());
    EXPECT_EQ(ef09.left(3), QByteArray("\x1F\x1F\x00", 3));  // 31 days each
    calls("");
    EXPECT_TRUE(access_.clearEF06(false));
    EXPECT_EQ(access_.getSW(), "9000");
    const auto lines = orvtest::takeLines(log_);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("00DC", 0) == 0; }),
              6);
    EXPECT_TRUE(access_.clearEF09(true));
    EXPECT_EQ(waiter_.waits, (std::vector<double>{1, 1}));
}

TEST_F(CardAccessTest, CancelRequestStopsTheRead) {
    access_.setProgressHooks({nullptr, nullptr, [] { return true; }});
    access_.setReader("USB");
    EXPECT_TRUE(access_.readEF09().isEmpty());
    EXPECT_EQ(access_.getSW(), "FFFF");
}

TEST_F(CardAccessTest, ProbeDuringACardOperationDoesNotTouchTheLibrary) {
    access_.setReader("USB");
    const qint32 before = access_.GetReaderStatus();
    EXPECT_EQ(before, 1);
    calls("");
    std::vector<qint32> seen;
    access_.setProgressHooks({nullptr, nullptr, [&] {
                                  EXPECT_TRUE(access_.busy());
                                  seen.push_back(access_.GetReaderStatus());
                                  return false;
                              }});
    EXPECT_FALSE(access_.readEF06().isEmpty());
    EXPECT_FALSE(seen.empty());
    for (qint32 s : seen)
        EXPECT_EQ(s, before);
    EXPECT_EQ(calls("IC_InitComm 100"), 1);  // the read's own session only
    EXPECT_FALSE(access_.busy());
}

TEST_F(CardAccessTest, ProbeFallsBackToUsbAndBackAgain) {
    setenv("ZELSIM_PORTS", "100", 1);
    access_.setReader("COM5");
    EXPECT_EQ(access_.GetReaderStatus(), 1);
    EXPECT_EQ(access_.currentReader(), "USB");  // the candidate stays chosen

    setenv("ZELSIM_PORTS", "7", 1);
    access_.setReader("COM5");
    EXPECT_EQ(access_.GetReaderStatus(), 0);
    EXPECT_EQ(access_.currentReader(), "COM5");
    EXPECT_EQ(CardAccess::probeCandidate({"Virtual PCD 00 00", "ACS TianYu 1"}), "ACS TianYu 1");
    EXPECT_EQ(CardAccess::probeCandidate({"Virtual PCD 00 00"}), "USB");
}

TEST_F(CardAccessTest, DigestsAndChecksumGoThroughTheLibrary) {
    EXPECT_EQ(access_.SHA1("abc"), "A9993E364706816ABA3E25717850C26C9CD0D89D");
    EXPECT_EQ(access_.MD5("abc"), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(access_.SHA1(""), "");
    const QByteArray data("xxxx123456789yy");
    EXPECT_EQ(static_cast<quint32>(access_.CRC32(data, 4, 12)), 0x882DFD2Du);
    EXPECT_EQ(access_.CRC32(data, 4, 99), 0);  // past the end: nothing read

    // Retail MAC: CBC over the padded data with the left key half, then the
    // right half decrypts and the left encrypts.
    const QString key = "0123456789ABCDEFFEDCBA9876543210", iv = "0000000000000000";
    QByteArray expected(8, '\0');
    const QByteArray k = orv::HexToBytes(key);
    QByteArray block = orv::HexToBytes("11223344") + QByteArray("\x80\0\0\0", 4);
    auto* m = reinterpret_cast<uint8_t*>(expected.data());
    for (int i = 0; i < 8; ++i)
        m[i] ^= static_cast<uint8_t>(block[i]);
    des(m, reinterpret_cast<const uint8_t*>(k.constData()), 0);
    des(m, reinterpret_cast<const uint8_t*>(k.constData()) + 8, 1);
    des(m, reinterpret_cast<const uint8_t*>(k.constData()), 0);
    EXPECT_EQ(access_.MAC("11223344", key, iv), orv::BytesToHex(expected));
}

TEST(CardAccessMissingLibrary, EveryMemberFailsWithFfffAndOneLogLine) {
    orvtest::TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    orvtest::FakeWaiter waiter;
    orvtest::FakeClock clock;
    orv::ZelLibrary lib(folder);
    {
        orv::AppLog log(folder, clock);
        CardAccess access(lib, waiter, &log);
        EXPECT_TRUE(access.readEF02().isEmpty());
        EXPECT_EQ(access.getSW(), "FFFF");
        EXPECT_FALSE(access.echoControls(QString(74, '0')));
        EXPECT_FALSE(access.clearEF06(true));
        EXPECT_EQ(access.GetReaderStatus(), 0);
        QStringList names;
        EXPECT_EQ(access.getReaderList(names), 0);
        EXPECT_EQ(access.SHA1("abc"), "");
        access.setReader("USB");
        EXPECT_EQ(access.getSW(), "FFFF");
        EXPECT_TRUE(waiter.waits.empty());
    }
    const std::string text = orvtest::readFile(dir.file("Log/Log20120303.txt"));
    std::size_t n = 0;
    for (std::size_t at = text.find("zelreader:"); at != std::string::npos;
         at = text.find("zelreader:", at + 1))
        ++n;
    EXPECT_EQ(n, 1u);
}

// Run in a process of its own, pointed at a PC/SC socket that does not
// exist (pcsc-lite reads the socket name once per process).
TEST(CardAccessNoService, FailedListingLeavesTheCodeInTheStatusText) {
    orvtest::TempDir dir;
    orvtest::installReaderLibrary(dir, false);
    orvtest::FakeWaiter waiter;
    orv::ZelLibrary lib(QString::fromStdString(dir.path().string()));
    CardAccess access(lib, waiter);
    QStringList names{"stale"};
    EXPECT_EQ(access.getReaderList(names), 0);
    EXPECT_EQ(access.getSW(), "-1");
    EXPECT_EQ(names, QStringList{"stale"});
}

class CardAccessPcscTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        reader_ = new orvtest::VirtualReader(0);
        reader_->card().setCard(cardsim::build(cardsim::realisticSpec()));
        reader_->insert();
    }
    static void TearDownTestSuite() {
        delete reader_;
        reader_ = nullptr;
    }
    void SetUp() override {
        orvtest::installReaderLibrary(dir_, false);
        reader_->card().setCard(cardsim::build(cardsim::realisticSpec()));
        reader_->card().clearLog();
        access_.setReader(QString::fromStdString(reader_->name()));
    }
    static orvtest::VirtualReader* reader_;
    orvtest::TempDir dir_;
    orvtest::FakeWaiter waiter_;
    orv::ZelLibrary lib_{QString::fromStdString(dir_.path().string())};
    CardAccess access_{lib_, waiter_};
};
orvtest::VirtualReader* CardAccessPcscTest::reader_ = nullptr;

TEST_F(CardAccessPcscTest, ReaderListAndProbeCountTheVirtualReaders) {
    QStringList names;
    EXPECT_EQ(access_.getReaderList(names), 2);
    EXPECT_EQ(names, (QStringList{orvtest::kReader0, orvtest::kReader1}));
    EXPECT_EQ(access_.GetReaderStatus(), 2);
}

TEST_F(CardAccessPcscTest, EchoControlsJoinsTheServerRecords) {
    const QString a(74, 'A'), b(74, 'B');
    EXPECT_TRUE(access_.echoControls(a + "##" + b));
    EXPECT_EQ(access_.getSW(), "9000");
    const auto log = reader_->card().log();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[2], "C0E8000025" + a.toStdString());
    EXPECT_EQ(log[3], "C0E8000025" + b.toStdString());
    EXPECT_EQ(waiter_.waits, std::vector<double>{1});
}

TEST_F(CardAccessPcscTest, ReadsEveryFileAsHexText) {
    EXPECT_EQ(access_.readEF02().size(), 442);
    EXPECT_EQ(access_.readEF04().count("##"), 1);
    EXPECT_EQ(access_.readEF06().count("|"), 2);
    EXPECT_EQ(access_.getSW(), "9000");
    access_.setReader(orvtest::kReader1);  // no card there
    EXPECT_TRUE(access_.readEF09().isEmpty());
    EXPECT_EQ(access_.getSW(), "FFFA");  // -6: the reader has no card
}

}  // namespace
