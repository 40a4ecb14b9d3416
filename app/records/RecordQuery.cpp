#include "records/RecordQuery.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>
#include <limits>
#include <vector>

#include "grid/CardGrid.h"
#include "grid/GridModel.h"

namespace orv {

namespace {

enum class Value { Name, Text, Date, Money, Number8, Result, Signature, Literal };

struct Column {
    const char* header;
    Value value;
    const char* field;  // the column read; the literal text for Value::Literal
    int width;          // 0: the grid's default
    int align;
};

constexpr int L = cellLeftCenter;
constexpr int C = cellCenterCenter;
constexpr int R = cellRightCenter;

const Column kCopyTaxColumns[] = {
    {"纳税人名称", Value::Name, "nsrmc", 245, L},  {"纳税人编码", Value::Text, "nsrbm", 115, C},
    {"业务类型", Value::Literal, "抄报税", 70, C}, {"交易日期", Value::Date, "jyrq", 90, C},
    {"交易结果", Value::Result, "jg1", 70, C},     {"交易流水号", Value::Text, "jylsh", 130, C},
};

// Kind 2's captions; its two kinds of row are written by paymentRow().
const Column kPaymentColumns[] = {
    {"纳税人名称", Value::Name, "nsrmc", 150, L},   {"纳税人编码", Value::Text, "nsrbm", 110, C},
    {"业务类型", Value::Literal, "", 70, C},        {"纳税金额", Value::Money, "je", 85, R},
    {"交易日期", Value::Date, "jyrq", 80, C},       {"税款所属期起", Value::Date, "skqsrq", 80, C},
    {"税款所属期止", Value::Date, "skjzrq", 80, C}, {"交易结果", Value::Result, "", 70, C},
};

const Column kSummaryColumns[] = {
    {"纳税人名称", Value::Name, "nsrmc", 220, L},  {"汇总标志", Value::Text, "hzbz", 0, C},
    {"TSAM注册号", Value::Text, "skkbh", 110, C},  {"税款起始日期", Value::Date, "sjqsrq", 0, C},
    {"税款截止日期", Value::Date, "sjjzrq", 0, C}, {"正常发票份数", Value::Text, "zcfpfs", 0, R},
    {"退票份数", Value::Text, "tpfs", 0, R},       {"废票份数", Value::Text, "fpfs", 0, R},
    {"税种税目", Value::Text, "szsm", 0, C},       {"发票金额1", Value::Money, "zcfpje1", 0, R},
    {"发票金额2", Value::Money, "zcfpje2", 0, R},  {"发票金额3", Value::Money, "zcfpje3", 0, R},
    {"发票金额4", Value::Money, "zcfpje4", 0, R},  {"发票金额5", Value::Money, "zcfpje5", 0, R},
    {"发票金额6", Value::Money, "zcfpje6", 0, R},  {"退票金额1", Value::Money, "tpje1", 0, R},
    {"退票金额2", Value::Money, "tpje2", 0, R},    {"退票金额3", Value::Money, "tpje3", 0, R},
    {"退票金额4", Value::Money, "tpje4", 0, R},    {"退票金额5", Value::Money, "tpje5", 0, R},
    {"退票金额6", Value::Money, "tpje6", 0, R},    {"正常票总金额", Value::Money, "zcfpzje", 0, R},
    {"退票总金额", Value::Money, "tpzje", 0, R},   {"状态字", Value::Text, "ztz", 0, C},
    {"申报数据MAC", Value::Text, "mac", 0, C},     {" 电子签名", Value::Signature, "", 0, C},
};

const Column kInvoiceUseColumns[] = {
    {"纳税人名称", Value::Name, "nsrmc", 240, L},
    {"机器编号", Value::Text, "skjbh", 115, C},
    {"发票代码", Value::Text, "fpdm", 130, C},
    {"发票起始号", Value::Number8, "fpqsh", 75, C},
    {"发票终止号", Value::Number8, "fpzzh", 75, C},
    {"正常发票份数", Value::Text, "zcfpfs", 80, R},
    {"退票份数", Value::Text, "tpfs", 65, R},
    {"废票份数", Value::Text, "fpfs", 65, R},
    {"正常发票总金额", Value::Money, "zcfpzje", 90, R},
    {"退票总金额", Value::Money, "tpzje", 90, R},
    {"开票起始时间", Value::Date, "kpqssj", 90, C},
    {"开票截止时间", Value::Date, "kpjzsj", 90, C},
};

const Column kDailyColumns[] = {
    {"纳税人名称", Value::Name, "nsrmc", 250, C}, {"机器编号", Value::Text, "skjbh", 110, C},
    {"开票日期", Value::Date, "kprq", 0, C},      {"正常发票份数", Value::Text, "zcfpfs", 0, R},
    {"退票份数", Value::Text, "tpfs", 60, R},     {"废票份数", Value::Text, "fpfs", 60, R},
    {"税种税目", Value::Text, "szsm", 0, C},      {"发票金额1", Value::Money, "zcfpje1", 0, R},
    {"发票金额2", Value::Money, "zcfpje2", 0, R}, {"发票金额3", Value::Money, "zcfpje3", 0, R},
    {"发票金额4", Value::Money, "zcfpje4", 0, R}, {"发票金额5", Value::Money, "zcfpje5", 0, R},
    {"发票金额6", Value::Money, "zcfpje6", 0, R}, {"退票金额1", Value::Money, "tpje1", 0, R},
    {"退票金额2", Value::Money, "tpje2", 0, R},   {"退票金额3", Value::Money, "tpje3", 0, R},
    {"退票金额4", Value::Money, "tpje4", 0, R},   {"退票金额5", Value::Money, "tpje5", 0, R},
    {"退票金额6", Value::Money, "tpje6", 0, R},   {"日汇总签名", Value::Signature, "", 0, L},
};

struct Kind {
    const char* caption;
    const Column* columns;
    int cols;
    int initialRows;
    const char* statement;
};

template <std::size_t N>
constexpr int count(const Column (&)[N]) {
    return static_cast<int>(N);
}

// The dates are "yyyy-mm-dd" text, so `between` on the text selects the
// days S to E; a value with a time of day after E's midnight falls outside,
// as with date literals. Rows of one operation (one cbid) follow in the
// order they were stored.
const Kind kKinds[] = {
    {"抄报税记录查询", kCopyTaxColumns, count(kCopyTaxColumns), 40,
     "select * from sbjs where jg1<>0 and jyrq  between ? and ? order by id desc"},
    {"缴税记录查询", kPaymentColumns, count(kPaymentColumns), 40,
     "select * from sbjs where %1 and jyrq  between ? and ? order by id desc"},
    {"申报汇总数据查询", kSummaryColumns, count(kSummaryColumns), 40,
     "select * from ef04 where (sjqsrq between ? and ?) or (sjjzrq between ? and ?) "
     "order by cbid desc, id"},
    {"发票使用信息查询", kInvoiceUseColumns, count(kInvoiceUseColumns), 200,
     "select * from ef06 where (kpqssj between ? and ?) or (kpjzsj between ? and ?) "
     "order by cbid desc, id"},
    {"日交易记录查询", kDailyColumns, count(kDailyColumns), 200,
     "select * from ef09 where  kprq between ? and ? order by cbid desc, id"},
};

const Kind* kindOf(int kind) {
    return validQueryKind(kind) ? &kKinds[kind - 1] : nullptr;
}

const char* const kBusinessConditions[] = {"(jg2<>0 or jg3<>0)", "(jg2<>0)", "(jg3<>0)"};

int businessIndex(int business) {
    return business >= query::kBoth && business <= query::kUnlock ? business : query::kBoth;
}

// A result code as a 32-bit integer, rounded as a conversion to Long does;
// nothing for null, text that is no number, or a value out of range.
bool resultCode(const QVariant& v, qint32* code) {
    if (v.isNull()) return false;
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d)) return false;
    const double r = std::nearbyint(d);  // half to even
    if (r < std::numeric_limits<qint32>::min() || r > std::numeric_limits<qint32>::max())
        return false;
    *code = static_cast<qint32>(r);
    return true;
}

