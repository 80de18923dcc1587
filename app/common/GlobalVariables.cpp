#include "GlobalVariables.h"

namespace quill {

namespace {
constexpr const char* Type = "Type";
constexpr const char* YourAddress = "YourAddress";
constexpr const char* Values = "Values";
constexpr const char* Printing = "Printing";
constexpr const char* PrintAlign = "Print Align";
constexpr const char* SystemPath = "System Path";
} // namespace

namespace {
void storeNumbering(const Settings& s, IniFile& ini)
{
    ini.writeBool(Values, "PrintBarCode", s.PrintBarCode);
    ini.writeString(Values, "CustID", s.CustID);
    ini.writeString(Values, "SerialNum", s.SerialNum);
    ini.writeBool(Values, "Increment", s.Increment);
    ini.writeString(Values, "MailerNum", s.MailerNum);
    ini.writeBool(Values, "IMpb", s.IMpb);
}

std::optional<std::string> rewrite(const std::filesystem::path& file,
                                   const std::function<void(IniFile&)>& change)
{
    IniFile ini;
    // Keep whatever else the file holds now. A file that is there but cannot be read is not
    // written over: that would trade the sender address and the rest for the keys of the moment.
    if (!ini.load(file))
        return "Unable to write to " + file.string();
    change(ini);
    std::string why;
    if (!ini.save(file, &why))
        return "Unable to write to " + file.string();
    return std::nullopt;
}
} // namespace

Settings DefaultSettings(const std::string& programFolder)
{
    Settings s;
    s.Default = programFolder + "Addresses";
    return s;
}

void ChooseBrand(Settings& settings, const std::function<bool()>& loadResellerLogo)
{
    if (loadResellerLogo && loadResellerLogo())
        settings.Company = BrandReseller;
    if (settings.Company.empty())
        settings.Company = BrandMaker;
}

Settings LoadSettings(const IniFile& ini, const std::string& programFolder,
                      const std::function<bool()>& loadResellerLogo)
{
    Settings s = DefaultSettings(programFolder);
    s.Company = ini.readString(Type, "Company", "");
    if (s.Company.empty())
        ChooseBrand(s, loadResellerLogo);
    s.Line1 = ini.readString(YourAddress, "Line1", s.Line1);
    s.Line2 = ini.readString(YourAddress, "Line2", s.Line2);
    s.Line3 = ini.readString(YourAddress, "Line3", s.Line3);
    s.Line4 = ini.readString(YourAddress, "Line4", s.Line4);
    s.City = ini.readString(YourAddress, "City", s.City);
    s.State = ini.readString(YourAddress, "State", s.State);
    s.Zip = ini.readString(YourAddress, "Zip", s.Zip);
    s.Postage = ini.readString(Values, "Postage", s.Postage);
    s.CertFee = ini.readString(Values, "CertFee", s.CertFee);
    s.Return = ini.readString(Values, "Return", s.Return);
    s.Restricted = ini.readString(Values, "Restricted", s.Restricted);
    s.PrintBarCode = ini.readBool(Values, "PrintBarCode", s.PrintBarCode);
    s.CustID = ini.readString(Values, "CustID", s.CustID);
    s.SerialNum = ini.readString(Values, "SerialNum", s.SerialNum);
    s.Increment = ini.readBool(Values, "Increment", s.Increment);
    s.MailerNum = ini.readString(Values, "MailerNum", s.MailerNum);
    s.IMpb = ini.readBool(Values, "IMpb", s.IMpb);
    s.PrintExtraLabel = ini.readString(Printing, "PrintExtraLabel", s.PrintExtraLabel);
    s.ExtraLabel = ini.readString(Printing, "ExtraLabel", s.ExtraLabel);
    s.LeftRight = ini.readInteger(PrintAlign, "LeftRight", s.LeftRight);
    s.TopBottom = ini.readInteger(PrintAlign, "TopBottom", s.TopBottom);
    s.BarCodeApp = ini.readBool(Type, "BarCodeApp", s.BarCodeApp);
    s.Default = ini.readString(SystemPath, "Default", s.Default);
    return s;
}

void StoreSettings(const Settings& s, IniFile& ini)
{
    ini.writeString(Type, "Company", s.Company);
    ini.writeString(YourAddress, "Line1", s.Line1);
    ini.writeString(YourAddress, "Line2", s.Line2);
    ini.writeString(YourAddress, "Line3", s.Line3);
    ini.writeString(YourAddress, "Line4", s.Line4);
    ini.writeString(YourAddress, "City", s.City);
    ini.writeString(YourAddress, "State", s.State);
    ini.writeString(YourAddress, "Zip", s.Zip);
    ini.writeString(Values, "Postage", s.Postage);
    ini.writeString(Values, "CertFee", s.CertFee);
    ini.writeString(Values, "Return", s.Return);
    ini.writeString(Values, "Restricted", s.Restricted);
    storeNumbering(s, ini);
    ini.writeString(Printing, "PrintExtraLabel", s.PrintExtraLabel);
    ini.writeString(Printing, "ExtraLabel", s.ExtraLabel);
    ini.writeInteger(PrintAlign, "LeftRight", s.LeftRight);
    ini.writeInteger(PrintAlign, "TopBottom", s.TopBottom);
    // These two names have always been written in lower case; matching ignores case, so they
    // are the same section and key, and files written earlier keep their spelling.
    ini.writeBool("type", "BarCodeApp", s.BarCodeApp);
    ini.writeString(SystemPath, "default", s.Default);
}

std::optional<std::string> SaveNumbering(const Settings& settings, const std::filesystem::path& file)
{
    return rewrite(file, [&](IniFile& ini) { storeNumbering(settings, ini); });
}

std::optional<std::string> SaveSettings(const Settings& settings, const std::filesystem::path& file)
{
    return rewrite(file, [&](IniFile& ini) { StoreSettings(settings, ini); });
}

} // namespace quill
