#include "card/RowInsert.h"

#include <sqlite3.h>

#include <QSqlDriver>
#include <QSqlError>

#include "card/SqliteLink.h"

namespace orv {

namespace {

// The driver's sqlite3 handle, when the driver is QSQLITE and is proven to
// use this program's SQLite library.
sqlite3* sharedHandle(const QSqlDatabase& db) {
    if (!db.isValid() || !db.driver() || !db.isOpen()) return nullptr;
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0) return nullptr;
    if (!driverUsesOurSqlite(db.driver()->metaObject())) return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

// Both bindings store a null QString as "", as the native one always did.
QVariant stored(const QVariant& v) {
    if (v.typeId() == QMetaType::QString && v.toString().isNull()) return QStringLiteral("");
    return v;
}

}  // namespace

RowInsert::RowInsert(const QSqlDatabase& db, const char* table, const QStringList& columns,
                     Binding binding) {
    if (!db.isValid() || !db.isOpen()) {
        prepareError_ = QStringLiteral("the records database is not open");
        return;
    }
    QStringList marks;
    for (qsizetype i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    const QString sql = QStringLiteral("insert into %1 (%2) values (%3)")
                            .arg(QLatin1String(table), columns.join(QLatin1Char(',')),
                                 marks.join(QLatin1Char(',')));
    if (binding == Binding::Fastest) db_ = sharedHandle(db);
    if (db_) {
        prepareNative(sql.toUtf8());
        return;
    }
    query_.emplace(db);
    if (!query_->prepare(sql)) {
        prepareError_ = query_->lastError().text();
        query_.reset();
    }
}

RowInsert::~RowInsert() {
    sqlite3_finalize(stmt_);
}

bool RowInsert::prepareNative(const QByteArray& sql) {
    if (sqlite3_prepare_v2(db_, sql.constData(), static_cast<int>(sql.size()), &stmt_, nullptr) ==
        SQLITE_OK)
        return true;
    prepareError_ = QString::fromUtf8(sqlite3_errmsg(db_));
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    return false;
}

bool RowInsert::ok(QString* error) const {
    if (stmt_ || query_) return true;
    if (error) *error = prepareError_;
    return false;
}

bool RowInsert::fail(QString* error) const {
    if (error) *error = QString::fromUtf8(sqlite3_errmsg(db_));
    return false;
}

bool RowInsert::run(const QVariantList& values, QString* error) {
    if (!ok(error)) return false;
    return stmt_ ? runNative(values, error) : runQt(values, error);
}

bool RowInsert::runQt(const QVariantList& values, QString* error) {
    for (qsizetype i = 0; i < values.size(); ++i)
        query_->bindValue(static_cast<int>(i), stored(values[i]));
    if (query_->exec()) return true;
    if (error) *error = query_->lastError().text();
    return false;
}

bool RowInsert::runNative(const QVariantList& values, QString* error) {
    sqlite3_reset(stmt_);
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QVariant& v = values[i];
        const int at = static_cast<int>(i) + 1;
        int rc = SQLITE_OK;
        switch (v.typeId()) {
            case QMetaType::Double:
                rc = sqlite3_bind_double(stmt_, at, v.toDouble());
                break;
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::UInt:
            case QMetaType::Bool:
                rc = sqlite3_bind_int64(stmt_, at, v.toLongLong());
                break;
            default:
                if (v.isNull() && !v.canConvert<QString>()) {
                    rc = sqlite3_bind_null(stmt_, at);
                } else {
                    const QByteArray text = v.toString().toUtf8();
                    rc = sqlite3_bind_text(stmt_, at, text.constData(),
                                           static_cast<int>(text.size()), SQLITE_TRANSIENT);
                }
        }
        if (rc != SQLITE_OK) return fail(error);
    }
    return sqlite3_step(stmt_) == SQLITE_DONE || fail(error);
}

qint64 RowInsert::lastId() const {
    if (stmt_) return sqlite3_last_insert_rowid(db_);
    if (query_) return query_->lastInsertId().toLongLong();
    return -1;
}

}  // namespace orv
