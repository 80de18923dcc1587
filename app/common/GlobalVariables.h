#pragma once

#include "IniFile.h"
#include "MailerNumber.h"

#include <filesystem>
#include <functional>
#include <string>

namespace quill {

/// The settings record: one value per key of "quill4.ini". Amounts, the customer ID, the
/// serial number and the mailer numbers are held as the text read. The numbering state
/// (PrintBarCode, Increment, SerialNum, MailerNum) is its base, so the numbering steps work
/// on the record itself.
struct Settings : NumberingState
{
    std::string Company;
    std::string Line1, Line2, Line3, Line4, City, State, Zip;
    std::string Postage = "0.39";
    std::string CertFee = "2.40";
    std::string Return = "1.85";
    std::string Restricted = "3.50";
    std::string CustID = "000000000";
    bool IMpb = false; // the mailer and companion symbols as GS1-128 (IMpb) instead of plain Code 128
    std::string PrintExtraLabel = "Yes";
    std::string ExtraLabel = "Addressed To";
    int LeftRight = 0;
    int TopBottom = 0;
    bool BarCodeApp = true;
    std::string Default; // the "Addresses" folder of the program unless the file says otherwise

    bool operator==(const Settings&) const = default;
};

inline constexpr const char* ApplicationTitle = "Quillmark";
inline constexpr const char* SettingsFileName = "quill4.ini";
inline constexpr const char* BrandMaker = "Eastvale";
inline constexpr const char* BrandReseller = "Harrowby";

/// The defaults of every key for a program in `programFolder` (which ends with a separator).
Settings DefaultSettings(const std::string& programFolder);

/// Decides the brand when the file gave none: the reseller's when its logo loads, else the
/// maker's. `loadResellerLogo` loads "Scr_logo.bmp" into the main window and says whether
/// it could.
void ChooseBrand(Settings& settings, const std::function<bool()>& loadResellerLogo);

/// Fills the record from the file in the order of its keys, running ChooseBrand right after
/// an empty `Company`.
Settings LoadSettings(const IniFile& ini, const std::string& programFolder,
                      const std::function<bool()>& loadResellerLogo);

/// Writes every key of the record into `ini`, in the fixed order of the first write.
void StoreSettings(const Settings& settings, IniFile& ini);

/// Writes the record into the settings file, keeping every other line of it; on failure
/// returns "Unable to write to <path>" and the old file is unchanged.
std::optional<std::string> SaveSettings(const Settings& settings, const std::filesystem::path& file);

/// Writes the numbering keys (PrintBarCode, CustID, SerialNum, Increment, MailerNum) into
/// the settings file at once, keeping every other line, so that a number that went to the
/// printer is never issued again, even after a crash. Same failure as SaveSettings.
std::optional<std::string> SaveNumbering(const Settings& settings, const std::filesystem::path& file);

} // namespace quill
