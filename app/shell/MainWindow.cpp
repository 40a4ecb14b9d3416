#include "shell/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "base/Deployment.h"
#include "card/RecordsDb.h"
#include "grid/CardGrid.h"
#include "grid/Grid.h"
#include "gui/MessageBox.h"
#include "gui/Pictures.h"
#include "records/Export.h"
#include "records/QueryWindow.h"
#include "service/NaviWindow.h"
#include "shell/NetworkState.h"
#include "shell/Program.h"
#include "update/UpdateCheck.h"
#include "web/WebModule.h"
#include "web/WebPane.h"

// Pictures compiled into a static library register by hand, outside any
// namespace as the macro requires.
static void initShellResources() {
    Q_INIT_RESOURCE(shell);
}

namespace orv {

namespace {
constexpr int kStatusIntervalMs = 60000;
// How often an end request looks again whether the card operation it waits
// for is over: at a pace the user does not notice, without spinning.
constexpr int kEndRetryMs = 100;

// The background picture, filling the content area at its own proportions
// (cut at the edges rather than stretched). Drawing the picture costs more
// than the rest of the window, so the first paint shows its sky colour and
// the picture follows at once.
class Picture : public QLabel {
public:
    Picture(const QString& path, QWidget* parent) : QLabel(parent), path_(path) {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (picture_.isNull()) {
            p.fillRect(rect(), QColor(0xee, 0xf4, 0xfb));
            if (!pending_) {
                pending_ = true;
                QTimer::singleShot(0, this, [this] {
                    picture_ = QPixmap(path_);
                    update();
                });
            }
            return;
        }
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const QSize size = picture_.size().scaled(this->size(), Qt::KeepAspectRatioByExpanding);
        const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2),
                           size);
        p.drawPixmap(target, picture_);
    }

private:
    QString path_;
    QPixmap picture_;
    bool pending_ = false;
};

// The toolbar: key, caption, and the menu item whose command it runs.
struct ToolButton {
    const char* key;
    const char* caption;
    const char* item;
};
const ToolButton kToolButtons[] = {
    {"TAX", "报缴税", "mnuCBS"},           {"ICHZ", "汇总数据", "mnuSBHZ"},
    {"ICFP", "发票使用信息", "mnuFPSYXX"}, {"ICRJY", "日交易记录", "mnuRJYJL"},
    {"QCB", "抄报查询", "mnuCXCBS"},       {"QJS", "缴税查询", "mnuCXJSJL"},
    {"INVOICE", "辨伪拍奖", "mnuBWSKFP"},  {"SZ", "设置", "mnuFWQ"},
    {"EXIT", "退出", "mnuExit"},
};
}  // namespace

MainWindow::MainWindow(Program& program, NetworkState& network, ProgramStarter* starter,
                       QWidget* parent)
    : QMainWindow(parent), program_(program), network_(network) {
    initShellResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(caption());
    setWindowIcon(pngIcon(QStringLiteral(":/orv/shell/orvane-%1.png")));
    resize(1024, 700);

    content_ = new QStackedWidget(this);
    imgBK_ = new Picture(QStringLiteral(":/orv/shell/background.svg"), content_);
    imgBK_->setObjectName(QStringLiteral("imgBK"));
    imgBK_->setAccessibleName(QStringLiteral("背景图片"));
    grid1_ = new Grid(content_);
    grid1_->setObjectName(QStringLiteral("Grid1"));
    grid1_->setAccessibleName(QStringLiteral("卡信息"));
    connect(grid1_, &Grid::MouseUp, this,
            [this](Qt::MouseButton button, QPoint) { onGridMouseUp(button); });
    content_->addWidget(imgBK_);
    content_->addWidget(grid1_);
    // The layout keeps each at the full area between toolbar and status bar;
    // Web1 joins them when first used.
    setCentralWidget(content_);

    buildMenus();
    buildToolbar();
    buildStatusBar();

    ucDownloader1_.setParent(this);
    ucDownloader1_.setObjectName(QStringLiteral("ucDownloader1"));
    UpdateHost& host = *this;
    update_ = std::make_unique<UpdateCheck>(
        host, ucDownloader1_, *program_.log, starter ? *starter : detachedStarter_,
        ProgramIdentity::current(program_.folder, program_.settingsPath));

    statusTimer_.setParent(this);
    statusTimer_.setObjectName(QStringLiteral("StatusTimer"));
    statusTimer_.setInterval(kStatusIntervalMs);
    connect(&statusTimer_, &QTimer::timeout, this, [this] { ShowStatus(false); });

    endTimer_.setParent(this);
    endTimer_.setSingleShot(true);
    endTimer_.setInterval(kEndRetryMs);
    connect(&endTimer_, &QTimer::timeout, this, &MainWindow::requestEnd);
}

