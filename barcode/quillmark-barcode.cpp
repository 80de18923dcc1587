// quillmark-barcode: renders bar-code symbols to PNG files exactly as Quillmark draws them.

#include "Barcode.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <malloc.h>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

// clang-format off
constexpr const char* Usage =
    "usage: quillmark-barcode --type TYPE [--scale N] [--height H] [--rotate 0|90|180|270] [--no-text]\n"
    "                         [-o FILE.png] [--] TEXT\n"
    "       quillmark-barcode --type TYPE [options] --batch FILE --out-dir DIR\n"
    "TYPE: code128, code39, code39ext, upca, int2of5, code93, ean13, ean8, ean128, postnet, upce, upc2, upc5\n"
    "--batch renders one PNG per line of FILE, named by its line number (000001.png, ...).\n";
// clang-format on

int usage(const char* problem)
{
    if (problem)
        std::fprintf(stderr, "quillmark-barcode: %s\n", problem);
    std::fputs(Usage, stderr);
    return 2;
}

std::optional<int> number(const char* text, int min, int max)
{
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < min || v > max)
        return std::nullopt;
    return static_cast<int>(v);
}

bool writeFile(const QString& file, const QByteArray& bytes)
{
    const QByteArray name = QFile::encodeName(file);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<std::size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            return false;
        }
        p += n;
        left -= n;
    }
    return ::close(fd) == 0;
}

// Writes the component's symbol as a PNG file; what went wrong, if anything did.
std::optional<std::string> writePng(const TBarcodeBmp& bmp, const QString& file)
{
    if (bmp.Error())
        return *bmp.Error();
    // A bar-code bitmap holds two colours: a 1-bit PNG is small and quick to compress. It
    // is encoded in memory and written with one call, so a batch of thousands of files
    // costs the file system no more than it must.
    const QImage mono = ToMonoBitmap(bmp.Bitmap());
    if (mono.isNull())
        return quill::barcode::BitmapMemoryError(bmp.Bitmap().width(), bmp.Bitmap().height());
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!mono.save(&buffer, "PNG", 50) || !writeFile(file, png))
        return "cannot write " + file.toLocal8Bit().toStdString();
    return std::nullopt;
}

// The toolkit's notes (that there is no runtime folder without a desktop session, say) are
// not the user's business: a run that succeeds prints nothing. Only a failure that ends the
// program is told; our own messages go to the standard error directly.
void toolkitMessage(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "quillmark-barcode: %s\n", message.toLocal8Bit().constData());
}

int failed(const std::string& message)
{
    std::fprintf(stderr, "quillmark-barcode: %s\n", message.c_str());
    return 1;
}

int run(int argc, char** argv)
{
    const std::map<std::string, TBarCodeType> types{
        {"code128", bcCode128}, {"code39", bcCode39},   {"code39ext", bcCode39Ext}, {"upca", bcUPCA},
        {"int2of5", bcInt2of5}, {"code93", bcCode93},   {"ean13", bcEAN13},         {"ean8", bcEAN8},
        {"ean128", bcEAN128},   {"postnet", bcPOSTNET}, {"upce", bcUPCE},           {"upc2", bcUPC2ext},
        {"upc5", bcUPC5ext},
    };
    std::optional<TBarCodeType> type;
    int scale = 1, height = 50, rotate = 0;
    bool text = true;
    std::string output, batch, outDir;
    std::optional<std::string> value;

    bool optionsEnded = false; // by "--": what follows is TEXT, whatever it starts with
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            if (value)
                return usage("more than one TEXT");
            value = a;
        } else if (a == "--") {
            optionsEnded = true;
        } else if (a == "--help" || a == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        } else if (a == "--type") {
            const char* t = next();
            if (!t || !types.count(t))
                return usage("unknown or missing --type");
            type = types.at(t);
        } else if (a == "--scale") {
            const char* v = next();
            auto n = v ? number(v, 1, 100) : std::nullopt;
            if (!n)
                return usage("--scale takes a whole number from 1 to 100");
            scale = *n;
        } else if (a == "--height") {
            const char* v = next();
            auto n = v ? number(v, 1, 20000) : std::nullopt;
            if (!n)
                return usage("--height takes a whole number from 1 to 20000");
            height = *n;
        } else if (a == "--rotate") {
            const char* v = next();
            auto n = v ? number(v, 0, 270) : std::nullopt;
            if (!n || *n % 90 != 0)
                return usage("--rotate takes 0, 90, 180 or 270");
            rotate = *n;
        } else if (a == "--no-text") {
            text = false;
        } else if (a == "-o") {
            const char* v = next();
            if (!v)
                return usage("-o needs a file name");
            output = v;
        } else if (a == "--batch") {
            const char* v = next();
            if (!v)
                return usage("--batch needs a file");
            batch = v;
        } else if (a == "--out-dir") {
            const char* v = next();
            if (!v)
                return usage("--out-dir needs a folder");
            outDir = v;
        } else {
            return usage(("unknown option " + a).c_str());
        }
    }
    if (!type)
        return usage("--type is required");
    if (batch.empty() == !value)
        return usage(batch.empty() ? "TEXT or --batch is required" : "give TEXT or --batch, not both");
    if (!batch.empty() && (outDir.empty() || !output.empty()))
        return usage("--batch needs --out-dir and takes no -o");
    if (batch.empty() && !outDir.empty())
        return usage("--out-dir goes with --batch");

    // Every symbol allocates and frees the same few bitmaps: keep the freed memory rather
    // than giving it back to the system each time.
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);

    // Text drawing needs the platform's fonts. No window is ever shown, so the companion
    // draws offscreen whatever desktop session there is or is not (a platform named in the
    // environment but absent would end it). The toolkit sees none of our arguments: a file
    // name or TEXT such as "-platform" is ours, not an option of the toolkit's.
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    std::unique_ptr<QGuiApplication> app;
    if (text) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(toolkitArgc, toolkitArgv);
    }

    TBarcodeBmp bmp;
    bmp.BeginLoading(); // one render per symbol, after every property is set
    bmp.setScale(scale);
    bmp.setHeight(height);
    bmp.setInterpret(text);
    bmp.setBarcodeType(*type);
    bmp.setRotate(static_cast<TbcRotate>(rotate / 90));

    if (value) {
        bmp.setBarcodeText(*value);
        bmp.Loaded();
        const QString file = output.empty() ? QStringLiteral("barcode.png") : QString::fromStdString(output);
        if (auto error = writePng(bmp, file))
            return failed(*error);
        return 0;
    }

    std::ifstream in(batch);
    if (!in)
        return failed("cannot read " + batch);
    QDir dir(QString::fromStdString(outDir));
    if (!dir.exists() && !QDir().mkpath(dir.path()))
        return failed("cannot create " + outDir);
    std::string line;
    int count = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        ++count;
        bmp.BeginLoading();
        bmp.setBarcodeText(line);
        bmp.Loaded();
        const QString file = dir.filePath(QString::asprintf("%06d.png", count));
        if (auto error = writePng(bmp, file))
            return failed(*error);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(toolkitMessage);
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        return failed("not enough memory"); // a PNG encoder's buffer, say, that could not grow
    }
}
