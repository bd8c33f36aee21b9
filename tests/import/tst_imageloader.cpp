#include "TestPictures.h"
#include "files/Jpeg.h"
#include "files/cGdiPlus.h"
#include "import/HelperProtocol.h"
#include "import/ImageLoader.h"
#include "import/ImportHelper.h"
#include "import/SandboxedDecoder.h"
#include "import/SandboxedFaceLocator.h"
#include "platform/CommandError.h"
#include "platform/Surface.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>
#include <fcntl.h>
#include <sys/resource.h>
#include <tuple>
#include <unistd.h>

using TestSupport::HangDeadlineMs;
using TestSupport::tempPath;

namespace {

QRgb pattern(int x, int y)
{
    return qRgb((x * 37) & 255, (y * 53) & 255, ((x + 2 * y) * 29) & 255);
}

// Colours a 5-5-5 bitmap can hold, widened back to 8 bits as FreeImage does.
QRgb as555(QRgb v)
{
    auto widen = [](int c) { return (c >> 3) * 255 / 31; };
    return qRgb(widen(qRed(v)), widen(qGreen(v)), widen(qBlue(v)));
}

QList<QRgb> palette(int n)
{
    QList<QRgb> p;
    for (int i = 0; i < n; ++i)
        p << qRgb((i * 97) & 255, (i * 31 + 7) & 255, (255 - i * 13) & 255);
    return p;
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

// For as long as it lives, this process's standard error is of the given kind: a
// terminal, a pipe, a regular file, /dev/null, or closed.
class StandardErrorAs {
public:
    explicit StandardErrorAs(const QString& kind) : m_saved(::dup(STDERR_FILENO))
    {
        int fd = -1;
        if (kind == "terminal") {
            m_other = ::posix_openpt(O_RDWR | O_NOCTTY);
            if (m_other >= 0 && ::grantpt(m_other) == 0 && ::unlockpt(m_other) == 0)
                fd = ::open(::ptsname(m_other), O_RDWR | O_NOCTTY);
        } else if (kind == "pipe") {
            int ends[2];
            if (::pipe(ends) == 0) {
                m_other = ends[0]; // kept open, so a write never raises SIGPIPE
                fd = ends[1];
            }
        } else if (kind == "regular file") {
            fd = ::open(QFile::encodeName(tempPath("stderr.log")).constData(), O_WRONLY | O_CREAT | O_TRUNC,
                        0600);
        } else if (kind == "/dev/null") {
            fd = ::open("/dev/null", O_WRONLY);
        }
        if (kind == "closed") {
            m_ok = m_saved >= 0 && ::close(STDERR_FILENO) == 0;
            return;
        }
        m_ok = m_saved >= 0 && fd >= 0 && ::dup2(fd, STDERR_FILENO) >= 0;
        if (fd >= 0)
            ::close(fd);
    }
    ~StandardErrorAs() { restore(); }
    bool ok() const { return m_ok; }
    void restore()
    {
        if (m_saved >= 0) {
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
            m_saved = -1;
        }
        if (m_other >= 0) {
            ::close(m_other);
            m_other = -1;
        }
    }

private:
    int m_saved = -1;
    int m_other = -1;
    bool m_ok = false;
};

QString executableScript(const QString& name, const QByteArray& body)
{
    const QString path = tempPath(name);
    TestPictures::write(path, "#!/bin/sh\n" + body + "\n");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

} // namespace

// Decoding through the helper: every depth FreeImage hands over, the messages and
// their boxes, the fallback to Qt's readers, the size bound, and helpers that die,
// hang or lie.
class ImageLoaderTest : public QObject {
    Q_OBJECT
private slots:
    void depthsAndPalettes_data();
    void depthsAndPalettes();
    void highBitDepth_data();
    void highBitDepth();
    void renderDIBMessages_data();
    void renderDIBMessages();
    void libraryMessagesMakeOneBox();
    void openAndImportAgree_data();
    void openAndImportAgree();
    void unidentifiedFilesGoToQt();
    void unreadFilesSayWhy_data();
    void unreadFilesSayWhy();
    void anyStandardErrorImports_data();
    void anyStandardErrorImports();
    void sizeBound_data();
    void sizeBound();
    void crashingDecoderIsContained();
    void damagedExrRunsOutOfMemoryInHelper();
    void hangingHelperIsKilled();
    void lyingHelperIsRefused_data();
    void lyingHelperIsRefused();
    void scaleServesTheNeed_data();
    void scaleServesTheNeed();
    void faceSearchAnswers_data();
    void faceSearchAnswers();

private:
    ScriptedDialogs dialogs;
    SandboxedDecoder decoder;
};

void ImageLoaderTest::depthsAndPalettes_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<bool>("topDown");
    QTest::newRow("1-bit palette") << 1 << false;
    QTest::newRow("4-bit palette") << 4 << false;
    QTest::newRow("8-bit palette") << 8 << false;
    QTest::newRow("8-bit palette, top-down rows") << 8 << true;
    QTest::newRow("16-bit 5-5-5") << 16 << false;
    QTest::newRow("24-bit") << 24 << false;
    QTest::newRow("24-bit, top-down rows") << 24 << true;
    QTest::newRow("32-bit") << 32 << false;
}

void ImageLoaderTest::depthsAndPalettes()
{
    QFETCH(int, bits);
    QFETCH(bool, topDown);
    const int w = 37, h = 23; // odd sizes: row padding and partial bytes
    const QList<QRgb> colours = bits <= 8 ? palette(1 << bits) : QList<QRgb>{};
    auto index = [&](int x, int y) { return quint32((x * 3 + y * 5) % (1 << std::min(bits, 8))); };
    auto value = [&](int x, int y) -> quint32 { return bits <= 8 ? index(x, y) : pattern(x, y); };
    const QString path = tempPath(QStringLiteral("depth%1%2.bmp").arg(bits).arg(topDown));
    QVERIFY(TestPictures::write(path, TestPictures::bmp(w, h, bits, value, colours, topDown)));

    ImageLoader loader(dialogs);
    Surface box(1, 1);
    QVERIFY(loader.LoadImageFile(path, box));
    QCOMPARE(box.size(), QSize(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            QRgb expected = bits <= 8 ? colours[int(index(x, y))] : pattern(x, y);
            if (bits == 16)
                expected = as555(expected);
            QCOMPARE(box.pixel(x, y), fromQRgb(expected));
        }
    QVERIFY(dialogs.messages.isEmpty());
}

void ImageLoaderTest::highBitDepth_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("48-bit RGB PNG") << "rgb16";
    QTest::newRow("16-bit grey PNG") << "grey16";
    QTest::newRow("float RGB map") << "pfm";
    QTest::newRow("float RGB OpenEXR") << "exr";
}

void ImageLoaderTest::highBitDepth()
{
    QFETCH(QString, kind);
    const int w = 9, h = 7;
    QString path;
    std::function<QRgb(int, int)> expected;
    if (kind == "rgb16" || kind == "grey16") {
        const bool grey = kind == "grey16";
        QImage image(w, h, grey ? QImage::Format_Grayscale16 : QImage::Format_RGBX64);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                // Low bytes of 0xFF: taking the high byte and rounding differ.
                const quint16 r = quint16((x * 7000) | 0xFF), g = quint16((y * 9000) | 0xFF), b = 0x80FF;
                if (grey)
                    reinterpret_cast<quint16*>(image.scanLine(y))[x] = r;
                else
                    image.setPixelColor(x, y, QColor::fromRgba64(r, g, b));
            }
        path = tempPath(kind + ".png");
        QVERIFY(image.save(path, "PNG"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(int(f.readAll().at(24)), 16); // really 16 bits a sample
        expected = [grey](int x, int y) {
            const int r = ((x * 7000) | 0xFF) >> 8;
            return grey ? qRgb(r, r, r) : qRgb(r, (((y * 9000) | 0xFF) >> 8) & 255, 0x80);
        };
    } else if (kind == "pfm") {
        path = tempPath("float.pfm");
        QVERIFY(TestPictures::write(path, TestPictures::pfm(w, h, [](int x, int y, float* rgb) {
                                        rgb[0] = x / 8.0f;
                                        rgb[1] = x * 0.3f - 0.5f; // below 0 and above 1 clamp
                                        rgb[2] = y / 6.0f;        // the top row is y = 0
                                    })));
        expected = [](int x, int y) {
            const float g = std::clamp(x * 0.3f - 0.5f, 0.0f, 1.0f);
            return qRgb(int(x / 8.0f * 255 + 0.5f), int(g * 255 + 0.5f), int(y / 6.0f * 255 + 0.5f));
        };
    } else {
        path = tempPath("float.exr");
        QVERIFY(TestPictures::write(path, TestPictures::exr(w, h, pattern)));
        expected = pattern;
    }

    ImageLoader loader(dialogs);
    Surface box(1, 1);
    QVERIFY(loader.LoadImageFile(path, box));
    QCOMPARE(box.size(), QSize(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            QCOMPARE(box.pixel(x, y), fromQRgb(expected(x, y)));
    QVERIFY(dialogs.messages.isEmpty());
}

void ImageLoaderTest::renderDIBMessages_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("bits");
    QTest::addColumn<bool>("info");
    QTest::addColumn<bool>("pixels");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSize>("boxAfter");
    QTest::newRow("no width") << 0 << 5 << true << true << true
                              << "RenderDIB: Could not get the bitmap's width" << QSize(3, 3);
    QTest::newRow("no height") << 6 << 0 << true << true << true
                               << "RenderDIB: Could not get the bitmap's height" << QSize(6, 3);
    QTest::newRow("no bits") << 6 << 5 << false << true << true << "RenderDIB: Could not get the DIB's bits"
                             << QSize(6, 5);
    QTest::newRow("no info") << 6 << 5 << true << false << true
                             << "RenderDIB: Could not get the DIB's information" << QSize(6, 5);
    QTest::newRow("not drawable")
        << 6 << 5 << true << true << false
        << "RenderDIB: SetDIBitsToDevice failed to render the DIB to the specified DC "
           "with error code 12"
        << QSize(6, 5);
}

void ImageLoaderTest::renderDIBMessages()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, bits);
    QFETCH(bool, info);
    QFETCH(bool, pixels);
    QFETCH(QString, text);
    QFETCH(QSize, boxAfter);
    dialogs.messages.clear();
    LibraryBitmap bitmap{width, height, bits, info, pixels ? QImage(6, 5, QImage::Format_RGB32) : QImage(),
                         0};
    ImageLoader loader(dialogs);
    Surface box(3, 3);
    QVERIFY(!loader.RenderDIB(bitmap, box));
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages[0].text, text);
    QCOMPARE(dialogs.messages[0].title, QStringLiteral("RenderDIB Error"));
    QCOMPARE(dialogs.messages[0].buttons, MessageButtons::Ok);
    QCOMPARE(dialogs.messages[0].icon, MessageIcon::None);
    QCOMPARE(box.size(), boxAfter);
}

