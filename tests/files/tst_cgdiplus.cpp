#include "files/JpegCodec.h"
#include "files/PortraitSamples.h"
#include "files/cGdiPlus.h"
#include "import/SandboxedDecoder.h"
#include "platform/CommandError.h"
#include "platform/Surface.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImageReader>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace PortraitSamples;

namespace {

QByteArray withSofSize(QByteArray jpeg, int width, int height)
{
    for (qsizetype i = 0; i + 8 < jpeg.size(); ++i)
        if (uchar(jpeg[i]) == 0xFF && (uchar(jpeg[i + 1]) == 0xC0 || uchar(jpeg[i + 1]) == 0xC2)) {
            jpeg[i + 5] = char(height >> 8);
            jpeg[i + 6] = char(height & 255);
            jpeg[i + 7] = char(width >> 8);
            jpeg[i + 8] = char(width & 255);
            return jpeg;
        }
    return {};
}

quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : data) {
        crc ^= uchar(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray withPngSize(QByteArray png, quint32 width, quint32 height)
{
    for (int k = 0; k < 4; ++k) {
        png[16 + k] = char(width >> (24 - 8 * k));
        png[20 + k] = char(height >> (24 - 8 * k));
    }
    const quint32 crc = crc32(png.mid(12, 17));
    for (int k = 0; k < 4; ++k)
        png[29 + k] = char(crc >> (24 - 8 * k));
    return png;
}

QByteArray withBmpSize(QByteArray bmp, qint32 width, qint32 height)
{
    for (int k = 0; k < 4; ++k) {
        bmp[18 + k] = char(quint32(width) >> (8 * k));
        bmp[22 + k] = char(quint32(height) >> (8 * k));
    }
    return bmp;
}

QByteArray cut(const QByteArray& bytes, double fraction)
{
    return bytes.left(qsizetype(bytes.size() * fraction));
}

QByteArray gif()
{
    QByteArray out;
    QString error;
    cGdiPlus gdip;
    const QString path = TestSupport::tempPath(QStringLiteral("sample.gif"));
    Surface s(48, 56);
    s.copyFrom(detailedPortrait(), 0, 0, 48, 56);
    gdip.PictureBoxToFile(s, path, 100);
    return readFile(path);
}

QByteArray portraitJpeg()
{
    QByteArray out;
    QString error;
    JpegCodec::encode(detailedPortrait(), 85, out, error);
    return out;
}

std::unique_ptr<Surface> surfaceWith(const QImage& image)
{
    auto s = std::make_unique<Surface>(image.width(), image.height());
    s->copyFrom(image, 0, 0, image.width(), image.height());
    return s;
}

// An encoder that only records what it was given.
struct RecordingEncoder {
    QList<EncoderParameters> calls;
    ImageCodecInfo info(const QString& extensions)
    {
        return ImageCodecInfo{QUuid::createUuid(), QStringLiteral("TEST"), extensions,
                              QStringLiteral("image/x-test"),
                              [this](const QImage&, const EncoderParameters& p, QByteArray& out, QString&) {
                                  calls << p;
                                  out = "test";
                                  return int(cGdiPlus::Ok);
                              }};
    }
};

} // namespace

class GdiPlusTest : public QObject {
    Q_OBJECT
private slots:
    void getExtension_data();
    void getExtension();
    void platformEncodersInTheirOrder();
    void indexIgnoresLetterCase_data();
    void indexIgnoresLetterCase();
    void indexKeepsInnerPiecesUntrimmed();
    void duplicateExtensionAbortsConstruction_data();
    void duplicateExtensionAbortsConstruction();
    void qualityOnlyForExtensionsStartingWithJ_data();
    void qualityOnlyForExtensionsStartingWithJ();
    void unlistedExtensionWritesNothingSilently_data();
    void unlistedExtensionWritesNothingSilently();
    void errorStrings_data();
    void errorStrings();
    void everyEncoderWritesItsFormat_data();
    void everyEncoderWritesItsFormat();
    void gifKeepsFewColoursExactly();
    void missingFileIsFileNotFound();
    void badInputGivesNoPicture_data();
    void badInputGivesNoPicture();
    void unreadableFileIsAccessDenied();
    void specialFilesAreRefused();
    void transparentPixelsShowTheBackground();
    void saveIntoMissingFolderFails();
    void fullDiskLeavesOldFileIntact();

private:
    // Open's decoder as the editor has it: the sandboxed helper.
    SandboxedDecoder decoder;
};

void GdiPlusTest::getExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("extension");
    QTest::newRow("plain") << "/tmp/face.jpg"
                           << "jpg";
    QTest::newRow("capitals kept") << "/tmp/FACE.JPG"
                                   << "JPG";
    QTest::newRow("last dot wins") << "/tmp/face.old.jpeg"
                                   << "jpeg";
    QTest::newRow("dot only in a folder, backslashes") << "C:\\faces.old\\face"
                                                       << "";
    QTest::newRow("dot only in a folder, slashes") << "/home/me/faces.old/face"
                                                   << "";
    QTest::newRow("dotted folder, then extension") << "C:\\faces.old\\face.bmp"
                                                   << "bmp";
    QTest::newRow("trailing dot") << "/tmp/face."
                                  << "";
    QTest::newRow("no dot") << "/tmp/face"
                            << "";
    QTest::newRow("bare name") << "face.png"
                               << "png";
    QTest::newRow("hidden-file style") << "/tmp/.jpg"
                                       << "jpg";
}

