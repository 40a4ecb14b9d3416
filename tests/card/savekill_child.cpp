// The child of the kill test: saves the full card as the program does
// (SaveCBS, then SaveEf01, then closes the database) and, when told, kills
// itself with SIGKILL just before its k-th file operation, so that the
// kills land at every kind of point inside the transactions.
//
//   orv_savekill_child DB K   K = 0: count only; prints the operations done
//                             by the end of each step ("cbs N", "ef01 N",
//                             "closed N")
//
// A file operation is a write, truncate or sync of any of SQLite's files,
// or the deletion of one: counted by a shim over the default file system
// layer (VFS), which the Qt SQLite driver uses when it shares the
// program's SQLite (the test checks that it saw operations at all).
#include <signal.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

#include "appcard.h"
#include "card/CardData.h"
#include "card/RecordsDb.h"
#include "card/RecordsStore.h"

namespace {

sqlite3_vfs* base = nullptr;
long operations = 0;
long killAt = 0;
bool counting = false;

void operation() {
    if (!counting) return;
    if (++operations == killAt) kill(getpid(), SIGKILL);
}

// Our file: the base layer's file right after it.
struct ShimFile {
    sqlite3_file file;
    sqlite3_file* real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};

ShimFile* shim(sqlite3_file* f) {
    return reinterpret_cast<ShimFile*>(f);
}

int xClose(sqlite3_file* f) {
    return shim(f)->real()->pMethods->xClose(shim(f)->real());
}
int xRead(sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
    return shim(f)->real()->pMethods->xRead(shim(f)->real(), b, n, o);
}
int xWrite(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
    operation();
    return shim(f)->real()->pMethods->xWrite(shim(f)->real(), b, n, o);
}
int xTruncate(sqlite3_file* f, sqlite3_int64 size) {
    operation();
    return shim(f)->real()->pMethods->xTruncate(shim(f)->real(), size);
}
int xSync(sqlite3_file* f, int flags) {
    operation();
    return shim(f)->real()->pMethods->xSync(shim(f)->real(), flags);
}
int xFileSize(sqlite3_file* f, sqlite3_int64* size) {
    return shim(f)->real()->pMethods->xFileSize(shim(f)->real(), size);
}
int xLock(sqlite3_file* f, int l) {
    return shim(f)->real()->pMethods->xLock(shim(f)->real(), l);
}
int xUnlock(sqlite3_file* f, int l) {
    return shim(f)->real()->pMethods->xUnlock(shim(f)->real(), l);
}
int xCheckReservedLock(sqlite3_file* f, int* out) {
    return shim(f)->real()->pMethods->xCheckReservedLock(shim(f)->real(), out);
}
int xFileControl(sqlite3_file* f, int op, void* arg) {
    return shim(f)->real()->pMethods->xFileControl(shim(f)->real(), op, arg);
}
int xSectorSize(sqlite3_file* f) {
    return shim(f)->real()->pMethods->xSectorSize(shim(f)->real());
}
int xDeviceCharacteristics(sqlite3_file* f) {
    return shim(f)->real()->pMethods->xDeviceCharacteristics(shim(f)->real());
}
int xShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** p) {
    return shim(f)->real()->pMethods->xShmMap(shim(f)->real(), region, size, extend, p);
}
int xShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return shim(f)->real()->pMethods->xShmLock(shim(f)->real(), offset, n, flags);
}
void xShmBarrier(sqlite3_file* f) {
    shim(f)->real()->pMethods->xShmBarrier(shim(f)->real());
}
int xShmUnmap(sqlite3_file* f, int deleteFlag) {
    return shim(f)->real()->pMethods->xShmUnmap(shim(f)->real(), deleteFlag);
}
int xFetch(sqlite3_file* f, sqlite3_int64 o, int n, void** p) {
    return shim(f)->real()->pMethods->xFetch(shim(f)->real(), o, n, p);
}
int xUnfetch(sqlite3_file* f, sqlite3_int64 o, void* p) {
    return shim(f)->real()->pMethods->xUnfetch(shim(f)->real(), o, p);
}