void ImageLoaderTest::libraryMessagesMakeOneBox()
{
    ImageLoader loader(dialogs);
    dialogs.messages.clear();
    loader.FreeImageErrorHandler(2, QStringLiteral("Invalid header"));
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages[0].text, QStringLiteral("Error: Invalid header"));
    QCOMPARE(dialogs.messages[0].title, QStringLiteral("FreeImage Dll Error"));
    QCOMPARE(dialogs.messages[0].buttons, MessageButtons::Ok);
    QCOMPARE(dialogs.messages[0].icon, MessageIcon::None);

    // A PSD with a wrong version number: the library identifies it, refuses it and says
    // why, and no Qt reader takes it. What the library said is the one box.
    QByteArray psd = TestPictures::psd(8, 8, pattern);
    psd[5] = 9;
    const QString psdPath = tempPath("version.psd");
    QVERIFY(TestPictures::write(psdPath, psd));
    const ImportHelper::Run run = ImportHelper::decode(psdPath, {});
    QCOMPARE(run.status, ImportHelper::Status::Finished);
    QCOMPARE(run.messages.size(), std::size_t(1));
    QVERIFY(!run.messages[0].text.empty());
    Surface box(5, 5);
    box.setBackColor(RGBColour(1, 2, 3));
    dialogs.messages.clear();
    QVERIFY(!loader.LoadImageFile(psdPath, box));
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages[0].text, "Error: " + QString::fromStdString(run.messages[0].text));
    QCOMPARE(dialogs.messages[0].title, QStringLiteral("FreeImage Dll Error"));
    QCOMPARE(dialogs.messages[0].icon, MessageIcon::None);
    QCOMPARE(box.size(), QSize(5, 5));
    QCOMPARE(box.pixel(2, 2), RGBColour(1, 2, 3));

    // Reserved header bytes that are not zero and a compression no reader knows: the
    // library says three things, and they make one box, in the order said.
    QByteArray odd = TestPictures::psd(8, 8, pattern);
    odd[7] = 1;
    odd[39] = 9;
    const QString oddPath = tempPath("odd.psd");
    QVERIFY(TestPictures::write(oddPath, odd));
    const ImportHelper::Run said = ImportHelper::decode(oddPath, {});
    QVERIFY2(said.messages.size() > 1, "the library no longer says several things of this file");
    QStringList lines;
    for (const HelperProtocol::Message& m : said.messages)
        lines << "Error: " + QString::fromStdString(m.text);
    dialogs.messages.clear();
    QVERIFY(!loader.LoadImageFile(oddPath, box));
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages[0].text, lines.join('\n'));
    QCOMPARE(dialogs.messages[0].title, QStringLiteral("FreeImage Dll Error"));

    // A bitmap the library complains of but Qt reads: the complaint is not shown.
    const QString v5Path = tempPath("v5.bmp");
    QVERIFY(TestPictures::write(v5Path, TestPictures::bmpV5(9, 4, pattern)));
    QVERIFY(!ImportHelper::decode(v5Path, {}).messages.empty());
    dialogs.messages.clear();
    QVERIFY(loader.LoadImageFile(v5Path, box));
    QCOMPARE(box.size(), QSize(9, 4));
    QVERIFY(dialogs.messages.isEmpty());
}