void GdiPlusTest::getExtension()
{
    QFETCH(QString, name);
    QFETCH(QString, extension);
    QCOMPARE(cGdiPlus::GetExtension(name), extension);
}

void GdiPlusTest::platformEncodersInTheirOrder()
{
    cGdiPlus gdip;
    QVERIFY(gdip.GdipToken() != 0);
    QStringList formats, patterns;
    for (const ImageCodecInfo& e : gdip.encoders()) {
        formats << e.FormatDescription;
        patterns << e.FilenameExtension;
    }
    QCOMPARE(formats, QStringList({"BMP", "JPEG", "GIF", "TIFF", "PNG"}));
    QCOMPARE(patterns, QStringList({"*.BMP;*.DIB;*.RLE", "*.JPG;*.JPEG;*.JPE;*.JFIF", "*.GIF", "*.TIF;*.TIFF",
                                    "*.PNG"}));
    QCOMPARE(gdip.EncoderClsids().size(), 5);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(gdip.EncoderClsids()[i], gdip.encoders()[i].Clsid);
}

void GdiPlusTest::indexIgnoresLetterCase_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("index");
    QTest::newRow("*.jpg") << "*.jpg" << 1;
    QTest::newRow("*.JPG") << "*.JPG" << 1;
    QTest::newRow("*.Jpeg") << "*.Jpeg" << 1;
    QTest::newRow("*.jfif") << "*.jfif" << 1;
    QTest::newRow("*.rle") << "*.rle" << 0;
    QTest::newRow("*.Gif") << "*.Gif" << 2;
    QTest::newRow("*.tiff") << "*.tiff" << 3;
    QTest::newRow("*.png") << "*.png" << 4;
    QTest::newRow("no pattern prefix") << "jpg" << -1;
    QTest::newRow("empty extension") << "*." << -1;
    QTest::newRow("unknown") << "*.webp" << -1;
    QTest::newRow("two patterns as one") << "*.JPG;*.JPEG" << -1;
}

void GdiPlusTest::indexIgnoresLetterCase()
{
    QFETCH(QString, key);
    QFETCH(int, index);
    cGdiPlus gdip;
    QCOMPARE(gdip.FindEncoder(key), index);
}

void GdiPlusTest::indexKeepsInnerPiecesUntrimmed()
{
    cGdiPlus gdip(QList<ImageCodecInfo>{});
    gdip.IndexExtensions(QStringLiteral("*.A; *.B ;  *.C  "), QStringLiteral(";"), 3);
    QCOMPARE(gdip.FindEncoder("*.a"), 3);
    QCOMPARE(gdip.FindEncoder(" *.b "), 3);
    QCOMPARE(gdip.FindEncoder("*.b"), -1);
    QCOMPARE(gdip.FindEncoder("*.c"), 3);
    QCOMPARE(gdip.indexedExtensions().size(), 3);
}

