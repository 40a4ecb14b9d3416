// Writes the seed corpora of the fuzz targets into the folder given (the
// repository's tests/fuzz/corpus): the card builder's cards with the APDU
// answers the virtual card gives, the test tax server's replies, real
// settings and manifest files, and the texts the reader library reads.
// Run it by hand when a layout changes; its output is committed.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QStringList>
#include <cstring>
#include <string>

#include "Scenario.h"
#include "appcard.h"
#include "base/Text.h"
#include "builder.h"
#include "emulator.h"
#include "session.h"
#include "update/Manifest.h"
#include "zelreader.h"

namespace {

QString root;
QSet<QByteArray> written;  // target + content: each seed once

void seed(const char* target, const QString& name, const QByteArray& bytes) {
    if (written.contains(target + bytes)) return;
    written.insert(target + bytes);
    const QString dir = root + QLatin1Char('/') + QLatin1String(target);
    QDir().mkpath(dir);
    QFile f(dir + QLatin1Char('/') + name);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(f.fileName()));
}

QByteArray u16(std::size_t n) {
    return QByteArray(1, static_cast<char>(n >> 8)) + static_cast<char>(n & 0xFF);
}

// ---- the reader library: answers of the virtual card, recorded --------

struct Recorder {
    cardsim::Emulator* card = nullptr;
    QByteArray answers;
};
Recorder rec;

zel::PcscApi recordingService() {
    zel::PcscApi api;
    api.establishContext = [](DWORD, LPCVOID, LPCVOID, LPSCARDCONTEXT c) -> LONG {
        *c = 1;
        return SCARD_S_SUCCESS;
    };
    api.releaseContext = [](SCARDCONTEXT) -> LONG { return SCARD_S_SUCCESS; };
    api.listReaders = [](SCARDCONTEXT, LPCSTR, LPSTR, LPDWORD) -> LONG {
        return SCARD_E_NO_READERS_AVAILABLE;
    };
    api.connect = [](SCARDCONTEXT, LPCSTR, DWORD, DWORD, LPSCARDHANDLE h, LPDWORD p) -> LONG {
        *h = 1;
        *p = SCARD_PROTOCOL_T0;
        return SCARD_S_SUCCESS;
    };
    api.reconnect = [](SCARDHANDLE, DWORD, DWORD, DWORD, LPDWORD p) -> LONG {
        rec.card->reset();
        *p = SCARD_PROTOCOL_T0;
        return SCARD_S_SUCCESS;
    };
    api.status = [](SCARDHANDLE, LPSTR, LPDWORD, LPDWORD s, LPDWORD p, LPBYTE, LPDWORD n) -> LONG {
        *s = SCARD_SPECIFIC;
        *p = SCARD_PROTOCOL_T0;
        *n = 0;
        return SCARD_S_SUCCESS;
    };
    api.disconnect = [](SCARDHANDLE, DWORD) -> LONG { return SCARD_S_SUCCESS; };
    api.transmit = [](SCARDHANDLE, LPCSCARD_IO_REQUEST, LPCBYTE apdu, DWORD len, LPSCARD_IO_REQUEST,
                      LPBYTE out, LPDWORD outLen) -> LONG {
        const auto answer = rec.card->process(cardsim::Bytes(apdu, apdu + len));
        if (!answer) return SCARD_W_REMOVED_CARD;
        rec.answers += u16(answer->size());
        rec.answers.append(reinterpret_cast<const char*>(answer->data()),
                           static_cast<qsizetype>(answer->size()));
        std::memcpy(out, answer->data(), answer->size());
        *outLen = static_cast<DWORD>(answer->size());
        return SCARD_S_SUCCESS;
    };
    return api;
}

void noProgress(int32_t, int32_t, int32_t*) {}

