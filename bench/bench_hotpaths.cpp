// The editor's hot paths beside the physical floor of the same work, all in one run:
//   floor A: one memcpy of the magnified image (384 x 448 x 4 bytes);
//   floor B: libjpeg-turbo's own decode (and encode) of the same file the paths use;
//   floor D: libpng's own decode of the same PNG the import decodes.
// scripts/bench-table.py turns the JSON output into the ratios table of the README.
#include "canvas/PortraitCanvas.h"
#include "document/EditingState.h"
#include "document/PortraitDocument.h"
#include "files/JpegCodec.h"
#include "files/cGdiPlus.h"
#include "import/FreeImageLibrary.h"
#include "import/ImportHelper.h"
#include "import/SandboxedDecoder.h"
#include "import/frmImport.h"
#include "import/helper/Isolation.h"
#include "import/helper/Sandbox.h"
#include "mainwindow/frmMain.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <jpeglib.h>
#include <png.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace Portrait;

namespace {

// The view at the zoom it starts at, 384 x 448.
constexpr int ViewWidth = Width * PortraitCanvas::StartZoom;
constexpr int ViewHeight = Height * PortraitCanvas::StartZoom;
constexpr std::size_t MagnifiedBytes = std::size_t(ViewWidth) * ViewHeight * 4;

// Every figure's case reads and writes the same sizes; the floor copies into a fresh
// destination each time the way a redraw writes the view, both buffers warm.
void BM_FloorA_Memcpy(benchmark::State& state)
{
    std::vector<unsigned char> src(MagnifiedBytes, 0x5a), dst(MagnifiedBytes);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), MagnifiedBytes);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(qint64(state.iterations()) * qint64(MagnifiedBytes));
}
BENCHMARK(BM_FloorA_Memcpy)->Unit(benchmark::kMicrosecond);

// The real main window on the offscreen platform: the handlers the view's signals reach.
struct Editor {
    std::shared_ptr<ScriptedDialogs> dialogs = std::make_shared<ScriptedDialogs>();
    frmMain window{dialogs};
    Editor()
    {
        window.show();
        QCoreApplication::processEvents();
        window.state().CurrentTool = QStringLiteral("Brush");
    }
    // Delivers the repaint the last handler asked for, so its cost is in the figure.
    static void paint()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
};

// Tracking, swatch, status text, view redraw and popup, then the widget's repaint.
void BM_MoveWithoutCommit(benchmark::State& state)
{
    Editor e;
    const bool painted = state.range(0) != 0;
    int i = 0;
    for (auto _ : state) {
        const float x = float(40 + (i * 37) % 300), y = float(40 + (i * 23) % 380);
        e.window.picFace_MouseMove(0, 0, x, y);
        if (painted)
            Editor::paint();
        ++i;
    }
    state.SetLabel(painted ? "handler + repaint" : "handler");
}
BENCHMARK(BM_MoveWithoutCommit)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A brush stroke going back and forth between two neighbouring cells: every move
// commits one cell (back buffer, view, store, change signal).
void BM_MoveCommittingCell(benchmark::State& state)
{
    Editor e;
    const bool painted = state.range(0) != 0;
    e.window.picFace_MouseDown(MouseButton::Left, 0, 100, 100);
    int i = 0;
    for (auto _ : state) {
        e.window.state().FGColor = (i & 2) ? RGBColour(250, 10, 10) : RGBColour(10, 250, 10);
        e.window.picFace_MouseMove(MouseButton::Left, 0, (i & 1) ? 108.f : 100.f, 100.f);
        if (painted)
            Editor::paint();
        ++i;
    }
    e.window.picFace_MouseUp(MouseButton::Left, 0, 100, 100);
    state.SetLabel(painted ? "handler + repaint" : "handler");
}
BENCHMARK(BM_MoveCommittingCell)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The area the view repaints per committed move, from its paint events.
void BM_RepaintAreaPerCommit(benchmark::State& state)
{
    Editor e;
    PictureBox* box = e.window.picFaceBox();
    e.window.picFace_MouseDown(MouseButton::Left, 0, 100, 100);
    Editor::paint();
    box->resetPaintStats();
    qint64 moves = 0;
    int i = 0;
    for (auto _ : state) {
        e.window.state().FGColor = (i & 2) ? RGBColour(250, 10, 10) : RGBColour(10, 250, 10);
        e.window.picFace_MouseMove(MouseButton::Left, 0, (i & 1) ? 108.f : 100.f, 100.f);
        Editor::paint();
        ++moves;
        ++i;
    }
    e.window.picFace_MouseUp(MouseButton::Left, 0, 100, 100);
    state.counters["painted_px"] = double(box->paintedArea()) / double(moves);
    state.counters["view_px"] = double(ViewWidth * ViewHeight);
    state.counters["cell_px"] = double(PortraitCanvas::StartZoom * PortraitCanvas::StartZoom);
}
BENCHMARK(BM_RepaintAreaPerCommit)->Unit(benchmark::kMicrosecond);