void GdiPlusTest::duplicateExtensionAbortsConstruction_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("same key") << "*.X;*.Y"
                              << "*.Z;*.X";
    QTest::newRow("same key, other case") << "*.X"
                                          << "*.x";
}

void GdiPlusTest::duplicateExtensionAbortsConstruction()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    RecordingEncoder a, b;
    try {
        cGdiPlus gdip({a.info(first), b.info(second)});
        QFAIL("construction went through");
    } catch (const CommandError& e) {
        QCOMPARE(e.number(), 457);
    }
}

void GdiPlusTest::qualityOnlyForExtensionsStartingWithJ_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("quality");
    QTest::newRow("jxx") << "/tmp/a.jxx" << true;
    QTest::newRow("JXX") << "/tmp/a.JXX" << true;
    QTest::newRow("Jxx") << "/tmp/a.Jxx" << true;
    QTest::newRow("kxx") << "/tmp/a.kxx" << false;
    QTest::newRow("xjx") << "/tmp/a.xjx" << false;
}

void GdiPlusTest::qualityOnlyForExtensionsStartingWithJ()
{
    QFETCH(QString, name);
    QFETCH(bool, quality);
    RecordingEncoder one;
    cGdiPlus gdip({one.info(QStringLiteral("*.JXX;*.KXX;*.XJX"))});
    const QString path = TestSupport::tempPath(QFileInfo(name).fileName());
    const std::int32_t lQuality = 70;
    QVERIFY(gdip.PictureBoxToFile(*surfaceWith(detailedPortrait()), path, lQuality));
    QCOMPARE(one.calls.size(), 1);
    if (!quality) {
        QVERIFY(one.calls[0].isEmpty());
        return;
    }
    QCOMPARE(one.calls[0].size(), 1);
    const EncoderParameter& p = one.calls[0][0];
    QCOMPARE(p.Guid, QUuid::fromString(QStringLiteral("{1D5BE4B5-FA4A-452D-9CDD-5DB35105E7EB}")));
    QCOMPARE(p.NumberOfValues, 1u);
    QCOMPARE(p.Type, 4u);
    QCOMPARE(p.Value, 70u);
}

void GdiPlusTest::unlistedExtensionWritesNothingSilently_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("no extension") << "face";
    QTest::newRow("trailing dot") << "face.";
    QTest::newRow("unknown extension") << "face.xyz";
    QTest::newRow("dotted folder") << "faces.old/face";
}

void GdiPlusTest::unlistedExtensionWritesNothingSilently()
{
    QFETCH(QString, file);
    QDir(TestSupport::tempDir()).mkpath("faces.old");
    const QString path = TestSupport::tempPath(file);
    QFile::remove(path);
    cGdiPlus gdip;
    QSignalSpy errors(&gdip, &cGdiPlus::Error);
    QVERIFY(!gdip.PictureBoxToFile(*surfaceWith(detailedPortrait()), path, 100));
    QCOMPARE(errors.count(), 0);
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(!gdip.lastErrorDetail().isEmpty());
}

void GdiPlusTest::errorStrings_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "Unknown GDI+ Error";
    QTest::newRow("-1") << -1 << "Unknown GDI+ Error";
    QTest::newRow("1") << 1 << "Generic Error";
    QTest::newRow("2") << 2 << "Invalid Parameter";
    QTest::newRow("7") << 7 << "Win32 Error";
    QTest::newRow("10") << 10 << "File Not Found";
    QTest::newRow("11") << 11 << "Value Overflow";
    QTest::newRow("12") << 12 << "Access Denied";
    QTest::newRow("13") << 13 << "Unknown Image Format";
    QTest::newRow("14") << 14 << "FontFamily Not Found";
    QTest::newRow("17") << 17 << "Unsupported Gdiplus Version";
    QTest::newRow("18") << 18 << "Gdiplus Not Initialized";
    QTest::newRow("20") << 20 << "Property Not Supported";
    QTest::newRow("21") << 21 << "Unknown GDI+ Error";
}

