// The download control against the test update server: keys, events,
// status texts, the faults, the size bounds and cancelling.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include "qtprint.h"
#include "update/Downloader.h"
#include "updsim.h"

namespace {

using orv::Downloader;

struct Events {
    explicit Events(Downloader& d)
        : progress(&d, &Downloader::DownloadProgress),
          error(&d, &Downloader::DownloadError),
          complete(&d, &Downloader::DownloadComplete) {}
    // Waits until `n` downloads have ended one way or the other.
    bool ended(int n = 1, int ms = 10000) {
        return QTest::qWaitFor([&] { return error.size() + complete.size() >= n; }, ms);
    }
    QSignalSpy progress, error, complete;
};

QByteArray content(int size) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = static_cast<char>('a' + i % 26);
    return b;
}

TEST(Downloader, StatusCodeTexts) {
    const struct {
        qint32 code;
        const char* text;
    } cases[] = {
        {0, "An Error Has Occurred."},
        {1, "Finding Resource."},
        {2, "Connecting To Resource."},
        {3, "Redirecting."},
        {4, "Download Initialized."},
        {5, "Download In Progress."},
        {6, "Download Complete."},
        {7, "Unknown."},
        {8, "Unknown."},
        {9, "Unknown."},
        {10, "Using Cached Copy."},
        {11, "Sending Request."},
        {12, "Unknown."},
        {13, "MIME Type Is Available."},
        {14, "Local Cache File Is Available."},
        {15, "Synchronous Download Has Started."},
        {16, "Synchronous Download Complete."},
        {17, "Unknown."},
        {-1, "Unknown."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Downloader::GetStatusCode(c.code).toStdString(), c.text) << c.code;
}

TEST(Downloader, DeliversTheWholeResourceWithItsKeyAndProgress) {
    orvtest::UpdSim sim;
    const QByteArray data = content(20000);
    sim.put("pkg.bin", data);
    Downloader d;
    Events ev(d);
    d.BeginDownload(sim.url("pkg.bin"), "auto_update");
    ASSERT_TRUE(ev.ended());
    ASSERT_EQ(ev.complete.size(), 1);
    EXPECT_EQ(ev.complete[0][0].toString(), "auto_update");
    EXPECT_EQ(ev.complete[0][1].toByteArray(), data);
    EXPECT_EQ(ev.complete[0][2].toInt(), Downloader::kByteArray);
    EXPECT_TRUE(ev.error.isEmpty());
    // Progress without a text of its own carries the table's text.
    bool sawMime = false, sawProgress = false;
    for (const auto& p : ev.progress) {
        EXPECT_EQ(p[0].toString(), "auto_update");
        if (p[3].toInt() == Downloader::MimeTypeAvailable) {
            sawMime = true;
            EXPECT_EQ(p[4].toString(), "application/octet-stream");
        }
        if (p[3].toInt() == Downloader::DownloadInProgress && p[1].toInt() > 0) {
            sawProgress = true;
            EXPECT_EQ(p[4].toString(), "Download In Progress.");
            EXPECT_EQ(p[2].toInt(), data.size());
        }
    }
    EXPECT_TRUE(sawMime);
    EXPECT_TRUE(sawProgress);
    EXPECT_EQ(d.running(), 0);
}

TEST(Downloader, TwoDownloadsSideBySideEachWithItsKey) {
    orvtest::UpdSim sim;
    sim.put("slow.bin", content(3000));
    sim.put("fast.bin", content(10));
    Downloader d;
    Events ev(d);
    d.BeginDownload(sim.url("slow.bin?fault=slow&chunk=500&delay=30"), "slow");
    d.BeginDownload(sim.url("fast.bin"), "fast");
    EXPECT_EQ(d.running(), 2);
    ASSERT_TRUE(ev.ended(2));
    ASSERT_EQ(ev.complete.size(), 2);
    EXPECT_EQ(ev.complete[0][0].toString(), "fast");
    EXPECT_EQ(ev.complete[0][1].toByteArray(), content(10));
    EXPECT_EQ(ev.complete[1][0].toString(), "slow");
    EXPECT_EQ(ev.complete[1][1].toByteArray(), content(3000));
    // Progress for each, and the slow one's partly done while it ran.
    int partial = 0, fast = 0;
    for (const auto& p : ev.progress) {
        const QString key = p[0].toString();
        ASSERT_TRUE(key == "slow" || key == "fast");
        if (p[3].toInt() != Downloader::DownloadInProgress) continue;
        if (key == "fast") ++fast;
        if (key == "slow" && p[1].toInt() > 0 && p[1].toInt() < 3000) ++partial;
    }
    EXPECT_GE(fast, 1);
    EXPECT_GE(partial, 1);
}

TEST(Downloader, TransfersThatFailOnTheirWayReportNumberZero) {
    orvtest::UpdSim sim;
    sim.put("pkg.bin", content(5000));
    for (const char* target :
         {"pkg.bin?fault=404", "missing.bin", "pkg.bin?fault=500", "pkg.bin?fault=cut"}) {
        Downloader d;
        Events ev(d);
        d.BeginDownload(sim.url(target), "k");
        ASSERT_TRUE(ev.ended()) << target;
        ASSERT_EQ(ev.error.size(), 1) << target;
        EXPECT_TRUE(ev.complete.isEmpty()) << target;
        EXPECT_EQ(ev.error[0][0].toString(), "k");
        EXPECT_EQ(ev.error[0][1].toInt(), 0) << target;
        EXPECT_FALSE(ev.error[0][2].toString().isEmpty()) << target;
    }
}

TEST(Downloader, AStalledTransferFailsAfterTheTimeout) {
    orvtest::UpdSim sim;
    sim.put("pkg.bin", content(5000));
    Downloader d;
    d.setTransferTimeout(300);
    Events ev(d);
    d.BeginDownload(sim.url("pkg.bin?fault=stall&chunk=100"), "k");
    ASSERT_TRUE(ev.ended());
    ASSERT_EQ(ev.error.size(), 1);
    EXPECT_EQ(ev.error[0][1].toInt(), 0);
}

TEST(Downloader, ASlowButSteadyTransferOutlastsTheTimeout) {
    orvtest::UpdSim sim;
    sim.put("pkg.bin", content(2000));
    Downloader d;
    d.setTransferTimeout(300);
    Events ev(d);
    // Ten chunks 100 ms apart: a second in all, never 300 ms silent.
    d.BeginDownload(sim.url("pkg.bin?fault=slow&chunk=200&delay=100"), "k");
    ASSERT_TRUE(ev.ended());
    ASSERT_EQ(ev.complete.size(), 1);
    EXPECT_EQ(ev.complete[0][1].toByteArray(), content(2000));
}

TEST(Downloader, RefusesMoreThanTheKeysLimitAsAFailedTransfer) {
    orvtest::UpdSim sim;
    sim.put("big.bin", content(1001));
    sim.put("fits.bin", content(1000));
    const struct {
        const char* target;
        bool completes;
    } cases[] = {
        {"big.bin", false},                 // announced too long
        {"big.bin?fault=nolength", false},  // found out on the way
        {"fits.bin", true},
        {"fits.bin?fault=nolength", true},
    };
    for (const auto& c : cases) {
        Downloader d;
        d.setSizeLimit("zel_orv", 1000);
        Events ev(d);
        d.BeginDownload(sim.url(c.target), "zel_orv");
        ASSERT_TRUE(ev.ended()) << c.target;
        ASSERT_EQ(ev.complete.size(), c.completes ? 1 : 0) << c.target;
        if (!c.completes) {
            EXPECT_EQ(ev.error[0][1].toInt(), 0);
            EXPECT_TRUE(ev.error[0][2].toString().contains("1000 bytes"));
        }
        // Another key keeps the default limit.
        d.BeginDownload(sim.url(c.target), "other");
        ASSERT_TRUE(ev.ended(2)) << c.target;
        EXPECT_EQ(ev.complete.last()[0].toString(), "other");
    }
}

TEST(Downloader, AddressesThatCannotBeReadFailAtOnceWithANumber) {
    Downloader d;
    Events ev(d);
    for (const char* path : {"", "not a url", "ftp://127.0.0.1/x", "file:///etc/hostname",
                             "http://", "http://127.0.0.1:99999/x"}) {
        ev.error.clear();
        d.BeginDownload(path, "zel_orv");
        ASSERT_EQ(ev.error.size(), 1) << path;  // before BeginDownload returned
        EXPECT_EQ(ev.error[0][0].toString(), "zel_orv");
        EXPECT_EQ(ev.error[0][1].toInt(), Downloader::kBadAddress) << path;
    }
    ev.error.clear();
    d.BeginDownload("http://127.0.0.1/x", "k", 1);
    ASSERT_EQ(ev.error.size(), 1);
    EXPECT_EQ(ev.error[0][1].toInt(), Downloader::kBadFileType);
    EXPECT_EQ(d.running(), 0);
}

TEST(Downloader, HttpsIsStartedAndAnUnreachableServerFailsOnTheWay) {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 closed = probe.serverPort();
    probe.close();
    Downloader d;
    Events ev(d);
    d.BeginDownload(QStringLiteral("https://127.0.0.1:%1/zel_orv.aup").arg(closed), "zel_orv");
    EXPECT_TRUE(ev.error.isEmpty());
    ASSERT_TRUE(ev.ended());
    ASSERT_EQ(ev.error.size(), 1);
    EXPECT_EQ(ev.error[0][1].toInt(), 0);
}

TEST(Downloader, FollowsARedirect) {
    orvtest::UpdSim sim;
    sim.put("new.bin", "moved");
    Downloader d;
    Events ev(d);
    d.BeginDownload(sim.url("old.bin?redirect=/new.bin"), "k");
    ASSERT_TRUE(ev.ended());
    ASSERT_EQ(ev.complete.size(), 1);
    EXPECT_EQ(ev.complete[0][1].toByteArray(), "moved");
    bool redirected = false;
    for (const auto& p : ev.progress)
        if (p[3].toInt() == Downloader::Redirecting)
            redirected = p[4].toString().endsWith("/new.bin");
    EXPECT_TRUE(redirected);
}

TEST(Downloader, CancelStopsOnlyItsKeyAndRaisesNothing) {
    orvtest::UpdSim sim;
    sim.put("a.bin", content(4000));
    sim.put("b.bin", content(400));
    Downloader d;
    Events ev(d);
    d.BeginDownload(sim.url("a.bin?fault=slow&chunk=100&delay=20"), "a");
    d.BeginDownload(sim.url("b.bin?fault=slow&chunk=100&delay=20"), "b");
    d.Cancel("a");
    d.Cancel("no such key");
    EXPECT_EQ(d.running(), 1);
    ASSERT_TRUE(ev.ended());
    QTest::qWait(200);
    ASSERT_EQ(ev.complete.size(), 1);
    EXPECT_EQ(ev.complete[0][0].toString(), "b");
    EXPECT_TRUE(ev.error.isEmpty());
    for (const auto& p : ev.progress)
        EXPECT_EQ(p[0].toString(), "b");
}

TEST(Downloader, CancelWithoutAKeyStopsEverythingAndNeverFails) {
    orvtest::UpdSim sim;
    sim.put("a.bin", content(4000));
    Downloader d;
    Events ev(d);
    d.Cancel();  // nothing running
    d.BeginDownload(sim.url("a.bin?fault=slow&chunk=100&delay=20"), "a");
    d.BeginDownload(sim.url("a.bin?fault=slow&chunk=100&delay=20"), "b");
    d.Cancel();
    EXPECT_EQ(d.running(), 0);
    QTest::qWait(300);
    EXPECT_TRUE(ev.complete.isEmpty());
    EXPECT_TRUE(ev.error.isEmpty());
}

}  // namespace
