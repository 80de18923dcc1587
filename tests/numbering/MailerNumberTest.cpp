#include "MailerNumber.h"

#include <gtest/gtest.h>

using namespace quill;

TEST(BuildMailerNumber, LayoutPaddingAndCheckDigit)
{
    struct Case
    {
        const char* cust;
        const char* serial;
        bool companion;
        const char* expected;
    };
    const Case cases[] = {
        {"123456789", "0000001", false, "9214712345678900000015"},
        {"123456789", "0000001", true, "9290912345678900000019"},
        {"000000000", "0000000", false, "9214700000000000000003"},
        {"12345", "42", false, "9214700001234500000426"},   // both padded on the left
        {"1234567890", "1", false, "9214712345678900000015"}, // ten digits that fit 32 bits: first nine kept
        {"9999999999", "1", false, "9214700000000000000010"}, // does not fit: zeros
        {"00-000-0000", "5", false, "9214700000000000000058"}, // callers remove the dashes first
        {"123456789", "12345678", false, "9214712345678912345678"}, // serial cut to seven
        {"123456789", "abc", false, "9214712345678900000008"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildMailerNumber(c.cust, c.serial, c.companion), c.expected) << c.cust << " " << c.serial;
}

TEST(MailerCheckDigit, ZeroNeverTen)
{
    // 92147 000000000 000000 1: 3*18 + 6 = 60 ends in 0.
    EXPECT_EQ(MailerCheckDigit("921470000000000000001"), '0');
    EXPECT_EQ(MailerCheckDigit("921471234567890000001"), '5');
}

TEST(FormatMailerNumber, GroupsOfFourAndTwo)
{
    EXPECT_EQ(FormatMailerNumber("9214712345678900000015"), "9214 7123 4567 8900 0000 15");
    EXPECT_EQ(FormatMailerNumber("71000000000000000000"), "7100 0000 0000 0000 0000 ");
    EXPECT_EQ(FormatMailerNumber("123"), "123     ");
    EXPECT_EQ(FormatMailerNumber(""), "     ");
}

TEST(StepSerial, WrapsAndRefusesNonNumbers)
{
    struct Case
    {
        const char* serial;
        int step;
        const char* expected;
    };
    const Case cases[] = {
        {"0000000", +1, "0000001"}, {"9999998", +1, "9999999"}, {"9999999", +1, "0000001"},
        {"0000001", -1, "0000000"}, {"0000000", -1, "9999999"}, {"42", +1, "0000043"},
        {"12345678", +1, "12345679"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StepSerial(c.serial, c.step).value_or("?"), c.expected) << c.serial << " " << c.step;
    StepError error;
    EXPECT_FALSE(StepSerial("12a", +1, &error));
    EXPECT_EQ(error.message, "'12a' is not a valid integer value");
}

TEST(AdvanceMailerNumber, BarCodeModeCountsUpIgnoringTheCountType)
{
    NumberingState s;
    s.Increment = false;
    s.SerialNum = "9999999";
    ASSERT_FALSE(AdvanceMailerNumber(s));
    EXPECT_EQ(s.SerialNum, "0000001");
    s.SerialNum = "0000000";
    ASSERT_FALSE(StepBackMailerNumber(s));
    EXPECT_EQ(s.SerialNum, "9999999");
    ASSERT_FALSE(AdvanceMailerNumber(s));
    EXPECT_EQ(s.SerialNum, "0000001");
    ASSERT_FALSE(StepBackMailerNumber(s));
    EXPECT_EQ(s.SerialNum, "0000000");
}

TEST(AdvanceMailerNumber, PrePrintedModeStepsTheKeyedNumber)
{
    NumberingState s;
    s.PrintBarCode = false;
    ASSERT_FALSE(AdvanceMailerNumber(s)); // the default "71000000000000000000"
    EXPECT_EQ(s.MailerNum, "9214700000000000000010");

    s.Increment = false;
    s.MailerNum = BuildMailerNumber("123456789", "0000001", false);
    ASSERT_FALSE(AdvanceMailerNumber(s));
    EXPECT_EQ(s.MailerNum.substr(14, 7), "0000000");
    ASSERT_FALSE(AdvanceMailerNumber(s));
    EXPECT_EQ(s.MailerNum, BuildMailerNumber("123456789", "9999999", false));
    ASSERT_FALSE(StepBackMailerNumber(s));
    EXPECT_EQ(s.MailerNum, BuildMailerNumber("123456789", "0000001", false)); // upwards skips 0000000

    // A keyed prefix is replaced and the check digit recomputed.
    s.Increment = true;
    s.MailerNum = "0000012345678900000041";
    ASSERT_FALSE(AdvanceMailerNumber(s));
    EXPECT_EQ(s.MailerNum, BuildMailerNumber("123456789", "0000005", false));
}

TEST(AdvanceMailerNumber, AFailedStepLeavesTheStateAsItWas)
{
    NumberingState s;
    s.SerialNum = "12-34";
    const NumberingState before = s;
    auto error = AdvanceMailerNumber(s);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, "'12-34' is not a valid integer value");
    EXPECT_EQ(s, before);
    EXPECT_TRUE(StepBackMailerNumber(s));
    EXPECT_EQ(s, before);

    s.PrintBarCode = false;
    s.MailerNum = "92147123456789ABCDEFG1";
    const NumberingState pre = s;
    error = AdvanceMailerNumber(s);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, "'ABCDEFG' is not a valid integer value");
    EXPECT_EQ(s, pre);
}
