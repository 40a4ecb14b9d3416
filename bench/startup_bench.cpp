// Start-up to the main window painted: the real program started from a
// complete program folder, against a bare QMainWindow program started the
// same way, in the same run, alternating, offscreen. The time is from the
// start of the process to its "painted" line.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "card/RecordsDb.h"

namespace {

// Enough starts that a machine busy with other work moves the medians little.
constexpr int kRuns = 21;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Start {
    double seconds = -1;    // from the start to "painted", -1 when it never came
    double cpuSeconds = 0;  // the processor time the program reported then
};

Start timeToPaint(const QString& program, const QProcessEnvironment& env,
                  const QStringList& arguments = {}) {
    QProcess p;
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(program, arguments);
    QByteArray out;
    while (!out.contains('\n') && p.waitForReadyRead(20000))
        out += p.readAllStandardOutput();
    Start start;
    start.seconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
    if (!p.waitForFinished(20000)) p.kill();
    // "painted MICROSECONDS"
    const QList<QByteArray> words = out.trimmed().split(' ');
    bool ok = false;
    if (words.size() == 2 && words[0] == "painted") start.cpuSeconds = words[1].toLong(&ok) / 1e6;
    if (!ok) start.seconds = -1;
    return start;
}

bool copy(const QString& from, const QString& to) {
    QFile::remove(to);
    return QFile::copy(from, to);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The runtime folder on a memory file system, as a desktop's
    // XDG_RUNTIME_DIR (/run/user/UID) is: the program syncs its lock file
    // there, which on a disk would wait for the disk.
    const QString shm = QStringLiteral("/dev/shm");
    QTemporaryDir dir, tools,
        runtime(QFileInfo(shm).isDir() && QFileInfo(shm).isWritable()
                    ? shm + QStringLiteral("/orv-startup-XXXXXX")
                    : QDir::tempPath() + QStringLiteral("/orv-startup-XXXXXX"));
    const QString bin = QStringLiteral(ORV_BIN_DIR), program = QStringLiteral(ORV_PROGRAM_DIR);
    const QString folder = dir.path();
    // A program folder like an installed one, the program under test in it.
    bool ok = copy(bin + "/startup_orvane_painted", folder + "/orvane") &&
              copy(program + "/libzelreader.so", folder + "/libzelreader.so") &&
              copy(program + "/zelSC.dll", folder + "/zelSC.dll") &&
              copy(program + "/zelSCC.dll", folder + "/zelSCC.dll") &&
              orv::RecordsDb::createFresh(folder + "/orv.db");
    // The update check stays on this machine: a port where nothing listens.
    QFile ini(folder + "/zelReader.ini");
    ok = ok && ini.open(QIODevice::WriteOnly) &&
         ini.write("[SYSTEM]\r\nAUTOUPDATE=http://127.0.0.1:9/zel_orv.aup\r\n") > 0;
    ini.close();
    // The service request must not reach the real system.
    QFile fake(tools.path() + "/systemctl");
    ok = ok && fake.open(QIODevice::WriteOnly) && fake.write("#!/bin/sh\n") > 0;
    fake.close();
    fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!ok) {
        std::fprintf(stderr, "startup bench: cannot lay out the program folder\n");
        return 1;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("PATH", tools.path() + ":" + env.value("PATH"));

    std::vector<double> orvane, bare, text, orvaneCpu, bareCpu;
    for (int i = 0; i < kRuns; ++i) {
        const Start b = timeToPaint(bin + "/startup_bare_painted", env);
        const Start o = timeToPaint(folder + "/orvane", env);
        const Start t = timeToPaint(bin + "/startup_bare_painted", env, {"--text"});
        if (b.seconds < 0 || o.seconds < 0 || t.seconds < 0) {
            std::fprintf(stderr, "startup bench: a program did not paint\n");
            return 1;
        }
        bare.push_back(b.seconds);
        orvane.push_back(o.seconds);
        text.push_back(t.seconds);
        bareCpu.push_back(b.cpuSeconds);
        orvaneCpu.push_back(o.cpuSeconds);
    }
    const double mo = median(orvane), mb = median(bare), mt = median(text);
    std::printf("start-up to the main window painted, median of %d runs:\n", kRuns);
    std::printf("  orvane                       %7.1f ms\n", mo * 1e3);
    std::printf("  bare window                  %7.1f ms\n", mb * 1e3);
    std::printf("  bare window, one Chinese line %6.1f ms (fonts alone)\n", mt * 1e3);
    std::printf("  ratio to the bare window %.2f (goal <= 2); to the one with text %.2f\n", mo / mb,
                mo / mt);
    // Processor time up to the paint: a loaded machine moves it less.
    const double co = median(orvaneCpu), cb = median(bareCpu);
    std::printf("  processor time: orvane %.1f ms, bare window %.1f ms, ratio %.2f\n", co * 1e3,
                cb * 1e3, co / cb);
    return 0;
}