MainWindow::~MainWindow() {
    // The pane goes while the window it reports to is still whole.
    if (web1_) delete web1_->widget();
}

QString MainWindow::caption() {
    return QStringLiteral("Orvane   服务电话：") + QString::fromUtf8(deployment::kServicePhone);
}

QString MainWindow::attributionFor(int screenWidth) {
    return QString::fromUtf8(screenWidth <= 1024 ? deployment::kAttributionShort
                                                 : deployment::kAttribution);
}

QAction* MainWindow::addItem(QMenu* menu, const QString& name, const QString& caption,
                             std::function<void()> command) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    if (command) {
        connect(a, &QAction::triggered, this, std::move(command));
    } else {
        // Its feature is not part of this program yet.
        a->setEnabled(false);
    }
    items_.insert(name, a);
    return a;
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    auto menu = [&](const char* name, const QString& title) {
        QMenu* m = bar->addMenu(title);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        return m;
    };
    QMenu* tax = menu("mnuTax", QStringLiteral("报缴税"));
    addItem(tax, QStringLiteral("mnuCBS"), QStringLiteral("抄报税"),
            [this] { operationCommand(5); });
    addItem(tax, QStringLiteral("mnuSBJS"), QStringLiteral("申报缴税"),
            [this] { operationCommand(5); });
    addItem(tax, QStringLiteral("mnuQLJS"), QStringLiteral("清零解锁"),
            [this] { operationCommand(5); });
    tax->addSeparator();
    addItem(tax, QStringLiteral("mnuExit"), QStringLiteral("退出"), [this] { close(); });

    QMenu* card = menu("mnuKXX", QStringLiteral("卡信息"));
    addItem(card, QStringLiteral("mnuJBXX"), QStringLiteral("基本信息"),
            [this] { cardCommand(1); });
    addItem(card, QStringLiteral("mnuSBHZ"), QStringLiteral("申报汇总数据"),
            [this] { cardCommand(2); });
    addItem(card, QStringLiteral("mnuFPSYXX"), QStringLiteral("发票使用信息"),
            [this] { cardCommand(3); });
    addItem(card, QStringLiteral("mnuRJYJL"), QStringLiteral("日交易记录"),
            [this] { cardCommand(4); });
    card->addSeparator();
    addItem(card, QStringLiteral("mnuClearIC"), QStringLiteral("清除卡内历史数据"),
            [this] { operationCommand(7); });

    QMenu* query = menu("mnuCX", QStringLiteral("查询"));
    addItem(query, QStringLiteral("mnuCXCBS"), QStringLiteral("抄报税记录"),
            [this] { queryCommand(1); });
    addItem(query, QStringLiteral("mnuCXJSJL"), QStringLiteral("缴税记录"),
            [this] { queryCommand(2); });
    addItem(query, QStringLiteral("mnuCXSBHZ"), QStringLiteral("申报汇总数据"),
            [this] { queryCommand(3); });
    addItem(query, QStringLiteral("mnuCXFPSY"), QStringLiteral("发票使用信息"),
            [this] { queryCommand(4); });
    addItem(query, QStringLiteral("mnuCXRJYJL"), QStringLiteral("日交易记录"),
            [this] { queryCommand(5); });

    QMenu* invoice = menu("mnuFPBW", QStringLiteral("发票辨伪拍奖"));
    addItem(invoice, QStringLiteral("mnuBWSKFP"), QStringLiteral("税控发票"),
            [this] { openInvoicePage(1); });
    addItem(invoice, QStringLiteral("mnuBWZZSPTFP"), QStringLiteral("增值税普通发票"),
            [this] { openInvoicePage(2); });
    addItem(invoice, QStringLiteral("mnuBWTYDKFP"), QStringLiteral("统一代开发票"),
            [this] { openInvoicePage(3); });
    addItem(invoice, QStringLiteral("mnuBWQTPTFP"), QStringLiteral("其他普通发票"),
            [this] { openInvoicePage(4); });

    QMenu* settings = menu("mnuSZ", QStringLiteral("设置"));
    addItem(settings, QStringLiteral("mnuFWQ"), QStringLiteral("服务器"),
            [this] { serverCommand(); });
    addItem(settings, QStringLiteral("mnuICKDXQ"), QStringLiteral("IC卡读写器"),
            [this] { readerCommand(); });

    QMenu* help = menu("mnuBZ", QStringLiteral("帮助"));
    addItem(help, QStringLiteral("mnuSYSC"), QStringLiteral("使用手册"), [this] { helpCommand(); });
    addItem(help, QStringLiteral("mnuRJSJ"), QStringLiteral("软件升级"),
            [this] { upgradeCommand(); });
    help->addSeparator();
    addItem(help, QStringLiteral("mnuAbout"), QStringLiteral("关于..."),
            [this] { aboutCommand(); });

    // The grid's pop-up menu, not on the menu bar.
    mnuExport_ = new QMenu(QStringLiteral("导出"), this);
    mnuExport_->setObjectName(QStringLiteral("mnuExport"));
    const QString exports[] = {QStringLiteral("导出到Excel文件"), QStringLiteral("导出到CSV文件"),
                               QStringLiteral("导出到文本文件")};
    // One control array: three items named mnuExp, told apart by index.
    for (int i = 0; i < 3; ++i) {
        QAction* a = addItem(mnuExport_, QStringLiteral("mnuExp%1").arg(i), exports[i], [this, i] {
            exportFromMenu(this, *program_.log, grid1_->model(), i);
        });
        a->setObjectName(QStringLiteral("mnuExp"));
        a->setProperty("index", i);
    }
}

