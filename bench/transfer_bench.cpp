// Name-and-address text files of 100,000 lines imported and exported, and a pre-print run of
// 100 forms to PDF files. Prints one table.

#include "Timing.h"
#include "printing/U_CertPrint.h"
#include "tables/AddressText.h"
#include "tables/TzDbf.h"

#include <QFont>
#include <QGuiApplication>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

using namespace quill::tables;
namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "quill-transfer-bench";
    fs::create_directories(dir);
    constexpr int Lines = 100000;
    std::string text;
    for (int i = 0; i < Lines; ++i)
        text += "\"Recipient " + std::to_string(i) + "\",\"Smith, Jones & Co\",\"" +
                std::to_string(i % 900 + 1) + " Main Street\",\"\",\"Springfield\",\"IL\",\"62701-" +
                std::to_string(1000 + i % 9000) + "\"\r\n";
    const std::string table = (dir / "imported.dbf").string();

    const double import = bench::Seconds([&] {
        fs::remove(table);
        fs::remove(dir / "imported.dbt");
        TTzDbf t;
        t.DbfFields = ImportTableFields();
        t.setDbfFileName(table);
        t.Open();
        ImportAddresses(t, TextFileToUtf8(text));
        t.Close();
    });
    std::string exported;
    const double exportTime = bench::Seconds([&] {
        TTzDbf t;
        t.setDbfFileName(table);
        t.Open();
        exported = ExportAddresses(t);
        t.Close();
        std::ofstream(dir / "exported.txt", std::ios::binary) << exported;
    });

    // The floor: the same bytes in and out with no work of ours, the text split into lines and the
    // table's two files written (import), the two files read and the text written (export).
    auto slurp = [](const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string dbf = slurp(table), dbt = slurp(dir / "imported.dbt");
    const double importFloor = bench::Seconds([&] {
        std::istringstream in(text);
        std::size_t lines = 0;
        for (std::string line; std::getline(in, line);)
            lines += !line.empty();
        std::ofstream(dir / "floor.dbf", std::ios::binary) << dbf;
        std::ofstream(dir / "floor.dbt", std::ios::binary) << dbt;
        if (lines != Lines)
            std::fprintf(stderr, "floor split %zu lines\n", lines);
    });
    const double exportFloor = bench::Seconds([&] {
        const std::string a = slurp(table), b = slurp(dir / "imported.dbt");
        std::ofstream(dir / "floor.txt", std::ios::binary) << exported;
        if (a.size() + b.size() != dbf.size() + dbt.size())
            std::fprintf(stderr, "floor read short\n");
    });

    const fs::path pdfs = dir / "Printed";
    const double prePrint = bench::Seconds([&] {
        fs::remove_all(pdfs);
        fs::create_directories(pdfs);
        const QString folder = QString::fromStdString(pdfs.string());
        quill::printing::PrePrintBarCodes(100, "123456789", "0000001", "0", "0", QFont("Arial", 8), [&] {
            return std::make_shared<quill::printing::PdfFolderPage>(folder);
        });
    });
    std::printf("%-58s %10s\n", "operation", "median");
    std::printf("%-58s %7.0f ms\n", "import of 100,000 lines into a new address table", import * 1000);
    std::printf("%-58s %7.0f ms\n", "export of the same 100,000 records", exportTime * 1000);
    std::printf("%-58s %7.0f ms\n", "pre-print run of 100 forms, one PDF file each", prePrint * 1000);
    bench::Row("Import of 100,000 text lines into a new address table", import, "the same bytes in and out",
               importFloor);
    bench::Row("Export of those 100,000 records", exportTime, "the same bytes in and out", exportFloor);
    bench::Row("A pre-print run of 100 forms, one PDF file each", prePrint);
    std::printf(
        "(%zu bytes exported, %zu PDF files)\n", exported.size(),
        static_cast<std::size_t>(std::distance(fs::directory_iterator(pdfs), fs::directory_iterator())));
    fs::remove_all(dir);
    return 0;
}