// One seed: the export's header, its argument, and the answers it drew.
template <typename Call>
void cardSeed(const QString& name, const cardsim::Card& c, uint8_t op, uint8_t flags,
              const QByteArray& argument, Call&& call) {
    cardsim::Emulator card(c);
    rec.card = &card;
    rec.answers.clear();
    call();
    QByteArray s;
    s += static_cast<char>(op);
    s += static_cast<char>(flags);
    s += '\0';  // no cancel
    seed("zelreader_fuzz", name, s + argument + rec.answers);
}

void readerSeeds() {
    zel::Session::instance().setPcsc(recordingService());
    SetReader(u"Virtual PCD 00 00");
    cardsim::CardSpec small;
    small.machines = {cardsim::MachineSpec{2, 3}};
    cardsim::CardSpec shortEf02 = cardsim::realisticSpec();
    shortEf02.shortEF02 = true;
    const struct {
        const char* name;
        cardsim::Card card;
    } cards[] = {{"realistic", cardsim::build(cardsim::realisticSpec())},
                 {"small", cardsim::build(small)},
                 {"short-ef02", cardsim::build(shortEf02)}};
    for (const auto& [stem, c] : cards) {
        const QString n = QLatin1String(stem);
        char16_t* out = nullptr;
        auto take = [&](int32_t) { FreeString(out), out = nullptr; };
        cardSeed(n + "-ef02", c, 0, 0, {}, [&] { take(ReadEF02(&out)); });
        cardSeed(n + "-ef04", c, 1, 0, {}, [&] { take(ReadEF04(&out)); });
        cardSeed(n + "-ef06", c, 2, 1, {}, [&] { take(ReadEF06(&out, noProgress)); });
        cardSeed(n + "-ef09", c, 3, 1, {}, [&] { take(ReadEF09(&out, noProgress)); });
        const QByteArray record = QByteArray(37, '\x5A').toHex().toUpper();
        const QByteArray two = record + record;
        cardSeed(n + "-echo", c, 4, 0, u16(two.size()) + two, [&] {
            const std::u16string text(two.begin(), two.end());
            EchoControls(text.c_str());
        });
        cardSeed(n + "-clear-ef06", c, 5, 0, {}, [&] { ClearEF06(nullptr, nullptr); });
        uint8_t counts[256] = {};
        for (int i = 0; i < 4; ++i)
            counts[i] = 3;
        const QByteArray list(reinterpret_cast<const char*>(counts), sizeof counts);
        cardSeed(n + "-clear-ef09", c, 6, 3, list, [&] { ClearEF09(counts, noProgress); });
    }
    // The reader list as the service gives it, and one command.
    const QByteArray names("Virtual PCD 00 00\0Virtual PCD 00 01\0\0", 37);
    const QByteArray command("00A40000023F00");
    cardSeed("reader-list", cards[0].card, 7, 0,
             u16(names.size()) + names + u16(command.size()) + command, [&] {
                 ResetCard();
                 RunCommand(command.constData());
                 EjectCard();
             });
}

// ---- server replies of the test tax server --------------------------------

// Header of a reply seed: flags, chunk sizes, the field probe.
QByteArray replyHeader(uint8_t flags, std::initializer_list<uint8_t> chunks) {
    QByteArray h;
    h += static_cast<char>(flags);
    h += static_cast<char>(chunks.size());
    for (uint8_t c : chunks)
        h += static_cast<char>(c);
    h += static_cast<char>(65);  // probe: the tax amount field at 130
    h += static_cast<char>(15);
    return h;
}

