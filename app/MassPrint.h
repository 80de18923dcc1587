#pragma once

#include "Piece.h"
#include "tables/AddressTable.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quill {

/// The piece the window shows, addressed to the recipient of an address record.
PieceInput PieceInputOf(const tables::AddressRecord& record, PieceInput window);

/// Mass print refuses a customer ID of zeros in bar-code mode, written with or without dashes.
bool MassPrintRefusesCustomerId(const Settings& settings);
inline constexpr const char* MassPrintZerosRefused =
    "You can not print a Mailer with \"000000000\" as a Customer ID. \r\nPlease enter in a Customer ID , and "
    "try again.";

/// What the window does around each piece of a mass print.
struct MassPrintSteps
{
    /// Before each piece: its place in the run (from 1), the count, and its recipient.
    std::function<void(uint32_t at, uint32_t count, const tables::AddressRecord& record)> progress;
    /// Asked between pieces; true ends the run there.
    std::function<bool()> stopRequested;
    /// The Mailer Number dialog, shown while ShowMailerDialog is set; true on OK.
    std::function<bool()> mailerDialog;
    /// Prints and logs one piece with the number reserved for it; false ends the run.
    std::function<bool(const PieceInput& piece, NumberReservation& number)> print;
};

/// How a mass print ended.
struct MassPrintResult
{
    enum class End { Done, Cancelled, CustomerIdRefused, NumberFailed, Stopped, PrintFailed };
    End end = End::Done;
    uint32_t printed = 0;
    std::string numberError; // why the number could not be stepped (NumberFailed)
};

/// Prints one piece for every record of `table`, deleted ones included, from the first record
/// on. A run that ends early keeps the pieces before and puts the numbering back to that of
/// the last piece printed. `showMailerDialog` is read before each piece, as the dialog may clear
/// it. Table failures pass out as TableErrors.
MassPrintResult RunMassPrint(tables::TTzDbf& table, Settings& settings, const bool& showMailerDialog,
                             const PieceInput& window, const MassPrintSteps& steps);

} // namespace quill
