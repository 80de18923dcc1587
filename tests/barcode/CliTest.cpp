// The command-line companion, run as a user would run it.

#include "Barcode.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>

namespace {

const std::string Tool = std::string(QUILL_PROGRAM_DIR) + "/quillmark-barcode";

int run(const std::string& args)
{
    const int status = std::system((Tool + " " + args + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Outcome
{
    int status;
    std::string out, err;
};

std::string slurp(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs the tool through the shell with `setup` before it (limits, environment) and keeps
// what it printed on either stream.
Outcome runCapturing(const std::string& args, const std::string& setup = "")
{
    QTemporaryDir dir;
    const std::string out = dir.filePath("out").toStdString(), err = dir.filePath("err").toStdString();
    const int status = std::system((setup + " " + Tool + " " + args + " >" + out + " 2>" + err).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out), slurp(err)};
}

std::string decodeFile(const QString& file)
{
    QImage image = QImage(file).convertToFormat(QImage::Format_Grayscale8);
    QImage page(image.width() + 40, image.height() + 40, QImage::Format_Grayscale8);
    page.fill(255);
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(page.scanLine(y + 20) + 20, image.constScanLine(y),
                    static_cast<std::size_t>(image.width()));
    ZXing::ImageView view(page.constBits(), page.width(), page.height(), ZXing::ImageFormat::Lum,
                          static_cast<int>(page.bytesPerLine()));
    return ZXing::ReadBarcode(view).text();
}

} // namespace

TEST(Cli, WrongArgumentsGiveUsageAndStatusTwo)
{
    for (const char* args : {"", "--type nosuch 123", "--type code128", "--type code128 --scale 0 1",
                             "--type code128 --rotate 45 1", "--type code128 --bogus 1", "--type code128 1 2",
                             "--type code128 --batch x", "--type code128 --out-dir d 1"})
        EXPECT_EQ(run(args), 2) << args;
}

TEST(Cli, RendersOneSymbolAsTheProgramDoes)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("m.png");
    ASSERT_EQ(run("--type code128 --scale 2 --height 80 --rotate 180 -o " + file.toStdString() +
                  " 9214712345678900000015"),
              0);
    const QImage image(file);
    EXPECT_EQ(image.size(), QSize(352, 80));
    EXPECT_EQ(decodeFile(file), "9214712345678900000015");

    ASSERT_EQ(
        run("--type postnet --scale 1 --height 20 -o " + dir.filePath("z.png").toStdString() + " 12345"), 0);
    EXPECT_EQ(QImage(dir.filePath("z.png")).size(), QSize(83, 20));
}

TEST(Cli, BatchWritesOnePicturePerLine)
{
    QTemporaryDir dir;
    const std::string list = dir.filePath("list.txt").toStdString();
    {
        std::ofstream out(list);
        out << "9214712345678900000015\r\n9214712345678900000022\nABC\n";
    }
    const QString outDir = dir.filePath("out");
    ASSERT_EQ(run("--type code128 --no-text --batch " + list + " --out-dir " + outDir.toStdString()), 0);
    EXPECT_EQ(QDir(outDir).entryList(QDir::Files), (QStringList{"000001.png", "000002.png", "000003.png"}));
    EXPECT_EQ(decodeFile(outDir + "/000002.png"), "9214712345678900000022");
    EXPECT_EQ(decodeFile(outDir + "/000003.png"), "ABC");
    EXPECT_EQ(run("--type code128 --batch " + dir.filePath("missing").toStdString() + " --out-dir " +
                  outDir.toStdString()),
              1);
}

TEST(Cli, ABitmapWithoutMemoryIsAMessageAndStatusOne)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer maps terabytes of shadow memory, so no cap on the address space "
                    "leaves it room to start; the normal build runs this case";
#endif
    // A 17600 x 20000 bitmap (352 MB) under a cap on the process's address space: too small
    // for the bitmap itself, then big enough for it but not for its turned copy.
    QTemporaryDir dir;
    const std::string file = dir.filePath("big.png").toStdString();
    const std::string args = "--type code128 --scale 100 --height 20000 -o " + file + " ";
    struct Case
    {
        const char* name;
        const char* limitKb;
        std::string args;
        const char* message;
    };
    const Case cases[] = {
        {"the bitmap", "300000", args + "9214712345678900000015",
         "quillmark-barcode: Not enough memory for a bar-code bitmap of 17600 x 20000 pixels\n"},
        {"its turned copy", "600000", "--rotate 90 " + args + "9214712345678900000015",
         "quillmark-barcode: Not enough memory for a bar-code bitmap of 20000 x 17600 pixels\n"},
    };
    for (const Case& c : cases) {
        const Outcome o = runCapturing(c.args, std::string("ulimit -v ") + c.limitKb + ";");
        EXPECT_EQ(o.status, 1) << c.name;
        EXPECT_NE(o.err.find(c.message), std::string::npos) << c.name << ": " << o.err;
        EXPECT_EQ(o.out, "") << c.name;
    }
}

TEST(Cli, DoubleDashEndsTheOptions)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("t.png").toStdString();
    struct Case
    {
        const char* args;
        std::string text; // what the symbol must hold
    };
    const Case cases[] = {
        {"--type code128 -o FILE -- -12", "-12"},
        {"--type code128 --no-text -o FILE -- --no-text", "--no-text"},
        {"--type code39 -o FILE -- -", "-"},
        {"-- --type code128 -o FILE 1", ""}, // everything after "--" is text: no type
        {"--type code128 -o FILE -- -1 -2", ""},
        {"--type code128 -o FILE -- -1 --", ""},
    };
    for (const Case& c : cases) {
        std::string args = c.args;
        args.replace(args.find("FILE"), 4, file);
        QFile::remove(QString::fromStdString(file));
        const Outcome o = runCapturing(args);
        if (c.text.empty()) {
            EXPECT_EQ(o.status, 2) << c.args; // usage
            continue;
        }
        EXPECT_EQ(o.status, 0) << c.args << ": " << o.err;
        EXPECT_EQ(decodeFile(QString::fromStdString(file)), c.text) << c.args;
    }
}

