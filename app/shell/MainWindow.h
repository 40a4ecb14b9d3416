// frmMain: the menus, the toolbar, the status bar with its seven panes, and
// the content area showing the background picture or the card-data grid.
// Card commands run the operation wizard and lay out what it read.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>

#include "update/Downloader.h"
#include "update/UpdateHost.h"

class QAction;
class QLabel;
class QMenu;
class QStackedWidget;
class QToolBar;

namespace orv {

class Grid;
class NaviWindow;
class NetworkState;
class UpdateCheck;
class WebModule;
class WebPane;
struct Program;
struct WizardContext;

class MainWindow : public QMainWindow, private UpdateHost {
    Q_OBJECT
public:
    // `starter` starts the updater when an update has arrived (the system's
    // process start when null).
    MainWindow(Program& program, NetworkState& network, ProgramStarter* starter = nullptr,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The window's load: the date and the attribution at once, then, once
    // the window is shown, the status and its timer.
    void load();
    // True once the status has been refreshed for the first time.
    bool loaded() const { return !loadPending_ && statusTimer_.isActive(); }
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
    // The system asks the program to end (log-out, shutdown, an interrupt):
    // it ends as by its close box. A wizard in the middle of a card or
    // server exchange is first asked as its close box asks it (a read that
    // can stop stops); the end waits for it from the event loop.
    void requestEnd();

    static QString caption();
    // The attribution pane's text for a screen this wide.
    static QString attributionFor(int screenWidth);
    // Runs a toolbar button's command; an unknown key does nothing.
    void toolbarClicked(const QString& key);

signals:
    // The window has painted once and its status is shown: work that need
    // not hold up the window's first appearance starts now.
    void loadFinished();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* e) override;

private:
    // A menu item; without a command it stays disabled.
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption,
                     std::function<void()> command = {});
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    QLabel* pane(const char* key, const QString& text);
    void finishLoad();
    void showBackground();
    void showGrid();

    void cardCommand(int kind);
    // Copy-tax reporting (mode 5) or clearing the card's history (mode 7):
    // the wizard runs; nothing is shown afterwards.
    void operationCommand(int mode);
    // Probes the reader; false (after saying so) when none answers.
    bool readerReady();
    void queryCommand(int kind);
    void runWizard(int mode);
    WizardContext wizardContext();
    void onGridMouseUp(Qt::MouseButton button);

    // What the update check asks of the program.
    QWidget* window() override { return this; }
    void reloadSettings() override;
    void showStatus(bool full) override { ShowStatus(full); }
    bool cardBusy() override;
    bool wizardBusy() override;
    void closeOtherWindows() override;
    void closeProgram() override;

    // The information commands and the web pane (MainWindowPages.cpp).
    // Made on first use, when the web module is loaded: the engine starts
    // only then. Null without the module (the reason logged once).
    WebPane* web1();
    void hideWeb();
    void openInvoicePage(int index);
    void onNavigationFailed(const QUrl& url);
    void serverCommand();
    void readerCommand();
    void helpCommand();
    void upgradeCommand();
    void aboutCommand();

    Program& program_;
    NetworkState& network_;
    QStackedWidget* content_;
    QLabel* imgBK_;
    Grid* grid1_;
    std::unique_ptr<WebModule> webModule_;  // made on the first invoice command
    WebPane* web1_ = nullptr;               // the pane's widget is content_'s child
    QToolBar* toolbar_ = nullptr;
    QMenu* mnuExport_ = nullptr;
    QHash<QString, QAction*> items_;  // menu items by name
    QHash<QString, QLabel*> panes_;   // status panes by key
    QTimer statusTimer_;
    QTimer endTimer_;  // an end request waiting for a card operation
    int shownRows_ = 0;
    bool loadPending_ = false;
    NaviWindow* wizard_ = nullptr;
    DetachedStarter detachedStarter_;
    Downloader ucDownloader1_;
    std::unique_ptr<UpdateCheck> update_;
};

}  // namespace orv
