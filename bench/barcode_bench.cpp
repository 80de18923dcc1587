// Rendering cost of the two symbols every form carries, at printer scale.

#include "Barcode.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace {

void render(benchmark::State& state, TBarCodeType type, const char* text, int scale, int height, bool interpret)
{
    TBarcodeBmp b;
    b.setBarcodeType(type);
    b.setScale(scale);
    b.setHeight(height);
    b.setInterpret(interpret);
    b.setRotate(bcRotate180);
    for (auto _ : state) {
        b.setBarcodeText(text); // one full render: filter, modules, rows, text, turn
        benchmark::DoNotOptimize(b.Bitmap().constBits());
    }
}

void MailerCode128(benchmark::State& s) { render(s, bcCode128, "9214712345678900000015", 9, 450, false); }
void MailerCode128WithText(benchmark::State& s) { render(s, bcCode128, "9214712345678900000015", 9, 450, true); }
void PostnetZipPlus4(benchmark::State& s) { render(s, bcPOSTNET, "123456789", 14, 84, false); }

} // namespace

BENCHMARK(MailerCode128)->Unit(benchmark::kMicrosecond);
BENCHMARK(MailerCode128WithText)->Unit(benchmark::kMicrosecond);
BENCHMARK(PostnetZipPlus4)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
