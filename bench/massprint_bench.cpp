// Mass print of an address table to PDF files, numbering and report log included, and the
// resident memory of the run: one piece after another must not leave anything behind.

#include "GlobalVariables.h"
#include "MassPrint.h"
#include "PageDevice.h"
#include "Piece.h"
#include "Timing.h"
#include "U_CertPrint.h"
#include "report/ReportLog.h"
#include "tables/AddressTable.h"

#include <QDate>
#include <QFont>
#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

/// Resident memory in MB, from the kernel's count of the process's resident pages.
double ResidentMb()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return static_cast<double>(resident) * 4096.0 / (1024.0 * 1024.0);
}

void MakeTable(const std::string& path, int records)
{
    quill::tables::TTzDbf t;
    t.DbfFields = quill::tables::AddressFields;
    t.setDbfFileName(path);
    t.Open();
    if (!t.ALock())
        throw std::runtime_error("no append lock");
    for (int i = 1; i <= records; ++i) {
        t.ClearRecord();
        quill::tables::WriteAddress(t, {{"Recipient " + std::to_string(i), std::to_string(i) + " Cedar Lane"},
                                        "Augusta",
                                        "ME",
                                        "04330-1234"});
        t.AppendRec();
    }
    t.UnLock();
    t.Close();
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const std::filesystem::path work =
        argc > 1 ? argv[1] : std::filesystem::temp_directory_path() / "massprint";
    const int records = argc > 2 ? std::stoi(argv[2]) : 1000;
    std::filesystem::remove_all(work);
    std::filesystem::create_directories(work / "Reports");
    const std::string tablePath = (work / "clients.dbf").string();
    MakeTable(tablePath, records);

    quill::Settings settings = quill::DefaultSettings(work.string() + "/");
    settings.CustID = "123456789";
    settings.SerialNum = "0000000";
    const QFont holder("Arial", 8);
    quill::PieceInput window;
    window.sender = {"Harbor Title Company", "200 Water Street", "Portland ME 04101", "", ""};
    window.postage = "          0.39";
    window.certifiedFee = "          2.40";
    window.total = "          2.79";
    const bool showDialog = false;

    double afterTen = 0, afterAll = 0;
    quill::MassPrintSteps steps;
    steps.print = [&](const quill::PieceInput& piece, quill::NumberReservation& number) {
        quill::printing::PdfFolderPage page(QString::fromStdString((work / "Printed").string()));
        quill::report::ReportLogWriter log((work / "Reports" / "report3.dbf").string());
        const quill::PieceOutcome out = quill::PrintPiece(piece, settings, number, holder, page,
                                                          work / "quill4.ini", log, QDate::currentDate());
        return !out.printError;
    };
    uint32_t done = 0;
    steps.progress = [&](uint32_t at, uint32_t, const quill::tables::AddressRecord&) {
        done = at - 1;
        if (done == 10)
            afterTen = ResidentMb();
    };

    quill::tables::TTzDbf table;
    table.setDbfFileName(tablePath);
    table.Open();
    const auto start = std::chrono::steady_clock::now();
    const quill::MassPrintResult result = quill::RunMassPrint(table, settings, showDialog, window, steps);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    afterAll = ResidentMb();
    table.Close();

    std::uintmax_t pdfBytes = 0;
    int pdfs = 0;
    for (const auto& f : std::filesystem::directory_iterator(work / "Printed")) {
        pdfBytes += f.file_size();
        ++pdfs;
    }
    std::printf("mass print of %d records to PDF: %.2f s (%.1f ms a piece), %d files, %.1f MB, serial %s\n",
                records, seconds, 1000.0 * seconds / records, pdfs, pdfBytes / 1e6,
                settings.SerialNum.c_str());
    std::printf("resident memory: %.1f MB after 10 pieces, %.1f MB after %u: %+.1f MB\n", afterTen, afterAll,
                result.printed, afterAll - afterTen);

    // The floor: the same number of forms drawn to PDF files, with no table, numbering or log.
    std::filesystem::remove_all(work / "Printed");
    const auto floorStart = std::chrono::steady_clock::now();
    for (int i = 1; i <= records; ++i) {
        quill::PieceInput piece = window;
        piece.lines = {"Recipient " + QString::number(i), QString::number(i) + " Cedar Lane"};
        piece.city = "Augusta";
        piece.state = "ME";
        piece.zip = "04330-1234";
        quill::printing::PdfFolderPage page(QString::fromStdString((work / "Printed").string()));
        quill::printing::DrawMailerForm(quill::FormDataOf(piece, settings), settings.PrintBarCode, holder,
                                        page);
    }
    const double floor = std::chrono::duration<double>(std::chrono::steady_clock::now() - floorStart).count();
    std::printf("the same %d forms alone to PDF: %.2f s (%.1f ms a piece)\n", records, floor,
                1000.0 * floor / records);
    bench::Row("Mass print of " + std::to_string(records) +
                   " address records to PDF files, numbering saved and log appended per piece",
               seconds, "the same forms alone to PDF files", floor);

    std::filesystem::remove_all(work);
    return result.printed == static_cast<uint32_t>(records) ? 0 : 1;
}