void GdiPlusTest::errorStrings()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(cGdiPlus::GdiErrorString(code), text);
}

void GdiPlusTest::everyEncoderWritesItsFormat_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("magick"); // the format ImageMagick names
    QTest::addColumn<int>("tolerance");
    QTest::newRow("bmp") << "bmp"
                         << "BMP" << 0;
    QTest::newRow("dib") << "dib"
                         << "BMP" << 0;
    QTest::newRow("rle") << "RLE"
                         << "BMP" << 0;
    QTest::newRow("jpg") << "jpg"
                         << "JPEG" << 8;
    QTest::newRow("jpeg") << "jpeg"
                          << "JPEG" << 8;
    QTest::newRow("jpe") << "jpe"
                         << "JPEG" << 8;
    QTest::newRow("jfif") << "jfif"
                          << "JPEG" << 8;
    QTest::newRow("gif") << "gif"
                         << "GIF" << 12; // more than 256 colours: quantized
    QTest::newRow("tif") << "tif"
                         << "TIFF" << 0;
    QTest::newRow("tiff") << "TIFF"
                          << "TIFF" << 0;
    QTest::newRow("png") << "png"
                         << "PNG" << 0;
}

void GdiPlusTest::everyEncoderWritesItsFormat()
{
    QFETCH(QString, extension);
    QFETCH(QString, magick);
    QFETCH(int, tolerance);
    const QImage portrait = detailedPortrait();
    const QString path = TestSupport::tempPath(QStringLiteral("written.") + extension);
    cGdiPlus gdip;
    gdip.setDecoder(&decoder);
    QVERIFY(gdip.PictureBoxToFile(*surfaceWith(portrait), path, 100));

    // ImageMagick, not our own decoder, says what the file is.
    if (QStandardPaths::findExecutable("identify").isEmpty())
        QSKIP("ImageMagick's identify is not installed");
    QProcess identify;
    identify.start("identify", {"-format", "%m %w %h", path});
    QVERIFY(identify.waitForFinished(20000));
    QCOMPARE(identify.exitCode(), 0);
    // ImageMagick names plain bitmaps BMP3.
    const QStringList said = QString::fromLatin1(identify.readAllStandardOutput()).trimmed().split(' ');
    QCOMPARE(said.size(), 3);
    QVERIFY2(said[0].startsWith(magick), qPrintable(said[0]));
    QCOMPARE(said.mid(1), QStringList({"48", "56"}));

    const QImage back = gdip.FilenameToIPicture(path);
    QCOMPARE(back.size(), QSize(48, 56));
    QVERIFY2(maxChannelError(back, portrait) <= tolerance,
             qPrintable(QString::number(maxChannelError(back, portrait))));
}

void GdiPlusTest::gifKeepsFewColoursExactly()
{
    QImage picture(48, 56, QImage::Format_RGB32);
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            picture.setPixel(x, y, qRgb((x % 16) * 17, (y % 16) * 13, (x + y) % 2 ? 200 : 40));
    QSet<QRgb> colours;
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            colours.insert(picture.pixel(x, y));
    QVERIFY(colours.size() <= 256);
    const QString path = TestSupport::tempPath(QStringLiteral("few.gif"));
    cGdiPlus gdip;
    gdip.setDecoder(&decoder);
    QVERIFY(gdip.PictureBoxToFile(*surfaceWith(picture), path, 100));
    QCOMPARE(maxChannelError(gdip.FilenameToIPicture(path), picture), 0);
}

void GdiPlusTest::missingFileIsFileNotFound()
{
    cGdiPlus gdip;
    gdip.setDecoder(&decoder);
    QSignalSpy errors(&gdip, &cGdiPlus::Error);
    QVERIFY(gdip.FilenameToIPicture(TestSupport::tempPath("there-is-no-such.jpg")).isNull());
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors[0][0].toInt(), 10);
    QCOMPARE(errors[0][1].toString(), QStringLiteral("File Not Found"));
}

