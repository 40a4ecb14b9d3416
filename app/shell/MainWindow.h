// frmMain: the menus, the toolbar, the status bar with its seven panes, and
// the content area showing the background picture or the card-data grid.
// Card commands run the operation wizard and lay out what it read.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QTimer>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QStackedWidget;
class QToolBar;

namespace orv {

class Grid;
class NaviWindow;
class NetworkState;
struct Program;
struct WizardContext;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(Program& program, NetworkState& network, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The window's load: the date, the attribution, the status, the timer.
    void load();
    void ShowStatus(bool full);
    // Lays out the card file of `kind` (1 to 4) from the card data and
    // shows the grid.
    void ShowICInfo(int kind);
    int shownRows() const { return shownRows_; }

    // Brings the window back from minimised and to the front (a second copy
    // of the program asked for it).
    void activate();
    // The wizard while it is open, else null.
    NaviWindow* wizard() const { return wizard_; }

    static QString caption();
    // The attribution pane's text for a screen this wide.
    static QString attributionFor(int screenWidth);
    // Runs a toolbar button's command; an unknown key does nothing.
    void toolbarClicked(const QString& key);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // A menu item; without a command it stays disabled.
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption,
                     std::function<void()> command = {});
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    QLabel* pane(const char* key, const QString& text);
    void showBackground();
    void showGrid();

    void cardCommand(int kind);
    // Copy-tax reporting (mode 5) or clearing the card's history (mode 7):
    // the wizard runs; nothing is shown afterwards.
    void operationCommand(int mode);
    // Probes the reader; false (after saying so) when none answers.
    bool readerReady();
    void runWizard(int mode);
    WizardContext wizardContext();
    void onGridMouseUp(Qt::MouseButton button);

    Program& program_;
    NetworkState& network_;
    QStackedWidget* content_;
    QLabel* imgBK_;
    Grid* grid1_;
    QToolBar* toolbar_ = nullptr;
    QMenu* mnuExport_ = nullptr;
    QHash<QString, QAction*> items_;  // menu items by name
    QHash<QString, QLabel*> panes_;   // status panes by key
    QTimer statusTimer_;
    int shownRows_ = 0;
    NaviWindow* wizard_ = nullptr;
};

}  // namespace orv
