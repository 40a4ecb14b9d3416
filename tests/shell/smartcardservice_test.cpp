// The smart-card service request: asked of the system only when nothing
// answers on the service's socket.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLocalServer>
#include <cstring>

#include "shell/SmartCardService.h"
#include "tempdir.h"

namespace {

struct Launched {
    QStringList commands;
    orv::SystemSmartCardService::Launch launch() {
        return [this](const QString& program, const QStringList& arguments) {
            commands << program + " " + arguments.join(' ');
        };
    }
};

const QString kEnable = "systemctl --no-ask-password enable --now pcscd.socket";

TEST(SmartCardService, NothingIsAskedWhileTheServiceAnswers) {
    orvtest::TempDir dir;
    QLocalServer server;
    const QString path = QString::fromStdString(dir.file("pcscd.comm"));
    ASSERT_TRUE(server.listen(path)) << server.errorString().toStdString();
    Launched launched;
    orv::SystemSmartCardService(path, launched.launch()).start();
    EXPECT_TRUE(launched.commands.isEmpty());
}

TEST(SmartCardService, SocketIsEnabledWhenNothingListens) {
    orvtest::TempDir dir;
    Launched launched;
    orv::SystemSmartCardService(QString::fromStdString(dir.file("pcscd.comm")), launched.launch())
        .start();
    EXPECT_EQ(launched.commands, QStringList{kEnable});
}

// A crashed daemon leaves its socket file behind: nobody answers there.
TEST(SmartCardService, LeftoverSocketFileCountsAsNoService) {
    orvtest::TempDir dir;
    const std::string path = dir.file("pcscd.comm");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);

    Launched launched;
    orv::SystemSmartCardService(QString::fromStdString(path), launched.launch()).start();
    EXPECT_EQ(launched.commands, QStringList{kEnable});
}

TEST(SmartCardService, SocketPathFollowsThePcscLiteVariable) {
    const QByteArray before = qgetenv("PCSCLITE_CSOCK_NAME");
    qputenv("PCSCLITE_CSOCK_NAME", "/elsewhere/pcscd.comm");
    EXPECT_EQ(orv::SystemSmartCardService::defaultSocketPath(), "/elsewhere/pcscd.comm");
    qunsetenv("PCSCLITE_CSOCK_NAME");
    EXPECT_EQ(orv::SystemSmartCardService::defaultSocketPath(), "/run/pcscd/pcscd.comm");
    if (!before.isNull()) qputenv("PCSCLITE_CSOCK_NAME", before);
}

}  // namespace
