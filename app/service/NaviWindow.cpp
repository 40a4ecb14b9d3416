#include "service/NaviWindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/MessageBox.h"
#include "service/AmountValidator.h"
#include "service/OperationTexts.h"

// Pictures compiled into a static library register by hand, outside any
// namespace as the macro requires.
static void initWizardResources() {
    Q_INIT_RESOURCE(wizard);
}

namespace orv {

namespace {
const char* const kInputNames[3][2] = {
    {"lblInput", "txtJE"}, {"lblInput1", "txtJE1"}, {"lblInput2", "txtJE2"}};
const QString kInputCaptions[3] = {QStringLiteral("本月其他销售额："),
                                   QStringLiteral("应税货物销售额："),
                                   QStringLiteral("应税服务销售额：")};

QLabel* namedLabel(const char* name, const QString& accessibleName, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setAccessibleName(accessibleName);
    return l;
}
}  // namespace

NaviWindow::NaviWindow(WizardContext context, QWidget* parent) : QDialog(parent) {
    initWizardResources();
    setObjectName(QStringLiteral("frmNavi"));
    setWindowTitle(QStringLiteral("导航"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    picLeft_ = namedLabel("picLeft", QStringLiteral("用户卡与读卡器"), this);
    picLeft_->setPixmap(QPixmap(QStringLiteral(":/orv/wizard/picLeft.svg")));
    picLeft_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    // No accessible name of its own: the text it shows is what a reader reads.
    lblTips_ = new QLabel(this);
    lblTips_->setObjectName(QStringLiteral("lblTips"));
    lblTips_->setWordWrap(true);
    lblTips_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTips_->setMinimumSize(360, 96);
    lblTips_->setTextFormat(Qt::PlainText);

    ani1_ = namedLabel("Ani1", QStringLiteral("读写卡动画"), this);
    ani1_->setAlignment(Qt::AlignCenter);
    ani1_->setFixedHeight(72);
    ani1_->hide();

    auto* inputs = new QGridLayout;
    for (int i = 0; i < 3; ++i) {
        lblInput_[i] = namedLabel(kInputNames[i][0], kInputCaptions[i], this);
        lblInput_[i]->setText(kInputCaptions[i]);
        txtJE_[i] = new QLineEdit(this);
        txtJE_[i]->setObjectName(QLatin1String(kInputNames[i][1]));
        txtJE_[i]->setAccessibleName(kInputCaptions[i]);
        // Amounts are typed as digits; no input method composes text here.
        txtJE_[i]->setAttribute(Qt::WA_InputMethodEnabled, false);
        txtJE_[i]->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
        txtJE_[i]->installEventFilter(this);
        txtJE_[i]->setValidator(new AmountTextValidator(txtJE_[i]));
        lblInput_[i]->setBuddy(txtJE_[i]);
        lblInput_[i]->hide();
        txtJE_[i]->hide();
        inputs->addWidget(lblInput_[i], i, 0);
        inputs->addWidget(txtJE_[i], i, 1);
    }

    cmdOK_ = new QPushButton(QStringLiteral("确定"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setAutoDefault(false);
    cmdCancel_ = new QPushButton(QStringLiteral("取消"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setAutoDefault(false);

    auto* right = new QVBoxLayout;
    right->addWidget(lblTips_, 1);
    right->addWidget(ani1_);
    right->addLayout(inputs);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel_);
    right->addLayout(buttons);
    auto* top = new QHBoxLayout(this);
    top->addWidget(picLeft_);
    top->addLayout(right, 1);

    WizardView& view = *this;
    wizard_ = std::make_unique<Wizard>(std::move(context), view);
    connect(cmdOK_, &QPushButton::clicked, wizard_.get(), &Wizard::ok);
    connect(cmdCancel_, &QPushButton::clicked, wizard_.get(), &Wizard::cancel);
    wizard_->setFlows(&flows_);
}

NaviWindow::~NaviWindow() {
    // The wizard's session goes before the widgets it writes to.
    wizard_.reset();
}

void NaviWindow::start(int mode) {
    wizard_->setMode(mode);
    wizard_->open();
}

void NaviWindow::showTips(const QString& text) {
    lblTips_->setText(text);
    lblTips_->repaint();
}

void NaviWindow::setButtons(bool okEnabled, bool cancelEnabled) {
    cmdOK_->setEnabled(okEnabled);
    cmdCancel_->setEnabled(cancelEnabled);
    cmdOK_->repaint();
    cmdCancel_->repaint();
}

void NaviWindow::openClip(const QString& path) {
    // The clips carry a .dll name; the content is an animated GIF.
    auto* movie = new QMovie(path, "gif", this);
    ani1_->setMovie(movie);
    delete movie_;
    movie_ = movie;
}

void NaviWindow::playAnimation() {
    ani1_->show();
    if (movie_) movie_->start();
    ani1_->repaint();
}

void NaviWindow::stopAnimation() {
    if (movie_) movie_->stop();
    ani1_->hide();
}

void NaviWindow::closeWizard() {
    if (closed_) return;
    closed_ = true;
    QDialog::reject();
}

void NaviWindow::showAmountInputs(const AmountInputs& inputs) {
    QLineEdit* first = nullptr;
    for (int i = 0; i < kAmountInputs; ++i) {
        lblInput_[i]->setText(inputs.captions[i]);
        lblInput_[i]->setAccessibleName(inputs.captions[i]);
        txtJE_[i]->setAccessibleName(inputs.captions[i]);
        txtJE_[i]->setText(QStringLiteral("0"));
        lblInput_[i]->setVisible(inputs.shown[i]);
        txtJE_[i]->setVisible(inputs.shown[i]);
        if (inputs.shown[i] && !first) first = txtJE_[i];
    }
    if (first) {
        first->setFocus();
        first->selectAll();
    }
}

void NaviWindow::hideAmountInputs() {
    for (int i = 0; i < kAmountInputs; ++i) {
        lblInput_[i]->hide();
        txtJE_[i]->hide();
    }
}

QString NaviWindow::amountText(int input) const {
    return input >= 0 && input < kAmountInputs ? txtJE_[input]->text() : QString();
}

void NaviWindow::focusAmountInput(int input) {
    if (input < 0 || input >= kAmountInputs) return;
    txtJE_[input]->setFocus();
    txtJE_[input]->selectAll();
}

void NaviWindow::showError(const QString& text) {
    MessageBox::show(this, text, texts::kErrorCaption, MessageBox::Icon::Exclamation);
}

bool NaviWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Editing that inserts no text (select all, copy, cut, undo) is the
        // user's; what would put a character in goes through the filter.
        for (QKeySequence::StandardKey k :
             {QKeySequence::SelectAll, QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Undo,
              QKeySequence::Redo})
            if (key->matches(k)) return false;
        for (QLineEdit* input : txtJE_)
            if (watched == input) return !amountKeyAllowed(key->text());
    }
    return QDialog::eventFilter(watched, event);
}

void NaviWindow::closeEvent(QCloseEvent* event) {
    if (closed_ || wizard_->requestClose()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void NaviWindow::reject() {
    // Escape: as the close box.
    if (!closed_) wizard_->requestClose();
}

}  // namespace orv
