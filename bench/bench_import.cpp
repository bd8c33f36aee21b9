// The import's costs: one drag step of the import window (region copy, re-render of the
// magnified back buffer, redraw of the main view), and one decode through the helper
// process against the same decode in-process.
#include "canvas/PortraitCanvas.h"
#include "import/FreeImageLibrary.h"
#include "import/ImportHelper.h"
#include "import/frmImport.h"
#include "platform/StatusBar.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTimer>
#include <benchmark/benchmark.h>

namespace {

QImage pattern(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 5 & 255, y * 4 & 255, (x + y) * 3 & 255));
    return image;
}

QString benchFile(int w, int h)
{
    const QString path = QDir::temp().filePath(QStringLiteral("pictoria-bench-%1x%2.bmp").arg(w).arg(h));
    if (!QFile::exists(path))
        pattern(w, h).save(path, "BMP");
    return path;
}

void BM_ImportDragStep(benchmark::State& state)
{
    PortraitCanvas canvas;
    canvas.setGridSource([] { return true; });
    canvas.DrawGrid();
    StatusBar status({{420, "Ready."}, {120, ""}, {96, ""}});
    frmImport window(canvas, status, [] { return Colour(0); });
    window.tmrFader->stop();
    const QImage picture = pattern(1000, 800);
    window.pictureSurface().resize(1000, 800);
    window.pictureSurface().copyFrom(picture, 0, 0, 1000, 800);
    window.fitToPicture();
    window.picImage_MouseDown(1, 0, 100, 100);
    int i = 0;
    for (auto _ : state) {
        const float x = float(100 + (i % 400)), y = float(100 + (i % 300));
        window.picImage_MouseMove(1, 0, x, y);
        benchmark::DoNotOptimize(canvas.picFace().image().constBits());
        ++i;
    }
}
BENCHMARK(BM_ImportDragStep)->Unit(benchmark::kMicrosecond);

void BM_DecodeThroughHelper(benchmark::State& state)
{
    const QString path = benchFile(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        ImportHelper::Run run = ImportHelper::decode(path, {});
        if (run.status != ImportHelper::Status::Finished)
            state.SkipWithError("helper failed");
        benchmark::DoNotOptimize(run.picture.pixels.data());
    }
}
BENCHMARK(BM_DecodeThroughHelper)->Args({200, 150})->Args({1000, 800})->Unit(benchmark::kMillisecond);

void BM_DecodeInProcess(benchmark::State& state)
{
    const QByteArray path = benchFile(int(state.range(0)), int(state.range(1))).toLocal8Bit();
    for (auto _ : state) {
        FreeImageLibrary::DecodedPicture p = FreeImageLibrary::decodeFile(path.constData(), {});
        benchmark::DoNotOptimize(p.pixels.data());
    }
}
BENCHMARK(BM_DecodeInProcess)->Args({200, 150})->Args({1000, 800})->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