void ImageLoaderTest::openAndImportAgree_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QImage>("expected"); // over the background below
    const QRgb background = qRgb(30, 160, 90);
    const int w = 13, h = 6;
    auto picture = [&](const std::function<QRgb(int, int)>& f) {
        QImage image(w, h, QImage::Format_ARGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image.setPixel(x, y, f(x, y));
        return image;
    };
    auto over = [&](const QImage& image) {
        QImage out(image.size(), QImage::Format_RGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                out.setPixel(x, y,
                             qAlpha(image.pixel(x, y)) == 0 ? background : image.pixel(x, y) | 0xFF000000u);
        return out;
    };
    const QImage opaque = picture(pattern);

    QTest::newRow("BMP, version 5 header") << "v5.bmp" << TestPictures::bmpV5(w, h, pattern) << over(opaque);
    // Fields at their largest are full intensity.
    auto fields = [](int x, int y) {
        return x == 0 ? std::array<int, 3>{31, 63, 31}
                      : std::array<int, 3>{(x * 5) % 32, (y * 13 + x) % 64, 31 - x};
    };
    auto widen = [](int f, int max) { return f * 255 / max; };
    const QImage full = over(picture([&](int x, int y) {
        const auto f = fields(x, y);
        return qRgb(widen(f[0], 31), widen(f[1], 63), widen(f[2], 31));
    }));
    QTest::newRow("BMP, 5-6-5 bit fields") << "565.bmp" << TestPictures::bmp565(w, h, fields) << full;
    QTest::newRow("BMP, 5-6-5 bit fields, version 5 header")
        << "565v5.bmp" << TestPictures::bmp565(w, h, fields, 124) << full;
    const QList<QRgb> colours = palette(4);
    auto index = [](int x, int y) { return (x / 3 + y) % 4; };
    QTest::newRow("BMP, run-length 8 bits")
        << "rle8.bmp" << TestPictures::bmpRle8(w, h, index, colours)
        << over(picture([&](int x, int y) { return colours[index(x, y)]; }));
    // A gamma of 1.0: corrected for a 2.2 screen, mid greys would come out far lighter.
    QByteArray gamma;
    TestPictures::be32(gamma, 100000);
    QTest::newRow("PNG with only a gamma chunk")
        << "gamma.png"
        << TestPictures::pngWithChunk(encoded(opaque.convertToFormat(QImage::Format_RGB32), "png"), "gAMA",
                                      gamma)
        << over(opaque);
    // Transparent pixels hiding a colour of their own.
    const QImage holes =
        picture([](int x, int y) { return (x + y) % 3 == 0 ? qRgba(250, 0, 250, 0) : pattern(x, y); });
    QTest::newRow("PNG with transparency") << "alpha.png" << encoded(holes, "png") << over(holes);
    QTest::newRow("TIFF with transparency") << "alpha.tif" << encoded(holes, "tiff") << over(holes);
    if (!QStandardPaths::findExecutable("convert").isEmpty()) {
        // A GIF's transparent colour, from ImageMagick; few colours, so none is lost.
        const QImage few = picture(
            [&](int x, int y) { return (x + y) % 3 == 0 ? qRgba(250, 0, 250, 0) : colours[index(x, y)]; });
        const QString png = tempPath("few.png"), gif = tempPath("few.gif");
        few.save(png, "PNG");
        QProcess::execute("convert", {png, gif});
        QFile f(gif);
        f.open(QIODevice::ReadOnly);
        QTest::newRow("GIF with a transparent colour") << "alpha.gif" << f.readAll() << over(few);
    }
}

void ImageLoaderTest::openAndImportAgree()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, file);
    QFETCH(QImage, expected);
    const QRgb background = qRgb(30, 160, 90);
    const QString path = tempPath("agree-" + name);
    QVERIFY(TestPictures::write(path, file));

    cGdiPlus gdip;
    gdip.setDecoder(&decoder);
    const QImage opened = gdip.FilenameToIPicture(path, background);
    QVERIFY2(!opened.isNull(), qPrintable(gdip.lastErrorDetail()));
    QCOMPARE(opened.size(), expected.size());

    ImageLoader loader(dialogs);
    Surface box(1, 1);
    box.setBackColor(fromQRgb(background));
    dialogs.messages.clear();
    QVERIFY(loader.LoadImageFile(path, box));
    QVERIFY(dialogs.messages.isEmpty());
    QCOMPARE(box.size(), expected.size());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const Colour want = TestSupport::pixelAt(expected, x, y);
            QCOMPARE(TestSupport::pixelAt(opened, x, y), want);
            QCOMPARE(box.pixel(x, y), want);
        }
}