bool nonZero(const QVariant& v) {
    qint32 code = 0;
    return resultCode(v, &code) && code != 0;
}

// The value of `column` in the current record; `fields` holds the record
// positions of the column's field (and of sign2 for a signature).
QString cellText(const Column& column, const QSqlQuery& q, int field, int sign2) {
    switch (column.value) {
        case Value::Name:
            return NullToStr(field < 0 ? QVariant() : q.value(field));
        case Value::Literal:
            return QString::fromUtf8(column.field);
        case Value::Signature:
            return plainText(field < 0 ? QVariant() : q.value(field)) +
                   plainText(sign2 < 0 ? QVariant() : q.value(sign2));
        default:
            break;
    }
    const QVariant v = field < 0 ? QVariant() : q.value(field);
    switch (column.value) {
        case Value::Date:
            return dateText(v);
        case Value::Money:
            return moneyText(v);
        case Value::Number8:
            return number8Text(v);
        case Value::Result:
            return ResultText(v);
        default:
            return plainText(v);
    }
}

// Field positions of every column of `kind` in the result's records.
struct Fields {
    std::vector<int> field, sign2;
    int jg2 = -1, jg3 = -1;
};

Fields fieldsOf(const Kind& k, const QSqlRecord& record) {
    Fields f;
    for (int i = 0; i < k.cols; ++i) {
        const Column& c = k.columns[i];
        if (c.value == Value::Signature) {
            f.field.push_back(record.indexOf(QStringLiteral("sign1")));
            f.sign2.push_back(record.indexOf(QStringLiteral("sign2")));
        } else {
            f.field.push_back(c.value == Value::Literal || !*c.field
                                  ? -1
                                  : record.indexOf(QString::fromUtf8(c.field)));
            f.sign2.push_back(-1);
        }
    }
    f.jg2 = record.indexOf(QStringLiteral("jg2"));
    f.jg3 = record.indexOf(QStringLiteral("jg3"));
    return f;
}