void GdiPlusTest::badInputGivesNoPicture_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    const QByteArray jpeg = portraitJpeg();
    const QByteArray png = encoded(detailedPortrait(), "png");
    const QByteArray bmp = encoded(detailedPortrait(), "bmp");
    const QByteArray tiff = encoded(detailedPortrait(), "tiff");
    QTest::newRow("empty") << QByteArray() << 13;
    QTest::newRow("text") << QByteArray("this is not a picture at all\n") << 13;
    QTest::newRow("only the JPEG start marker") << jpeg.left(3) << 1;
    for (double f : {0.1, 0.3, 0.5, 0.8, 0.85, 0.9, 0.95, 0.97})
        QTest::addRow("JPEG cut to %d %%", int(f * 100)) << cut(jpeg, f) << 1;
    QTest::newRow("JPEG without its end marker") << jpeg.left(jpeg.size() - 2) << 1;
    QTest::newRow("JPEG with zero width") << withSofSize(jpeg, 0, 56) << 1;
    QTest::newRow("JPEG claiming 20000 x 20000") << withSofSize(jpeg, 20000, 20000) << 11;
    QTest::newRow("JPEG claiming 16385 x 8") << withSofSize(jpeg, 16385, 8) << 11;
    QTest::newRow("JPEG claiming 12000 x 12000") << withSofSize(jpeg, 12000, 12000) << 11;
    QTest::newRow("PNG cut to 50 %") << cut(png, 0.5) << 1;
    QTest::newRow("PNG cut to 95 %") << cut(png, 0.95) << 1;
    QTest::newRow("PNG claiming 20000 x 20000") << withPngSize(png, 20000, 20000) << 11;
    QTest::newRow("PNG claiming 2 billion wide") << withPngSize(png, 0x7FFFFFFF, 1) << 1; // libpng refuses it
    QTest::newRow("GIF cut to 50 %") << cut(gif(), 0.5) << 1;
    QTest::newRow("GIF cut to 90 %") << cut(gif(), 0.9) << 1;
    QTest::newRow("BMP cut to 60 %") << cut(bmp, 0.6) << 1;
    QTest::newRow("BMP cut to 99 %") << cut(bmp, 0.99) << 1;
    QTest::newRow("BMP claiming 20000 x 20000") << withBmpSize(bmp, 20000, 20000) << 11;
    QTest::newRow("TIFF cut to 50 %") << cut(tiff, 0.5) << 1;
}

void GdiPlusTest::badInputGivesNoPicture()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    const QString path = TestSupport::tempPath(QStringLiteral("bad.jpg"));
    QVERIFY(writeFile(path, bytes));
    cGdiPlus gdip;
    gdip.setDecoder(&decoder);
    QSignalSpy errors(&gdip, &cGdiPlus::Error);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(gdip.FilenameToIPicture(path).isNull());
    // Refused from the header: pixels that are not there are not waited for.
    QVERIFY2(clock.elapsed() < TestSupport::HangDeadlineMs, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors[0][0].toInt(), status);
    QCOMPARE(errors[0][1].toString(), cGdiPlus::GdiErrorString(status));
    QCOMPARE(gdip.lastStatus(), status);
    if (status == 1)
        QVERIFY2(gdip.lastErrorDetail().contains("damaged"), qPrintable(gdip.lastErrorDetail()));
}

void GdiPlusTest::unreadableFileIsAccessDenied()
{
    if (TestSupport::runningAsRoot()) {
        // Root reads every file: the test runs again as a user permissions stop.
        QString log;
        QVERIFY2(TestSupport::passesAsUnprivilegedUser(&log), qPrintable(log));
        return;
    }
    const QString path = TestSupport::tempPath(QStringLiteral("locked.jpg"));
    QVERIFY(writeFile(path, portraitJpeg()));
    QFile::setPermissions(path, QFileDevice::Permissions());
    auto restore =
        qScopeGuard([&] { QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner); });
    cGdiPlus gdip;
    gdip.setDecoder(&decoder);
    QSignalSpy errors(&gdip, &cGdiPlus::Error);
    QVERIFY(gdip.FilenameToIPicture(path).isNull());
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors[0][0].toInt(), 12);
}