void ImageLoaderTest::unidentifiedFilesGoToQt()
{
    const QString path = tempPath("drawing.svg");
    QVERIFY(TestPictures::write(path, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"30\" height=\"20\">"
                                      "<rect width=\"30\" height=\"20\" fill=\"#ff0000\"/>"
                                      "<rect x=\"10\" width=\"10\" height=\"20\" fill=\"#0000ff\"/>"
                                      // Text needs fonts, which the reader only has in a GUI application.
                                      "<text x=\"24\" y=\"19\" font-size=\"4\">a</text></svg>"));
    if (!QImageReader(path).canRead())
        QSKIP("Qt's SVG reader is not installed");
    const ImportHelper::Run run = ImportHelper::decode(path, {});
    QCOMPARE(run.status, ImportHelper::Status::Finished);
    QCOMPARE(run.picture.format, -1);

    ImageLoader loader(dialogs);
    Surface box(3, 3);
    QVERIFY(loader.LoadImageFile(path, box));
    QCOMPARE(box.size(), QSize(30, 20));
    QCOMPARE(box.pixel(2, 10), RGBColour(255, 0, 0));
    QCOMPARE(box.pixel(15, 10), RGBColour(0, 0, 255));
}

void ImageLoaderTest::unreadFilesSayWhy_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("file"); // none: nothing is written
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("why");
    const QString notRead = QStringLiteral("The file is not a picture in a format this program reads.");
    QTest::newRow("missing file") << "no such picture.bmp" << QByteArray()
                                  << int(ImageLoader::ErrorFileNotFound) << "There is no file";
    // A portable arbitrary map: neither FreeImage nor Qt reads one.
    QTest::newRow("PAM") << "picture.pam"
                         << QByteArray("P7\nWIDTH 2\nHEIGHT 1\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n"
                                       "\xff\0\0\0\xff\0")
                         << int(ImageLoader::ErrorInvalidPicture) << notRead;
    QTest::newRow("text") << "notes.bmp" << QByteArray("not a picture at all\n")
                          << int(ImageLoader::ErrorInvalidPicture) << notRead;
}

