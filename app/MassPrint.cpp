#include "MassPrint.h"

#include "MailerNumber.h"
#include "U_CommonAPI.h"

namespace quill {

PieceInput PieceInputOf(const tables::AddressRecord& record, PieceInput window)
{
    window.lines.clear();
    for (const std::string& line : record.lines)
        window.lines.append(QString::fromStdString(line));
    window.city = QString::fromStdString(record.city);
    window.state = QString::fromStdString(record.state);
    window.zip = QString::fromStdString(record.zip);
    return window;
}

bool MassPrintRefusesCustomerId(const Settings& settings)
{
    return settings.PrintBarCode && WithoutDashes(settings.CustID) == "000000000";
}

MassPrintResult RunMassPrint(tables::TTzDbf& table, Settings& settings, const bool& showMailerDialog,
                             const PieceInput& window, const MassPrintSteps& steps)
{
    using End = MassPrintResult::End;
    MassPrintResult result;
    const uint32_t count = table.RecCount();
    uint32_t at = 0;
    for (table.First(); !table.Eof(); table.Next()) {
        if (steps.stopRequested && steps.stopRequested()) {
            result.end = End::Stopped;
            return result;
        }
        const tables::AddressRecord record = tables::ReadAddress(table);
        if (steps.progress)
            steps.progress(++at, count, record);
        NumberReservation number(settings); // put back unless the piece is printed
        if (number.error()) {
            result.end = End::NumberFailed;
            result.numberError = number.error()->message;
            return result;
        }
        if (showMailerDialog && !steps.mailerDialog()) {
            result.end = End::Cancelled;
            return result;
        }
        if (MassPrintRefusesCustomerId(settings)) {
            result.end = End::CustomerIdRefused;
            return result;
        }
        if (!steps.print(PieceInputOf(record, window), number)) {
            result.end = End::PrintFailed;
            return result;
        }
        ++result.printed;
    }
    return result;
}

} // namespace quill
