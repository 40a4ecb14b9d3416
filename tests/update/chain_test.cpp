// The whole update, once, with real processes: the program reads the
// manifest from the test server, downloads and verifies the package, hands
// it to zelUpdate and closes; zelUpdate replaces the program and starts the
// new version, which the test sees running.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <filesystem>

#include "programfolder.h"
#include "qtwait.h"
#include "updsim.h"
#include "zellib.h"

namespace {

namespace fs = std::filesystem;
using orvtest::folderOf;

QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString hexDigest(const QByteArray& data, QCryptographicHash::Algorithm a) {
    return QString::fromLatin1(QCryptographicHash::hash(data, a).toHex().toUpper());
}

TEST(UpdateChain, ProgramDownloadsTheNewVersionAndTheUpdaterStartsIt) {
    orvtest::TempDir dir, runtime, tools;
    orvtest::makeProgramFolder(dir);
    const QString folder = folderOf(dir);
    const fs::path bin = orvtest::binDir();
    fs::copy_file(bin / "orv_answered_orvane", dir.path() / "orvane");
    fs::copy_file(bin / "zelUpdate", dir.path() / "zelUpdate");
    orvtest::writeFile(tools.file("systemctl"), "#!/bin/sh\n");
    fs::permissions(tools.file("systemctl"), fs::perms::owner_all);

    // The new version: a small program that reports that it ran.
    const QByteArray package = contentOf(QString::fromStdString((bin / "orv_standin").string()));
    ASSERT_FALSE(package.isEmpty());
    const QByteArray old = contentOf(folder + "/orvane");
    orvtest::UpdSim sim(true);  // signed, as the program's key asks
    sim.put("pkg.bin", package);
    sim.put("zel_orv.aup", ("[UPDATE]\r\nVersion=99.0.0\r\nHREF=" + sim.url("pkg.bin") +
                            "\r\nType=1\r\nSHA1=" + hexDigest(package, QCryptographicHash::Sha1) +
                            "\r\nMD5=" + hexDigest(package, QCryptographicHash::Md5) +
                            "\r\nSHA256=" + hexDigest(package, QCryptographicHash::Sha256) +
                            "\r\nPara=--new version\r\n")
                               .toLatin1());
    orvtest::writeSettings(dir, {"AUTOUPDATE=" + sim.url("zel_orv.aup")});

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", folderOf(runtime));
    env.insert("PATH", folderOf(tools) + ":" + env.value("PATH"));
    env.insert("ZELUPDATE_TIMING", "20,20000,0");
    env.insert("PCSCLITE_CSOCK_NAME", folderOf(runtime) + "/no-pcscd");
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(folder + "/orvane", {});
    ASSERT_TRUE(program.waitForStarted(5000));
    // The old program closes by itself once the package is handed over.
    ASSERT_TRUE(program.waitForFinished(30000)) << "the program did not close for the update";
    EXPECT_EQ(program.exitCode(), 0);

    // The new version runs, started by the updater with the manifest's -P.
    const QString ran = folder + "/orvane.ran";
    // Its line is whole once it ends.
    ASSERT_TRUE(orvtest::waitFor([&] { return contentOf(ran).endsWith('\n'); }, 30000))
        << contentOf(folder + "/Log").toStdString();
    EXPECT_TRUE(contentOf(ran).contains("args=--new|version ")) << contentOf(ran).toStdString();
    EXPECT_EQ(contentOf(folder + "/orvane"), package);
    EXPECT_EQ(contentOf(folder + "/orvane.bak"), old);
    // The package file went with the update.
    EXPECT_TRUE(QDir(folder).entryList({"tmp*"}, QDir::Files).isEmpty());
    QByteArray logs;
    for (const QString& f : QDir(folder + "/Log").entryList(QDir::Files))
        logs += contentOf(folder + "/Log/" + f);
    EXPECT_TRUE(logs.contains("Update:Start")) << logs.toStdString();
}

}  // namespace
