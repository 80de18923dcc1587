#include "MailerNumber.h"

#include "IntegerText.h"

namespace quill {

namespace {

std::string padLeft(std::string s, std::size_t width)
{
    if (s.size() < width)
        s.insert(0, width - s.size(), '0');
    return s;
}

// 1-based copy that stops at the end of the text.
std::string copy1(std::string_view s, std::size_t from, std::size_t count)
{
    if (from < 1 || from > s.size())
        return {};
    return std::string(s.substr(from - 1, count));
}

StepError notAnInteger(std::string_view text) { return {"'" + std::string(text) + "' is not a valid integer value"}; }

} // namespace

char MailerCheckDigit(std::string_view body)
{
    int odd = 0, even = 0;
    for (std::size_t i = 0; i < body.size(); ++i) {
        int d = body[i] >= '0' && body[i] <= '9' ? body[i] - '0' : 0;
        (i % 2 == 0 ? odd : even) += d; // position i+1: odd positions are i = 0, 2, ...
    }
    int last = (odd * 3 + even) % 10;
    return last == 0 ? '0' : static_cast<char>('0' + 10 - last);
}

std::string BuildMailerNumber(std::string_view custId, std::string_view serialNum, bool companion)
{
    std::string cust = ParseInteger(custId) ? std::string(custId) : "000000000";
    cust = padLeft(cust, 9).substr(0, 9);
    std::string serial = ParseInteger(serialNum) ? std::string(serialNum) : "0000000";
    serial = padLeft(serial, 7).substr(0, 7);
    std::string body = std::string(companion ? CompanionPrefix : MailerPrefix) + cust + serial;
    return body + MailerCheckDigit(body);
}

std::string FormatMailerNumber(std::string_view number)
{
    std::string out;
    const std::size_t starts[] = {1, 5, 9, 13, 17, 21};
    for (std::size_t g = 0; g < 6; ++g) {
        if (g > 0)
            out += ' ';
        out += copy1(number, starts[g], g == 5 ? 2 : 4);
    }
    return out;
}

std::optional<std::string> StepSerial(std::string_view serial, int step, StepError* error)
{
    auto value = ParseInteger(serial);
    if (!value) {
        if (error)
            *error = notAnInteger(serial);
        return std::nullopt;
    }
    std::string text = std::to_string(static_cast<long long>(*value) + step);
    if (text == "10000000")
        text = "0000001";
    else if (text == "-1")
        text = "9999999";
    return padLeft(text, 7);
}

namespace {

std::optional<StepError> stepPrePrinted(NumberingState& state, int step)
{
    const std::string serial = copy1(state.MailerNum, 15, 7);
    const std::string cust = copy1(state.MailerNum, 6, 9);
    StepError error;
    auto next = StepSerial(serial, step, &error);
    if (!next)
        return error;
    state.MailerNum = BuildMailerNumber(cust, *next, false);
    return std::nullopt;
}

} // namespace

std::optional<StepError> AdvanceMailerNumber(NumberingState& state)
{
    if (!state.PrintBarCode)
        return stepPrePrinted(state, state.Increment ? +1 : -1);
    StepError error;
    auto next = StepSerial(state.SerialNum, +1, &error);
    if (!next)
        return error;
    state.SerialNum = *next;
    return std::nullopt;
}

std::optional<StepError> StepBackMailerNumber(NumberingState& state)
{
    if (!state.PrintBarCode)
        return stepPrePrinted(state, state.Increment ? -1 : +1);
    auto value = ParseInteger(state.SerialNum);
    if (!value)
        return notAnInteger(state.SerialNum);
    std::string text = std::to_string(static_cast<long long>(*value) - 1);
    if (text == "-1")
        text = "9999999";
    state.SerialNum = padLeft(text, 7);
    return std::nullopt;
}

} // namespace quill
