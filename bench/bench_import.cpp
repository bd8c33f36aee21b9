// The import's costs: one drag step of the import window (region copy, re-render of the
// magnified back buffer, redraw of the main view), and one decode through the helper
// process against the same decode in-process.
#include "canvas/PortraitCanvas.h"
#include "document/PortraitDocument.h"
#include "import/FreeImageLibrary.h"
#include "import/ImportHelper.h"
#include "import/PictureScale.h"
#include "import/frmImport.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QScrollArea>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <memory>

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
    PortraitDocument document;
    PortraitCanvas canvas(document);
    canvas.setGridSource([] { return true; });
    canvas.DrawGrid();
    StatusBar status({{420, "Ready."}, {120, ""}, {96, ""}});
    frmImport window(document, status, [] { return Colour(0); });
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

// One wheel step on a 24-megapixel picture, from step-1 to step and back in turn, beside
// its floor: scaling just the visible area at that step.
struct ZoomFixture {
    ZoomFixture()
    {
        canvas.setGridSource([] { return true; });
        window.tmrFader->stop();
        window.pictureSurface().resize(6000, 4000);
        window.pictureSurface().copyFrom(pattern(6000, 4000), 0, 0, 6000, 4000);
        window.fitToPicture();
        window.show();
    }
    PortraitDocument document;
    PortraitCanvas canvas{document};
    StatusBar status{{{420, "Ready."}, {120, ""}, {96, ""}}};
    frmImport window{document, status, [] { return Colour(0); }};
};

// Made on first use and ended before the application (a widget outliving it crashes).
std::unique_ptr<ZoomFixture> zoomFixtureInstance;

ZoomFixture& zoomFixture()
{
    if (!zoomFixtureInstance)
        zoomFixtureInstance = std::make_unique<ZoomFixture>();
    return *zoomFixtureInstance;
}

void BM_ImportZoomStep(benchmark::State& state)
{
    frmImport& window = zoomFixture().window;
    const int step = int(state.range(0));
    const QPoint middle(window.scroller()->viewport()->width() / 2,
                        window.scroller()->viewport()->height() / 2);
    while (window.zoomStep() != step - 1)
        window.zoom(window.zoomStep() < step - 1 ? 1 : -1,
                    window.picImage->mapFrom(window.scroller()->viewport(), middle));
    int direction = 1;
    for (auto _ : state) {
        window.zoom(direction, window.picImage->mapFrom(window.scroller()->viewport(), middle));
        direction = -direction;
    }
}
BENCHMARK(BM_ImportZoomStep)->Arg(-8)->Arg(-4)->Arg(-1)->Arg(4)->Arg(12)->Unit(benchmark::kMillisecond);

// Scaling just the visible area at a step: range(1) 0 is the exact area average, 1 the
// sharp filter (the view's default).
void BM_ScaleVisibleArea(benchmark::State& state)
{
    frmImport& window = zoomFixture().window;
    const int step = int(state.range(0));
    const auto filter = state.range(1) ? PictureScale::Filter::Sharp : PictureScale::Filter::Smooth;
    const QSize shown = PictureScale::scaledSize(window.loadedPicture().size(), step);
    const QSize view = window.scroller()->viewport()->size();
    const QRect visible =
        QRect(QPoint((shown.width() - view.width()) / 2, (shown.height() - view.height()) / 2), view)
            .intersected(QRect(QPoint(0, 0), shown));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            PictureScale::scaledPart(window.loadedPicture(), shown, visible, filter).constBits());
}
BENCHMARK(BM_ScaleVisibleArea)->ArgsProduct({{-8, -4, -1, 4, 12}, {0, 1}})->Unit(benchmark::kMillisecond);

// The portrait made from a whole 24-megapixel picture (F), with either filter.
void BM_FitWholePicture(benchmark::State& state)
{
    const QImage& picture = zoomFixture().window.loadedPicture();
    const auto filter = state.range(0) ? PictureScale::Filter::Sharp : PictureScale::Filter::Smooth;
    for (auto _ : state)
        benchmark::DoNotOptimize(PictureScale::fitInside(picture, {48, 56}, 0, filter).constBits());
}
BENCHMARK(BM_FitWholePicture)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DecodeThroughHelper(benchmark::State& state)
{
    const QString path = benchFile(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        ImportHelper::Run run = ImportHelper::decode(path, {});
        if (run.status != ImportHelper::Status::Finished)
            state.SkipWithError("helper failed");
        benchmark::DoNotOptimize(run.pixels.constBits());
    }
}
BENCHMARK(BM_DecodeThroughHelper)->Args({200, 150})->Args({1000, 800})->Unit(benchmark::kMillisecond);

void BM_DecodeInProcess(benchmark::State& state)
{
    QFile file(benchFile(int(state.range(0)), int(state.range(1))));
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    for (auto _ : state) {
        FreeImageLibrary::DecodedPicture p = FreeImageLibrary::decode(
            reinterpret_cast<const unsigned char*>(bytes.constData()), std::size_t(bytes.size()), {});
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
    zoomFixtureInstance.reset();
    return 0;
}
