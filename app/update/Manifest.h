// The update manifest: an INI text with the sections SET (settings to copy
// into SYSTEM), MSG (notices, each shown once) and UPDATE (the newest
// version and how to install it), and what the update check makes of it.
// Pure functions over the manifest's bytes.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace orv {

struct ManifestEntry {
    QString key, value;
};

// UpdateInfo: the keys of section UPDATE, each "" when missing. SHA256 is
// an addition: when given, the package must match it too.
struct UpdateInfo {
    QString Version, Name, HREF, Type, SHA1, MD5, RUN, Para, WAIT, SHA256;
};

struct Manifest {
    QList<ManifestEntry> set;  // in the manifest's order
    QList<ManifestEntry> msg;
    UpdateInfo update;
};

// Reads the manifest with the settings file's INI rules (GBK text).
Manifest parseManifest(const QByteArray& bytes);

// The key=value entries of a NUL-separated section text; an entry counts
// when it holds "=" after its first character.
QList<ManifestEntry> sectionEntries(const QString& sectionData);

// part1 x 100000000 + part2 x 10000 + part3 for a version of exactly three
// parts separated by "."; a part that is no number counts as 0.
std::optional<qint64> versionNumber(const QString& version);
qint64 versionNumber(int major, int minor, int revision);
// True when the manifest's version is strictly greater than `running`.
bool isNewer(const QString& manifestVersion, qint64 running);

// The updater's command line: the program and its words. On Windows the
// words joined by blanks after the program are the command line.
struct UpdaterCommand {
    QString program;
    QStringList arguments;
    QString text() const;
};

// `exeName` is the running program's file name, `packageName` the stored
// package's, both without folder.
UpdaterCommand buildUpdaterCommand(const QString& programFolder, const UpdateInfo& info,
                                   const QString& exeName, const QString& packageName);

// Why the updater would not take `command` for the program's own ("" when
// it would), read back the way the updater reads it: the updater splits its
// command line at every blank, so a manifest value holding one (in Type,
// WAIT or RUN) shifts the words, and the updater would ignore the line or
// read other names. A line it would refuse (a name it does not take, a -R
// naming the updater or its backup by any name of the file, a WAIT or Type that is no number, a
// mode other than 1 and 2) is one too; only an empty Type is handed over,
// which the updater refuses without changing anything.
QString updaterCommandProblem(const UpdaterCommand& command, const QString& exeName,
                              const QString& packageName);

}  // namespace orv
