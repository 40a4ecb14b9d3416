// The declaration's amount inputs: which are shown for each user and
// business type, the keystroke filter and the validation.
#include <gtest/gtest.h>

#include "service/AmountInputs.h"
#include "service/DeclarationFlow.h"
#include "service/OperationTexts.h"

namespace {

using Shown = std::array<bool, orv::kAmountInputs>;

TEST(AmountInputs, ShownPerUserAndBusinessType) {
    struct Case {
        const char *yhlx, *ywlx;
        std::optional<Shown> shown;
    };
    const Case cases[] = {
        {"1", "10", Shown{true, false, false}},
        {"4", "12", Shown{true, true, true}},
        {"4", "13", Shown{false, true, true}},
        {"4", "10", Shown{true, false, false}},
        {"1", "11", std::nullopt},
        {"1", "04", std::nullopt},
        {"4", "11", std::nullopt},
        {"4", "04", std::nullopt},
        {"1", "12", std::nullopt},
        {"2", "10", std::nullopt},
        {"4", "03", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto in = orv::amountInputsFor(c.yhlx, c.ywlx);
        ASSERT_EQ(in.has_value(), c.shown.has_value()) << c.yhlx << "/" << c.ywlx;
        if (!in) continue;
        EXPECT_EQ(in->shown, *c.shown) << c.yhlx << "/" << c.ywlx;
        EXPECT_EQ(in->captions[0], "本期发生额：");
        EXPECT_EQ(in->captions[1], "应税货物销售额：");
        EXPECT_EQ(in->captions[2], "应税服务销售额：");
    }
}

TEST(AmountInputs, OnlyDigitsPointAndBackspaceAreTyped) {
    for (const char* key : {"0", "5", "9", ".", "\b", ""})
        EXPECT_TRUE(orv::amountKeyAllowed(QString::fromLatin1(key))) << key;
    for (const char* key : {"-", ",", "a", "E", " ", "+", "\x16", "\r", "12"})
        EXPECT_FALSE(orv::amountKeyAllowed(QString::fromLatin1(key))) << key;
    EXPECT_FALSE(orv::amountKeyAllowed(QStringLiteral("１")));  // full-width digit
}

TEST(AmountInputs, Validation) {
    for (const char* ok : {"12.34", "0", "99999999.99", "12.", ".5", " 7 ", "0.1", "00012"})
        EXPECT_TRUE(orv::validAmount(ok)) << ok;
    for (const char* bad : {"12.345", "100000000", "100000000.00", "", " ", ".", "1.2.3", "-1",
                            "1e5", "12,5", "abc", "0x10", "+3"})
        EXPECT_FALSE(orv::validAmount(bad)) << bad;
    EXPECT_DOUBLE_EQ(orv::amountOf(" 12.5 "), 12.5);
    EXPECT_DOUBLE_EQ(orv::amountOf("12."), 12.0);
}

TEST(AmountInputs, FirstInvalidLooksOnlyAtShownInputsInOrder) {
    using orv::DeclarationFlow;
    EXPECT_EQ(DeclarationFlow::firstInvalid({false, true, true}, {"junk", "1", "12.345"}), 2);
    EXPECT_EQ(DeclarationFlow::firstInvalid({true, true, true}, {"1", "x", "y"}), 1);
    EXPECT_EQ(DeclarationFlow::firstInvalid({true, false, false}, {"0", "x", "y"}), -1);
}

}  // namespace