void ImageLoaderTest::unreadFilesSayWhy()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, file);
    QFETCH(int, number);
    QFETCH(QString, why);
    const QString path = tempPath(name);
    QFile::remove(path);
    if (!file.isEmpty())
        QVERIFY(TestPictures::write(path, file));
    dialogs.messages.clear();
    ImageLoader loader(dialogs);
    Surface box(3, 3);
    // Thrown, it is the Import command's one error box.
    try {
        loader.LoadImageFile(path, box);
        QFAIL("a file nothing reads failed without a word");
    } catch (const CommandError& e) {
        QCOMPARE(e.number(), number);
        QVERIFY2(e.description().startsWith(why), qPrintable(e.description()));
    }
    QVERIFY(dialogs.messages.isEmpty());
    QCOMPARE(box.size(), QSize(3, 3));
}

void ImageLoaderTest::anyStandardErrorImports_data()
{
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"terminal", "pipe", "regular file", "closed", "/dev/null"})
        QTest::newRow(kind) << kind;
}

void ImageLoaderTest::anyStandardErrorImports()
{
    QFETCH(QString, kind);
    // libtiff warns about a tag of every TIFF file Qt writes, on standard error.
    const QString path = tempPath("warns.tif");
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(qRgb(200, 10, 10));
    QVERIFY(picture.save(path, "TIFF"));
    const QString helper = ImportHelper::defaultProgram();

    StandardErrorAs standardError(kind);
    QVERIFY(standardError.ok());
    // Through the editor's import, and the helper started directly with the picture on its
    // standard input, inheriting this standard error under the limit the editor gives it.
    const ImportHelper::Run run = ImportHelper::decode(path, {});
    QProcess direct;
    direct.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    direct.setChildProcessModifier([] {
        const rlimit none{0, 0};
        ::setrlimit(RLIMIT_FSIZE, &none);
    });
    direct.setStandardInputFile(path);
    direct.start(helper, {});
    const bool finished = direct.waitForFinished(HangDeadlineMs);
    const QByteArray answer = direct.readAllStandardOutput();
    standardError.restore();

    QVERIFY2(run.status == ImportHelper::Status::Finished, qPrintable(run.detail));
    QVERIFY(run.picture.converted);
    QCOMPARE(run.pixels.size(), QSize(20, 10));
    QCOMPARE(run.pixels.pixel(0, 0), 0xFFC80A0Au);
    QVERIFY(finished);
    QCOMPARE(direct.exitStatus(), QProcess::NormalExit);
    QCOMPARE(direct.exitCode(), 0);
    HelperProtocol::Reader reader;
    QVERIFY(reader.feed(answer.constData(), std::size_t(answer.size())));
    QVERIFY(reader.complete());
    QCOMPARE(reader.picture().pixels.size(), std::size_t(200));
}

void ImageLoaderTest::sizeBound_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("claim");
    auto header = [](int w, int h) {
        QByteArray b = TestPictures::bmpMemoryBomb();
        b.replace(18, 4, QByteArray(reinterpret_cast<const char*>(&w), 4));
        b.replace(22, 4, QByteArray(reinterpret_cast<const char*>(&h), 4));
        return b;
    };
    QTest::newRow("70-byte memory bomb") << TestPictures::bmpMemoryBomb() << true << "30000 x 30000";
    QTest::newRow("one past the side") << header(16385, 1) << true << "16385 x 1";
    QTest::newRow("tall one past the side") << header(1, 16385) << true << "1 x 16385";
    QTest::newRow("past the pixel count") << header(10000, 10001) << true << "10000 x 10001";
    QTest::newRow("longest side allowed") << TestPictures::bmp(16384, 2, 24, pattern) << false << "";
}

void ImageLoaderTest::sizeBound()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, refused);
    QFETCH(QString, claim);
    const QString path = tempPath("bound.bmp");
    QVERIFY(TestPictures::write(path, file));
    dialogs.messages.clear();
    ImageLoader loader(dialogs);
    Surface box(3, 3);
    QElapsedTimer clock;
    clock.start();
    if (!refused) {
        QVERIFY(loader.LoadImageFile(path, box));
        QCOMPARE(box.size(), QSize(16384, 2));
        return;
    }
    try {
        loader.LoadImageFile(path, box);
        QFAIL("an oversized picture was accepted");
    } catch (const CommandError& e) {
        QCOMPARE(e.number(), ImageLoader::ErrorPictureTooLarge);
        QVERIFY2(e.description().contains(claim), qPrintable(e.description()));
    }
    // Refused from the header: no gigabytes decoded (a hang would show), nothing drawn.
    QVERIFY(clock.elapsed() < HangDeadlineMs);
    QCOMPARE(box.size(), QSize(3, 3));
    QVERIFY(dialogs.messages.isEmpty());
}

