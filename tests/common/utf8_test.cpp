#include "orv/utf8.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8, RoundTripsEveryPlane) {
    const std::string bytes =
        "a\xC3\xA9\xE5\x8C\x97\xE4\xBA\xAC\xF0\x9F\x98\x80";  // a é 北京 and an emoji
    const std::u16string text = u"a\u00E9\u5317\u4EAC\U0001F600";
    EXPECT_EQ(orv::utf8::toUtf16(bytes), text);
    EXPECT_EQ(orv::utf8::fromUtf16(text), bytes);
    EXPECT_EQ(orv::utf8::toUtf16(""), u"");
}

TEST(Utf8, MalformedInputBecomesReplacementCharacters) {
    const struct {
        std::string bytes;
        std::u16string text;
    } rows[] = {
        {"a\x80"
         "b",
         u"a\uFFFDb"},  // stray continuation byte
        {"a\xE5\x8C"
         "b",
         u"a\uFFFDb"},                    // sequence cut short
        {"\xE5\x8C", u"\uFFFD"},          // cut short at the end
        {"\xC0\xAF", u"\uFFFD"},          // overlong "/"
        {"\xED\xA0\x80", u"\uFFFD"},      // a surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD"},  // past U+10FFFF
        {"\xFF"
         "a",
         u"\uFFFDa"},  // never a lead byte
    };
    for (const auto& row : rows)
        EXPECT_EQ(orv::utf8::toUtf16(row.bytes), row.text) << row.bytes;
    EXPECT_EQ(orv::utf8::fromUtf16(u"a\xD800"
                                   "b"),
              "a\xEF\xBF\xBD"
              "b");  // unpaired
}

}  // namespace
