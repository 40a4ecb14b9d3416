// What the operation wizard does to its window. The window implements it;
// tests may implement it without one.
#pragma once

#include <QString>

#include "service/AmountInputs.h"

namespace orv {

class WizardView {
public:
    virtual ~WizardView() = default;
    // The progress text, painted at once.
    virtual void showTips(const QString& text) = 0;
    virtual void setButtons(bool okEnabled, bool cancelEnabled) = 0;
    virtual void openClip(const QString& path) = 0;
    // Shows the animation and plays it.
    virtual void playAnimation() = 0;
    // Stops the animation and hides it.
    virtual void stopAnimation() = 0;
    virtual void closeWizard() = 0;

    // The amount inputs of the declaration: those shown get their captions
    // (which are also their accessible names) and the text "0"; the first
    // shown gets the focus.
    virtual void showAmountInputs(const AmountInputs& inputs) = 0;
    virtual void hideAmountInputs() = 0;
    virtual QString amountText(int input) const = 0;
    virtual void focusAmountInput(int input) = 0;
    // A message box titled "错误" with the exclamation icon.
    virtual void showError(const QString& text) = 0;
};

}  // namespace orv
