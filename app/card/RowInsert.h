// One INSERT prepared on the records database's connection and run for many
// rows. Where it is safe it runs on the QSQLITE driver's own SQLite handle:
// Qt's positional binding builds a placeholder name for every bound value,
// which made the binding cost more than SQLite's own work when a card's
// ~1600 rows are stored. It is safe only when the driver's plugin and this
// program use one SQLite library (two copies on one handle would corrupt
// the database), which driverUsesOurSqlite checks; otherwise the statement
// is Qt's own prepared query. The connection, and its transaction, stay Qt
// SQL's either way, and both ways store the same rows.
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

namespace orv {

class RowInsert {
public:
    enum class Binding {
        Fastest,  // SQLite's own interface when proven safe, else Qt's binding
        Qt,       // always Qt's binding (tests compare the two)
    };

    RowInsert(const QSqlDatabase& db, const char* table, const QStringList& columns,
              Binding binding = Binding::Fastest);
    ~RowInsert();
    RowInsert(const RowInsert&) = delete;
    RowInsert& operator=(const RowInsert&) = delete;

    // False, with `error` set, when the statement could not be prepared.
    bool ok(QString* error) const;
    // Inserts one row: QString as text (a null QString as ""), double,
    // integers, an invalid QVariant as NULL; false with `error` set when
    // SQLite refuses it.
    bool run(const QVariantList& values, QString* error);
    qint64 lastId() const;
    // True when the rows go through the driver's SQLite handle.
    bool native() const { return stmt_ != nullptr; }

private:
    bool prepareNative(const QByteArray& sql);
    bool runNative(const QVariantList& values, QString* error);
    bool runQt(const QVariantList& values, QString* error);
    bool fail(QString* error) const;

    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
    std::optional<QSqlQuery> query_;
    QString prepareError_;
};

}  // namespace orv
