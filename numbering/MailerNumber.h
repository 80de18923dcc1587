#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quill {

/// Service prefixes of the two numbers every piece carries.
inline constexpr std::string_view MailerPrefix = "92147";
inline constexpr std::string_view CompanionPrefix = "92909";

/// The 22-digit mailer number (or, with `companion`, the companion number) of a customer ID
/// and a serial number: prefix, 9-digit customer ID, 7-digit serial, check digit. A customer
/// ID or serial that is no whole number counts as zeros.
std::string BuildMailerNumber(std::string_view custId, std::string_view serialNum, bool companion);

/// Modulus-10 check digit with weights 3 and 1, the rightmost body digit weighing 3.
char MailerCheckDigit(std::string_view body);

/// Groups of 4-4-4-4-4-2 digits joined by single blanks; groups past the end are empty.
std::string FormatMailerNumber(std::string_view number);

/// The failure of a step: "'<text>' is not a valid integer value".
struct StepError
{
    std::string message;
};

/// Moves a serial number by `step` (+1 or -1): upwards "9999999" wraps to "0000001",
/// downwards "0000000" to "9999999".
std::optional<std::string> StepSerial(std::string_view serial, int step, StepError* error = nullptr);

/// The numbering state of the settings that the steps move.
struct NumberingState
{
    bool PrintBarCode = true;
    bool Increment = true;
    std::string SerialNum = "0000000";
    std::string MailerNum = "71000000000000000000";

    bool operator==(const NumberingState&) const = default;
};

/// Moves the state to the next piece. On failure the state is unchanged and the message says
/// which text is not a number.
std::optional<StepError> AdvanceMailerNumber(NumberingState& state);

/// The inverse of AdvanceMailerNumber.
std::optional<StepError> StepBackMailerNumber(NumberingState& state);

} // namespace quill
