// The server settings' rules: the address and port checks, what "保存"
// decides, and the connection test against real sockets on 127.0.0.1.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

#include "base/ServerSettings.h"
#include "base/Settings.h"
#include "childserver.h"
#include "dialogs/ConnectionTest.h"
#include "qtwait.h"

namespace {

using orv::ConnectionTest;
using orv::ServerSave;

TEST(IsValidIP, FollowsTheDottedPieceRules) {
    const struct {
        const char* text;
        bool valid;
    } cases[] = {
        {"192.168.1.1", true},
        {"192.168.1.256", false},
        {"0.0.0.0", true},
        {"255.255.255.255", true},
        {" 10.0.0.1", true},  // blanks around a piece are allowed
        {"10.0.0.1 ", true},
        {"10. 0 .0.1", true},
        {"1.2.3.4.5", true},  // only four pieces are examined
        {"1.2.3.4.x", true},
        {"1..2.3", false},  // an empty piece is no number
        {"1.2.3", false},   // fewer than three dots
        {"1.2.3.", false},
        {"", false},
        {"...", false},
        {"a.b.c.d", false},
        {"1.2.3.-1", false},
        {"1.2.3.-0", true},  // a number whose value is 0
        {"1.2.3.+7", true},
        {"1.2.3.+", false},
        {"1.2.3.0256", false},
        {"1.2.3.00255", true},
        {"1.2.3.99999999999999999999", false},  // no overflow back into range
        {"1.2.3.1e2", false},                   // plain digits only
        {"1.2.3.\t4", false},                   // spaces are the blanks, not tabs
        {"１.2.3.4", false},                    // full-width digits are no ASCII digits
    };
    for (const auto& c : cases)
        EXPECT_EQ(orv::IsValidIP(QString::fromUtf8(c.text)), c.valid) << c.text;
}

TEST(IsValidPort, TakesTheRoundedNumberFromOneTo65535) {
    const struct {
        const char* text;
        bool valid;
    } cases[] = {
        {"8085", true},         {"0", false},       {"1", true},    {"65535", true},
        {"65536", false},       {"-1", false},      {"", false},    {"abc", false},
        {" 80 ", true},         {"80.6", true},     {"0.4", false}, {"0.6", true},
        {"0.5", false},                              // half to even: 0
        {"1.5", true},                               // 2
        {"65535.4", true},      {"65535.5", false},  // 65536
        {"99999999999", false},                      // beyond 32 bits: no number
    };
    for (const auto& c : cases)
        EXPECT_EQ(orv::IsValidPort(QString::fromUtf8(c.text)), c.valid) << c.text;
}

TEST(ServerSave, UnchangedValuesCloseWithoutValidating) {
    orv::SystemSettings saved;
    saved.IP = "not an address";
    saved.PORT = "0";
    EXPECT_EQ(orv::decideServerSave("not an address", "0", saved), ServerSave::Unchanged);
    EXPECT_EQ(orv::decideServerSave("  not an address ", " 0", saved), ServerSave::Unchanged);
    EXPECT_EQ(orv::decideServerSave("10.0.0.1", "0", saved), ServerSave::Invalid);
    EXPECT_EQ(orv::decideServerSave("not an address", "80", saved), ServerSave::Invalid);
    EXPECT_EQ(orv::decideServerSave(" 10.0.0.1 ", "80", saved), ServerSave::Save);
    saved.IP = "10.0.0.1";
    saved.PORT = "8085";
    // The comparison is exact: another spelling of the same port is a change.
    EXPECT_EQ(orv::decideServerSave("10.0.0.1", "8085.0", saved), ServerSave::Save);
    EXPECT_EQ(orv::decideServerSave("10.0.0.1", "08085", saved), ServerSave::Save);
}

TEST(ConnectionTestText, HasTheFailureLayoutAndWindowsSocketNumbers) {
    EXPECT_EQ(ConnectionTest::failureText(10061, "拒绝"),
              QString("连接失败！\n") + QString(30, ' ') + "\n\n10061:拒绝");
    EXPECT_EQ(ConnectionTest::errorNumber(QAbstractSocket::ConnectionRefusedError), 10061);
    EXPECT_EQ(ConnectionTest::errorNumber(QAbstractSocket::SocketTimeoutError), 10060);
    EXPECT_EQ(ConnectionTest::errorNumber(QAbstractSocket::HostNotFoundError), 11001);
    EXPECT_EQ(ConnectionTest::errorNumber(QAbstractSocket::NetworkError), 10051);
    EXPECT_EQ(ConnectionTest::errorNumber(QAbstractSocket::UnknownSocketError), 10050);
}

class ConnectionTestRun : public ::testing::Test {
protected:
    ConnectionTest test_;
    QSignalSpy finished_{&test_, &ConnectionTest::finished};
};

TEST_F(ConnectionTestRun, AListeningPortConnectsAndSendsNothing) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    ASSERT_EQ(test_.start("127.0.0.1", QString::number(server.serverPort())),
              ConnectionTest::Start::Started);
    ASSERT_TRUE(orvtest::waitFor([&] { return finished_.count() == 1; }));
    EXPECT_TRUE(finished_[0][0].toBool());
    EXPECT_EQ(finished_[0][1].toString(), "连接成功！");
    EXPECT_FALSE(test_.running());
    ASSERT_TRUE(orvtest::waitFor([&] { return server.hasPendingConnections(); }));
    QTcpSocket* peer = server.nextPendingConnection();
    // The test closes at once and never writes.
    EXPECT_TRUE(
        orvtest::waitFor([&] { return peer->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(peer->bytesAvailable(), 0);
}

TEST_F(ConnectionTestRun, AClosedPortIsRefusedWithItsNumberAndText) {
    const quint16 port = orvtest::closedPort();
    ASSERT_EQ(test_.start(" 127.0.0.1 ", QString::number(port)), ConnectionTest::Start::Started);
    ASSERT_TRUE(orvtest::waitFor([&] { return finished_.count() == 1; }));
    EXPECT_FALSE(finished_[0][0].toBool());
    // The reason in the program's words; the system's own for the log.
    EXPECT_EQ(
        finished_[0][1].toString(),
        ConnectionTest::failureText(10061, "服务器拒绝连接（地址或端口不对，或服务器没有运行）"));
    EXPECT_TRUE(test_.detail().contains("refused", Qt::CaseInsensitive))
        << test_.detail().toStdString();
    // The outcome is told once.
    orvtest::waitFor([] { return false; }, 50);
    EXPECT_EQ(finished_.count(), 1);
}

TEST_F(ConnectionTestRun, ASecondStartWhileConnectingDoesNothing) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    const QString port = QString::number(server.serverPort());
    ASSERT_EQ(test_.start("127.0.0.1", port), ConnectionTest::Start::Started);
    EXPECT_TRUE(test_.running());
    EXPECT_EQ(test_.start("127.0.0.1", port), ConnectionTest::Start::AlreadyRunning);
    EXPECT_EQ(test_.start("bad", port), ConnectionTest::Start::AlreadyRunning);
    ASSERT_TRUE(orvtest::waitFor([&] { return finished_.count() == 1; }));
    orvtest::waitFor([] { return false; }, 50);
    EXPECT_EQ(finished_.count(), 1);
    EXPECT_EQ(server.nextPendingConnection() != nullptr, true);
    EXPECT_EQ(server.nextPendingConnection(), nullptr);  // one connection only
}

TEST_F(ConnectionTestRun, CancelClosesTheAttemptWithoutAnOutcome) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    server.pauseAccepting();
    ASSERT_EQ(test_.start("127.0.0.1", QString::number(server.serverPort())),
              ConnectionTest::Start::Started);
    test_.cancel();
    EXPECT_FALSE(test_.running());
    orvtest::waitFor([] { return false; }, 100);
    EXPECT_EQ(finished_.count(), 0);
    // A new test may start after it.
    server.resumeAccepting();
    EXPECT_EQ(test_.start("127.0.0.1", QString::number(server.serverPort())),
              ConnectionTest::Start::Started);
    EXPECT_TRUE(orvtest::waitFor([&] { return finished_.count() == 1; }));
}

TEST_F(ConnectionTestRun, InvalidInputStartsNothing) {
    EXPECT_EQ(test_.start("192.168.1.256", "80"), ConnectionTest::Start::Invalid);
    EXPECT_EQ(test_.start("127.0.0.1", "65536"), ConnectionTest::Start::Invalid);
    EXPECT_FALSE(test_.running());
    EXPECT_EQ(finished_.count(), 0);
}

}  // namespace