TEST(Cli, ArgumentsAreNeverTheToolkitsOptions)
{
    // A file name and a text that the toolkit would take for its option "-platform xcb"
    // (which needs an X server) make a symbol like any other.
    QTemporaryDir dir;
    const Outcome o = runCapturing("--type code128 -o -platform xcb",
                                   "cd " + dir.path().toStdString() + " && env -u DISPLAY");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(decodeFile(dir.filePath("-platform")), "xcb");
}

TEST(Cli, ARunPrintsNothingButItsOwnErrors)
{
    // No desktop session at all, or one named that is not there: the companion draws
    // offscreen and keeps the toolkit's notes about it to itself.
    QTemporaryDir dir;
    const std::string file = dir.filePath("m.png").toStdString();
    const std::string list = dir.filePath("list.txt").toStdString();
    std::ofstream(list) << "9214712345678900000015\n";
    const std::string noSession = "env -u XDG_RUNTIME_DIR -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM";
    const std::string single = "--type code128 -o " + file + " 9214712345678900000015";
    const std::string out = dir.filePath("out").toStdString();
    struct Case
    {
        const char* name;
        std::string setup;
        std::string args;
        std::string picture;
    };
    const Case cases[] = {
        {"no session", noSession, single, file},
        {"no session, no text", noSession, "--no-text " + single, file},
        {"absent X server", noSession + " QT_QPA_PLATFORM=xcb", single, file},
        {"absent Wayland", noSession + " QT_QPA_PLATFORM=wayland", single, file},
        {"batch", noSession, "--type code128 --batch " + list + " --out-dir " + out, out + "/000001.png"},
    };
    for (const Case& c : cases) {
        QFile::remove(QString::fromStdString(c.picture));
        const Outcome o = runCapturing(c.args, c.setup);
        EXPECT_EQ(o.status, 0) << c.name;
        EXPECT_EQ(o.out, "") << c.name;
        EXPECT_EQ(o.err, "") << c.name;
        EXPECT_EQ(decodeFile(QString::fromStdString(c.picture)), "9214712345678900000015") << c.name;
    }

    // Our own failures are still told, and nothing else is.
    const std::string nowhere = dir.filePath("missing/m.png").toStdString();
    const Outcome o = runCapturing("--type code128 -o " + nowhere + " 1", noSession);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "quillmark-barcode: cannot write " + nowhere + "\n");
}
