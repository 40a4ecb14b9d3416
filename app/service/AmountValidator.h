// The amount inputs' guard for text that does not come as a keystroke.
#pragma once

#include <QValidator>

namespace orv {

// Holds an input to amountTextAllowed() on every change, however it comes
// (the context menu's Paste, Shift+Insert, drag and drop, an input
// method): an edit that would bring in anything else is refused whole.
class AmountTextValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

}  // namespace orv
