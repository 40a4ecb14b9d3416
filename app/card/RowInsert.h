// One INSERT prepared on the records database's connection and run for many
// rows. It uses the QSQLITE driver's own SQLite handle: Qt's positional
// binding builds a placeholder name for every bound value, which made the
// binding cost more than SQLite's own work when a card's ~1600 rows are
// stored. The connection, and its transaction, stay Qt SQL's.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

struct sqlite3;
struct sqlite3_stmt;

namespace orv {

class RowInsert {
public:
    RowInsert(const QSqlDatabase& db, const char* table, const QStringList& columns);
    ~RowInsert();
    RowInsert(const RowInsert&) = delete;
    RowInsert& operator=(const RowInsert&) = delete;

    // False, with `error` set, when the statement could not be prepared.
    bool ok(QString* error) const;
    // Inserts one row: QString as UTF-8 text, double, integers; false with
    // `error` set when SQLite refuses it.
    bool run(const QVariantList& values, QString* error);
    qint64 lastId() const;

private:
    bool fail(QString* error) const;

    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
    QString prepareError_;
};

}  // namespace orv