void replySeeds() {
    auto put = [&](const QString& stem, uint8_t flags, const QByteArray& reply) {
        seed("reply_fuzz", stem, replyHeader(flags, {}) + reply);
        // Header and body in pieces, as a slow server sends them.
        seed("reply_fuzz", stem + "-split", replyHeader(flags, {3, 10, 1, 200}) + reply);
    };
    for (const QString& name : taxsim::Scenario::names()) {
        taxsim::Scenario s;
        s.select(name);
        taxsim::RunContext run;
        int seq = 0;  // no fault is set, so the count only keeps the order
        run.registerId = QStringLiteral("41234567890ABCDEF");
        taxsim::Check q1{QStringLiteral("Q1"), {}, {}, {}};
        const QByteArray q2 = s.answer(q1, run, ++seq).bytes;
        if (q2.isEmpty()) continue;
        put(name + "-q2", 0, q2);
        if (!q2.startsWith("QVNX") || q2.size() < 16) {
            put(name + "-closed", 1, q2);
            continue;
        }
        taxsim::Check s1{QStringLiteral("S1"), {}, {}, {}};
        run.reports = 1;
        put(name + "-s2-detail", 0, s.answer(s1, run, ++seq).bytes);
        run.reports = 2;
        put(name + "-s2", 0, s.answer(s1, run, ++seq).bytes);
        if (name.startsWith(QLatin1String("declare"))) {
            taxsim::Check k3{QStringLiteral("K3"), {}, {}, {}};
            put(name + "-k4-query", 2, s.answer(k3, run, ++seq).bytes);
            k3.data = QStringLiteral("1.00#2.00#3.00");
            put(name + "-k4", 4 | 8, s.answer(k3, run, ++seq).bytes);
            taxsim::Check k1{QStringLiteral("K1"), {}, {}, {}};
            put(name + "-k2", 8, s.answer(k1, run, ++seq).bytes);
        }
    }
    put("closed-empty", 1, {});
}

// ---- settings files and manifests -----------------------------------------

void iniSeeds() {
    auto put = [](const char* name, uint8_t flags, const QByteArray& content) {
        seed("ini_fuzz", QLatin1String(name), QByteArray(1, static_cast<char>(flags)) + content);
    };
    const QByteArray settings = orv::toGbk(
        QStringLiteral("[SYSTEM]\r\nREADER=Tianyu 读卡器 00 00\r\nIP=10.11.12.13\r\nPORT=8085\r\n"
                       "ConnOverTime=60\r\nEchoOverTime=300\r\nDETAILEDLOG=True\r\nSN=41\r\n"
                       "UPDATE=http://download.orvane.invalid/product/download/qvn/\r\n"
                       "AUTOUPDATE=http://update.orvane.invalid/qvn/zel_orv.aup\r\n"
                       "INVOICE1=http://fpcx.orvane.invalid:99/zwjb/skfpcx.jsp\r\n"
                       "[MSG]\r\n20120301=本月申报期截止到15日。\r\n"));
    put("settings", 3, settings);
    put("settings-read-only", 1, settings);
    put("settings-lines-only", 0, settings);
    put("manifest", 1,
        orv::toGbk(QStringLiteral(
            "[SET]\r\nIP=10.11.12.14\r\nPORT=8086\r\n\r\n[MSG]\r\n20120401=系统将于本周六升级。\r\n"
            "\r\n[UPDATE]\r\nVersion=1.0.2\r\nName=Orvane 1.0.2\r\n"
            "HREF=http://update.orvane.invalid/qvn/orvane-1.0.2.exe\r\nType=2\r\n"
            "SHA1=3CA25AE354E192B26879F651A51D92AA8A34D8D3\r\nMD5=\r\nPara=-s \"a b\"\r\n"
            "RUN=orvane.exe\r\nWAIT=1\r\n")));
    put("odd", 3,
        QByteArray("; comment\n[SYSTEM\nPORT = '8085'\nIP=\"1.2.3.4\"\nkey without value\n"
                   "  [ MSG ]  trailing\n=no key\n[SYSTEM]\nPORT=9999\nSN=\xB0\xA1\n\n\n"
                   "[empty]\n[]\nx=\x81\nSN=9999999999\r\r\n") +
            QByteArray("[NUL]\n\0a=b\n", 12));
    put("long-line", 3,
        "[SYSTEM]\r\nIP=" + QByteArray(1000, '7') + "\r\n[MSG]\r\nk=" + QByteArray(33000, 'm') +
            "\r\n[" + QByteArray(300, 'S'));
    put("lf-only-no-end", 3, "[SYSTEM]\nSN=5\nREADER=COM3");
}

