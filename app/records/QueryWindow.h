// frmQuery: the records of one query kind for a date range, in a grid, with
// export of the shown table. The queries and the writers are the plain
// classes of this folder; the window wires them to its controls.
#pragma once

#include <QDialog>
#include <QSqlDatabase>

#include "orv/clock.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;

namespace orv {

class AppLog;
class Grid;

class QueryWindow : public QDialog {
    Q_OBJECT
public:
    // `kind` is the QueryKind (1 to 5); the window loads for it at once.
    QueryWindow(int kind, QSqlDatabase db, AppLog& log, QWidget* parent = nullptr,
                const Clock& clock = SystemClock::instance());

    int QueryKind() const { return kind_; }

    // cmdDo: the range checked, the query run, the grid filled.
    void runQuery();
    // cmdExport: the save dialog, then the writer the chosen name selects.
    void exportGrid();

private:
    int kind_;
    QSqlDatabase db_;
    AppLog& log_;
    QWidget* picTop_;
    QDateEdit* dt1_;
    QDateEdit* dt2_;
    QLabel* lblYW_;
    QComboBox* cboYW_;
    QPushButton* cmdDo_;
    QPushButton* cmdExport_;
    QPushButton* cmdExit_;
    Grid* grid1_;
};

// Creates the window for `kind`, shows it modally, and returns when it is
// closed.
void showQueryWindow(QWidget* parent, QSqlDatabase db, AppLog& log, int kind);

}  // namespace orv
