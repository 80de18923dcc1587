#pragma once

#include <span>

namespace quill::printing {

/// What a mark of the form shows.
enum class MarkSource {
    MailerSymbol,       // Code 128 of the mailer number
    CompanionSymbol,    // Code 128 of the companion number
    SenderZipSymbol,    // POSTNET of the sender's ZIP
    RecipientZipSymbol, // POSTNET of the recipient's ZIP
    MailerText,         // the mailer number in its groups of digits
    CompanionText,
    SenderLine,    // line `line` of the sender's block
    RecipientLine, // line `line` of the recipient's block
    ExtraLine,     // line `line` of the block the extra label carries
    ReLine,        // "RE: " and the RE field
    Comment,
    Postage,
    CertifiedFee,
    ReturnReceiptFee,
    RestrictedFee,
    Total, // "$ " and the total
    Caption,
};

/// When a mark is printed.
enum class MarkWhen {
    Always,
    BarcodeMode,    // the program numbers the piece
    ExtraLabel,     // the extra label is printed
    ExtraRecipient, // the extra label carries the recipient
};

enum class MarkFace {
    Ocr,  // "OCR A Extended"
    Page, // the page font the user chose
};

/// One mark of the certified-mail form: a symbol or a text, where and how it is printed.
/// Positions are inches on the form as it is fed; angles tenths of a degree, counter-clockwise.
struct FormMark
{
    const char* id; // the group of the form it belongs to: A symbols, B number texts, C ZIP symbols, D texts
    MarkSource source;
    int line; // address lines: which one, from 0
    MarkWhen when;
    MarkFace face;
    int points;   // texts: the size; 0 keeps the page font's own
    bool bold;    // texts: bold, or the page font's weight
    bool upper;   // texts: letters a-z in capitals
    bool endsAtX; // texts: the text ends at x instead of starting there
    int angle;
    double x, y;
    double xLong;        // ZIP symbols: x for a ZIP of more than five digits
    double height;       // mailer and companion symbols: inches
    const char* caption; // Caption: the text
};

/// Every mark of the form, in the order it is printed: the mailer and companion symbols (A),
/// the number texts (B), the ZIP symbols (C), the addresses, fees and captions (D).
std::span<const FormMark> FormMarks();

/// Whether a mark is part of the numbering: the symbols and texts of the mailer number and its
/// companion, which are all a pre-printed form carries.
bool IsNumberMark(const FormMark& mark);

} // namespace quill::printing
