#include "ReportFixture.h"

#include "report/Formats.h"

#include <gtest/gtest.h>

#include <optional>

using namespace quill::report;

namespace {

struct MoneyCase
{
    const char* name;
    const char* text;
    std::optional<qint64> cents;
};

TEST(Formats, MoneyTextsAreReadAsCents)
{
    const MoneyCase cases[] = {
        {"the fee fields' form", "          4.64", 464},
        {"blanks after", "  12.30   ", 1230},
        {"hundreds", "      123.45", 12345},
        {"whole units", "12", 1200},
        {"one decimal", "3.5", 350},
        {"only decimals", ".07", 7},
        {"a point at the end", "7.", 700},
        {"third decimal rounds up", "0.005", 1},
        {"third decimal rounds down", "2.994", 299},
        {"decimals past the third are ignored", "1.23499", 123},
        {"negative", "-1.25", -125},
        {"plus sign", "+0.50", 50},
        {"blank restricted fee", " ", std::nullopt},
        {"empty", "", std::nullopt},
        {"a sign alone", "-", std::nullopt},
        {"a point alone", ".", std::nullopt},
        {"two points", "1.2.3", std::nullopt},
        {"a comma", "1,234.00", std::nullopt},
        {"a letter", "4.6x", std::nullopt},
        {"an exponent", "1e3", std::nullopt},
        {"a blank inside", "4 .64", std::nullopt},
        {"too many digits", "99999999999999999999", std::nullopt},
    };
    for (const MoneyCase& c : cases)
        EXPECT_EQ(ParseCents(QString::fromLatin1(c.text)), c.cents) << c.name;
}

TEST(Formats, AmountsAreGroupedByThousandsWithTwoDecimals)
{
    const std::pair<qint64, const char*> cases[] = {
        {0, "0.00"},
        {5, "0.05"},
        {464, "4.64"},
        {100000, "1,000.00"},
        {123456789, "1,234,567.89"},
        {-50, "-0.50"},
        {-123456, "-1,234.56"},
    };
    for (const auto& [cents, text] : cases)
        EXPECT_EQ(FormatCents(cents), QString::fromLatin1(text)) << cents;
}

TEST(Formats, CountsAreGroupedByThousands)
{
    EXPECT_EQ(FormatCount(0), "0");
    EXPECT_EQ(FormatCount(999), "999");
    EXPECT_EQ(FormatCount(10000), "10,000");
    EXPECT_EQ(FormatCount(1234567), "1,234,567");
}

TEST(Formats, StoredDatesAreShownMonthFirst)
{
    EXPECT_EQ(FormatDate(u"20241210"), "12/10/2024");
    EXPECT_EQ(FormatDate(u"19990101"), "01/01/1999");
    // Anything else is shown as it is, so nothing is hidden.
    EXPECT_EQ(FormatDate(u""), "");
    EXPECT_EQ(FormatDate(u"2024121"), "2024121");
    EXPECT_EQ(FormatDate(u"2024-12-1"), "2024-12-1");
}

} // namespace
