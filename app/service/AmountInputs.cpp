#include "service/AmountInputs.h"

#include <QRegularExpression>

#include "service/OperationTexts.h"

namespace orv {

namespace {
constexpr double kAmountLimit = 100000000.0;
}

std::optional<AmountInputs> amountInputsFor(const QString& yhlx, const QString& ywlx) {
    struct Row {
        const char* yhlx;
        const char* ywlx;
        std::array<bool, kAmountInputs> shown;
    };
    static const Row kRows[] = {
        {"4", "10", {true, false, false}},
        {"4", "13", {false, true, true}},
        {"4", "12", {true, true, true}},
        {"1", "10", {true, false, false}},
    };
    for (const Row& r : kRows) {
        if (yhlx != QLatin1String(r.yhlx) || ywlx != QLatin1String(r.ywlx)) continue;
        AmountInputs in;
        in.shown = r.shown;
        in.captions = {texts::kPeriodAmount, texts::kGoodsSales, texts::kServicesSales};
        return in;
    }
    return std::nullopt;
}

bool amountKeyAllowed(const QString& keyText) {
    if (keyText.size() != 1) return keyText.isEmpty();
    const QChar c = keyText[0];
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.') ||
           c == QLatin1Char('\b') || c == QLatin1Char('\t') || c == QLatin1Char('\x1b') ||
           c == QLatin1Char('\x7f');
}

bool amountTextAllowed(QStringView text) {
    for (QChar c : text)
        if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && c != QLatin1Char('.'))
            return false;
    return true;
}

bool validAmount(const QString& text) {
    static const QRegularExpression plain(QStringLiteral("^(?=.*[0-9])[0-9]*(\\.[0-9]*)?$"));
    const QString t = text.trimmed();
    if (!plain.match(t).hasMatch()) return false;
    const qsizetype point = t.indexOf(QLatin1Char('.'));
    if (point >= 0 && t.size() - point - 1 > 2) return false;
    const double v = t.toDouble();
    return v >= 0 && v < kAmountLimit;
}

double amountOf(const QString& text) {
    return text.trimmed().toDouble();
}

}  // namespace orv
