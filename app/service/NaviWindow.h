// frmNavi, the modal operation wizard window ("导航"): the progress text,
// the animation, the amount inputs and the two buttons, wired to the
// Wizard that decides what they do.
#pragma once

#include <QDialog>
#include <memory>

#include "service/OperationFlows.h"
#include "service/Wizard.h"
#include "service/WizardView.h"

class QLabel;
class QLineEdit;
class QMovie;
class QPushButton;

namespace orv {

class NaviWindow : public QDialog, private WizardView {
    Q_OBJECT
public:
    NaviWindow(WizardContext context, QWidget* parent = nullptr);
    ~NaviWindow() override;

    Wizard& wizard() { return *wizard_; }
    // Sets the operation mode and runs the window's load.
    void start(int mode);

    // Escape and the program's own close: as the close box.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // The amount inputs' keystroke filter.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showTips(const QString& text) override;
    void setButtons(bool okEnabled, bool cancelEnabled) override;
    void openClip(const QString& path) override;
    void playAnimation() override;
    void stopAnimation() override;
    void closeWizard() override;
    void showAmountInputs(const AmountInputs& inputs) override;
    void hideAmountInputs() override;
    QString amountText(int input) const override;
    void focusAmountInput(int input) override;
    void showError(const QString& text) override;

    QLabel* picLeft_;
    QLabel* lblTips_;
    QLabel* ani1_;
    QLabel* lblInput_[3];
    QLineEdit* txtJE_[3];
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
    QMovie* movie_ = nullptr;
    OperationFlows flows_;
    std::unique_ptr<Wizard> wizard_;
    bool closed_ = false;
};

}  // namespace orv
