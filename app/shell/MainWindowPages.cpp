// The main window's commands that show information rather than work with
// the card: the invoice-check pages in Web1 (or the browser without the web
// module), the settings dialogs, the help file, the upgrade page and the
// about box.
#include <QStackedWidget>

#include "dialogs/AboutDialog.h"
#include "dialogs/ReaderDialog.h"
#include "dialogs/ServerDialog.h"
#include "gui/Desktop.h"
#include "gui/MessageBox.h"
#include "gui/SystemInfo.h"
#include "shell/MainWindow.h"
#include "shell/Program.h"
#include "web/InvoicePages.h"
#include "web/WebModule.h"
#include "web/WebPane.h"

namespace orv {

WebPane* MainWindow::web1() {
    if (web1_ || webModule_) return web1_;
    webModule_ = std::make_unique<WebModule>(program_.folder);
    if (WebPaneFactory* factory = webModule_->factory()) {
        web1_ = factory->createPane(content_, [this](const QUrl& url) { onNavigationFailed(url); });
        content_->addWidget(web1_->widget());
    } else if (program_.log) {
        program_.log->Log(QStringLiteral("网页模块未载入，发票辨伪拍奖页面改在浏览器中打开：") +
                          webModule_->reason());
    }
    return web1_;
}

void MainWindow::hideWeb() {
    // The content area shows one thing at a time: without the pane, the
    // background.
    if (web1_ && content_->currentWidget() == web1_->widget()) showBackground();
}

void MainWindow::openInvoicePage(int index) {
    showBackground();
    const QString url = invoicePageUrl(program_.settings, index);
    if (url.isEmpty()) return;
    WebPane* web = web1();
    if (!web) {
        if (!program_.desktop->openUrl(QUrl(url)) && program_.log)
            program_.log->Log(QStringLiteral("无法打开发票辨伪拍奖页面：") + url);
        return;
    }
    web->open(QUrl(url));
    content_->setCurrentWidget(web->widget());
    web->widget()->raise();
}

void MainWindow::onNavigationFailed(const QUrl& url) {
    hideWeb();
    if (isInvoiceServerUrl(url)) {
        MessageBox::show(this, QStringLiteral("连接发票辨伪拍奖服务器错误，请稍后重试！"),
                         QStringLiteral("错误"), MessageBox::Icon::Critical);
    }
    web1_->blank();
}

void MainWindow::serverCommand() {
    showBackground();
    ServerDialog(program_.settings, program_.ini, this).exec();
    ShowStatus(true);
}

void MainWindow::readerCommand() {
    showBackground();
    ReaderDialogHooks hooks{[this] {
                                QStringList names;
                                if (program_.card) program_.card->getReaderList(names);
                                return names;
                            },
                            [this](const QString& name) {
                                if (program_.card) program_.card->setReader(name);
                            },
                            [this] { ShowStatus(false); }};
    ReaderDialog(program_.settings, program_.ini, std::move(hooks), this).exec();
}

void MainWindow::helpCommand() {
    showBackground();
    if (program_.helpPath.isEmpty()) {
        MessageBox::show(this, QStringLiteral("帮助文件未找到！"), QStringLiteral("提示"),
                         MessageBox::Icon::Exclamation);
        return;
    }
    if (!program_.desktop->openUrl(QUrl::fromLocalFile(program_.helpPath)) && program_.log)
        program_.log->Log(QStringLiteral("无法打开帮助文件：") + program_.helpPath);
}

void MainWindow::upgradeCommand() {
    showBackground();
    if (!program_.desktop->openUrl(QUrl(program_.settings.UPDATE)) && program_.log)
        program_.log->Log(QStringLiteral("无法打开软件升级页面：") + program_.settings.UPDATE);
}

void MainWindow::aboutCommand() {
    showBackground();
    AboutDialog(*program_.desktop, findSystemInfo, this).exec();
}

}  // namespace orv