void ImageLoaderTest::crashingDecoderIsContained()
{
    // Seeds whose mutations of this PSD crash FreeImage 3.18's PSD reader.
    const QByteArray original = TestPictures::psd(64, 48, pattern);
    int crashes = 0;
    for (unsigned seed : {7u, 8u, 17u, 27u, 30u}) {
        const QString path = tempPath(QStringLiteral("mutated%1.psd").arg(seed));
        QVERIFY(TestPictures::write(path, TestPictures::mutate(original, seed, 8, 26)));
        const ImportHelper::Run run = ImportHelper::decode(path, {});
        QVERIFY(run.status != ImportHelper::Status::BadAnswer);
        if (run.status == ImportHelper::Status::Crashed)
            ++crashes;
    }
    QVERIFY2(crashes >= 1, "none of the mutated files crashed the decoder any more");
}

void ImageLoaderTest::damagedExrRunsOutOfMemoryInHelper()
{
    // An attribute claiming 2 GB: under the helper's cap the library's allocation fails.
    QByteArray file = TestPictures::exr(16, 12, pattern);
    QByteArray junk("junk\0string\0", 12);
    TestPictures::le32(junk, 0x7ffffff0u);
    junk.append("abcd");
    file.insert(8, junk);
    const QString path = tempPath("damaged.exr");
    QVERIFY(TestPictures::write(path, file));
    QElapsedTimer clock;
    clock.start();
    const ImportHelper::Run run = ImportHelper::decode(path, {});
    QCOMPARE(run.status, ImportHelper::Status::Finished);
    QCOMPARE(run.picture.failure, FreeImageLibrary::Failure::OutOfMemory);
    QVERIFY(clock.elapsed() < HangDeadlineMs);
}

void ImageLoaderTest::hangingHelperIsKilled()
{
    ImportHelper::Settings settings;
    settings.program = executableScript("hang.sh", "exec sleep 600");
    settings.timeoutMs = 400;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(TestPictures::write(tempPath("any.bmp"), TestPictures::bmp(4, 4, 24, pattern)));
    const ImportHelper::Run run = ImportHelper::decode(tempPath("any.bmp"), settings);
    QCOMPARE(run.status, ImportHelper::Status::TimedOut);
    QVERIFY(clock.elapsed() < HangDeadlineMs);

    ImageLoader loader(dialogs, settings);
    Surface box(3, 3);
    dialogs.messages.clear();
    try {
        loader.LoadImageFile(tempPath("any.bmp"), box);
        QFAIL("a hung helper counted as a load");
    } catch (const CommandError& e) {
        QCOMPARE(e.number(), ImageLoader::ErrorInvalidPicture);
        QVERIFY(e.description().contains("longer than"));
    }
    QVERIFY(dialogs.messages.isEmpty());

    // A missing helper is one clear failure too, not a silent "could not read".
    settings.program = tempPath("no-such-helper");
    try {
        loader.settings() = settings;
        loader.LoadImageFile(tempPath("any.bmp"), box);
        QFAIL("a missing helper counted as a load");
    } catch (const CommandError& e) {
        QVERIFY(e.description().contains("could not be started"));
    }
}

