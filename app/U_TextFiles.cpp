#include "U_TextFiles.h"

#include "GlobalVariables.h"
#include "MessageBoxWithButtons.h"
#include "PlatformServices.h"
#include "tables/AddressText.h"
#include "tables/TableError.h"
#include "tables/TzDbf.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

using quill::tables::TTzDbf;

namespace {

constexpr const char* ImportTitle = "Read Name and Address from File";
constexpr const char* ImportFilter = "Import Files (*.txt *.csv);;All Files (*)";
constexpr const char* TableFilter = "DBF Files (*.dbf)";
constexpr const char* ExportOpenFilter = "dbf Files (*.dbf);;All Files (*)";
constexpr const char* SameName =
    "A database of the same name has been found in this location.  Would you like to "
    "overwrite this database, or append to this database?";

std::string s8(const QString& s)
{
    return s.toStdString();
}

/// A failure of the text file itself, shown like the dataset errors.
struct FileError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

QString inFolder(const QString& folder, const std::string& name)
{
    return QDir(folder).filePath(QString::fromStdString(name));
}

} // namespace

namespace {

/// The import proper, between the closing and the reopening of database mode's table.
/// Returns the text of an error to show; table errors pass out.
QString importInto(TextFileCommandContext& c, const QString& textFile)
{
    try {
        QFile file(textFile);
        if (!file.open(QIODevice::ReadOnly))
            throw FileError(s8(file.errorString()) + ": " + s8(textFile));
        const std::string text = quill::tables::TextFileToUtf8(file.readAll().toStdString());
        file.close();

        // The table's own question (overwrite, append or cancel) follows: the dialog asks none.
        const QString tablePath = c.services.saveFileNameNoConfirm(
            c.window, "Save As", inFolder(c.defaultFolder, quill::tables::ProposedTableName(s8(textFile))),
            TableFilter);
        if (tablePath.isEmpty())
            return {};
        TTzDbf table;
        table.Name = "TzDbfImport";
        table.setDbfFileName(s8(tablePath));
        if (QFileInfo::exists(QString::fromStdString(table.DbfFileName()))) {
            const int answer = MessageBoxWithButtons(c.services, quill::ApplicationTitle, SameName,
                                                     {"&Overwrite", "&Append", "&Cancel"}, c.window);
            if (answer == 3)
                return {};
            if (answer == 1) {
                QFile::remove(QString::fromStdString(table.DbfFileName()));
                table.DbfFields = quill::tables::ImportTableFields(); // the memo file is made anew too
            }
        } else {
            table.DbfFields = quill::tables::ImportTableFields();
        }
        table.Open();
        quill::tables::ImportAddresses(table, text);
        table.Close();
        c.services.information(c.window, "Import Done.");
    } catch (const quill::tables::DatasetError& e) {
        return e.what();
    } catch (const FileError& e) {
        return e.what();
    }
    return {};
}

} // namespace

void MIImportCommand(TextFileCommandContext& c)
{
    const QString textFile = c.services.openFileName(c.window, ImportTitle, c.defaultFolder, ImportFilter);
    if (textFile.isEmpty())
        return;
    if (c.closeAddressTable)
        c.closeAddressTable();
    QString failure;
    try {
        failure = importInto(c, textFile);
    } catch (...) {
        // A table error ends the program; a second failure while reopening must not hide it.
        try {
            if (c.reopenAddressTable)
                c.reopenAddressTable();
        } catch (...) {
        }
        throw;
    }
    if (c.reopenAddressTable)
        c.reopenAddressTable();
    if (!failure.isEmpty())
        c.services.messageBox(c.window, PlatformServices::BoxKind::Error, quill::ApplicationTitle,
                              "Error on import: " + failure, PlatformServices::bit(PlatformServices::Ok));
}

void MIExportCommand(TextFileCommandContext& c)
{
    const QString tableFile = c.services.openFileName(c.window, "Open", c.defaultFolder, ExportOpenFilter);
    if (tableFile.isEmpty())
        return;
    QString failure;
    {
        TTzDbf table;
        table.Name = "TzDbfExport";
        table.CreateIfNotFound = false; // a table that is not there is not made to export it
        table.setDbfFileName(s8(tableFile));
        table.Open();
        const QString textFile = c.services.saveFileName(
            c.window, "Save As",
            inFolder(c.defaultFolder, quill::tables::ProposedTextName(table.DbfFileName())),
            "Text Files (*.txt);;All Files (*)");
        if (textFile.isEmpty()) {
            table.Close();
            return;
        }
        try {
            const std::string text = quill::tables::ExportAddresses(table);
            QFile out(textFile);
            if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                out.write(text.data(), static_cast<qint64>(text.size())) !=
                    static_cast<qint64>(text.size()) ||
                !out.flush())
                throw FileError(s8(out.errorString()) + ": " + s8(textFile));
            out.close();
            c.services.information(c.window, "Export Done.");
        } catch (const quill::tables::DatasetError& e) {
            failure = e.what();
        } catch (const FileError& e) {
            failure = e.what();
        }
        table.Close();
    }
    if (!failure.isEmpty())
        c.services.messageBox(c.window, PlatformServices::BoxKind::Error, quill::ApplicationTitle,
                              "Error on export: " + failure, PlatformServices::bit(PlatformServices::Ok));
}
