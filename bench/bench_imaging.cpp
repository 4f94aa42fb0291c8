// Speed and size of large pictures: DXF drawings far beyond the limit (two
// million lines, one polyline of four million points: both must be refused at
// once), one at the limit, and a 48-megapixel photo.
// Prints the time per load and the peak memory of the process afterwards.
#include "imaging/DxfDrawing.h"
#include "imaging/MultiImage.h"

#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <sys/resource.h>

using namespace wobbin;

namespace {

QByteArray Points(int n)
{
    QByteArray body;
    body.reserve(qsizetype(n) * 26 + 64);
    body += "0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < n; ++i)
        body += "0\nLINE\n8\n0\n10\n" + QByteArray::number(i % 1000) + "\n20\n" + QByteArray::number(i / 1000)
            + "\n11\n" + QByteArray::number(i % 1000 + 1) + "\n21\n" + QByteArray::number(i / 1000) + "\n";
    body += "0\nENDSEC\n0\nEOF\n";
    return body;
}

QByteArray Polyline(int n)
{
    QByteArray body;
    body.reserve(qsizetype(n) * 16 + 64);
    body += "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n8\n0\n90\n" + QByteArray::number(n) + "\n70\n0\n";
    for (int i = 0; i < n; ++i)
        body += "10\n" + QByteArray::number(i % 1000) + "\n20\n" + QByteArray::number(i / 1000) + "\n";
    body += "0\nENDSEC\n0\nEOF\n";
    return body;
}

void ReportPeak(benchmark::State &state)
{
    struct rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
}

void BM_DxfRefusedTwoMillion(benchmark::State &state)
{
    const QByteArray data = Points(2000000);
    for (auto _ : state) {
        QImage out;
        QString error;
        benchmark::DoNotOptimize(RenderDxf(data, &out, &error));
    }
    ReportPeak(state);
}
BENCHMARK(BM_DxfRefusedTwoMillion)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DxfRefusedPolylineOfFourMillion(benchmark::State &state)
{
    const QByteArray data = Polyline(4000000);
    for (auto _ : state) {
        QImage out;
        QString error;
        benchmark::DoNotOptimize(RenderDxf(data, &out, &error));
    }
    ReportPeak(state);
}
BENCHMARK(BM_DxfRefusedPolylineOfFourMillion)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DxfAtTheLimit(benchmark::State &state)
{
    const QByteArray data = Points(kDxfMaxElements / 3); // a line and its two ends
    for (auto _ : state) {
        QImage out;
        QString error;
        if (!RenderDxf(data, &out, &error))
            state.SkipWithError(qPrintable(error));
    }
    ReportPeak(state);
}
BENCHMARK(BM_DxfAtTheLimit)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Photo48Megapixels(benchmark::State &state)
{
    QTemporaryDir dir;
    QImage photo(8000, 6000, QImage::Format_RGB32);
    photo.fill(QColor(200, 60, 10));
    photo.save(dir.filePath(QStringLiteral("camera.jpg")), "JPEG", 85);
    photo = QImage();
    for (auto _ : state) {
        TMultiImage img;
        if (!img.LoadFromFile(dir.filePath(QStringLiteral("camera.jpg"))))
            state.SkipWithError("not loaded");
    }
    ReportPeak(state);
}
BENCHMARK(BM_Photo48Megapixels)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // texts of drawings need fonts
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
