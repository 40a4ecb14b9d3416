// The declaration's amount inputs: which of the three a user and business
// type need and with what captions, which keystrokes reach them, and what
// a valid amount is.
#pragma once

#include <QString>
#include <array>
#include <optional>

namespace orv {

inline constexpr int kAmountInputs = 3;

struct AmountInputs {
    std::array<bool, kAmountInputs> shown{};
    std::array<QString, kAmountInputs> captions;
};

// The inputs for the types of the last K4 reply; nullopt when the
// declaration takes no amounts from the user.
std::optional<AmountInputs> amountInputsFor(const QString& yhlx, const QString& ywlx);

// A keystroke's text that may reach an input: one digit, ".", or
// Backspace. Keys without text (arrows, Home), Delete, Tab (the focus) and
// Escape (the window) are not the inputs' to filter.
bool amountKeyAllowed(const QString& keyText);

// Text that may enter an input however it comes (typed, pasted with the
// context menu or Shift+Insert, dropped): digits and "." only.
bool amountTextAllowed(QStringView text);

// A trimmed plain decimal (digits with at most one ".", at least one
// digit) with at most two digits after the point, at least 0 and below
// 100000000.
bool validAmount(const QString& text);

// The value of a valid amount.
double amountOf(const QString& text);

}  // namespace orv
