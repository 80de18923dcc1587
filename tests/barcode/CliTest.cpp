// The command-line companion, run as a user would run it.

#include <QDir>
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

std::string decodeFile(const QString& file)
{
    QImage image = QImage(file).convertToFormat(QImage::Format_Grayscale8);
    QImage page(image.width() + 40, image.height() + 40, QImage::Format_Grayscale8);
    page.fill(255);
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(page.scanLine(y + 20) + 20, image.constScanLine(y), static_cast<std::size_t>(image.width()));
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

    ASSERT_EQ(run("--type postnet --scale 1 --height 20 -o " + dir.filePath("z.png").toStdString() + " 12345"), 0);
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
    EXPECT_EQ(QDir(outDir).entryList(QDir::Files),
              (QStringList{"000001.png", "000002.png", "000003.png"}));
    EXPECT_EQ(decodeFile(outDir + "/000002.png"), "9214712345678900000022");
    EXPECT_EQ(decodeFile(outDir + "/000003.png"), "ABC");
    EXPECT_EQ(run("--type code128 --batch " + dir.filePath("missing").toStdString() + " --out-dir " +
                  outDir.toStdString()),
              1);
}
