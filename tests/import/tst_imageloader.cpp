#include "TestPictures.h"
#include "import/HelperProtocol.h"
#include "import/ImageLoader.h"
#include "import/ImportHelper.h"
#include "platform/CommandError.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Surface.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QImageReader>
#include <QtTest>

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
    void libraryMessagesBecomeBoxes();
    void unidentifiedFilesGoToQt();
    void missingFileFailsSilently();
    void sizeBound_data();
    void sizeBound();
    void crashingDecoderIsContained();
    void damagedExrRunsOutOfMemoryInHelper();
    void hangingHelperIsKilled();
    void lyingHelperIsRefused_data();
    void lyingHelperIsRefused();

private:
    ScriptedDialogs dialogs;
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
                                        // Rows depend on x only: readers disagree on
                                        // the row order of float maps.
                                        (void)y;
                                        rgb[0] = x / 8.0f;
                                        rgb[1] = x * 0.3f - 0.5f; // below 0 and above 1 clamp
                                        rgb[2] = 0.5f;
                                    })));
        expected = [](int x, int) {
            const float g = std::clamp(x * 0.3f - 0.5f, 0.0f, 1.0f);
            return qRgb(int(x / 8.0f * 255 + 0.5f), int(g * 255 + 0.5f), 128);
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

void ImageLoaderTest::libraryMessagesBecomeBoxes()
{
    // A bitmap header promising more pixel data than the file holds.
    QByteArray file = TestPictures::bmp(40, 40, 24, pattern);
    file.truncate(54 + 100);
    const QString path = tempPath("truncated.bmp");
    QVERIFY(TestPictures::write(path, file));
    dialogs.messages.clear();
    ImageLoader loader(dialogs);
    Surface box(5, 5);
    box.setBackColor(RGBColour(1, 2, 3));
    const bool ok = loader.LoadImageFile(path, box);
    // FreeImage reads what is there; whatever it says reaches the user as its own box.
    for (const auto& m : dialogs.messages) {
        QVERIFY(m.text.startsWith("Error: "));
        QCOMPARE(m.title, QStringLiteral("FreeImage Dll Error"));
        QCOMPARE(m.icon, MessageIcon::None);
    }
    if (!ok)
        QCOMPARE(box.size(), QSize(5, 5));

    dialogs.messages.clear();
    loader.FreeImageErrorHandler(2, QStringLiteral("Invalid header"));
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages[0].text, QStringLiteral("Error: Invalid header"));
    QCOMPARE(dialogs.messages[0].title, QStringLiteral("FreeImage Dll Error"));
    QCOMPARE(dialogs.messages[0].buttons, MessageButtons::Ok);
    QCOMPARE(dialogs.messages[0].icon, MessageIcon::None);

    // A PSD with a wrong version number: FreeImage identifies it, refuses it and says why.
    QByteArray psd = TestPictures::psd(8, 8, pattern);
    psd[5] = 9;
    QVERIFY(TestPictures::write(tempPath("version.psd"), psd));
    dialogs.messages.clear();
    QVERIFY(!loader.LoadImageFile(tempPath("version.psd"), box));
    QVERIFY(!dialogs.messages.isEmpty());
    QVERIFY(dialogs.messages[0].text.startsWith("Error: "));
    QVERIFY(dialogs.messages[0].text.size() > 7);
}

void ImageLoaderTest::unidentifiedFilesGoToQt()
{
    const QString path = tempPath("drawing.svg");
    QVERIFY(TestPictures::write(path, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"30\" height=\"20\">"
                                      "<rect width=\"30\" height=\"20\" fill=\"#ff0000\"/>"
                                      "<rect x=\"10\" width=\"10\" height=\"20\" fill=\"#0000ff\"/></svg>"));
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

void ImageLoaderTest::missingFileFailsSilently()
{
    dialogs.messages.clear();
    ImageLoader loader(dialogs);
    Surface box(3, 3);
    QVERIFY(!loader.LoadImageFile(tempPath("no such picture.bmp"), box));
    QVERIFY(dialogs.messages.isEmpty());
    QCOMPARE(box.size(), QSize(3, 3));
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
    // Refused from the header: no gigabytes decoded, nothing drawn.
    QVERIFY(clock.elapsed() < 2000);
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
    QVERIFY(clock.elapsed() < 3000);
}

void ImageLoaderTest::hangingHelperIsKilled()
{
    ImportHelper::Settings settings;
    settings.program = executableScript("hang.sh", "exec sleep 30");
    settings.timeoutMs = 400;
    QElapsedTimer clock;
    clock.start();
    const ImportHelper::Run run = ImportHelper::decode(tempPath("any.bmp"), settings);
    QCOMPARE(run.status, ImportHelper::Status::TimedOut);
    QVERIFY(clock.elapsed() < 3000);

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

    QTest::newRow("honest") << good << int(ImportHelper::Status::Finished);
    QTest::newRow("short pixel frame")
        << bytes(resultFrame(p)) + bytes(pixelsHeader(7)) + pixels.left(28) + bytes(endFrame())
        << int(ImportHelper::Status::BadAnswer);
    QTest::newRow("cut off") << good.left(good.size() - 12) << int(ImportHelper::Status::BadAnswer);
    QTest::newRow("impossible size") << bytes(resultFrame(huge)) << int(ImportHelper::Status::BadAnswer);
    QTest::newRow("unknown frame") << QByteArray("JUNK\0\0\0\0", 8) + good
                                   << int(ImportHelper::Status::BadAnswer);
    QTest::newRow("pixels before result")
        << bytes(pixelsHeader(8)) + pixels + good << int(ImportHelper::Status::BadAnswer);
    QTest::newRow("trailing data") << good + bytes(endFrame()) << int(ImportHelper::Status::BadAnswer);
    QTest::newRow("message too long")
        << QByteArray("MSG \xff\xff\0\0", 8) + good << int(ImportHelper::Status::BadAnswer);
}

void ImageLoaderTest::lyingHelperIsRefused()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, status);
    const QString answerFile = tempPath("answer.bin");
    QVERIFY(TestPictures::write(answerFile, answer));
    ImportHelper::Settings settings;
    settings.program = executableScript("liar.sh", "cat '" + answerFile.toLocal8Bit() + "'");
    const ImportHelper::Run run = ImportHelper::decode(tempPath("any.bmp"), settings);
    QCOMPARE(int(run.status), status);
    if (run.status == ImportHelper::Status::Finished) {
        QCOMPARE(run.picture.pixels.size(), std::size_t(8));
        QCOMPARE(run.picture.pixels[0], 0x40404040u);
    }
}

QTEST_MAIN(ImageLoaderTest)
#include "tst_imageloader.moc"
