#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quill {

/// Removes leading and trailing blanks and control characters.
std::string TrimBlanks(std::string_view text);
std::string_view TrimBlanksView(std::string_view text);
bool IsBlank(std::string_view text);

/// The text without its "-" characters: the customer ID and serial number as digits alone.
std::string WithoutDashes(std::string_view text);

/// An amount as money text: leading blanks chosen by magnitude, then the amount in plain
/// digits (15 significant, never an exponent) with "0" or ".00" appended where it lacks
/// decimals.
std::string FormatMoney(double amount);

/// Reads an amount the way the fee fields accept one: blanks around, an optional sign, digits
/// with an optional point and fraction, an optional exponent. Anything else gives nothing.
std::optional<double> ParseAmount(std::string_view text);

/// The fee texts added up in the order given; empty or unreadable texts add nothing.
double SumFees(const std::vector<std::string>& texts);

/// What a fee field shows after it is left: the money text of a positive amount, or a single
/// blank.
std::string NormalizedFeeText(std::string_view text);

/// Cleans a ZIP text read from a "99999-9999" mask field: "     -    " gives "", five digits
/// and an unfilled plus-four give the five digits.
std::string TrimZip(std::string_view text);

/// City, one blank, state, one blank, ZIP.
std::string CityLine(std::string_view city, std::string_view state, std::string_view zip);

/// The five lines of an address block: the four lines with the city line moved into the first
/// one that is blank, or into a fifth line when none is.
std::array<std::string, 5> PlaceCityLine(const std::array<std::string, 4>& lines,
                                         const std::string& cityLine);

/// Splits pasted text into lines at each CR LF or LF CR pair; characters after the last pair
/// form no line.
std::vector<std::string> SplitPasteLines(std::string_view text);

/// An address block taken from the clipboard.
struct PastedAddress
{
    std::string city;
    std::string state;
    std::string zip;
    bool hasLines = false; // false: nothing to put into the memo (no lines, or only a city line)
    std::string memoText;  // the name-and-address lines, each but the fourth followed by a break
};

/// Parses clipboard text into memo lines and a city line split into city, state and ZIP.
/// Returns nothing when the text is empty.
std::optional<PastedAddress> ParsePastedAddress(std::string_view clipboard);

} // namespace quill