// One 申报缴税 (jg2) or 清零解锁 (jg3) row of kind 2: the unlock row leaves the
// amount and the tax period empty.
void paymentRow(GridModel::Batch& batch, const QSqlQuery& q, const Fields& f, bool unlock) {
    const Column* cols = kPaymentColumns;
    batch.add(cellText(cols[0], q, f.field[0], -1));
    batch.add(cellText(cols[1], q, f.field[1], -1));
    batch.add(unlock ? QStringLiteral("清零解锁") : QStringLiteral("申报缴税"));
    batch.add(unlock ? QString() : cellText(cols[3], q, f.field[3], -1));
    batch.add(cellText(cols[4], q, f.field[4], -1));
    batch.add(unlock ? QString() : cellText(cols[5], q, f.field[5], -1));
    batch.add(unlock ? QString() : cellText(cols[6], q, f.field[6], -1));
    const int code = unlock ? f.jg3 : f.jg2;
    batch.add(ResultText(code < 0 ? QVariant() : q.value(code)));
    batch.endRow();
}

}  // namespace

bool validQueryKind(int kind) {
    return kind >= query::kCopyTax && kind <= query::kDaily;
}

QString queryCaption(int kind) {
    const Kind* k = kindOf(kind);
    return k ? QString::fromUtf8(k->caption) : QString();
}

QStringList businessTypes() {
    return {QStringLiteral("申报缴税和清零解锁"), QStringLiteral("申报缴税"),
            QStringLiteral("清零解锁")};
}

QString queryStatement(int kind, int business) {
    const Kind* k = kindOf(kind);
    if (!k) return {};
    const QString sql = QString::fromUtf8(k->statement);
    if (kind != query::kPayment) return sql;
    return sql.arg(QLatin1String(kBusinessConditions[businessIndex(business)]));
}

void InitGrid(GridModel& grid, int kind) {
    ClearGridLayout(grid);
    const Kind* k = kindOf(kind);
    if (!k) return;
    grid.setCols(k->cols);
    grid.setRows(k->initialRows);
    for (int c = 1; c <= k->cols; ++c)
        grid.setText(0, c, QString::fromUtf8(k->columns[c - 1].header));
    for (int c = 1; c <= k->cols; ++c) {
        const Column& col = k->columns[c - 1];
        grid.setColAlignment(c, col.align);
        if (col.width > 0) grid.setColWidth(c, col.width);
    }
}

