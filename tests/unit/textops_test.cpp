#include <gtest/gtest.h>

#include <string.h>

#include "textops.h"

namespace {

TEST(ReplaceText, TableOfCases)
{
    const struct {
        const char *text, *pattern, *replacement;
        int max;
        const char *expected;
        int count;
    } cases[] = {
        {"xax", "x", "yy", -1, "yyayy", 2},
        {"xax", "x", "yy", 1, "yyax", 1},
        {"xax", "x", "yy", 0, "xax", 0},
        // The search resumes after the inserted text: four become two.
        {"\\\\\\\\", "\\\\", "\\", -1, "\\\\", 2},
        {"a\\\\\\b", "\\\\", "\\", -1, "a\\\\b", 1},
        {"TESSARON.EXE", "TESSARON.EXE", "", -1, "", 1},
        {"abc", "", "x", -1, "abc", 0},  // empty pattern finds nothing
        {"", "a", "b", -1, "", 0},
        {"aaa", "a", "aa", -1, "aaaaaa", 3},
    };
    for (const auto &c : cases) {
        char buf[64];
        CopyText(buf, sizeof buf, c.text);
        EXPECT_EQ(ReplaceText(buf, c.pattern, c.replacement, c.max), c.count) << c.text;
        EXPECT_STREQ(buf, c.expected) << c.text << " / " << c.pattern;
    }
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

TEST(BoundedText, CopyAppendFormatReplaceNeverOverrun)
{
    char grow[6] = "xxx";
    EXPECT_EQ(BoundedReplaceText(grow, sizeof grow, "x", "yy", -1), 2);  // the third would not fit
    EXPECT_STREQ(grow, "yyyyx");
    char buf[5];  // exactly sized, so that ASan sees a step past it
    EXPECT_TRUE(CopyText(buf, 5, "abcd"));
    EXPECT_FALSE(CopyText(buf, 5, "abcde"));
    EXPECT_STREQ(buf, "abcd");
    CopyText(buf, 5, "ab");
    EXPECT_TRUE(AppendText(buf, 5, "cd"));
    EXPECT_FALSE(AppendText(buf, 5, "e"));
    EXPECT_STREQ(buf, "abcd");
    EXPECT_FALSE(FormatText(buf, 5, "%d", 123456));
    EXPECT_STREQ(buf, "1234");
    EXPECT_TRUE(FormatText(buf, 5, "%s", "ok"));
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