QImage pattern(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb(x * 5 & 255, y * 4 & 255, (x + y) * 3 & 255);
    }
    return image;
}

// A photograph-like picture: smooth gradients with a little noise, so the JPEG and PNG
// sizes are those of real photos rather than of flat colour.
QImage photoLike(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(42);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int n = int(rng.bounded(24u));
            row[x] = qRgb((x * 255 / w + n) & 255, (y * 255 / h + n) & 255, ((x + y) / 40 + n) & 255);
        }
    }
    return image;
}

// The whole view drawn from the portrait, as after a whole-portrait change.
void BM_DrawtoBB(benchmark::State& state)
{
    PortraitDocument document;
    PortraitCanvas canvas(document);
    canvas.setGridSource([] { return true; });
    canvas.DrawGrid();
    document.loadPortrait(pattern(Width, Height));
    for (auto _ : state) {
        canvas.DrawtoBB();
        benchmark::DoNotOptimize(canvas.picFace().image().constBits());
    }
}
BENCHMARK(BM_DrawtoBB)->Unit(benchmark::kMicrosecond);

// Region copy into the portrait, then the main view drawn from it.
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
        window.picImage_MouseMove(1, 0, float(100 + (i % 400)), float(100 + (i % 300)));
        benchmark::DoNotOptimize(canvas.picFace().image().constBits());
        ++i;
    }
}
BENCHMARK(BM_ImportDragStep)->Unit(benchmark::kMicrosecond);

// ---- Files: the portrait at each quality, and the large import pictures ----

QString tempPath(const QString& name)
{
    return QDir::temp().filePath(QStringLiteral("pictoria-bench-") + name);
}

QString portraitJpeg(int quality)
{
    const QString path = tempPath(QStringLiteral("portrait-q%1.jpg").arg(quality));
    if (!QFile::exists(path)) {
        QByteArray bytes;
        QString error;
        JpegCodec::encode(photoLike(Width, Height), quality, bytes, error);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
    return path;
}

QString largePicture(const char* format)
{
    const QString path = tempPath(QStringLiteral("6000x4000.%1").arg(QLatin1String(format)));
    if (!QFile::exists(path)) {
        const QImage image = photoLike(6000, 4000);
        if (qstrcmp(format, "jpg") == 0) {
            QByteArray bytes;
            QString error;
            JpegCodec::encode(image, 90, bytes, error);
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write(bytes);
        } else {
            image.save(path, format);
        }
    }
    return path;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void onJpegError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

// libjpeg-turbo's decode of the file, read from disk each time as the paths do, into
// one BGRA buffer: nothing but the library's own work.
bool libjpegDecode(const QString& path, std::vector<unsigned char>& pixels)
{
    const QByteArray data = readAll(path);
    jpeg_decompress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.mgr);
    error.mgr.error_exit = onJpegError;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()), (unsigned long)data.size());
    jpeg_read_header(&info, TRUE);
    // The import's settings: the accurate integer IDCT and fancy upsampling, four bytes a pixel.
    info.out_color_space = JCS_EXT_BGRA;
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = TRUE;
    jpeg_start_decompress(&info);
    const std::size_t stride = std::size_t(info.output_width) * 4;
    pixels.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