// ---- the update manifest and the updater's command line -------------------

const char* const kManifest =
    "[SET]\r\nIP=10.11.12.14\r\nPORT=8086\r\n\r\n[MSG]\r\n20120401=系统将于本周六升级。\r\n"
    "\r\n[UPDATE]\r\nVersion=1.0.2\r\nName=Orvane 1.0.2\r\n"
    "HREF=http://update.orvane.invalid/qvn/orvane-1.0.2.exe\r\nType=2\r\n"
    "SHA1=3CA25AE354E192B26879F651A51D92AA8A34D8D3\r\nMD5=\r\nPara=-s \"a b\"\r\n"
    "RUN=orvane.exe\r\nWAIT=1\r\n";

void updateSeeds() {
    const QByteArray manifest = orv::toGbk(QString::fromUtf8(kManifest));
    seed("manifest_fuzz", "manifest", manifest);
    seed("manifest_fuzz", "replace-only",
         "[UPDATE]\r\nVersion=2.0.0\r\nType=1\r\nHREF=http://u.invalid/p\r\n");
    seed("manifest_fuzz", "no-update", orv::toGbk(QStringLiteral("[MSG]\n1=通知\n[SET]\nSN=1\n")));
    const orv::Manifest m = orv::parseManifest(manifest);
    const orv::UpdaterCommand c =
        orv::buildUpdaterCommand(QStringLiteral("/opt/orvane"), m.update, QStringLiteral("orvane"),
                                 QStringLiteral("tmp5A3C.tmp"));
    seed("cmdline_fuzz", "from-manifest", c.arguments.join(QLatin1Char(' ')).toUtf8());
    seed("cmdline_fuzz", "replace", "-LEZ -T1 -Eorvane -Utmp1A.tmp");
    seed("cmdline_fuzz", "run-package", "-lez -t2 -Eorvane -Usetup.tmp -P[/S$/D] -W0 -R-");
    seed("cmdline_fuzz", "bad-names", "-LEZ -T1 -E../orvane -Uc:x -Rsub/run");
}

// ---- card texts ------------------------------------------------------------

void cardSeeds() {
    auto put = [](const char* name, uint8_t flags, const orv::CardData& c) {
        const QByteArray text = QByteArray(1, static_cast<char>(flags)) + c.ef02.toLatin1() + '\n' +
                                c.ef04.toLatin1() + '\n' + c.ef06.toLatin1() + '\n' +
                                c.ef09.toLatin1() + '\n' + c.ef01.toLatin1() + '\n';
        seed("cardtext_fuzz", QLatin1String(name), text);
    };
    cardsim::CardSpec small;
    small.machines = {cardsim::MachineSpec{2, 3}, cardsim::MachineSpec{1, 2}};
    orv::CardData c = orvtest::cardDataFrom(small);
    c.ef01 = QString(74, QLatin1Char('A')) + QStringLiteral("##") + QString(74, QLatin1Char('B'));
    put("small", 6, c);
    put("small-shown-ef02", 2, c);
    put("small-shown-ef04", 2 | 8, c);
    put("small-shown-ef06", 2 | 16, c);
    put("small-shown-ef09", 2 | 24, c);
    put("small-saved", 4, c);
    put("small-parsed", 0, c);
    cardsim::CardSpec shortEf02 = small;
    shortEf02.shortEF02 = true;
    put("short-ef02", 6 | 8, orvtest::cardDataFrom(shortEf02));
    put("realistic", 2 | 24, orvtest::cardDataFrom(cardsim::realisticSpec()));
    orv::CardData empty;
    put("empty", 6, empty);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: orv_seeds CORPUS-FOLDER\n");
        return 2;
    }
    root = QString::fromLocal8Bit(argv[1]);
    readerSeeds();
    replySeeds();
    iniSeeds();
    cardSeeds();
    updateSeeds();
    return 0;
}
