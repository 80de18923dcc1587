#include "U_CommonAPI.h"

#include <gtest/gtest.h>

using namespace quill;

namespace {
std::string blanks(int n)
{
    return std::string(static_cast<std::size_t>(n), ' ');
}
} // namespace

TEST(FormatMoney, BlanksByMagnitudeAndDecimals)
{
    struct Case
    {
        double amount;
        std::string expected;
    };
    const Case cases[] = {
        {2.4, blanks(10) + "2.40"},      {0.39, blanks(10) + "0.39"},
        {5, blanks(10) + "5.00"},        {0.39 + 2.40 + 1.85, blanks(10) + "4.64"}, // 4.640000000000001
        {1.234, blanks(10) + "1.234"},   {-3, blanks(10) + "-3.00"},
        {-0.5, blanks(10) + "-0.5"}, // four characters: no "0" is added
        {12.5, blanks(8) + "12.5"},  // only a single digit with one decimal gets the "0"
        {99.99, blanks(8) + "99.99"},    {100, blanks(6) + "100.00"},
        {999.5, blanks(6) + "999.5"},    {1000, blanks(5) + "1000.00"},
        {10000, blanks(3) + "10000.00"}, {123456.75, blanks(1) + "123456.75"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatMoney(c.amount), c.expected) << c.amount;
}

TEST(FormatMoney, NeverWritesAnExponent)
{
    // Very small and very large amounts come out in plain digits, still rounded to 15
    // significant digits.
    struct Case
    {
        double amount;
        std::string expected;
    };
    const Case cases[] = {
        {0.00005, blanks(10) + "0.00005"},
        {0.000012345, blanks(10) + "0.000012345"},
        {-0.00005, blanks(10) + "-0.00005"},
        {1e-20, blanks(10) + "0.00000000000000000001"},
        {1e15, blanks(1) + "1000000000000000.00"},
        {1.5e16, blanks(1) + "15000000000000000.00"},
        {123456789012345678.0, blanks(1) + "123456789012346000.00"},
        {-1e15, blanks(10) + "-1000000000000000.00"},
        {999999999999999.0, blanks(1) + "999999999999999.00"}, // the last one "%g" writes plainly
    };
    for (const Case& c : cases) {
        const std::string text = FormatMoney(c.amount);
        EXPECT_EQ(text, c.expected) << c.amount;
        EXPECT_EQ(text.find_first_of("eE"), std::string::npos) << text;
    }
}

TEST(NormalizedFeeText, WhatAFeeFieldShowsAfterItIsLeft)
{
    struct Case
    {
        const char* typed;
        std::string shown;
    };
    const Case cases[] = {
        {"2.3", blanks(10) + "2.30"},
        {".37", blanks(10) + "0.37"},
        {"12.5", blanks(8) + "12.5"},
        {"1e2", blanks(6) + "100.00"},
        {"  4  ", blanks(10) + "4.00"},
        {"+1.5", blanks(10) + "1.50"},
        {"5.", blanks(10) + "5.00"},
        {"abc", " "},
        {"0", " "},
        {"1,50", " "},
        {"-3", " "},
        {"", " "},
        {" ", " "},
        {".", " "},
        {"1e", " "},
        {"1e999", " "},
        {"0x10", " "},
        {"2.40", blanks(10) + "2.40"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NormalizedFeeText(c.typed), c.shown) << "typed '" << c.typed << "'";
}

TEST(SumFees, AddsReadableFieldsOnlyNegativeIncluded)
{
    EXPECT_EQ(FormatMoney(SumFees({"0.39", "2.40", "", "1.85"})), blanks(10) + "4.64");
    EXPECT_EQ(FormatMoney(SumFees({"0.39", "2.40", "3.50", "1.85"})), blanks(10) + "8.14");
    EXPECT_EQ(FormatMoney(SumFees({"-3", "2.40", " ", "abc"})), blanks(10) + "-0.6");
}

TEST(TrimZip, CleansMaskFieldTexts)
{
    struct Case
    {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"     -    ", ""},      {"62704-    ", "62704"},
        {"     -1234", "1234"},  {"62704-1234", "62704-1234"},
        {"6270 -    ", "6270 "}, // the dash goes, the blank before it stays
        {" 62704 ", "62704"},    {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrimZip(c.text), c.expected) << "'" << c.text << "'";
}

TEST(PlaceCityLine, FirstBlankLineTakesTheCityLine)
{
    using Lines = std::array<std::string, 4>;
    using Block = std::array<std::string, 5>;
    EXPECT_EQ(PlaceCityLine(Lines{"A", "B", "", ""}, "C S Z"), (Block{"A", "B", "C S Z", "", ""}));
    EXPECT_EQ(PlaceCityLine(Lines{"A", "  ", "C", ""}, "C S Z"), (Block{"A", "C S Z", "C", "", ""}));
    EXPECT_EQ(PlaceCityLine(Lines{"A", "B", "C", "D"}, "C S Z"), (Block{"A", "B", "C", "D", "C S Z"}));
    EXPECT_EQ(PlaceCityLine(Lines{"", "", "", ""}, ""), (Block{"", "", "", "", ""}));
}

TEST(ParsePastedAddress, SplitsBlocksIntoMemoAndCityLine)
{
    struct Case
    {
        const char* name;
        std::string clipboard;
        std::string memo;
        bool hasLines;
        std::string city, state, zip;
    };
    const Case cases[] = {
        {"three lines with final break", "John Doe\r\n12 Main St\r\nSpringfield, IL  62704\r\n",
         "John Doe\n12 Main St\n", true, "Springfield", "IL", "62704"},
        {"three lines without final break", "John Doe\r\n12 Main St\r\nSpringfield, IL  62704",
         "John Doe\n12 Main St\n", true, "Springfield", "IL", "62704"},
        {"zip plus four", "John Doe\r\nSpringfield, IL  62704-1234", "John Doe\n", true, "Springfield", "IL",
         "62704-1234"},
        {"hyphenated city", "A\r\nWinston-Salem, NC 27101", "A\n", true, "Winston-Sal", "em", "nston-Sale"},
        {"six lines", "1\r\n2\r\n3\r\n4\r\n5\r\nTown, ST 12345", "1\n2\n3\n4", true, "Town", "ST", "12345"},
        {"single line", "Town, ST 12345", "", false, "Town", "ST", "12345"},
        {"blank line inside", "A\r\n\r\nC\r\nTown ST 12345\r\n", "A\n\nC\n", true, "Town", "ST", "12345"},
        {"LF CR pairs", "A\n\rTown, ST 12345\n\r", "A\n", true, "Town", "ST", "12345"},
        {"bare line feeds", "A\nB\nTown, ST 12345\n", "A\nB\n", true, "Town", "ST", "12345"},
        {"short city line", "A\r\n12", "A\n", true, "", "", "12"},
        {"only a dash", "-", "", false, "", "", "-"},
        {"accented city",
         "A\r\nMontr\xc3\xa9"
         "al, QC  12345",
         "A\n", true,
         "Montr\xc3\xa9"
         "al",
         "QC", "12345"},
        {"blanks only", "   \r\n", "", false, "", "", "   "},
    };
    for (const Case& c : cases) {
        auto p = ParsePastedAddress(c.clipboard);
        ASSERT_TRUE(p.has_value()) << c.name;
        EXPECT_EQ(p->memoText, c.memo) << c.name;
        EXPECT_EQ(p->hasLines, c.hasLines) << c.name;
        EXPECT_EQ(p->city, c.city) << c.name;
        EXPECT_EQ(p->state, c.state) << c.name;
        EXPECT_EQ(p->zip, c.zip) << c.name;
    }
    EXPECT_FALSE(ParsePastedAddress("").has_value());
}

TEST(SplitPasteLines, OnlyPairsBreakLines)
{
    EXPECT_EQ(SplitPasteLines("a\rb\r\nc\nd\n\re"), (std::vector<std::string>{"a\rb", "c\nd"}));
    EXPECT_EQ(SplitPasteLines("\r\n\r\n"), (std::vector<std::string>{"", ""}));
}
