// File names of the update mechanism in the program folder. The one place
// where they differ by platform: Linux programs have no ".exe".
#pragma once

#include <QByteArray>
#include <QString>

namespace orv::update {

#ifdef Q_OS_WIN
inline const QString kUpdaterFile = QStringLiteral("zelUpdate.exe");
// How a program file of the platform begins (a PE file's DOS header).
inline const QByteArray kProgramMagic = QByteArrayLiteral("MZ");
#else
inline const QString kUpdaterFile = QStringLiteral("zelUpdate");
inline const QByteArray kProgramMagic = QByteArrayLiteral(
    "\x7F"
    "ELF");
#endif
// A new updater waiting to be installed, and its digests.
inline const QString kPendingUpdater = QStringLiteral("aup.001");
inline const QString kPendingDigests = QStringLiteral("aup.002");

// Download keys.
inline const QString kManifestKey = QStringLiteral("zel_orv");
inline const QString kSignatureKey = QStringLiteral("zel_orv.sig");
inline const QString kPackageKey = QStringLiteral("auto_update");

// What a download may hold: a manifest is a few lines, a package a program.
inline constexpr qint64 kManifestLimit = 1024LL * 1024;
inline constexpr qint64 kSignatureLimit = 4096;
inline constexpr qint64 kPackageLimit = 512LL * 1024 * 1024;

}  // namespace orv::update