struct PngSource {
    const QByteArray& data;
    qsizetype at;
};

void onPngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void readPng(png_structp png, png_bytep out, std::size_t size)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (qsizetype(size) > source->data.size() - source->at)
        png_error(png, "short");
    std::memcpy(out, source->data.constData() + source->at, size);
    source->at += qsizetype(size);
}

// libpng's decode of the file, read from disk each time, row by row into one buffer of
// 8-bit B, G, R, A (an opaque alpha byte added where the file has none): the library's
// own work with the fewest transforms that give the import's pixel layout.
bool libpngDecode(const QString& path, std::vector<unsigned char>& pixels)
{
    const QByteArray data = readAll(path);
    PngSource source{data, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &source, readPng);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const std::size_t stride = png_get_rowbytes(png, info), height = png_get_image_height(png, info);
    pixels.resize(stride * height);
    for (int pass = 0; pass < passes; ++pass)
        for (std::size_t y = 0; y < height; ++y)
            png_read_row(png, pixels.data() + stride * y, nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// libjpeg-turbo's encode of the portrait into memory with the settings Save uses:
// optimised Huffman tables, 96 dpi, 4:4:4 at 100 and 4:2:0 below.
bool libjpegEncode(const QImage& image, int quality, unsigned char** out, unsigned long* size)
{
    jpeg_compress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.mgr);
    error.mgr.error_exit = onJpegError;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, size);
    info.image_width = JDIMENSION(image.width());
    info.image_height = JDIMENSION(image.height());
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.optimize_coding = TRUE;
    info.density_unit = 1;
    info.X_density = 96;
    info.Y_density = 96;
    if (quality >= 100) {
        info.comp_info[0].h_samp_factor = 1;
        info.comp_info[0].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(image.constScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

// The least a durable replacement of a file costs, in plain system calls: a new file
// beside the target, written, fdatasync, renamed over the target, the folder fsynced.
bool durableWrite(const std::string& target, const std::string& folder, const unsigned char* data,
                  std::size_t size)
{
    const std::string temporary = target + ".floor.new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, data, size) == ssize_t(size) && ::fdatasync(fd) == 0;
    if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), target.c_str()) != 0)
        return false;
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = dir >= 0 && ::fsync(dir) == 0;
    if (dir >= 0)
        ::close(dir);
    return synced;
}

// The output qualities the control panel offers: Perfect, High, Medium, Low.
const int Qualities[] = {100, 85, 70, 55};

void qualities(benchmark::internal::Benchmark* b)
{
    for (int q : Qualities)
        b->Arg(q);
}