void MainWindow::buildToolbar() {
    toolbar_ = addToolBar(QStringLiteral("工具栏"));
    toolbar_->setObjectName(QStringLiteral("zelToolbar"));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar_->setIconSize(QSize(32, 32));
    for (const ToolButton& b : kToolButtons) {
        const QString key = QLatin1String(b.key);
        QAction* item = items_.value(QLatin1String(b.item));
        const QIcon icon = pngIcon(
            QStringLiteral(":/orv/toolbar/%1-%2.png").arg(key.toLower(), QStringLiteral("%1")));
        QAction* a = toolbar_->addAction(icon, QString::fromUtf8(b.caption));
        a->setObjectName(key);
        connect(a, &QAction::triggered, this, [this, key] { toolbarClicked(key); });
        // A button is usable exactly when its menu item is.
        a->setEnabled(item && item->isEnabled());
        if (item)
            connect(item, &QAction::changed, a, [a, item] { a->setEnabled(item->isEnabled()); });
        QWidget* w = toolbar_->widgetForAction(a);
        w->setObjectName(key);
        w->setAccessibleName(QString::fromUtf8(b.caption));
        if (key == QLatin1String("SZ") || key == QLatin1String("INVOICE")) toolbar_->addSeparator();
    }
}

void MainWindow::toolbarClicked(const QString& key) {
    for (const ToolButton& b : kToolButtons) {
        if (key != QLatin1String(b.key)) continue;
        QAction* item = items_.value(QLatin1String(b.item));
        if (item && item->isEnabled()) item->trigger();
        return;
    }
}

QLabel* MainWindow::pane(const char* key, const QString& text) {
    auto* l = new QLabel(text, this);
    l->setObjectName(QLatin1String(key));
    // The server's address and port come from the settings file, which an
    // update manifest writes: text, never markup.
    l->setTextFormat(Qt::PlainText);
    l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    l->setContentsMargins(4, 0, 4, 0);
    panes_.insert(QLatin1String(key), l);
    return l;
}

void MainWindow::buildStatusBar() {
    QStatusBar* sb = statusBar();
    sb->setObjectName(QStringLiteral("zelSB"));
    sb->setSizeGripEnabled(true);
    sb->addWidget(pane("ONE", QString::fromUtf8(deployment::kAttribution)), 1);
    sb->addWidget(pane("IP", QStringLiteral("服务器地址：127.0.0.1")));
    sb->addWidget(pane("PORT", QStringLiteral("服务器端口：8085")));
    sb->addWidget(pane("INET", QStringLiteral("互联网：离线")));
    sb->addWidget(pane("SERVER", QStringLiteral("服务器：未连接")));
    sb->addWidget(pane("READER", QStringLiteral("读卡器：已连接")));
    sb->addWidget(pane("DATE", QStringLiteral("2011年07月01日")));
}

void MainWindow::load() {
    panes_[QStringLiteral("DATE")]->setText(
        QDate::currentDate().toString(QStringLiteral("yyyy年MM月dd日")));
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (s && s->geometry().width() <= 1024)
        panes_[QStringLiteral("ONE")]->setText(attributionFor(s->geometry().width()));
    // The status probes (network, reader) wait for the window's first paint,
    // so that the window is up before they run.
    loadPending_ = true;
    if (!isVisible()) return;
    QTimer::singleShot(0, this, &MainWindow::finishLoad);
}

void MainWindow::finishLoad() {
    if (!loadPending_) return;
    loadPending_ = false;
    ShowStatus(true);
    statusTimer_.start();
    update_->removeLeftovers();
    if (network_.online()) update_->start(program_.settings.AUTOUPDATE);
    emit loadFinished();
}

bool MainWindow::event(QEvent* e) {
    const bool r = QMainWindow::event(e);
    if (e->type() == QEvent::Paint && loadPending_)
        QTimer::singleShot(0, this, &MainWindow::finishLoad);
    return r;
}

