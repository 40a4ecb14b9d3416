#include "orv/hex.h"

#include <gtest/gtest.h>

namespace {

TEST(Hex, DecodesEitherCaseAndEncodesUpperCase) {
    std::vector<uint8_t> b;
    ASSERT_TRUE(orv::hex::decode("00a4Ff3F", b));
    EXPECT_EQ(b, (std::vector<uint8_t>{0x00, 0xA4, 0xFF, 0x3F}));
    EXPECT_EQ(orv::hex::encode(b), "00A4FF3F");
}

TEST(Hex, StrictDecodingRefusesOddLengthAndNonDigitsWithoutTouchingOutput) {
    std::vector<uint8_t> b{1, 2};
    for (const char* bad : {"ABC", "0G", "12 4", "-1"}) {
        EXPECT_FALSE(orv::hex::decode(bad, b)) << bad;
        EXPECT_EQ(b, (std::vector<uint8_t>{1, 2}));
    }
    EXPECT_TRUE(orv::hex::decode("", b));
    EXPECT_TRUE(b.empty());
}

TEST(Hex, LenientDecodingZeroesBadPairsAndDropsOddTail) {
    EXPECT_EQ(orv::hex::decodeLenient("1GFF7"), (std::vector<uint8_t>{0x00, 0xFF}));
}

}  // namespace
