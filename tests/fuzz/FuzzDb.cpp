#include "FuzzDb.h"

#include <QSqlQuery>
#include <cstdio>
#include <cstdlib>

#include "card/RecordsDb.h"

namespace orvfuzz {

FuzzDb::FuzzDb() {
    ensureQtApp();
    const QString path = QString::fromStdString(dir_.file("orv.db"));
    QString error;
    if (!orv::RecordsDb::createFresh(path, &error) ||
        orv::RecordsDb::open(path, &error) != orv::RecordsDb::OpenResult::Ok) {
        std::fprintf(stderr, "fuzz: no records database: %s\n", qPrintable(error));
        std::abort();
    }
    // The targets fuzz what is parsed and saved, not durability: no waiting
    // for the disk on every commit, and no journal file made and removed
    // for each (a rollback still works, from memory).
    QSqlQuery q(db());
    q.exec(QStringLiteral("pragma synchronous=OFF"));
    q.exec(QStringLiteral("pragma locking_mode=EXCLUSIVE"));
    q.exec(QStringLiteral("pragma journal_mode=MEMORY"));
}

FuzzDb::~FuzzDb() {
    orv::RecordsDb::close();
}

QSqlDatabase FuzzDb::db() const {
    return orv::RecordsDb::connection();
}

void FuzzDb::afterRun(int every) {
    if (++runs_ % every != 0) return;
    QSqlQuery q(db());
    for (const char* table : {"sbjs", "ef01", "ef02", "ef04", "ef06", "ef09"})
        q.exec(QStringLiteral("delete from %1").arg(QLatin1String(table)));
}

}  // namespace orvfuzz
