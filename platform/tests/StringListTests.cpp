#include "StringLists.h"

#include <gtest/gtest.h>

namespace {
TEST(StringLists, CommaTextQuotingFollowsOldRules) {
    TStringList l;
    l.SetItems({"a", "b c", "", "d\"e", "f,g", "Скв 1"});
    EXPECT_EQ(l.CommaText(), "a,\"b c\",,\"d\"\"e\",\"f,g\",\"Скв 1\"");
    TStringList back;
    back.SetCommaText(l.CommaText());
    EXPECT_EQ(back.Items(), l.Items());
}

TEST(StringLists, CommaTextParsingCases) {
    const std::pair<const char*, QStringList> cases[] = {
        {"a,b", {"a", "b"}},
        {"a b", {"a", "b"}},          // blanks separate when the delimiter is not strict
        {" a , b ", {"a", "b"}},
        {"a,", {"a", ""}},
        {"\"x y\",z", {"x y", "z"}},
        {"\"\"", {""}},
        {"", {}},
    };
    for (const auto& [text, expected] : cases) {
        TStringList l;
        l.SetCommaText(QString::fromUtf8(text));
        EXPECT_EQ(l.Items(), expected) << text;
    }
}

TEST(StringLists, StrictDelimiterKeepsBlanks) {
    TStringList l;
    l.StrictDelimiter = true;
    l.SetDelimitedText("WELL=Скв 12,FIELD=Поле A");
    ASSERT_EQ(l.Count(), 2);
    EXPECT_EQ(l.Values("well"), "Скв 12");
    EXPECT_EQ(l.DelimitedText(), "WELL=Скв 12,FIELD=Поле A");
}

TEST(StringLists, NameValueLines) {
    TStringList l;
    l.SetValue("A", "1");
    l.SetValue("b", "x=y");
    l.SetValue("a", "2");
    EXPECT_EQ(l.Items(), QStringList({"a=2", "b=x=y"}));
    EXPECT_EQ(l.Values("B"), "x=y");
    l.SetValue("A", "");
    EXPECT_EQ(l.Items(), QStringList({"b=x=y"}));
    EXPECT_EQ(l.IndexOfName("missing"), -1);
}

TEST(StringLists, TextUsesCrLfAndSplitsAnyBreak) {
    TStringList l;
    l.SetText("a\r\nb\nc\rd");
    EXPECT_EQ(l.Items(), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(l.Text(), "a\r\nb\r\nc\r\nd\r\n");
}
}  // namespace
