// The import window's A key on a 24-megapixel photo: the face search (the grey copy made
// here, the detector in the import helper) and the framing, timed as one step; and the
// grey copy alone. The photo is a face picture enlarged to 4000 rows on a 6000 x 4000 canvas.
#include "import/PortraitFraming.h"
#include "import/SandboxedFaceLocator.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

const QImage& photo()
{
    static const QImage picture = [] {
        const QImage face = QImage(QStringLiteral(PICTORIA_SOURCE_DIR "/tests/faces/grace_hopper.jpg"))
                                .scaledToHeight(4000, Qt::SmoothTransformation);
        QImage canvas(6000, 4000, QImage::Format_RGB32);
        canvas.fill(qRgb(96, 110, 120));
        QPainter painter(&canvas);
        painter.drawImage((canvas.width() - face.width()) / 2, 0, face);
        return canvas;
    }();
    return picture;
}

void BM_FaceFraming24MP(benchmark::State& state)
{
    SandboxedFaceLocator locator;
    const QSize frame(48, 56);
    std::size_t found = 0;
    for (auto _ : state) {
        const std::vector<QRect> faces = PortraitFraming::largestFirst(locator.findFaces(photo()));
        found = faces.size();
        if (!faces.empty())
            benchmark::DoNotOptimize(PortraitFraming::frameFace(faces.front(), photo().size(), frame));
    }
    state.counters["faces"] = double(found);
    if (found == 0)
        state.SkipWithError("no face found");
}
BENCHMARK(BM_FaceFraming24MP)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FaceGreyCopy24MP(benchmark::State& state)
{
    photo();
    for (auto _ : state)
        benchmark::DoNotOptimize(SandboxedFaceLocator::greyCopy(photo()).constBits());
}
BENCHMARK(BM_FaceGreyCopy24MP)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
