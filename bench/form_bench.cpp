// One complete certified-mail form at 600 dpi, to the raster page and to a PDF file.

#include "U_CertPrint.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace quill::printing;

namespace {

FormData form()
{
    FormData d;
    d.sender = {"Harbor Title Company", "200 Water Street, Suite 4", "Portland ME 04101", "", ""};
    d.senderZip = "04101";
    d.recipient = {"Mr. Robert Allard", "18 Cedar Lane", "Augusta ME 04330-1234", "", ""};
    d.recipientZip = "04330-1234";
    d.re = "Parcel 14-220";
    d.comment = "Lien notice";
    d.numberSource = "123456789";
    d.serialNumber = "0000001";
    d.postage = "          0.39";
    d.certifiedFee = "          2.40";
    d.returnReceiptFee = "          1.85";
    d.restrictedFee = " ";
    d.total = "          4.64";
    return d;
}

void FormToRaster600(benchmark::State& state)
{
    const FormData d = form();
    const QFont holder("Arial", 8);
    RasterPage page(600); // one device for every job, as a printer is
    for (auto _ : state) {
        DrawMailerForm(d, true, holder, page);
        benchmark::DoNotOptimize(page.image().constBits());
    }
}

void FormToPdf600(benchmark::State& state)
{
    const FormData d = form();
    const QFont holder("Arial", 8);
    QTemporaryDir dir;
    qint64 bytes = 0;
    int n = 0;
    for (auto _ : state) {
        PdfPage pdf(dir.filePath(QString("form%1.pdf").arg(n++ % 4)));
        DrawMailerForm(d, true, holder, pdf);
        bytes = QFileInfo(pdf.fileName()).size();
    }
    state.counters["pdf_kB"] = static_cast<double>(bytes) / 1024.0;
}

// The floor of a form as a PDF file: one job with nothing drawn on its page.
void BlankPageToPdf600(benchmark::State& state)
{
    QTemporaryDir dir;
    int n = 0;
    for (auto _ : state) {
        PdfPage pdf(dir.filePath(QString("blank%1.pdf").arg(n++ % 4)));
        if (pdf.beginJob() || pdf.endJob())
            state.SkipWithError("no PDF job");
    }
}

} // namespace

BENCHMARK(FormToRaster600)->Unit(benchmark::kMillisecond);
BENCHMARK(FormToPdf600)->Unit(benchmark::kMillisecond);
BENCHMARK(BlankPageToPdf600)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QFont::insertSubstitution("OCR A Extended", "OCRA");
    if (argc > 2 && QString(argv[1]) == "--sample-png") {
        RasterPage page(300);
        DrawMailerForm(form(), true, QFont("Arial", 8), page);
        return page.image().save(argv[2]) ? 0 : 1;
    }
    if (argc > 2 && QString(argv[1]) == "--sample") {
        PdfPage pdf(argv[2]);
        DrawMailerForm(form(), true, QFont("Arial", 8), pdf);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
