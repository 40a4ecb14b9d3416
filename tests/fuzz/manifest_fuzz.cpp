// The update manifest as the update server (or anyone on the way) may send
// it: read with the settings file's rules, its version compared, and the
// updater's command line built from it, then read back the way the updater
// reads its command line. What the program hands over must be what the
// updater understands and takes: the program closes once the updater is
// started. The same bytes are read as a signature file and as a key too.
//
// Input: the manifest's bytes.
#include <QByteArray>

#include "CommandLine.h"
#include "FuzzApp.h"
#include "FuzzCheck.h"
#include "update/Manifest.h"
#include "update/ManifestSignature.h"

namespace {

constexpr qint64 kRunning = 100000000;  // version 1.0.0
const QString kExe = QStringLiteral("orvane");
const QString kPackage = QStringLiteral("tmp5A3C.tmp");

void checkEntries(const QList<orv::ManifestEntry>& entries) {
    for (const orv::ManifestEntry& e : entries)
        ORV_FUZZ_CHECK(!e.key.isEmpty());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orvfuzz::ensureQtApp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto sig = orv::parseSignatureText(bytes)) {
        ORV_FUZZ_CHECK(sig->r.size() == 32 && sig->s.size() == 32);
    }
    if (const auto key = orv::parseP256Key(bytes)) {
        ORV_FUZZ_CHECK(key->x.size() == 32 && key->y.size() == 32);
    }
    const orv::Manifest m = orv::parseManifest(bytes);
    checkEntries(m.set);
    checkEntries(m.msg);
    if (!orv::isNewer(m.update.Version, kRunning)) return 0;

    // The program checks the command (updaterCommandProblem) before it
    // closes; read it back here the way the updater reads it: its words
    // joined by blanks (on Windows the same text is its command line).
    const orv::UpdaterCommand c =
        orv::buildUpdaterCommand(QStringLiteral("/opt/orvane"), m.update, kExe, kPackage);
    if (!orv::updaterCommandProblem(c, kExe, kPackage).isEmpty()) return 0;  // not handed over
    const QByteArray line = c.arguments.join(QLatin1Char(' ')).toUtf8();
    const zelupdate::ParsedCommandLine parsed =
        zelupdate::parseCommandLine(std::string_view(line.constData(), line.size()));
    using Status = zelupdate::ParsedCommandLine::Status;
    // The updater does what was asked; it refuses only an empty Type, which
    // it logs, and never takes the line for someone else's or for one that
    // names too little, nor starts an updater.
    ORV_FUZZ_CHECK(parsed.status == Status::Ok ||
                   (parsed.status == Status::Error && m.update.Type.isEmpty()));
    if (parsed.status == Status::Ok) {
        ORV_FUZZ_CHECK(parsed.options.type == 1 || parsed.options.type == 2);
        ORV_FUZZ_CHECK(zelupdate::conflictProblem(parsed.options, "zelUpdate").empty());
        ORV_FUZZ_CHECK(parsed.options.exe == kExe.toStdString());
        ORV_FUZZ_CHECK(parsed.options.package == kPackage.toStdString());
        if (m.update.RUN == QLatin1String("-"))
            ORV_FUZZ_CHECK(parsed.options.restart == zelupdate::Options::Restart::None);
    }
    return 0;
}
