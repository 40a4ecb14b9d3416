// The record queries: for each of the five kinds its caption, its statement
// on the records database, the grid's columns (InitGrid) and the filling of
// the grid from the result (FillGrid), with the value forms of the columns.
// Plain code over GridModel and Qt SQL, used by the query window.
#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

class QSqlQuery;

namespace orv {

class GridModel;

namespace query {
// QueryKind values.
inline constexpr int kCopyTax = 1;     // sbjs, copy-tax reporting
inline constexpr int kPayment = 2;     // sbjs, declaration/payment and clear-unlock
inline constexpr int kSummary = 3;     // ef04
inline constexpr int kInvoiceUse = 4;  // ef06
inline constexpr int kDaily = 5;       // ef09

// Business types of kind 2 (cboYW), by list index.
inline constexpr int kBoth = 0;
inline constexpr int kDeclaration = 1;
inline constexpr int kUnlock = 2;
}  // namespace query

bool validQueryKind(int kind);
// The window caption of the kind ("" for an invalid kind).
QString queryCaption(int kind);
// "申报缴税和清零解锁", "申报缴税", "清零解锁".
QStringList businessTypes();

// The kind's statement, the start and end dates as the parameters ? and ?
// (kinds 3 and 4 take them twice: S, E, S, E). `business` matters for kind
// 2 only.
QString queryStatement(int kind, int business = query::kBoth);

// Captions, widths, alignments, colours and the initial Rows/Cols of the
// kind; everything the grid held before is cleared.
void InitGrid(GridModel& grid, int kind);

struct FillResult {
    bool ok = false;
    int rows = 0;   // data rows written
    QString error;  // the driver's message when !ok
};
// Reads every record of the executed `records` and replaces the grid's rows
// with the kind's rows, in the statement's order (kind 2: up to two rows a
// record). When reading fails the grid keeps what it had.
FillResult FillGrid(GridModel& grid, int kind, int business, QSqlQuery& records);

// Runs the kind's query for S..E on `db` and fills the grid (the columns of
// InitGrid must be in place). A failing statement leaves the grid as it was.
FillResult runQuery(const QSqlDatabase& db, GridModel& grid, int kind, int business,
                    const QDate& start, const QDate& end);

// 0 "未执行", 1 "成功", 2 "失败", anything else (not a number, out of range)
// "未知"; the code is taken as a 32-bit integer first.
QString ResultText(const QVariant& code);
// "" for null or a value that does not convert to text.
QString NullToStr(const QVariant& value);

// The value forms of the columns; null gives "".
QString dateText(const QVariant& value);     // "yyyy-mm-dd", time of day dropped
QString moneyText(const QVariant& value);    // "0.00"
QString number8Text(const QVariant& value);  // "00000000"
QString plainText(const QVariant& value);

}  // namespace orv