const sqlite3_io_methods kMethods = {3,
                                     xClose,
                                     xRead,
                                     xWrite,
                                     xTruncate,
                                     xSync,
                                     xFileSize,
                                     xLock,
                                     xUnlock,
                                     xCheckReservedLock,
                                     xFileControl,
                                     xSectorSize,
                                     xDeviceCharacteristics,
                                     xShmMap,
                                     xShmLock,
                                     xShmBarrier,
                                     xShmUnmap,
                                     xFetch,
                                     xUnfetch};

int xOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags) {
    f->pMethods = nullptr;
    const int rc = base->xOpen(base, name, shim(f)->real(), flags, outFlags);
    if (rc == SQLITE_OK) f->pMethods = &kMethods;
    return rc;
}

int xDelete(sqlite3_vfs*, const char* name, int syncDir) {
    operation();
    return base->xDelete(base, name, syncDir);
}

sqlite3_vfs shimVfs;

void installShim() {
    base = sqlite3_vfs_find(nullptr);
    shimVfs = *base;
    shimVfs.zName = "orv-kill";
    shimVfs.szOsFile = static_cast<int>(sizeof(ShimFile)) + base->szOsFile;
    shimVfs.pAppData = nullptr;
    shimVfs.xOpen = xOpen;
    shimVfs.xDelete = xDelete;
    // Everything else (access, full path names, randomness, time) the
    // base layer's own functions do, with their own vfs pointer.
    shimVfs.xAccess = [](sqlite3_vfs*, const char* n, int f, int* out) {
        return base->xAccess(base, n, f, out);
    };
    shimVfs.xFullPathname = [](sqlite3_vfs*, const char* n, int size, char* out) {
        return base->xFullPathname(base, n, size, out);
    };
    shimVfs.xDlOpen = [](sqlite3_vfs*, const char* n) { return base->xDlOpen(base, n); };
    shimVfs.xDlError = [](sqlite3_vfs*, int n, char* out) { base->xDlError(base, n, out); };
    shimVfs.xDlSym = [](sqlite3_vfs*, void* h, const char* s) { return base->xDlSym(base, h, s); };
    shimVfs.xDlClose = [](sqlite3_vfs*, void* h) { base->xDlClose(base, h); };
    shimVfs.xRandomness = [](sqlite3_vfs*, int n, char* out) {
        return base->xRandomness(base, n, out);
    };
    shimVfs.xSleep = [](sqlite3_vfs*, int us) { return base->xSleep(base, us); };
    shimVfs.xCurrentTime = [](sqlite3_vfs*, double* t) { return base->xCurrentTime(base, t); };
    shimVfs.xGetLastError = [](sqlite3_vfs*, int n, char* out) {
        return base->xGetLastError(base, n, out);
    };
    shimVfs.xCurrentTimeInt64 = [](sqlite3_vfs*, sqlite3_int64* t) {
        return base->xCurrentTimeInt64(base, t);
    };
    shimVfs.xSetSystemCall = nullptr;
    shimVfs.xGetSystemCall = nullptr;
    shimVfs.xNextSystemCall = nullptr;
    sqlite3_vfs_register(&shimVfs, 1);
}

int fail(const char* what, const QString& error) {
    std::fprintf(stderr, "savekill child: %s: %s\n", what, qPrintable(error));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) return fail("usage", QStringLiteral("orv_savekill_child DB K"));
    killAt = std::atol(argv[2]);
    installShim();

    orv::CardData card = orvtest::cardDataFrom(cardsim::fullSpec());
    card.rSn = QStringLiteral("2012030300000005");
    card.ef01 = QString(74, QLatin1Char('A')) + QStringLiteral("##") +
                QString(74, QLatin1Char('B')) + QStringLiteral("##") +
                QString(74, QLatin1Char('C'));
    QString error;
    if (orv::RecordsDb::open(QString::fromLocal8Bit(argv[1]), &error) !=
        orv::RecordsDb::OpenResult::Ok)
        return fail("open", error);
    {
        orv::RecordsStore store(orv::RecordsDb::connection());
        counting = true;
        if (!store.SaveCBS(card, 1, &error)) return fail("SaveCBS", error);
        std::printf("cbs %ld\n", operations);
        if (!store.SaveEf01(card, &error)) return fail("SaveEf01", error);
        std::printf("ef01 %ld\n", operations);
    }
    orv::RecordsDb::close();
    std::printf("closed %ld\n", operations);
    return 0;
}
