#include "card/RowInsert.h"

#include <sqlite3.h>

#include <QSqlDriver>

namespace orv {

namespace {
sqlite3* nativeHandle(const QSqlDatabase& db) {
    if (!db.isValid() || !db.driver()) return nullptr;
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}
}  // namespace

RowInsert::RowInsert(const QSqlDatabase& db, const char* table, const QStringList& columns)
    : db_(nativeHandle(db)) {
    if (!db_) {
        prepareError_ = QStringLiteral("the records database is not open");
        return;
    }
    QStringList marks;
    for (qsizetype i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    const QByteArray sql =
        QStringLiteral("insert into %1 (%2) values (%3)")
            .arg(QLatin1String(table), columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))
            .toUtf8();
    if (sqlite3_prepare_v2(db_, sql.constData(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
        SQLITE_OK) {
        prepareError_ = QString::fromUtf8(sqlite3_errmsg(db_));
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
}

RowInsert::~RowInsert() {
    sqlite3_finalize(stmt_);
}

bool RowInsert::ok(QString* error) const {
    if (stmt_) return true;
    if (error) *error = prepareError_;
    return false;
}

bool RowInsert::fail(QString* error) const {
    if (error) *error = QString::fromUtf8(sqlite3_errmsg(db_));
    return false;
}

bool RowInsert::run(const QVariantList& values, QString* error) {
    if (!ok(error)) return false;
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
    return db_ ? sqlite3_last_insert_rowid(db_) : -1;
}

}  // namespace orv
