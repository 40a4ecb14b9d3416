// A whole copy-tax report and clear-unlock of the full card (4 machines x
// 200 invoice rolls, 4 x 200 days) through pcscd + vpcd + the virtual card
// and the test tax server: the program's wizard (card reads, checks, the
// three requests, the records database, clear-unlock) against, in the same
// run, the same card sequence through the reader library's exports and the
// same requests sent by a bare socket client. The one-second card delays
// are injected to nothing. Rounds alternate; the medians are compared.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "appcard.h"
#include "builder.h"
#include "card/RecordsDb.h"
#include "programfolder.h"
#include "service/NaviWindow.h"
#include "service/OperationTexts.h"
#include "service/Requests.h"
#include "service/RunState.h"
#include "service/Wire.h"
#include "shell/Program.h"
#include "shell/Startup.h"
#include "taxsim.h"
#include "virtualreader.h"
#include "zelreader.h"

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The card delays take no time; waits for the socket wake on its events.
class NoDelays : public orv::Waiter {
public:
    void delay(double) override {}
    bool waitUntil(const std::function<bool()>& done, double seconds) override {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < seconds * 1000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        return done();
    }
};

qint32 crc(const QByteArray& d, int first, int last) {
    return CRC32(reinterpret_cast<const uint8_t*>(d.constData()) + first, last - first + 1);
}

// One request, one reply, the way the server speaks: connect, send, read
// until it closes.
QByteArray exchange(quint16 port, const QByteArray& request) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QByteArray reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::send(fd, request.constData(), static_cast<size_t>(request.size()), MSG_NOSIGNAL) ==
            request.size()) {
        char buf[65536];
        for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) > 0;)
            reply.append(buf, n);
    }
    ::close(fd);
    return reply;
}

// A request with the run's serial put in (offset 35), framed again.
QByteArray withSerial(const QByteArray& request, const QByteArray& serial) {
    QByteArray body = request.mid(orv::wire::kHeader);
    body.replace(35 - orv::wire::kHeader, 16, serial);
    return orv::wire::frame(body, crc);
}

std::u16string wide(const QString& s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()),
                          static_cast<std::size_t>(s.size()));
}

uint8_t g_counts[256];
void ZEL_CALL countRecords(int32_t record, int32_t sub, int32_t*) {
    if (record >= 1 && record <= 256) g_counts[record - 1] = static_cast<uint8_t>(sub);
}

QString readText(int32_t(ZEL_CALL* fn)(char16_t**)) {
    char16_t* out = nullptr;
    if (fn(&out) != 0x9000) return {};
    const QString s = QString::fromUtf16(out);
    FreeString(out);
    return s;
}

