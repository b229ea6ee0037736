#include <gtest/gtest.h>

#include <string.h>

#include "textops.h"

namespace {

struct ReplaceCase {
    const char *text, *pattern, *replacement;
    int max;
    const char *expected;
    int count;
};

TEST(ReplaceText, TableOfCases)
{
    const ReplaceCase cases[] = {
        {"xax", "x", "yy", -1, "yyayy", 2},
        {"xax", "x", "yy", 1, "yyax", 1},
        {"xax", "x", "yy", 0, "xax", 0},
        {"a, b,c", ", ", " ", -1, "a b,c", 1},
        {"a b,c", ",", " ", -1, "a b c", 1},
        {"C:,,D:", ",", " ", -1, "C:  D:", 2},
        // The search resumes after the inserted text: four become two.
        {"\\\\\\\\", "\\\\", "\\", -1, "\\\\", 2},
        {"a\\\\\\b", "\\\\", "\\", -1, "a\\\\b", 1},
        {"TESSARON.EXE", "TESSARON.EXE", "", -1, "", 1},
        {"abc", "", "x", -1, "abc", 0},  // empty pattern finds nothing
        {"", "a", "b", -1, "", 0},
        {"aaa", "a", "aa", -1, "aaaaaa", 3},
    };
    for (const ReplaceCase &c : cases) {
        char buf[64];
        CopyText(buf, sizeof buf, c.text);
        EXPECT_EQ(ReplaceText(buf, c.pattern, c.replacement, c.max), c.count) << c.text;
        EXPECT_STREQ(buf, c.expected) << c.text << " / " << c.pattern;
    }
}

TEST(ReplaceText, BoundedStopsBeforeOverrun)
{
    char buf[6] = "xxx";
    EXPECT_EQ(BoundedReplaceText(buf, sizeof buf, "x", "yy", -1), 2);
    EXPECT_STREQ(buf, "yyyyx");
}

TEST(ShiftText, RightFillsNulsInGapWithBlanks)
{
    char buf[16] = "ab";
    ShiftText(buf, 3);
    // The gap kept "ab" and the old terminator, which became a blank.
    EXPECT_STREQ(buf, "ab ab");
    ShiftText(buf, 0);
    EXPECT_STREQ(buf, "ab ab");
    ShiftText(buf, -3);
    EXPECT_STREQ(buf, "ab");
    ShiftText(buf, -2);
    EXPECT_STREQ(buf, "");
}

TEST(BoundedText, CopyAppendFormatNeverOverrun)
{
    char buf[5];
    EXPECT_TRUE(CopyText(buf, sizeof buf, "abcd"));
    EXPECT_FALSE(CopyText(buf, sizeof buf, "abcde"));
    EXPECT_STREQ(buf, "abcd");
    CopyText(buf, sizeof buf, "ab");
    EXPECT_TRUE(AppendText(buf, sizeof buf, "cd"));
    EXPECT_FALSE(AppendText(buf, sizeof buf, "e"));
    EXPECT_STREQ(buf, "abcd");
    EXPECT_FALSE(FormatText(buf, sizeof buf, "%d", 123456));
    EXPECT_STREQ(buf, "1234");
    EXPECT_TRUE(FormatText(buf, sizeof buf, "%s", "ok"));
    EXPECT_STREQ(buf, "ok");
}

TEST(ReadDecimal, AcceptsWhatTheFieldsAccept)
{
    struct {
        const char *text;
        bool ok;
        int value;
    } cases[] = {
        {"250", true, 250},       {"12MB", true, 12},
        {" 7", true, 7},          {"-5", true, -5},
        {"+9", true, 9},          {"0", true, 0},
        {"abc", false, 0},        {"", false, 0},
        {"-", false, 0},          {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0}, {"99999999999999999999", false, 0},
        {"\t\n 3 days", true, 3},
    };
    for (const auto &c : cases) {
        int v = 42;
        EXPECT_EQ(ReadDecimal(c.text, &v), c.ok) << c.text;
        EXPECT_EQ(v, c.ok ? c.value : 42) << c.text;
    }
}

}  // namespace
