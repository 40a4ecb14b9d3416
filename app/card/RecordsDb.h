// The records database file (orv.db, SQLite through Qt SQL): opening it as
// the one connection, the start-up upgrade, and making a fresh file from the
// schema.
#pragma once

#include <QSqlDatabase>
#include <QString>

namespace orv {

class RecordsDb {
public:
    enum class OpenResult { Ok, Missing, NotADatabase };

    static QString fileName() { return QStringLiteral("orv.db"); }
    static constexpr const char* kConnection = "DbConn";

    // Opens `path` as the connection DbConn; a missing file is not created.
    // NotADatabase for a file that does not open as one (corrupt, foreign,
    // locked); `error` says why. The connection writes through a rollback
    // journal with every sync (crash-safe, and a commit stays).
    static OpenResult open(const QString& path, QString* error = nullptr);
    static QSqlDatabase connection();
    static void close();

    // Adds the nsrmc columns to a file made before they existed; every error
    // is ignored.
    static void upgrade(QSqlDatabase db);

    // Makes a fresh database file with every table; false with `error` set
    // when it cannot.
    static bool createFresh(const QString& path, QString* error = nullptr);
    static QString schema();
};

}  // namespace orv