QString readGroups(int32_t(ZEL_CALL* fn)(char16_t**, ZelProgress), std::vector<uint8_t>& counts) {
    std::fill(std::begin(g_counts), std::end(g_counts), 0);
    char16_t* out = nullptr;
    if (fn(&out, countRecords) != 0x9000) return {};
    const QString s = QString::fromUtf16(out);
    FreeString(out);
    counts.assign(std::begin(g_counts), std::end(g_counts));
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The vpcd readers are shared with every test run on this machine.
    const int lock = ::open("/tmp/orv-vpcd.lock", O_CREAT | O_RDWR, 0666);
    if (lock >= 0) ::flock(lock, LOCK_EX);

    orvtest::TempDir dir;
    orvtest::TaxSim sim(dir, "unlock");
    const cardsim::Card full = cardsim::build(cardsim::fullSpec());
    orvtest::VirtualReader reader(0);
    reader.card().setCard(full);
    try {
        reader.insert();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_operations: %s\n", e.what());
        return 1;
    }
    orvtest::makeProgramFolder(dir);
    orvtest::writeSettings(
        dir, {"READER=Virtual PCD 00 00", "IP=127.0.0.1", "PORT=" + QString::number(sim.port())});
    NoDelays waiter;
    orv::Program program;
    program.waiter = &waiter;
    if (!orv::startProgram(program, orvtest::folderOf(dir), {})) return 1;

    // The requests of the bare client, built once from the card's data.
    orv::CardData data = orvtest::cardDataFrom(cardsim::fullSpec());
    orv::RunState state;
    state.registerId = orv::registerIdFor(data);
    orv::RequestBuilder builder(data, state, crc, [] { return qint64{1}; });
    builder.buildSerialRequest();
    const QByteArray q1 = state.outgoing;
    data.joinS1(1);
    builder.buildReport();
    const QByteArray basic = state.outgoing;
    data.joinS1(2);
    builder.buildReport();
    const QByteArray detail = state.outgoing;

    const std::u16string name = wide(QStringLiteral("Virtual PCD 00 00"));
    auto timeRaw = [&]() -> double {
        reader.card().setCard(full);
        SetReader(name.c_str());
        std::vector<uint8_t> rolls, days;
        const auto t0 = Clock::now();
        const QString ef02 = readText(ReadEF02);
        const bool read = !ef02.isEmpty() && !readText(ReadEF04).isEmpty() &&
                          !readGroups(ReadEF06, rolls).isEmpty() &&
                          !readGroups(ReadEF09, days).isEmpty();
        const QByteArray q2 = exchange(sim.port(), q1);
        const QByteArray serial = q2.mid(130, 16);
        exchange(sim.port(), withSerial(basic, serial));
        const QByteArray s2 = exchange(sim.port(), withSerial(detail, serial));
        const std::u16string record = wide(QString::fromLatin1(s2.mid(235, 74)));
        const bool written = readText(ReadEF02) == ef02 && EchoControls(record.c_str()) == 0x9000 &&
                             ClearEF06(rolls.data(), nullptr) == 0x9000 &&
                             ClearEF09(days.data(), nullptr) == 0x9000;
        const double t = std::chrono::duration<double>(Clock::now() - t0).count();
        return read && written ? t : -1;
    };
    auto timeProgram = [&]() -> double {
        reader.card().setCard(full);
        orv::NaviWindow w(orv::WizardContext{
            *program.card, program.currentCard, *program.log, program.settings, program.ini,
            orv::RecordsDb::connection(), waiter, *program.clock, orv::SystemClock::instance(),
            program.readingClip, program.writingClip, [](bool) {}});
        w.start(5);
        auto* tips = w.findChild<QLabel*>("lblTips");
        const auto t0 = Clock::now();
        w.wizard().ok();
        QElapsedTimer limit;
        limit.start();
        while (tips->text() != orv::texts::kUnlocked && limit.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const double t = std::chrono::duration<double>(Clock::now() - t0).count();
        return tips->text() == orv::texts::kUnlocked ? t : -1;
    };

    constexpr int kRounds = 9;
    std::vector<double> raw, prog;
    for (int i = 0; i < kRounds; ++i) {
        // Which goes first alternates, so that drift hits both alike.
        for (int pass = 0; pass < 2; ++pass) {
            const bool programTurn = (i + pass) % 2 == 0;
            const double t = programTurn ? timeProgram() : timeRaw();
            if (t < 0) {
                std::fprintf(stderr, "bench_operations: the %s run failed\n",
                             programTurn ? "program's" : "raw");
                return 1;
            }
            (programTurn ? prog : raw).push_back(t);
        }
    }
    const std::size_t apdus = reader.card().log().size() / (2 * kRounds);
    std::printf(
        "copy-tax report and clear-unlock, full card: about %zu APDUs and 3 requests "
        "a run, %d runs each\n",
        apdus, kRounds);
    std::printf("  raw exports + bare socket client: median %.0f ms\n", median(raw) * 1e3);
    std::printf("  the program's wizard:             median %.0f ms\n", median(prog) * 1e3);
    std::printf("  time ratio program/raw: %.3f (goal <= 1.2)\n", median(prog) / median(raw));
    orv::RecordsDb::close();
    return 0;
}