FillResult FillGrid(GridModel& grid, int kind, int business, QSqlQuery& records) {
    FillResult result;
    const Kind* k = kindOf(kind);
    if (!k) {
        result.error = QStringLiteral("unknown query kind %1").arg(kind);
        return result;
    }
    business = businessIndex(business);
    const Fields f = fieldsOf(*k, records.record());
    GridModel::Batch batch;
    while (records.next()) {
        if (kind == query::kPayment) {
            // A null code counts as zero: no row for it.
            if (business != query::kUnlock && nonZero(records.value(f.jg2)))
                paymentRow(batch, records, f, false);
            if (business != query::kDeclaration && nonZero(records.value(f.jg3)))
                paymentRow(batch, records, f, true);
            continue;
        }
        for (int i = 0; i < k->cols; ++i)
            batch.add(cellText(k->columns[i], records, f.field[static_cast<std::size_t>(i)],
                               f.sign2[static_cast<std::size_t>(i)]));
        batch.endRow();
    }
    // next() is false at the end and on a failure; only the latter sets an
    // error.
    if (records.lastError().isValid()) {
        result.error = records.lastError().text();
        return result;
    }
    grid.setRows(0);
    grid.appendRows(batch);
    result.ok = true;
    result.rows = grid.Rows();
    return result;
}

FillResult runQuery(const QSqlDatabase& db, GridModel& grid, int kind, int business,
                    const QDate& start, const QDate& end) {
    FillResult result;
    if (!db.isValid() || !db.isOpen()) {
        result.error = QStringLiteral("the records database is not open");
        return result;
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(queryStatement(kind, business))) {
        result.error = q.lastError().text();
        return result;
    }
    const QString s = start.toString(QStringLiteral("yyyy-MM-dd"));
    const QString e = end.toString(QStringLiteral("yyyy-MM-dd"));
    q.addBindValue(s);
    q.addBindValue(e);
    if (kind == query::kSummary || kind == query::kInvoiceUse) {
        q.addBindValue(s);
        q.addBindValue(e);
    }
    if (!q.exec()) {
        result.error = q.lastError().text();
        return result;
    }
    return FillGrid(grid, kind, business, q);
}

QString ResultText(const QVariant& code) {
    qint32 c = 0;
    if (!resultCode(code, &c)) return QStringLiteral("未知");
    switch (c) {
        case 0:
            return QStringLiteral("未执行");
        case 1:
            return QStringLiteral("成功");
        case 2:
            return QStringLiteral("失败");
        default:
            return QStringLiteral("未知");
    }
}

QString NullToStr(const QVariant& value) {
    if (value.isNull() || !value.canConvert<QString>()) return {};
    return value.toString();
}

QString plainText(const QVariant& value) {
    return NullToStr(value);
}

QString dateText(const QVariant& value) {
    const QString s = NullToStr(value);
    // A stored date with a time of day shows its day; anything that is not
    // a date shows as stored.
    if (s.size() >= 10 && (s.size() == 10 || s[10] == QLatin1Char(' ') || s[10] == 'T') &&
        QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd")).isValid())
        return s.left(10);
    return s;
}

QString moneyText(const QVariant& value) {
    if (value.isNull()) return {};
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok || !std::isfinite(d)) return NullToStr(value);
    QString s = QString::number(d, 'f', 2);
    if (s == QLatin1String("-0.00")) s.remove(0, 1);
    return s;
}

QString number8Text(const QVariant& value) {
    if (value.isNull()) return {};
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) > 9.0e15) return NullToStr(value);
    const qint64 n = static_cast<qint64>(std::nearbyint(d));
    const QString digits = QStringLiteral("%1").arg(n < 0 ? -n : n, 8, 10, QLatin1Char('0'));
    return n < 0 ? QLatin1Char('-') + digits : digits;
}

}  // namespace orv