void BM_FloorB_DecodePortrait(benchmark::State& state)
{
    const QString path = portraitJpeg(int(state.range(0)));
    std::vector<unsigned char> pixels;
    for (auto _ : state) {
        if (!libjpegDecode(path, pixels))
            state.SkipWithError("libjpeg failed");
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_FloorB_DecodePortrait)->Apply(qualities)->Unit(benchmark::kMicrosecond);

// Floor B for Save: the same encode alone, and the same encode with the durable write.
void BM_FloorB_EncodePortrait(benchmark::State& state)
{
    const QImage image = photoLike(Width, Height);
    for (auto _ : state) {
        unsigned char* out = nullptr;
        unsigned long size = 0;
        if (!libjpegEncode(image, int(state.range(0)), &out, &size))
            state.SkipWithError("libjpeg failed");
        benchmark::DoNotOptimize(out);
        std::free(out);
    }
}
BENCHMARK(BM_FloorB_EncodePortrait)->Apply(qualities)->Unit(benchmark::kMicrosecond);

// The floor's whole save: the same encode, then the durable write.
bool floorSave(const QImage& image, int quality, const std::string& path, const std::string& folder)
{
    unsigned char* out = nullptr;
    unsigned long size = 0;
    const bool ok = libjpegEncode(image, quality, &out, &size) && durableWrite(path, folder, out, size);
    std::free(out);
    return ok;
}

void BM_FloorB_DurableSavePortrait(benchmark::State& state)
{
    const QImage image = photoLike(Width, Height);
    const std::string path = QFile::encodeName(tempPath(QStringLiteral("floor-save.jpg"))).toStdString();
    const std::string folder = QFile::encodeName(QDir::tempPath()).toStdString();
    for (auto _ : state)
        if (!floorSave(image, int(state.range(0)), path, folder))
            state.SkipWithError("floor save failed");
}
BENCHMARK(BM_FloorB_DurableSavePortrait)->Apply(qualities)->Unit(benchmark::kMicrosecond);

// Save: the codec service writes the pixel store at the quality.
void BM_SavePortrait(benchmark::State& state)
{
    PortraitDocument document;
    document.loadPortrait(photoLike(Width, Height));
    cGdiPlus gdip;
    const QString path = tempPath(QStringLiteral("save.jpg"));
    const std::int32_t quality = std::int32_t(state.range(0));
    for (auto _ : state)
        if (!gdip.PictureBoxToFile(document.picPreview(), path, quality))
            state.SkipWithError("save failed");
}
BENCHMARK(BM_SavePortrait)->Apply(qualities)->Unit(benchmark::kMicrosecond);

// Ctrl+S in the editor, the whole command: the codec service made for it, the encode,
// the durable write, the history marked clean, the title, the recent list and the
// status bar's word. Syncs to the disk vary by milliseconds from one moment to the
// next, so every iteration also runs the floor's save in the same folder, in turns
// first and second: the figure is the command's time, the counter floor_us the floor's
// over the same iterations.
void BM_SaveCommand(benchmark::State& state)
{
    Editor e;
    const QImage image = photoLike(Width, Height);
    const int quality = int(state.range(0));
    e.window.document().loadPortrait(image);
    e.window.state().OutputQuality = quality;
    e.dialogs->fileAnswers.enqueue(tempPath(QStringLiteral("save-command.jpg")));
    e.window.SavePortrait();
    const std::string path = QFile::encodeName(tempPath(QStringLiteral("floor-save.jpg"))).toStdString();
    const std::string folder = QFile::encodeName(QDir::tempPath()).toStdString();
    using Clock = std::chrono::steady_clock;
    double floorSeconds = 0;
    bool floorFirst = true;
    for (auto _ : state) {
        const auto timeFloor = [&] {
            const auto t0 = Clock::now();
            if (!floorSave(image, quality, path, folder))
                state.SkipWithError("floor save failed");
            floorSeconds += std::chrono::duration<double>(Clock::now() - t0).count();
        };
        if (floorFirst)
            timeFloor();
        const auto t0 = Clock::now();
        e.window.SaveInPlace();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
        if (!floorFirst)
            timeFloor();
        floorFirst = !floorFirst;
    }
    state.counters["floor_us"] = benchmark::Counter(floorSeconds * 1e6, benchmark::Counter::kAvgIterations);
    if (!e.dialogs->messages.isEmpty() || !e.dialogs->fileAnswers.isEmpty())
        state.SkipWithError("save failed");
}
BENCHMARK(BM_SaveCommand)->Apply(qualities)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Open: decode through the codec service (the sandboxed helper), then the portrait
// replaced and drawn.
void BM_OpenPortrait(benchmark::State& state)
{
    PortraitDocument document;
    PortraitCanvas canvas(document);
    canvas.setGridSource([] { return true; });
    canvas.DrawGrid();
    SandboxedDecoder decoder;
    cGdiPlus gdip;
    gdip.setDecoder(&decoder);
    const QString path = portraitJpeg(int(state.range(0)));
    for (auto _ : state) {
        const QImage picture = gdip.FilenameToIPicture(path);
        if (picture.isNull())
            state.SkipWithError("open failed");
        document.loadPortrait(picture);
        benchmark::DoNotOptimize(canvas.picFace().image().constBits());
    }
}
BENCHMARK(BM_OpenPortrait)->Apply(qualities)->Unit(benchmark::kMicrosecond);

void BM_FloorB_DecodeLargeJpeg(benchmark::State& state)
{
    const QString path = largePicture("jpg");
    std::vector<unsigned char> pixels;
    for (auto _ : state) {
        if (!libjpegDecode(path, pixels))
            state.SkipWithError("libjpeg failed");
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_FloorB_DecodeLargeJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FloorD_DecodeLargePng(benchmark::State& state)
{
    const QString path = largePicture("png");
    std::vector<unsigned char> pixels;
    for (auto _ : state) {
        if (!libpngDecode(path, pixels))
            state.SkipWithError("libpng failed");
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_FloorD_DecodeLargePng)->Unit(benchmark::kMillisecond)->UseRealTime();

// The import's real path, file to pixels ready for the import window: the helper
// process decodes (libjpeg-turbo or libpng) into shared memory, which the editor maps.
void BM_ImportDecodeHelper(benchmark::State& state)
{
    const QString path = largePicture(state.range(0) ? "png" : "jpg");
    ImportHelper::Settings settings;
    settings.timeoutMs = 60000;
    settings.cpuSeconds = 60;
    for (auto _ : state) {
        ImportHelper::Run run = ImportHelper::decode(path, settings);
        if (run.status != ImportHelper::Status::Finished) {
            state.SkipWithError(qPrintable(run.detail));
            break;
        }
        benchmark::DoNotOptimize(run.pixels.constBits());
    }
    state.SetLabel(state.range(0) ? "6000x4000 PNG" : "6000x4000 JPEG");
}
BENCHMARK(BM_ImportDecodeHelper)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// FreeImage's decode of the same files in this process, as the import decoded them before.
void BM_ImportDecodeInProcess(benchmark::State& state)
{
    QFile file(largePicture(state.range(0) ? "png" : "jpg"));
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    for (auto _ : state) {
        FreeImageLibrary::DecodedPicture p = FreeImageLibrary::decode(
            reinterpret_cast<const unsigned char*>(bytes.constData()), std::size_t(bytes.size()), {});
        benchmark::DoNotOptimize(p.pixels.data());
    }
    state.SetLabel(state.range(0) ? "6000x4000 PNG" : "6000x4000 JPEG");
}
BENCHMARK(BM_ImportDecodeInProcess)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The helper's entry into its sandbox (new user, mount, PID and network namespaces, an
// empty root, descriptors closed, capabilities dropped, no new privileges, Landlock, the
// system-call filter), timed inside a fresh child each time: entering is one-way. The
// namespaces fork once more; the grandchild, which decodes in the helper, reports.
void BM_ImportSandboxEntry(benchmark::State& state)
{
    for (auto _ : state) {
        int channel[2];
        if (::pipe(channel) != 0) {
            state.SkipWithError("no pipe");
            break;
        }
        const pid_t child = ::fork();
        if (child == 0) {
            const auto start = std::chrono::steady_clock::now();
            Isolation::isolate();
            const bool entered = Sandbox::enter(channel[1]).entered;
            const double seconds =
                entered ? std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()
                        : -1;
            const ssize_t written = ::write(channel[1], &seconds, sizeof seconds);
            ::_exit(written == sizeof seconds ? 0 : 1);
        }
        ::close(channel[1]);
        double seconds = -1;
        const bool got = ::read(channel[0], &seconds, sizeof seconds) == sizeof seconds;
        ::close(channel[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!got || seconds < 0) {
            state.SkipWithError("the sandbox could not be entered");
            break;
        }
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_ImportSandboxEntry)->UseManualTime()->Unit(benchmark::kMicrosecond);

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