void ImageLoaderTest::lyingHelperIsRefused_data()
{
    using namespace HelperProtocol;
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("before"); // what the helper does first; $2 is the shared memory
    QTest::addColumn<bool>("openRules");    // answering for Open: only the picture's top-left part
    FreeImageLibrary::DecodedPicture p;
    p.format = 0;
    p.loaded = p.hasBits = p.hasInfo = p.converted = true;
    p.width = 4;
    p.height = 2;
    auto bytes = [](const std::string& s) { return QByteArray(s.data(), qsizetype(s.size())); };
    const QByteArray pixels(4 * 2 * 4, '\x40');
    const QByteArray good = bytes(resultFrame(p)) + bytes(pixelsHeader(8)) + pixels + bytes(endFrame());
    FreeImageLibrary::DecodedPicture huge = p;
    huge.width = huge.height = 20000;

    const QByteArray shared = bytes(resultFrame(p)) + bytes(sharedPixelsFrame(8)) + bytes(endFrame());

    QTest::newRow("honest") << good << int(ImportHelper::Status::Finished) << QByteArray() << false;
    // The shared memory holds what the helper left there: zeros, as this one writes none.
    QTest::newRow("honest, shared pixels")
        << shared << int(ImportHelper::Status::Finished) << QByteArray() << false;
    // Mapped as announced, the editor would die of SIGBUS reading past the end.
    QTest::newRow("shared memory cut short") << shared << int(ImportHelper::Status::BadAnswer)
                                             << QByteArray("truncate -s 16 /proc/self/fd/$2") << false;
    QTest::newRow("shared memory emptied") << shared << int(ImportHelper::Status::BadAnswer)
                                           << QByteArray("truncate -s 0 /proc/self/fd/$2") << false;
    QTest::newRow("shared pixels of another size")
        << bytes(resultFrame(p)) + bytes(sharedPixelsFrame(7)) + bytes(endFrame())
        << int(ImportHelper::Status::BadAnswer) << QByteArray() << false;
    QTest::newRow("shared and piped pixels") << bytes(resultFrame(p)) + bytes(sharedPixelsFrame(8)) +
                                                    bytes(pixelsHeader(8)) + pixels + bytes(endFrame())
                                             << int(ImportHelper::Status::BadAnswer) << QByteArray() << false;
    QTest::newRow("short pixel frame")
        << bytes(resultFrame(p)) + bytes(pixelsHeader(7)) + pixels.left(28) + bytes(endFrame())
        << int(ImportHelper::Status::BadAnswer) << QByteArray() << false;
    QTest::newRow("cut off") << good.left(good.size() - 12) << int(ImportHelper::Status::BadAnswer)
                             << QByteArray() << false;
    QTest::newRow("impossible size") << bytes(resultFrame(huge)) << int(ImportHelper::Status::BadAnswer)
                                     << QByteArray() << false;
    QTest::newRow("unknown frame") << QByteArray("JUNK\0\0\0\0", 8) + good
                                   << int(ImportHelper::Status::BadAnswer) << QByteArray() << false;
    QTest::newRow("pixels before result") << bytes(pixelsHeader(8)) + pixels + good
                                          << int(ImportHelper::Status::BadAnswer) << QByteArray() << false;
    QTest::newRow("trailing data") << good + bytes(endFrame()) << int(ImportHelper::Status::BadAnswer)
                                   << QByteArray() << false;
    // A bitmap the library loaded but gave no pixels for is still drawn at its size.
    FreeImageLibrary::DecodedPicture unconverted = huge;
    unconverted.converted = false;
    unconverted.width = unconverted.height = 46340;
    QTest::newRow("loaded, not converted, impossible size")
        << bytes(resultFrame(unconverted)) + bytes(endFrame()) << int(ImportHelper::Status::BadAnswer)
        << QByteArray() << false;
    // Under Open's rules only the top-left 48 x 56 pixels come back, whatever the size.
    FreeImageLibrary::DecodedPicture big = p;
    big.width = 100;
    big.height = 80;
    const QByteArray corner(48 * 56 * 4, '\x40');
    QTest::newRow("Open's rules, honest")
        << bytes(resultFrame(big)) + bytes(pixelsHeader(48 * 56)) + corner + bytes(endFrame())
        << int(ImportHelper::Status::Finished) << QByteArray() << true;
    QTest::newRow("Open's rules, honest shared pixels")
        << bytes(resultFrame(big)) + bytes(sharedPixelsFrame(48 * 56)) + bytes(endFrame())
        << int(ImportHelper::Status::Finished) << QByteArray() << true;
    QTest::newRow("Open's rules, the whole picture's pixels")
        << bytes(resultFrame(big)) + bytes(pixelsHeader(100 * 80)) + QByteArray(100 * 80 * 4, '\x40') +
               bytes(endFrame())
        << int(ImportHelper::Status::BadAnswer) << QByteArray() << true;
    QTest::newRow("Open's rules, shared pixels of the whole picture")
        << bytes(resultFrame(big)) + bytes(sharedPixelsFrame(100 * 80)) + bytes(endFrame())
        << int(ImportHelper::Status::BadAnswer) << QByteArray() << true;
    QTest::newRow("text without its key") << bytes(resultFrame(p)) + bytes(pixelsHeader(8)) + pixels +
                                                 QByteArray("TEXT\x03\0\0\0abc", 11) + bytes(endFrame())
                                          << int(ImportHelper::Status::BadAnswer) << QByteArray() << false;
    QTest::newRow("message too long") << QByteArray("MSG \xff\xff\0\0", 8) + good
                                      << int(ImportHelper::Status::BadAnswer) << QByteArray() << false;
    // A reduced decode is the file's picture divided by 2, 4 or 8, rounded up; its geometry
    // is worked out from those, so a lie about them is refused.
    FreeImageLibrary::DecodedPicture reduced = p;
    reduced.fullWidth = 13;
    reduced.fullHeight = 5;
    reduced.scale = 4;
    QTest::newRow("honest reduction")
        << bytes(resultFrame(reduced)) + bytes(pixelsHeader(8)) + pixels + bytes(endFrame())
        << int(ImportHelper::Status::Finished) << QByteArray() << false;
    for (const auto& [why, scale, fullWidth] :
         {std::tuple{"reduction by 3", 3u, 13u}, std::tuple{"reduction of another size", 4u, 17u},
          std::tuple{"whole picture of another size", 1u, 13u}}) {
        FreeImageLibrary::DecodedPicture lie = reduced;
        lie.scale = scale;
        lie.fullWidth = fullWidth;
        QTest::newRow(why) << bytes(resultFrame(lie)) + bytes(pixelsHeader(8)) + pixels + bytes(endFrame())
                           << int(ImportHelper::Status::BadAnswer) << QByteArray() << false;
    }
}

void ImageLoaderTest::scaleServesTheNeed_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("need");
    QTest::addColumn<bool>("cover");
    QTest::addColumn<int>("scale");
    QTest::newRow("no need: the whole") << QSize(6000, 4000) << QSize() << true << 1;
    QTest::newRow("a portrait from a photo") << QSize(6000, 4000) << QSize(48, 56) << true << 8;
    QTest::newRow("cover: the tighter side decides") << QSize(800, 4000) << QSize(48, 2000) << true << 2;
    QTest::newRow("fit: either side serves") << QSize(800, 4000) << QSize(48, 2000) << false << 8;
    QTest::newRow("a window's room") << QSize(6000, 4000) << QSize(1000, 700) << false << 4;
    QTest::newRow("just enough at 1/8") << QSize(800, 600) << QSize(100, 75) << true << 8;
    QTest::newRow("a pixel short of 1/8") << QSize(799, 600) << QSize(100, 75) << true << 4;
    QTest::newRow("smaller than the need") << QSize(300, 200) << QSize(1000, 700) << false << 1;
}

