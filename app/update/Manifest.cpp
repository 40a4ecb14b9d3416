#include "update/Manifest.h"

#include <QFileInfo>
#include <filesystem>
#include <string>

#include "CommandLine.h"

#include "base/IniFile.h"
#include "base/ProgramFolder.h"
#include "base/Settings.h"
#include "update/UpdateFiles.h"

namespace orv {

QList<ManifestEntry> sectionEntries(const QString& sectionData) {
    QList<ManifestEntry> out;
    if (sectionData.isEmpty()) return out;
    for (const QString& entry : sectionData.split(QChar(0))) {
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        if (eq > 0) out.append({entry.left(eq), entry.mid(eq + 1)});
    }
    return out;
}

Manifest parseManifest(const QByteArray& bytes) {
    Manifest m;
    m.set = sectionEntries(IniFile::SectionDataOf(bytes, QStringLiteral("SET")));
    m.msg = sectionEntries(IniFile::SectionDataOf(bytes, QStringLiteral("MSG")));
    const QString update = QStringLiteral("UPDATE");
    auto get = [&](const char* key) {
        return IniFile::SettingOf(bytes, update, QLatin1String(key), QString());
    };
    UpdateInfo& u = m.update;
    u.Version = get("Version");
    u.Name = get("Name");
    u.HREF = get("HREF");
    u.Type = get("Type");
    u.SHA1 = get("SHA1");
    u.MD5 = get("MD5");
    u.RUN = get("RUN");
    u.Para = get("Para");
    u.WAIT = get("WAIT");
    u.SHA256 = get("SHA256");
    return m;
}

qint64 versionNumber(int major, int minor, int revision) {
    return qint64(major) * 100000000 + qint64(minor) * 10000 + revision;
}

std::optional<qint64> versionNumber(const QString& version) {
    if (version.isEmpty()) return std::nullopt;
    const QStringList parts = version.split(QLatin1Char('.'));
    if (parts.size() != 3) return std::nullopt;
    return versionNumber(toInt32(parts[0]), toInt32(parts[1]), toInt32(parts[2]));
}

bool isNewer(const QString& manifestVersion, qint64 running) {
    const auto n = versionNumber(manifestVersion);
    return n && *n > running;
}

QString UpdaterCommand::text() const {
    return (QStringList{program} + arguments).join(QLatin1Char(' '));
}

UpdaterCommand buildUpdaterCommand(const QString& programFolder, const UpdateInfo& info,
                                   const QString& exeName, const QString& packageName) {
    UpdaterCommand c;
    c.program = inFolder(programFolder, update::kUpdaterFile);
    c.arguments << QStringLiteral("-LEZ") << QStringLiteral("-T") + info.Type
                << QStringLiteral("-E") + exeName << QStringLiteral("-U") + packageName;
    // The parameters travel as one word: blanks as "$", in brackets.
    if (!info.Para.isEmpty())
        c.arguments << QStringLiteral("-P[") +
                           QString(info.Para).replace(QLatin1Char(' '), QLatin1Char('$')) +
                           QLatin1Char(']');
    if (!info.WAIT.isEmpty()) c.arguments << QStringLiteral("-W") + info.WAIT;
    if (!info.RUN.isEmpty()) c.arguments << QStringLiteral("-R") + info.RUN;
    return c;
}

namespace {
// The value of the program's own option word (`option` and its value),
// "" when it has none.
QString valueOf(const UpdaterCommand& c, QLatin1String option) {
    for (const QString& a : c.arguments)
        if (a.startsWith(option)) return a.mid(2);
    return {};
}
QString runOf(const UpdaterCommand& c) {
    return valueOf(c, QLatin1String("-R"));
}
QString typeOf(const UpdaterCommand& c) {
    return valueOf(c, QLatin1String("-T"));
}
}  // namespace

QString updaterCommandProblem(const UpdaterCommand& command, const QString& exeName,
                              const QString& packageName) {
    // The arguments reach the updater as its words, which it joins with
    // blanks (on Windows the same text is its command line, which it reads
    // as UTF-8 whatever the code page).
    const QByteArray line = command.arguments.join(QLatin1Char(' ')).toUtf8();
    const zelupdate::ParsedCommandLine r =
        zelupdate::parseCommandLine(std::string_view(line.constData(), line.size()));
    using Status = zelupdate::ParsedCommandLine::Status;
    // An empty Type is refused by the updater without changing anything,
    // as it always was; the program hands over and the user starts it.
    if (r.status == Status::Error && typeOf(command).isEmpty()) return {};
    if (r.status == Status::Error)
        return QStringLiteral("the updater would refuse its command line: ") +
               QString::fromUtf8(r.error.c_str());
    if (r.status != Status::Ok)
        return QStringLiteral(
            "the updater would not read its command line (a value holds a blank)");
    if (r.options.type != 1 && r.options.type != 2)
        return QStringLiteral("the updater would refuse its command line: no install mode %1")
            .arg(r.options.type);
    // Names alone miss other names of one file (a short 8.3 name on
    // Windows, a link), which the updater tells by the files themselves.
    const std::filesystem::path folder(QFileInfo(command.program).absolutePath().toStdU16String());
    const auto named = [&](std::string_view name) {
        return folder / std::u8string(reinterpret_cast<const char8_t*>(name.data()), name.size());
    };
    const auto oneFile = [&](std::string_view a, std::string_view b) {
        std::error_code ec;
        return std::filesystem::equivalent(named(a), named(b), ec);
    };
    const std::string conflict =
        zelupdate::conflictProblem(r.options, update::kUpdaterFile.toUtf8().toStdString(), oneFile);
    if (!conflict.empty())
        return QStringLiteral("the updater would refuse its command line: ") +
               QString::fromUtf8(conflict.c_str());
    const auto bytes = [](const QString& s) { return s.toUtf8().toStdString(); };
    const QString& run = runOf(command);
    using Restart = zelupdate::Options::Restart;
    const bool runAsMeant = run.isEmpty()               ? r.options.restart == Restart::Program
                            : run == QLatin1String("-") ? r.options.restart == Restart::None
                                                        : r.options.run == bytes(run);
    if (r.options.exe != bytes(exeName) || r.options.package != bytes(packageName) || !runAsMeant)
        return QStringLiteral("the updater would read other file names (a value holds a blank)");
    return {};
}

}  // namespace orv
