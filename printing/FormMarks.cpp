#include "FormMarks.h"

namespace quill::printing {

namespace {

using S = MarkSource;
using W = MarkWhen;
using F = MarkFace;

// id, source, line, when, face, points, bold, upper, ends at x, angle, x, y, x for a ZIP+4,
// symbol height, caption
constexpr FormMark Marks[] = {
    {"A1", S::MailerSymbol, 0, W::BarcodeMode, F::Ocr, 0, false, false, false, 1800, 0.62, 4.1, 0, 0.75,
     nullptr},
    {"A2", S::CompanionSymbol, 0, W::BarcodeMode, F::Ocr, 0, false, false, false, 0, 4.7, 5.0, 0, 0.75,
     nullptr},
    {"A3", S::CompanionSymbol, 0, W::BarcodeMode, F::Ocr, 0, false, false, false, 0, 5.2, 0.8, 0, 0.4,
     nullptr},
    {"B1", S::MailerText, 0, W::BarcodeMode, F::Ocr, 11, false, false, false, 1800, 3.08, 4.02, 0, 0,
     nullptr},
    {"B2", S::CompanionText, 0, W::BarcodeMode, F::Ocr, 11, false, false, false, 1800, 7.2, 4.92, 0, 0,
     nullptr},
    {"B3", S::CompanionText, 0, W::BarcodeMode, F::Ocr, 10, false, false, false, 1800, 7.6, 0.78, 0, 0,
     nullptr},
    {"B4", S::MailerText, 0, W::BarcodeMode, F::Ocr, 10, false, false, false, 1800, 7.7, 0.45, 0, 0, nullptr},
    {"B5", S::MailerText, 0, W::BarcodeMode, F::Ocr, 10, false, false, false, 2700, 7.91, 3.8, 0, 0, nullptr},
    {"B6", S::MailerText, 0, W::BarcodeMode, F::Ocr, 8, false, false, false, 2700, 8.1, 1.46, 0, 0, nullptr},
    {"B7", S::MailerText, 0, W::BarcodeMode, F::Page, 6, false, false, false, 1800, 1.47, 3.17, 0, 0,
     nullptr},
    {"C1", S::SenderZipSymbol, 0, W::Always, F::Ocr, 0, false, false, false, 1800, 5.3, 3.55, 4.5, 0,
     nullptr},
    {"C2", S::RecipientZipSymbol, 0, W::ExtraRecipient, F::Ocr, 0, false, false, false, 1800, 1.08, 5.63,
     0.15, 0, nullptr},
    {"D1", S::SenderLine, 0, W::Always, F::Ocr, 10, false, true, false, 1800, 7.5, 4.65, 0, 0, nullptr},
    {"D1", S::SenderLine, 1, W::Always, F::Ocr, 10, false, true, false, 1800, 7.5, 4.5, 0, 0, nullptr},
    {"D1", S::SenderLine, 2, W::Always, F::Ocr, 10, false, true, false, 1800, 7.5, 4.35, 0, 0, nullptr},
    {"D1", S::SenderLine, 3, W::Always, F::Ocr, 10, false, true, false, 1800, 7.5, 4.2, 0, 0, nullptr},
    {"D1", S::SenderLine, 4, W::Always, F::Ocr, 10, false, true, false, 1800, 7.5, 4.05, 0, 0, nullptr},
    {"D1", S::SenderLine, 0, W::Always, F::Ocr, 10, false, true, false, 1800, 7.55, 3.0, 0, 0, nullptr},
    {"D1", S::SenderLine, 1, W::Always, F::Ocr, 10, false, true, false, 1800, 7.55, 2.85, 0, 0, nullptr},
    {"D1", S::SenderLine, 2, W::Always, F::Ocr, 10, false, true, false, 1800, 7.55, 2.7, 0, 0, nullptr},
    {"D1", S::SenderLine, 3, W::Always, F::Ocr, 10, false, true, false, 1800, 7.55, 2.55, 0, 0, nullptr},
    {"D1", S::SenderLine, 4, W::Always, F::Ocr, 10, false, true, false, 1800, 7.55, 2.4, 0, 0, nullptr},
    {"D1", S::RecipientLine, 0, W::Always, F::Ocr, 10, false, true, false, 1800, 7.1, 6.7, 0, 0, nullptr},
    {"D1", S::RecipientLine, 1, W::Always, F::Ocr, 10, false, true, false, 1800, 7.1, 6.55, 0, 0, nullptr},
    {"D1", S::RecipientLine, 2, W::Always, F::Ocr, 10, false, true, false, 1800, 7.1, 6.4, 0, 0, nullptr},
    {"D1", S::RecipientLine, 3, W::Always, F::Ocr, 10, false, true, false, 1800, 7.1, 6.25, 0, 0, nullptr},
    {"D1", S::RecipientLine, 4, W::Always, F::Ocr, 10, false, true, false, 1800, 7.1, 6.1, 0, 0, nullptr},
    {"D1", S::RecipientLine, 0, W::Always, F::Ocr, 10, false, true, false, 1800, 7.55, 2.0, 0, 0, nullptr},
    {"D1", S::RecipientLine, 1, W::Always, F::Ocr, 10, false, true, false, 1800, 7.55, 1.85, 0, 0, nullptr},
    {"D1", S::RecipientLine, 2, W::Always, F::Ocr, 10, false, true, false, 1800, 7.55, 1.7, 0, 0, nullptr},
    {"D1", S::RecipientLine, 3, W::Always, F::Ocr, 10, false, true, false, 1800, 7.55, 1.55, 0, 0, nullptr},
    {"D1", S::RecipientLine, 4, W::Always, F::Ocr, 10, false, true, false, 1800, 7.55, 1.4, 0, 0, nullptr},
    {"D1", S::ExtraLine, 0, W::ExtraLabel, F::Ocr, 10, false, true, false, 1800, 2.8, 6.6, 0, 0, nullptr},
    {"D1", S::ExtraLine, 1, W::ExtraLabel, F::Ocr, 10, false, true, false, 1800, 2.8, 6.45, 0, 0, nullptr},
    {"D1", S::ExtraLine, 2, W::ExtraLabel, F::Ocr, 10, false, true, false, 1800, 2.8, 6.3, 0, 0, nullptr},
    {"D1", S::ExtraLine, 3, W::ExtraLabel, F::Ocr, 10, false, true, false, 1800, 2.8, 6.15, 0, 0, nullptr},
    {"D1", S::ExtraLine, 4, W::ExtraLabel, F::Ocr, 10, false, true, false, 1800, 2.8, 6.0, 0, 0, nullptr},
    {"D1", S::ReLine, 0, W::Always, F::Ocr, 10, false, false, false, 1800, 7.5, 3.95, 0, 0, nullptr},
    {"D2", S::SenderLine, 0, W::Always, F::Ocr, 10, false, true, false, 2700, 4.3, 3.8, 0, 0, nullptr},
    {"D2", S::SenderLine, 1, W::Always, F::Ocr, 10, false, true, false, 2700, 4.15, 3.8, 0, 0, nullptr},
    {"D2", S::SenderLine, 2, W::Always, F::Ocr, 10, false, true, false, 2700, 4.0, 3.8, 0, 0, nullptr},
    {"D2", S::SenderLine, 3, W::Always, F::Ocr, 10, false, true, false, 2700, 3.85, 3.8, 0, 0, nullptr},
    {"D2", S::SenderLine, 4, W::Always, F::Ocr, 10, false, true, false, 2700, 3.7, 3.8, 0, 0, nullptr},
    {"D2", S::ReLine, 0, W::Always, F::Ocr, 10, false, false, false, 2700, 8.21, 3.8, 0, 0, nullptr},
    {"D2", S::Comment, 0, W::Always, F::Ocr, 10, false, false, false, 2700, 8.06, 3.8, 0, 0, nullptr},
    {"D3", S::SenderLine, 0, W::Always, F::Page, 6, false, false, false, 1800, 1.45, 2.88, 0, 0, nullptr},
    {"D3", S::ReLine, 0, W::Always, F::Page, 6, false, false, false, 1800, 1.45, 2.78, 0, 0, nullptr},
    {"D3", S::Comment, 0, W::Always, F::Page, 6, false, false, false, 1800, 1.45, 2.68, 0, 0, nullptr},
    {"D3", S::RecipientLine, 0, W::Always, F::Page, 6, false, false, false, 1800, 1.45, 2.13, 0, 0, nullptr},
    {"D3", S::RecipientLine, 1, W::Always, F::Page, 6, false, false, false, 1800, 1.45, 2.03, 0, 0, nullptr},
    {"D3", S::RecipientLine, 2, W::Always, F::Page, 6, false, false, false, 1800, 1.45, 1.93, 0, 0, nullptr},
    {"D3", S::RecipientLine, 3, W::Always, F::Page, 6, false, false, false, 1800, 1.45, 1.83, 0, 0, nullptr},
    {"D3", S::RecipientLine, 4, W::Always, F::Page, 6, false, false, false, 1800, 1.45, 1.73, 0, 0, nullptr},
    {"D3", S::Postage, 0, W::Always, F::Page, 6, false, false, true, 1800, 0.3, 1.43, 0, 0, nullptr},
    {"D3", S::CertifiedFee, 0, W::Always, F::Page, 6, false, false, true, 1800, 0.3, 1.33, 0, 0, nullptr},
    {"D3", S::ReturnReceiptFee, 0, W::Always, F::Page, 6, false, false, true, 1800, 0.3, 1.23, 0, 0, nullptr},
    {"D3", S::RestrictedFee, 0, W::Always, F::Page, 6, false, false, true, 1800, 0.3, 1.13, 0, 0, nullptr},
    {"D3", S::Caption, 0, W::Always, F::Page, 6, false, false, false, 1800, 1.45, 1.43, 0, 0, "Postage"},
    {"D3", S::Caption, 0, W::Always, F::Page, 6, false, false, false, 1800, 1.45, 1.33, 0, 0,
     "Certified Fee"},
    {"D3", S::Caption, 0, W::Always, F::Page, 6, false, false, false, 1800, 1.45, 1.23, 0, 0,
     "Return Receipt"},
    {"D3", S::Caption, 0, W::Always, F::Page, 6, false, false, false, 1800, 1.45, 1.13, 0, 0, "Restricted"},
    {"D4", S::Caption, 0, W::Always, F::Page, 8, true, false, false, 1800, 1.3, 3.3, 0, 0, "RECEIPT"},
    {"D4", S::Caption, 0, W::Always, F::Page, 8, true, false, false, 1800, 1.4, 3.02, 0, 0, "FROM:"},
    {"D4", S::Caption, 0, W::Always, F::Page, 8, true, false, false, 1800, 1.4, 2.28, 0, 0, "SEND TO:"},
    {"D4", S::Caption, 0, W::Always, F::Page, 8, true, false, false, 1800, 1.4, 1.58, 0, 0, "FEES:"},
    {"D4", S::Caption, 0, W::Always, F::Page, 8, true, false, false, 1800, 1.4, 0.98, 0, 0, "TOTAL"},
    {"D4", S::Caption, 0, W::Always, F::Page, 8, true, false, false, 1800, 1.4, 0.78, 0, 0,
     "POSTMARK OR DATE"},
    {"D4", S::Total, 0, W::Always, F::Page, 8, true, false, true, 1800, 0.3, 0.98, 0, 0, nullptr},
};

} // namespace

std::span<const FormMark> FormMarks()
{
    return Marks;
}

bool IsNumberMark(const FormMark& mark)
{
    switch (mark.source) {
    case MarkSource::MailerSymbol:
    case MarkSource::CompanionSymbol:
    case MarkSource::MailerText:
    case MarkSource::CompanionText:
        return true;
    default:
        return false;
    }
}

} // namespace quill::printing