// The smallest scale whose picture is still at least the picture scaled to the need.
void ImageLoaderTest::scaleServesTheNeed()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, need);
    QFETCH(bool, cover);
    QFETCH(int, scale);
    const Jpeg::Need n{std::uint32_t(need.width()), std::uint32_t(need.height()), cover};
    QCOMPARE(Jpeg::scaleFor(std::uint32_t(picture.width()), std::uint32_t(picture.height()), n), scale);
}

void ImageLoaderTest::lyingHelperIsRefused()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, status);
    QFETCH(QByteArray, before);
    QFETCH(bool, openRules);
    const QString answerFile = tempPath("answer.bin");
    QVERIFY(TestPictures::write(answerFile, answer));
    QVERIFY(TestPictures::write(tempPath("any.bmp"), TestPictures::bmp(4, 4, 24, pattern)));
    ImportHelper::Settings settings;
    settings.program = executableScript("liar.sh", before + "\ncat '" + answerFile.toLocal8Bit() + "'");
    settings.openRules = openRules;
    const ImportHelper::Run run = ImportHelper::decode(tempPath("any.bmp"), settings);
    QCOMPARE(int(run.status), status);
    if (run.status == ImportHelper::Status::Finished) {
        QCOMPARE(run.pixels.size(), openRules ? QSize(48, 56) : QSize(4, 2));
        QCOMPARE(run.pixels.pixel(0, 0), answer.contains("PIXS") ? 0x40404040u : 0u);
    }
}

void ImageLoaderTest::faceSearchAnswers_data()
{
    // What a face search's helper answers, and the faces the editor takes from it, in the
    // picture's pixels (the 2000 x 1000 picture's copy is 1000 x 500, so boxes double);
    // anything off the protocol is no face at all.
    using namespace HelperProtocol;
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QList<QRect>>("faces");
    QTest::addColumn<bool>("honest");
    auto bytes = [](const std::string& s) { return QByteArray(s.data(), qsizetype(s.size())); };
    const std::vector<FaceBox> two{{10, 20, 30, 40}, {990, 490, 30, 30}};
    const QByteArray good = bytes(facesFrame(two)) + bytes(endFrame());
    const QList<QRect> scaled{{20, 40, 60, 80}, {1980, 980, 60, 60}};

    QTest::newRow("two faces") << good << 0 << scaled << true;
    QTest::newRow("none") << bytes(facesFrame({})) + bytes(endFrame()) << 0 << QList<QRect>{} << true;
    QTest::newRow("a face off the picture is dropped")
        << bytes(facesFrame({{10, 20, 30, 40}, {1200, 10, 20, 20}})) + bytes(endFrame()) << 0
        << QList<QRect>{{20, 40, 60, 80}} << true;
    QTest::newRow("exit code 1") << good << 1 << QList<QRect>{} << false;
    QTest::newRow("no end frame") << bytes(facesFrame(two)) << 0 << QList<QRect>{} << false;
    QTest::newRow("trailing data") << good + bytes(endFrame()) << 0 << QList<QRect>{} << false;
    QTest::newRow("a face of no size")
        << bytes(facesFrame({{10, 20, 0, 40}})) + bytes(endFrame()) << 0 << QList<QRect>{} << false;
    QByteArray wrongLength = good;
    wrongLength[4] = char(wrongLength[4] + 16); // a length beyond the boxes it holds
    QTest::newRow("length beyond the boxes") << wrongLength << 0 << QList<QRect>{} << false;
    QByteArray tooMany("FACE\0\0\0\0", 8);
    const std::uint32_t count = MaxFaces + 1, length = 4 + 16 * count;
    for (int i = 0; i < 4; ++i)
        tooMany[4 + i] = char(length >> (8 * i) & 0xFF);
    tooMany.append(char(count), 1)
        .append(QByteArray(3, '\0'))
        .append(QByteArray(16 * qsizetype(count), '\x01'));
    QTest::newRow("more faces than allowed") << tooMany + bytes(endFrame()) << 0 << QList<QRect>{} << false;
    QTest::newRow("endless answer") << QByteArray(1 << 20, 'F') << 0 << QList<QRect>{} << false;
}

void ImageLoaderTest::faceSearchAnswers()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, exitCode);
    QFETCH(QList<QRect>, faces);
    QFETCH(bool, honest);
    const QString answerFile = tempPath("faces.bin");
    QVERIFY(TestPictures::write(answerFile, answer));
    ImportHelper::Settings settings;
    settings.program = executableScript("faces.sh", "cat '" + answerFile.toLocal8Bit() + "'\nexit " +
                                                        QByteArray::number(exitCode));
    SandboxedFaceLocator locator(nullptr, settings);
    QImage picture(2000, 1000, QImage::Format_RGB32);
    picture.fill(Qt::gray);
    const std::vector<QRect> found = locator.findFaces(picture);
    QCOMPARE(QList<QRect>(found.begin(), found.end()), faces);
    // A refused answer says why; an honest one leaves nothing to say.
    QCOMPARE(locator.lastFailure().isEmpty(), honest);
}

QTEST_MAIN(ImageLoaderTest)
#include "tst_imageloader.moc"
