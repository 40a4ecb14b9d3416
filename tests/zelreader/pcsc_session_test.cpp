// Reader selection and sessions through pcscd + vpcd + the virtual card.
#include <gtest/gtest.h>
#include <string.h>
#include <winscard.h>

#include "builder.h"
#include "pcsc_environment.h"
#include "zellib.h"

namespace {

using orvtest::kReader0;
using orvtest::kReader1;
using orvtest::ZelLib;

// A session left open would keep a PC/SC context (a socket to pcscd) and a
// shared card handle that stops an exclusive connection.
void expectNoSessionLeft(int descriptorsBefore) {
    EXPECT_EQ(orvtest::openDescriptors(), descriptorsBefore) << "a PC/SC context was left open";
    SCARDCONTEXT ctx = 0;
    ASSERT_EQ(SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &ctx), SCARD_S_SUCCESS);
    SCARDHANDLE card = 0;
    DWORD proto = 0;
    EXPECT_EQ(SCardConnect(ctx, kReader0, SCARD_SHARE_EXCLUSIVE,
                           SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &card, &proto),
              SCARD_S_SUCCESS)
        << "a card handle was left connected";
    if (card) SCardDisconnect(card, SCARD_LEAVE_CARD);
    SCardReleaseContext(ctx);
}

class PcscSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        card().setCard(cardsim::build(cardsim::realisticSpec()));
        card().setFaults({});
        card().clearLog();
    }
    cardsim::Emulator& card() { return orvtest::insertedCard().card(); }
    ZelLib lib_;
};

TEST_F(PcscSessionTest, ReaderListNamesEveryReaderFollowedBySemicolon) {
    const int fds = orvtest::openDescriptors();
    std::string text;
    EXPECT_EQ(lib_.call(lib_.GetReaderList, text), 2);
    EXPECT_EQ(text, std::string(kReader0) + ";" + kReader1 + ";");
    EXPECT_EQ(lib_.GetReaderStatus(), 2);
    expectNoSessionLeft(fds);
}

TEST_F(PcscSessionTest, FirstResetWithoutChoiceTakesTheFirstReaderAndKeepsIt) {
    EXPECT_EQ(lib_.ResetCard(), 0);
    EXPECT_EQ(lib_.RunCommand("00A40000023F00"), 0x9000);
    lib_.EjectCard();
    EXPECT_EQ(lib_.ResetCard(), 0);
    lib_.EjectCard();
    EXPECT_EQ(card().log(), (std::vector<std::string>{"00A40000023F00"}));
}

TEST_F(PcscSessionTest, EmptyOrOverlongNamesFailTheNextResetWithMinusSix) {
    const int fds = orvtest::openDescriptors();
    lib_.SetReader(nullptr);
    EXPECT_EQ(lib_.ResetCard(), -6);
    lib_.select("");
    EXPECT_EQ(lib_.ResetCard(), -6);
    lib_.select(std::string(kReader0) + std::string(100 - strlen(kReader0), ' '));
    EXPECT_EQ(lib_.ResetCard(), -6);
    lib_.select(std::string(kReader0) + std::string(99 - strlen(kReader0), ' '));
    EXPECT_EQ(lib_.ResetCard(), -6);  // 99 characters fit, but name no reader
    lib_.select("com3");              // lower case: a PC/SC reader name
    EXPECT_EQ(lib_.ResetCard(), -6);
    lib_.select(kReader1);  // no card in that reader
    EXPECT_EQ(lib_.ResetCard(), -6);
    expectNoSessionLeft(fds);
    lib_.select(kReader0);
    EXPECT_EQ(lib_.ResetCard(), 0);
    lib_.EjectCard();
}

TEST_F(PcscSessionTest, RunCommandSendsTheDecodedBytesAndReturnsTheStatusWord) {
    lib_.select(kReader0);
    ASSERT_EQ(lib_.ResetCard(), 0);
    EXPECT_EQ(lib_.RunCommand("00A40000023F00"), 0x9000);
    EXPECT_EQ(lib_.RunCommand("00a40400055449443G31"), 0x6700);  // not hex
    EXPECT_EQ(lib_.RunCommand("00A40400055"), 0x6700);           // odd length
    EXPECT_EQ(lib_.RunCommand(""), 0x6700);
    EXPECT_EQ(lib_.RunCommand(nullptr), 0x6700);
    EXPECT_EQ(lib_.RunCommand("00A40400055449443031"), 0x9000);
    EXPECT_EQ(lib_.RunCommand("00A4000002ABCD"), 0x6A82);
    lib_.EjectCard();
    EXPECT_EQ(card().log(), (std::vector<std::string>{"00A40000023F00", "00A40400055449443031",
                                                      "00A4000002ABCD"}));
}

TEST_F(PcscSessionTest, OneByteResponseIsATransportFailure) {
    cardsim::Faults f;
    f.parse("at=1:90");
    card().setFaults(f);
    lib_.select(kReader0);
    ASSERT_EQ(lib_.ResetCard(), 0);
    EXPECT_EQ(lib_.RunCommand("00A40000023F00"), 0x8400);
    lib_.EjectCard();
}

TEST_F(PcscSessionTest, RunCommandWithoutSessionSendsNothing) {
    EXPECT_EQ(lib_.RunCommand("00A40000023F00"), 0x8400);
    EXPECT_TRUE(card().log().empty());
}

TEST_F(PcscSessionTest, EjectTwiceAndResetTwiceLeaveNothingOpen) {
    const int fds = orvtest::openDescriptors();
    lib_.select(kReader0);
    ASSERT_EQ(lib_.ResetCard(), 0);
    ASSERT_EQ(lib_.ResetCard(), 0);  // a second reset without eject reuses nothing stale
    lib_.EjectCard();
    lib_.EjectCard();
    expectNoSessionLeft(fds);
}

TEST_F(PcscSessionTest, SetReaderClosesAnOpenSession) {
    const int fds = orvtest::openDescriptors();
    lib_.select(kReader0);
    ASSERT_EQ(lib_.ResetCard(), 0);
    lib_.select(kReader1);
    expectNoSessionLeft(fds);
}

}  // namespace
