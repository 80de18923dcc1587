#include "Piece.h"

#include "MailerNumber.h"
#include "U_CommonAPI.h"

namespace quill {

namespace {

std::string s8(const QString& s)
{
    return s.toStdString();
}
QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

NumberReservation::NumberReservation(Settings& settings)
    : m_settings(settings), m_before(settings), m_custId(settings.CustID)
{
    m_error = AdvanceMailerNumber(m_settings);
    if (m_error)
        m_committed = true; // nothing was stepped: nothing to put back
}

NumberReservation::~NumberReservation()
{
    if (m_committed)
        return;
    m_settings.SerialNum = m_before.SerialNum;
    m_settings.MailerNum = m_before.MailerNum;
    m_settings.CustID = m_custId;
}

printing::FormData FormDataOf(const PieceInput& piece, const Settings& settings)
{
    printing::FormData d;
    d.sender = piece.sender;
    d.senderZip = q(settings.Zip);
    std::array<std::string, 4> four;
    for (int i = 0; i < 4; ++i)
        four[static_cast<std::size_t>(i)] = i < piece.lines.size() ? s8(piece.lines[i]) : std::string();
    const std::string zip = TrimZip(s8(piece.zip));
    const auto block =
        PlaceCityLine(four, CityLine(s8(piece.city.trimmed()), s8(piece.state.trimmed()), zip));
    for (std::size_t i = 0; i < 5; ++i)
        d.recipient[i] = q(block[i]);
    d.recipientZip = q(zip);
    d.re = piece.re.left(25);
    d.comment = piece.comment;
    if (settings.PrintBarCode) {
        d.numberSource = q(quill::WithoutDashes(settings.CustID));
        d.serialNumber = q(settings.SerialNum);
    } else {
        d.numberSource = q(settings.MailerNum);
    }
    d.postage = piece.postage;
    d.certifiedFee = piece.certifiedFee;
    d.returnReceiptFee = piece.returnReceiptFee;
    d.restrictedFee = piece.restrictedFee;
    d.total = piece.total;
    d.leftRight = QString::number(settings.LeftRight);
    d.topBottom = QString::number(settings.TopBottom);
    d.printExtraLabel = q(settings.PrintExtraLabel);
    d.extraLabel = q(settings.ExtraLabel);
    d.impb = settings.IMpb;
    return d;
}

report::ReportRecord ReportRecordOf(const PieceInput& piece, const std::string& mailerNumber,
                                    const QDate& day)
{
    report::ReportRecord r;
    for (int i = 0; i < 4; ++i)
        r.sentName[static_cast<std::size_t>(i)] = i < piece.lines.size() ? s8(piece.lines[i]) : std::string();
    r.city = s8(piece.city.trimmed());
    r.state = s8(piece.state.trimmed());
    r.zip = TrimZip(s8(piece.zip));
    r.date = s8(day.toString("MM/dd/yyyy")); // the short date form the log is always written in
    r.mailerNumber = FormatMailerNumber(mailerNumber);
    r.postage = s8(piece.postage);
    r.certified = s8(piece.certifiedFee);
    r.restricted = s8(piece.restrictedFee);
    r.returnReceipt = s8(piece.returnReceiptFee);
    r.total = s8(piece.total);
    r.comments = s8(piece.comment);
    r.re = s8(piece.re);
    return r;
}

PieceOutcome PrintPiece(const PieceInput& piece, Settings& settings, NumberReservation& number,
                        const QFont& fontHolder, printing::PageDevice& device,
                        const std::filesystem::path& settingsFile, report::ReportLogWriter& log,
                        const QDate& day)
{
    PieceOutcome out;
    // Handed to the printer, the number is used, even by a job that failed on its way: part of
    // the form may be on paper, and a number must never be issued twice. It is saved before the
    // job begins, so that a program killed while the form prints starts again past it.
    number.commit();
    out.savedError = SaveNumbering(settings, settingsFile);
    const printing::PrintResult printed =
        printing::DrawMailerForm(FormDataOf(piece, settings), settings.PrintBarCode, fontHolder, device);
    if (printed.error) {
        out.printError = printed.error;
        return out;
    }
    out.mailerNumber = printed.mailerNumber;
    out.logged = log.append(ReportRecordOf(piece, s8(printed.mailerNumber), day));
    return out;
}

} // namespace quill
