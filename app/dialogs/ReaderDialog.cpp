#include "dialogs/ReaderDialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace orv {

ReaderChoices readerChoices(const QStringList& pcscReaders, const QString& current) {
    ReaderChoices c;
    c.entries << QStringLiteral("USB") << pcscReaders;
    // Reader names are compared exactly, as the card access object uses them.
    const qsizetype saved = current.isEmpty() ? -1 : c.entries.indexOf(current);
    if (saved >= 0) {
        c.selected = static_cast<int>(saved);
        return c;
    }
    const QString tianyu = tianyuReader(pcscReaders);
    if (!tianyu.isEmpty()) c.selected = static_cast<int>(pcscReaders.indexOf(tianyu)) + 1;
    return c;
}

ReaderDialog::ReaderDialog(SystemSettings& settings, IniFile& ini, ReaderDialogHooks hooks,
                           QWidget* parent)
    : QDialog(parent), settings_(settings), ini_(ini), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("frmReader"));
    setWindowTitle(QStringLiteral("读卡器设置"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* label = new QLabel(QStringLiteral("读卡器："), this);
    label->setObjectName(QStringLiteral("Label1"));
    cboReader_ = new QComboBox(this);
    cboReader_->setObjectName(QStringLiteral("cboReader"));
    cboReader_->setAccessibleName(QStringLiteral("读卡器："));
    cboReader_->setMinimumWidth(260);
    label->setBuddy(cboReader_);

    auto* cmdOK = new QPushButton(QStringLiteral("确定"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    auto* cmdCancel = new QPushButton(QStringLiteral("取消"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(cboReader_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* top = new QVBoxLayout(this);
    top->addLayout(row);
    top->addLayout(buttons);

    // A list that cannot be read leaves "USB" alone, without a message.
    const ReaderChoices c =
        readerChoices(hooks_.readers ? hooks_.readers() : QStringList(), settings_.READER);
    cboReader_->addItems(c.entries);
    cboReader_->setCurrentIndex(c.selected);

    connect(cmdOK, &QPushButton::clicked, this, &ReaderDialog::apply);
    connect(cmdCancel, &QPushButton::clicked, this, &ReaderDialog::reject);
}

void ReaderDialog::apply() {
    settings_.READER = cboReader_->currentText();
    if (hooks_.setReader) hooks_.setReader(settings_.READER);
    // A failed write is not reported: the choice holds for this run.
    SaveReaderSetting(ini_, settings_);
    if (hooks_.refreshStatus) hooks_.refreshStatus();
    accept();
}

}  // namespace orv
