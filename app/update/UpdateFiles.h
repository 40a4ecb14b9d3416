// File names of the update mechanism in the program folder. The updater's
// name and a program file's first bytes differ by platform
// (UpdateFiles_win.cpp, UpdateFiles_posix.cpp).
#pragma once

#include <QByteArray>
#include <QString>

namespace orv::update {

// The updater's file name ("zelUpdate.exe" on Windows).
extern const QString kUpdaterFile;
// How a program file of the platform begins.
extern const QByteArray kProgramMagic;
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
