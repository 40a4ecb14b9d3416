// What the operation wizard does to its window. The window implements it;
// tests may implement it without one.
#pragma once

#include <QString>

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
};

}  // namespace orv
