#include "card/RecordsDb.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

// The schema is compiled into a static library: its resource is registered
// by hand, outside any namespace as the macro requires.
static void initSchemaResource() {
    Q_INIT_RESOURCE(schema);
}

namespace orv {

namespace {
constexpr const char* kDriver = "QSQLITE";

// A save cut short (the program killed, the power gone) must leave every
// operation whole or not there at all, and a save that returned must stay:
// the card is written and cleared right after it. A rollback journal with
// every sync (EXTRA: FULL, and the folder synced once the journal is
// deleted, which is the commit) gives both, in the one file, on any file
// system; a write-ahead log would save a sync or two a commit, which the
// SaveCBS benchmark does not show, and needs shared memory beside the file
// (no network folders). Set on every open: a file made elsewhere may come
// in another mode.
void setCrashSafe(QSqlDatabase& db) {
    QSqlQuery q(db);
    q.exec(QStringLiteral("pragma journal_mode=DELETE"));
    q.exec(QStringLiteral("pragma synchronous=EXTRA"));
}

// Statements of the schema file, comments dropped.
QStringList statements(const QString& sql) {
    QString text;
    for (const QString& line : sql.split(QLatin1Char('\n')))
        if (!line.trimmed().startsWith(QLatin1String("--"))) text += line + QLatin1Char('\n');
    QStringList out;
    for (const QString& s : text.split(QLatin1Char(';')))
        if (!s.trimmed().isEmpty()) out << s.trimmed();
    return out;
}
}  // namespace

QString RecordsDb::schema() {
    initSchemaResource();
    QFile f(QStringLiteral(":/orv/schema.sql"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

RecordsDb::OpenResult RecordsDb::open(const QString& path, QString* error) {
    if (!QFileInfo(path).isFile()) return OpenResult::Missing;
    close();
    bool ok = false;
    QString why;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QLatin1String(kDriver), QLatin1String(kConnection));
        db.setDatabaseName(path);
        // SQLite opens any file lazily; reading the catalogue shows whether it
        // is a database at all.
        ok = db.open();
        why = db.lastError().text();
        if (ok) {
            QSqlQuery probe(db);
            ok = probe.exec(QStringLiteral("select count(*) from sqlite_master"));
            if (!ok) why = probe.lastError().text();
        }
        if (ok) setCrashSafe(db);
    }
    if (!ok) {
        if (error) *error = why;
        close();
        return OpenResult::NotADatabase;
    }
    return OpenResult::Ok;
}

QSqlDatabase RecordsDb::connection() {
    return QSqlDatabase::database(QLatin1String(kConnection), false);
}

void RecordsDb::close() {
    {
        QSqlDatabase db = connection();
        if (db.isValid()) db.close();
    }
    QSqlDatabase::removeDatabase(QLatin1String(kConnection));
}

void RecordsDb::upgrade(QSqlDatabase db) {
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("select nsrmc from sbjs where 1=2"))) return;
    for (const char* table : {"ef01", "ef04", "ef06", "ef09", "sbjs"})
        q.exec(
            QStringLiteral("alter table %1 add column nsrmc text(200)").arg(QLatin1String(table)));
}

bool RecordsDb::createFresh(const QString& path, QString* error) {
    if (QFileInfo::exists(path)) {
        if (error) *error = QStringLiteral("%1 exists already").arg(path);
        return false;
    }
    const QStringList sql = statements(schema());
    if (sql.isEmpty()) {
        if (error) *error = QStringLiteral("the database schema is missing");
        return false;
    }
    const QString name = QStringLiteral("orv-create-%1").arg(quintptr(&path));
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QLatin1String(kDriver), name);
        db.setDatabaseName(path);
        ok = db.open() && db.transaction();
        QSqlQuery q(db);
        for (const QString& s : sql) {
            if (!ok) break;
            ok = q.exec(s);
        }
        if (ok) ok = db.commit();
        if (!ok && error)
            *error = q.lastError().isValid() ? q.lastError().text() : db.lastError().text();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!ok) QFile::remove(path);
    return ok;
}

}  // namespace orv
