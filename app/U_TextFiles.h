#pragma once

#include <QString>

#include <functional>

class PlatformServices;
class QWidget;

/// What the text-file commands need of the main window.
struct TextFileCommandContext
{
    PlatformServices& services;
    QWidget* window;
    QString defaultFolder; // the Default setting: where both dialogs start
    /// Database mode: the address table is closed while the import writes and opened again
    /// after it. Empty outside database mode.
    std::function<void()> closeAddressTable;
    std::function<void()> reopenAddressTable;
};

/// Options > Name & Address Text Files > Import: a text file into a new or existing address
/// table. Failures of the table layer pass out as TableErrors; other errors are shown as
/// "Error on import: ..." after the clean-up.
void MIImportCommand(TextFileCommandContext& context);
/// ... > Export: an address table to a text file, every field quoted.
void MIExportCommand(TextFileCommandContext& context);
