#pragma once

#include "GlobalVariables.h"
#include "U_CertPrint.h"
#include "report/ReportLog.h"

#include <QDate>
#include <QFont>
#include <QStringList>

#include <array>
#include <filesystem>
#include <optional>
#include <string>

namespace quill {

/// What the clerk entered for one piece, as the window (or a record of the address table)
/// shows it. The form and the report record are both made from it.
struct PieceInput
{
    std::array<QString, 5> sender; // the sender's lines as the main window shows them
    QStringList lines;             // the recipient's address lines as typed, untrimmed
    QString city, state;
    QString zip; // as the "99999-9999" mask field shows it
    QString re, comment;
    QString postage, certifiedFee, returnReceiptFee, restrictedFee, total; // money text as shown
};

/// The numbering of one piece: the settings are stepped to the piece's number when it is made,
/// and put back when it goes out of scope unless the piece was committed.
class NumberReservation
{
public:
    explicit NumberReservation(Settings& settings);
    ~NumberReservation();
    NumberReservation(const NumberReservation&) = delete;
    NumberReservation& operator=(const NumberReservation&) = delete;

    /// Why the number could not be stepped; the settings are unchanged then.
    const std::optional<StepError>& error() const { return m_error; }
    /// The number was used: it stays.
    void commit() { m_committed = true; }

private:
    Settings& m_settings;
    NumberingState m_before;
    std::string m_custId;
    std::optional<StepError> m_error;
    bool m_committed = false;
};

/// The form of the piece with the numbering and printing settings of `settings`.
printing::FormData FormDataOf(const PieceInput& piece, const Settings& settings);
/// The report record of the piece printed with mailer number `mailerNumber` on `day`.
report::ReportRecord ReportRecordOf(const PieceInput& piece, const std::string& mailerNumber,
                                    const QDate& day);

/// How printing one piece went.
struct PieceOutcome
{
    QString mailerNumber;                  // empty when the form could not be printed
    std::optional<QString> printError;     // the job's failure: the piece is not logged
    std::optional<std::string> savedError; // the numbering could not be written to the settings file
    report::ReportLogWriter::Outcome logged = report::ReportLogWriter::Outcome::Logged;
};

/// Prints the piece's form on `device`, keeps its number (committing the reservation) and
/// writes the numbering keys into `settingsFile`, then appends the report record when the form
/// was printed. Failures of the log are TableErrors.
PieceOutcome PrintPiece(const PieceInput& piece, Settings& settings, NumberReservation& number,
                        const QFont& fontHolder, printing::PageDevice& device,
                        const std::filesystem::path& settingsFile, report::ReportLogWriter& log,
                        const QDate& day);

} // namespace quill
