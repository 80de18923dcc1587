// 100,000 records of the report-log layout: append, read in order, pack, index; each beside
// the same bytes written and read with plain buffered file I/O. Prints one table.

#include "Timing.h"
#include "TzDbf.h"
#include "report/ReportLayout.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using quill::report::ReportLogFields;
using quill::tables::TTzDbf;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string>& Fields = ReportLogFields();
const char* Names[] = {"sentname0", "sentname1", "sentname2", "sentname3", "city",      "state",
                       "zip",       "rdate",     "mailernum", "postage",   "certified", "restricted",
                       "return",    "total",     "comments",  "re"};
const int Lengths[] = {30, 30, 30, 30, 35, 4, 10, 8, 35, 15, 15, 15, 15, 15, 35, 25};
constexpr int Records = 100000;

std::vector<std::string> values(int i)
{
    char date[16], mailer[32], zip[16];
    std::snprintf(date, sizeof date, "%02d/%02d/%04d", 1 + i % 12, 1 + i % 28,
                  2020 + i % 7); // as the program writes it
    std::snprintf(mailer, sizeof mailer, "92147123456789%07d%d", i, i % 10);
    std::snprintf(zip, sizeof zip, "%05d", (i * 7919) % 100000);
    return {"Recipient " + std::to_string((i * 31) % 99991),
            "12 Main Street",
            "Suite " + std::to_string(i % 500),
            "",
            "Springfield",
            "IL",
            zip,
            date,
            mailer,
            "          0.39",
            "          2.40",
            " ",
            "          1.85",
            "          4.64",
            "Lien notice",
            "Parcel " + std::to_string(i)};
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "quill-tables-bench";
    fs::create_directories(dir);
    const std::string table = (dir / "report3.dbf").string();
    std::vector<std::vector<std::string>> rows;
    rows.reserve(Records);
    for (int i = 0; i < Records; ++i)
        rows.push_back(values(i));

    const double append = bench::Seconds([&] {
        fs::remove(table);
        TTzDbf t;
        t.DbfFields = Fields;
        t.setDbfFileName(table);
        t.Open();
        t.ALock();
        for (const auto& row : rows) {
            t.ClearRecord();
            for (int f = 0; f < 16; ++f) {
                if (f == 7)
                    t.SetDateText(Names[f], row[static_cast<std::size_t>(f)]);
                else
                    t.SetFieldText(Names[f], row[static_cast<std::size_t>(f)]);
            }
            t.AppendRec();
        }
        t.Close();
    });
    const std::uintmax_t bytes = fs::file_size(table);

    // The same bytes with plain buffered I/O: each record assembled field by field, then written.
    const std::string plainFile = (dir / "plain.bin").string();
    const double plainWrite = bench::Seconds([&] {
        std::FILE* out = std::fopen(plainFile.c_str(), "wb");
        std::string header(545, '\0');
        std::fwrite(header.data(), 1, header.size(), out);
        std::string rec(348, ' ');
        for (const auto& row : rows) {
            std::size_t at = 1;
            rec.assign(348, ' ');
            for (int f = 0; f < 16; ++f) {
                const std::string& v = row[static_cast<std::size_t>(f)];
                rec.replace(at, std::min<std::size_t>(v.size(), static_cast<std::size_t>(Lengths[f])), v, 0,
                            static_cast<std::size_t>(Lengths[f]));
                at += static_cast<std::size_t>(Lengths[f]);
            }
            std::fwrite(rec.data(), 1, rec.size(), out);
        }
        std::fputc(0x1A, out);
        std::fclose(out);
    });

    std::size_t checksum = 0;
    const double read = bench::Seconds([&] {
        TTzDbf t;
        t.setDbfFileName(table);
        t.Open();
        for (t.First(); !t.Eof(); t.Next())
            for (const char* name : Names)
                checksum += t.GetFieldText(name).size();
        t.Close();
    });
    const double plainRead = bench::Seconds([&] {
        std::FILE* in = std::fopen(table.c_str(), "rb");
        std::fseek(in, 545, SEEK_SET);
        std::string rec(348, ' ');
        while (std::fread(rec.data(), 1, rec.size(), in) == rec.size()) {
            std::size_t at = 1;
            for (int f = 0; f < 16; ++f) {
                checksum += rec.substr(at, static_cast<std::size_t>(Lengths[f])).size();
                at += static_cast<std::size_t>(Lengths[f]);
            }
        }
        std::fclose(in);
    });

    const double index1 = bench::Seconds([&] {
        TTzDbf t;
        t.setDbfFileName(table);
        t.Open();
        t.IndexOnOne("sentname0", "name");
        t.Close();
    });
    const double index2 = bench::Seconds([&] {
        TTzDbf t;
        t.setDbfFileName(table);
        t.Open();
        t.IndexOnOne("rdate", "rdate");
        t.Close();
    });

    // Pack after deleting every other record, on a copy.
    const std::string copy = (dir / "pack.dbf").string();
    double deleting = 0;
    const double pack = bench::Seconds([&] {
        fs::copy_file(table, copy, fs::copy_options::overwrite_existing);
        TTzDbf t;
        t.setDbfFileName(copy);
        t.setExclusive(true);
        t.Open();
        const auto start = std::chrono::steady_clock::now();
        for (uint32_t r = 1; r <= t.RecCount(); r += 2) {
            t.Go(r);
            t.DeleteRec();
        }
        deleting = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        t.Pack();
        t.Close();
    });

    std::printf("records: %d, file: %ju bytes\n", Records, bytes);
    std::printf("%-44s %10s %10s %8s\n", "operation", "ours (ms)", "plain (ms)", "ratio");
    std::printf("%-44s %10.1f %10.1f %8.2f\n", "append (open, 100,000 appends, close)", append * 1e3,
                plainWrite * 1e3, append / plainWrite);
    std::printf("%-44s %10.1f %10.1f %8.2f\n", "read every field of every record in order", read * 1e3,
                plainRead * 1e3, read / plainRead);
    std::printf("%-44s %10.1f\n", "delete every other record", deleting * 1e3);
    std::printf("%-44s %10.1f\n", "pack (with the deletes above)", pack * 1e3);
    std::printf("%-44s %10.1f\n", "IndexOnOne sentname0", index1 * 1e3);
    bench::Row("100,000 report-log records appended (one open, one close)", append, "plain stdio, same bytes",
               plainWrite);
    bench::Row("100,000 report-log records read, every field", read, "plain stdio, same bytes", plainRead);
    bench::Row("Delete every other record of 100,000", deleting);
    bench::Row("Pack after those deletes", pack);
    bench::Row("`IndexOnOne` on \"sentname0\" (100,000 keys)", index1);
    bench::Row("`IndexOnOne` on \"rdate\" (100,000 keys)", index2);
    std::printf("%-44s %10.1f\n", "IndexOnOne rdate", index2 * 1e3);
    std::printf("(checksum %zu)\n", checksum);
    return 0;
}
