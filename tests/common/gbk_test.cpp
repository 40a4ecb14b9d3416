#include "orv/gbk.h"

#include <gtest/gtest.h>

#include "onwindows.h"

namespace {

TEST(Gbk, RoundTripsChineseText) {
    const std::string gbk = orv::gbk::fromUtf8("北京abc");
    EXPECT_EQ(gbk,
              "\xB1\xB1\xBE\xA9"
              "abc");
    EXPECT_EQ(orv::gbk::toUtf8(gbk), "北京abc");
    EXPECT_EQ(orv::gbk::toUtf16(gbk), u"北京abc");
    EXPECT_EQ(orv::gbk::fromUtf16(u"北京abc"), gbk);
}

TEST(Gbk, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(orv::gbk::fromUtf16(u"a\u0E01b"), "a?b");  // Thai letter: not in GBK
}

TEST(Gbk, BytesThatAreNotGbkBecomeReplacementCharacters) {
    if (orvtest::kOnWindows)
        GTEST_SKIP() << "code page 936 decodes these its own way (0xFF as U+F8F5, a cut "
                        "lead byte as '?')";
    EXPECT_EQ(orv::gbk::toUtf16("a\xFF"
                                "b"),
              u"a\uFFFDb");
    EXPECT_EQ(orv::gbk::toUtf16("ab\xB1"), u"ab\uFFFD");  // lead byte without trail
}

}  // namespace