void GdiPlusTest::specialFilesAreRefused()
{
    const QString fifo = TestSupport::tempPath(QStringLiteral("pipe.jpg"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    cGdiPlus gdip;
    gdip.setDecoder(&decoder);
    QSignalSpy errors(&gdip, &cGdiPlus::Error);
    // Would block forever if it were opened for reading.
    QVERIFY(gdip.FilenameToIPicture(fifo).isNull());
    QVERIFY(gdip.FilenameToIPicture(TestSupport::tempDir()).isNull());
    QCOMPARE(errors.count(), 2);
    QCOMPARE(errors[0][0].toInt(), 13);
    QCOMPARE(errors[1][0].toInt(), 10);
}

void GdiPlusTest::transparentPixelsShowTheBackground()
{
    QImage picture(48, 56, QImage::Format_ARGB32);
    picture.fill(qRgba(200, 100, 50, 255));
    picture.setPixel(3, 4, qRgba(255, 255, 255, 0));
    picture.setPixel(5, 6, qRgba(200, 100, 50, 0));
    const QString path = TestSupport::tempPath(QStringLiteral("alpha.png"));
    QVERIFY(writeFile(path, encoded(picture, "png")));
    cGdiPlus gdip;
    gdip.setDecoder(&decoder);
    // Black unless told otherwise, as the picture object's background is.
    const QImage back = gdip.FilenameToIPicture(path);
    QCOMPARE(back.size(), QSize(48, 56));
    QCOMPARE(back.pixel(3, 4), qRgb(0, 0, 0));
    QCOMPARE(back.pixel(5, 6), qRgb(0, 0, 0));
    QCOMPARE(back.pixel(0, 0), qRgb(200, 100, 50));
    const QImage over = gdip.FilenameToIPicture(path, qRgb(10, 220, 30));
    QCOMPARE(over.pixel(3, 4), qRgb(10, 220, 30));
    QCOMPARE(over.pixel(5, 6), qRgb(10, 220, 30));
    QCOMPARE(over.pixel(0, 0), qRgb(200, 100, 50));
}

void GdiPlusTest::saveIntoMissingFolderFails()
{
    cGdiPlus gdip;
    QSignalSpy errors(&gdip, &cGdiPlus::Error);
    QVERIFY(!gdip.PictureBoxToFile(*surfaceWith(detailedPortrait()),
                                   TestSupport::tempPath("no/such/folder/f.jpg"), 100));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors[0][0].toInt(), 10);
    QVERIFY(!gdip.lastErrorDetail().isEmpty());
}

void GdiPlusTest::fullDiskLeavesOldFileIntact()
{
    if (::geteuid() != 0)
        QSKIP("mounting a small file system needs root");
    const QString mountPoint = TestSupport::tempPath(QStringLiteral("tiny-disk"));
    QVERIFY(QDir().mkpath(mountPoint));
    if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("cannot mount a tmpfs here");
    auto unmount = qScopeGuard([&] { ::umount2(QFile::encodeName(mountPoint).constData(), MNT_DETACH); });

    const QString target = mountPoint + QStringLiteral("/portrait.jpg");
    cGdiPlus gdip;
    QImage first(48, 56, QImage::Format_RGB32);
    first.fill(qRgb(10, 20, 30));
    QVERIFY(gdip.PictureBoxToFile(*surfaceWith(first), target, 100));
    const QByteArray before = readFile(target);
    QVERIFY(!before.isEmpty());

    // Fill what is left of the disk.
    {
        QFile filler(mountPoint + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(1024, 'x');
        while (filler.write(block) == block.size()) {
        }
    }

    QSignalSpy errors(&gdip, &cGdiPlus::Error);
    QVERIFY(!gdip.PictureBoxToFile(*surfaceWith(detailedPortrait()), target, 100));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors[0][0].toInt(), 7);
    QVERIFY2(!gdip.lastErrorDetail().isEmpty(), "the failure says nothing");
    QCOMPARE(readFile(target), before);
    // No temporary file is left behind.
    QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden), QStringList({"filler", "portrait.jpg"}));
}

QTEST_GUILESS_MAIN(GdiPlusTest)
#include "tst_cgdiplus.moc"
