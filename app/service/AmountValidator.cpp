#include "service/AmountValidator.h"

#include "service/AmountInputs.h"

namespace orv {

QValidator::State AmountTextValidator::validate(QString& input, int& /*pos*/) const {
    // Whether the amount is valid is decided when "确定" is pressed, with
    // its own message; here only what may be in the input at all.
    return amountTextAllowed(input) ? Acceptable : Invalid;
}

}  // namespace orv