void MainWindow::ShowStatus(bool full) {
    const SystemSettings& s = program_.settings;
    if (full) {
        panes_[QStringLiteral("IP")]->setText(QStringLiteral("服务器地址：") + s.IP);
        panes_[QStringLiteral("PORT")]->setText(QStringLiteral("服务器端口：") + s.PORT);
        panes_[QStringLiteral("SERVER")]->setText(program_.serverConnected
                                                      ? QStringLiteral("服务器：已连接")
                                                      : QStringLiteral("服务器：未连接"));
    }
    panes_[QStringLiteral("INET")]->setText(network_.online() ? QStringLiteral("互联网：在线")
                                                              : QStringLiteral("互联网：离线"));
    // While the wizard works on the card the probe would close its session:
    // the last known state stands (the card access object answers it too).
    if (!wizard_ || wizard_->wizard().idle()) {
        program_.readerConnected = program_.card && program_.card->GetReaderStatus() != 0;
    }
    panes_[QStringLiteral("READER")]->setText(program_.readerConnected
                                                  ? QStringLiteral("读卡器：已连接")
                                                  : QStringLiteral("读卡器：未连接"));
}

void MainWindow::showBackground() {
    content_->setCurrentWidget(imgBK_);
}

void MainWindow::showGrid() {
    content_->setCurrentWidget(grid1_);
}

bool MainWindow::readerReady() {
    ShowStatus(false);
    if (program_.readerConnected) return true;
    MessageBox::show(this, QStringLiteral("读卡器未连接，请检查后重试。"), QStringLiteral("提示"),
                     MessageBox::Icon::Information);
    return false;
}

void MainWindow::operationCommand(int mode) {
    showBackground();
    if (readerReady()) runWizard(mode);
}

void MainWindow::cardCommand(int kind) {
    hideWeb();
    if (!readerReady()) return;
    shownRows_ = kind == 1 ? 2 : kind == 2 ? 25 : 0;
    runWizard(kind);
    const CardData& c = program_.currentCard;
    const QString* texts[] = {&c.ef02, &c.ef04, &c.ef06, &c.ef09};
    if (!texts[kind - 1]->isEmpty()) {
        ShowICInfo(kind);
    } else {
        showBackground();
    }
}

void MainWindow::queryCommand(int kind) {
    showBackground();
    showQueryWindow(this, RecordsDb::connection(), *program_.log, kind);
}

void MainWindow::ShowICInfo(int kind) {
    const int rows = orv::ShowICInfo(grid1_->model(), kind, program_.currentCard);
    if (kind == 3 || kind == 4) shownRows_ = rows;
    showGrid();
    grid1_->raise();
}

WizardContext MainWindow::wizardContext() {
    return WizardContext{*program_.card,
                         program_.currentCard,
                         *program_.log,
                         program_.settings,
                         program_.ini,
                         RecordsDb::connection(),
                         *program_.waiter,
                         *program_.clock,
                         SystemClock::instance(),
                         program_.readingClip,
                         program_.writingClip,
                         [this](bool on) {
                             program_.serverConnected = on;
                             ShowStatus(true);
                         }};
}

void MainWindow::runWizard(int mode) {
    NaviWindow w(wizardContext(), this);
    w.start(mode);
    wizard_ = &w;
    w.exec();
    wizard_ = nullptr;
}

void MainWindow::onGridMouseUp(Qt::MouseButton button) {
    if (button == Qt::RightButton && shownRows_ != 0) mnuExport_->popup(QCursor::pos());
}

void MainWindow::activate() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void MainWindow::reloadSettings() {
    program_.settings = LoadSettings(program_.ini, [this] {
        QStringList names;
        program_.card->getReaderList(names);
        return names;
    });
}

bool MainWindow::cardBusy() {
    return program_.card && program_.card->busy();
}

bool MainWindow::wizardBusy() {
    return wizard_ && !wizard_->wizard().idle();
}

void MainWindow::closeOtherWindows() {
    // The dialogs; the wizard is waited for and closes with the program.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* d = qobject_cast<QDialog*>(w);
        if (d && d->isVisible() && d != wizard_) d->reject();
    }
}

void MainWindow::closeProgram() {
    // An idle wizard goes first: while a window is open the program would
    // not end.
    if (wizard_) wizard_->reject();
    QTimer::singleShot(0, this, &QWidget::close);
}

void MainWindow::requestEnd() {
    // The card must not be left half written, nor a report half sent.
    if (wizardBusy()) wizard_->reject();
    if (wizardBusy() || cardBusy()) {
        endTimer_.start();
        return;
    }
    closeOtherWindows();
    closeProgram();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    statusTimer_.stop();
    update_->closeNotices();
    RecordsDb::close();
    event->accept();
}

}  // namespace orv
