#include "dialogs/ServerDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/AppLog.h"
#include "base/ServerSettings.h"
#include "base/Settings.h"
#include "base/Text.h"
#include "dialogs/ConnectionTest.h"
#include "gui/MessageBox.h"

namespace orv {

namespace {
QPushButton* button(const char* name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QLineEdit* input(const char* name, const char* labelName, const QString& caption, QFormLayout* form,
                 QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(labelName));
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setAccessibleName(caption);
    label->setBuddy(edit);
    form->addRow(label, edit);
    return edit;
}
}  // namespace

ServerDialog::ServerDialog(SystemSettings& settings, IniFile& ini, QWidget* parent, AppLog* log)
    : QDialog(parent), settings_(settings), ini_(ini), log_(log) {
    setObjectName(QStringLiteral("frmServer"));
    setWindowTitle(QStringLiteral("服务器设置"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* form = new QFormLayout;
    txtIP_ = input("txtIP", "Label1", QStringLiteral("服务器地址："), form, this);
    txtPort_ = input("txtPort", "Label2", QStringLiteral("服务器端口："), form, this);
    txtIP_->setMinimumWidth(200);

    // Empty while no test runs; a screen reader reads the text it shows.
    lblInfo_ = new QLabel(this);
    lblInfo_->setObjectName(QStringLiteral("lblInfo"));
    lblInfo_->setTextFormat(Qt::PlainText);
    lblInfo_->setMinimumHeight(lblInfo_->fontMetrics().height());

    cmdTest_ = button("cmdTest", QStringLiteral("测试连接"), this);
    auto* cmdOK = button("cmdOK", QStringLiteral("保存"), this);
    auto* cmdCancel = button("cmdCancel", QStringLiteral("取消"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdTest_);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(lblInfo_);
    top->addLayout(buttons);

    sockTest_ = new ConnectionTest(this);
    sockTest_->setObjectName(QStringLiteral("sockTest"));
    connect(sockTest_, &ConnectionTest::finished, this, [this](bool connected, const QString& t) {
        lblInfo_->clear();
        if (!connected && log_)
            log_->Log(QStringLiteral("测试连接失败：") + t.simplified() + QStringLiteral("（") +
                      sockTest_->detail() + QStringLiteral("）"));
        MessageBox::show(this, t, connected ? QStringLiteral("测试") : QStringLiteral("错误"),
                         connected ? MessageBox::Icon::Information : MessageBox::Icon::Exclamation);
    });
    connect(cmdTest_, &QPushButton::clicked, this, &ServerDialog::test);
    connect(cmdOK, &QPushButton::clicked, this, &ServerDialog::save);
    connect(cmdCancel, &QPushButton::clicked, this, &ServerDialog::reject);

    txtIP_->setText(settings_.IP);
    txtPort_->setText(settings_.PORT);
}

ServerDialog::~ServerDialog() = default;

void ServerDialog::test() {
    switch (sockTest_->start(txtIP_->text(), txtPort_->text())) {
        case ConnectionTest::Start::AlreadyRunning:
            return;
        case ConnectionTest::Start::Invalid:
            invalidInput();
            return;
        case ConnectionTest::Start::Started:
            // An outcome the socket reported at once has been shown already.
            if (sockTest_->running()) lblInfo_->setText(QStringLiteral("正在连接......"));
            return;
    }
}

void ServerDialog::save() {
    switch (decideServerSave(txtIP_->text(), txtPort_->text(), settings_)) {
        case ServerSave::Unchanged:
            accept();
            return;
        case ServerSave::Invalid:
            invalidInput();
            return;
        case ServerSave::Save:
            settings_.IP = trimSpaces(txtIP_->text());
            settings_.PORT = trimSpaces(txtPort_->text());
            // A failed write is not reported: the values hold for this run.
            SaveServerSettings(ini_, settings_);
            accept();
            return;
    }
}

void ServerDialog::invalidInput() {
    MessageBox::show(this, QStringLiteral("您输入的数据有误，请重新输入。"), QStringLiteral("错误"),
                     MessageBox::Icon::Exclamation);
}

void ServerDialog::done(int result) {
    // Cancel, Escape, the close box and Save all end a running test.
    sockTest_->cancel();
    lblInfo_->clear();
    QDialog::done(result);
}

}  // namespace orv
