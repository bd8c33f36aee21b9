#include "import/ImportCommand.h"
#include "import/TestPictures.h"
#include "import/frmImport.h"
#include "mainwindow/frmMain.h"
#include "platform/StatusBar.h"
#include "support/MainWindowFixture.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QTimer>
#include <QtTest>

using TestSupport::patternImage;

// Hostile and broken files through the editor's three file commands (Open, Import,
// Save) on the real window: whatever the file, the editor stays up, says what went
// wrong in one box, and neither the portrait nor any file on disk changes.
class BadInputTest : public QObject, MainWindowFixture {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void openLeavesPortraitAlone_data();
    void openLeavesPortraitAlone();
    void importLeavesPortraitAlone_data();
    void importLeavesPortraitAlone();
    void oddPathsOpenImportAndSave_data();
    void oddPathsOpenImportAndSave();
    void failedSaveChangesNothing_data();
    void failedSaveChangesNothing();

private:
    void corpus();
    // The path of the row's input, created as the row asks.
    QString prepare(const QString& name, const QByteArray& bytes, const QString& kind);
    void snapshot();
    void verifyUnchanged();
    // Runs Import; a window that does show is closed without a pick. True when it showed.
    bool importClosingWindow(const QString& path);

    QImage store, backBuffer;
    QString status;
    QString dir;
    int inputsTried = 0;
};

namespace {

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

// An 8-bit PCX header for a picture of w x h, without its pixel data.
QByteArray pcxHeader(int w, int h)
{
    QByteArray b;
    b.append(char(0x0A)).append(char(5)).append(char(1)).append(char(8));
    TestPictures::le32(b, 0);
    TestPictures::le16(b, quint16(w - 1));
    TestPictures::le16(b, quint16(h - 1));
    TestPictures::le32(b, 0x00480048);
    b.append(QByteArray(49, '\0'));
    b.append(char(1));
    TestPictures::le16(b, quint16((w + 1) & ~1));
    TestPictures::le16(b, 1);
    b.append(QByteArray(58, '\0'));
    return b;
}

// PNG chunks carry a CRC-32 over type and data; a forged header needs a fresh one.
void fixPngHeaderCrc(QByteArray& png)
{
    quint32 crc = 0xFFFFFFFF;
    for (int i = 12; i < 29; ++i) {
        crc ^= quint8(png[i]);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    qToBigEndian<quint32>(~crc, png.data() + 29);
}

} // namespace

void BadInputTest::initTestCase()
{
    dir = TestSupport::tempPath(QStringLiteral("bad input"));
    QDir().mkpath(dir);
}

void BadInputTest::init()
{
    QVERIFY(openWindow());
    // A portrait worth keeping.
    window->document().loadPortrait(patternImage(48, 56));
}

void BadInputTest::cleanup()
{
    window.reset();
}

void BadInputTest::cleanupTestCase()
{
    qInfo("bad inputs tried: %d", inputsTried);
}

void BadInputTest::snapshot()
{
    store = window->document().picPreview().image().copy();
    backBuffer = window->canvas().picBackBuffer().image().copy();
    status = window->stbMain()->panelText(1);
}

void BadInputTest::verifyUnchanged()
{
    QVERIFY(window->isVisible());
    QCOMPARE(window->document().picPreview().image(), store);
    QCOMPARE(window->canvas().picBackBuffer().image(), backBuffer);
    QCOMPARE(window->stbMain()->panelText(1), status);
}

// kind: "file" (bytes written), "dir" (a folder by that name), "missing" (nothing there),
// "unreadable" (a file whose read fails).
void BadInputTest::corpus()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("kind");

    const QImage picture = patternImage(48, 56);
    const QList<std::pair<const char*, QByteArray>> valid = {
        {"jpg", encoded(picture, "jpeg")},
        {"png", encoded(picture, "png")},
        {"bmp", encoded(picture, "bmp")},
        {"tif", encoded(picture, "tiff")},
        {"gif", QByteArray("GIF89a\x30\x00\x38\x00\xf0\x00\x00", 13) + QByteArray(6, '\x55') +
                    QByteArray(",\0\0\0\0\x30\0\x38\0\0\x02\x10", 12)},
        {"pcx", pcxHeader(48, 56) + QByteArray(200, '\x11')},
    };
    for (const auto& [ext, bytes] : valid) {
        QTest::addRow("zero bytes .%s", ext) << QStringLiteral("zero.%1").arg(ext) << QByteArray() << "file";
        for (int percent : {2, 30, 70})
            QTest::addRow("%s cut to %d %%", ext, percent)
                << QStringLiteral("cut%1.%2").arg(percent).arg(ext)
                << bytes.left(std::max<qsizetype>(1, bytes.size() * percent / 100)) << "file";
    }
    QTest::newRow("text named .jpg") << "text.jpg" << QByteArray("Dear diary, today I drew a face.\n")
                                     << "file";
    QTest::newRow("random bytes named .bmp")
        << "noise.bmp" << TestPictures::mutate(QByteArray(300, 'x'), 3, 200, 0) << "file";
    QTest::newRow("PNG header named .gif") << "png.gif" << encoded(picture, "png").left(40) << "file";

    QByteArray bmpHuge = encoded(picture, "bmp");
    qToLittleEndian<qint32>(100000, bmpHuge.data() + 18);
    qToLittleEndian<qint32>(100000, bmpHuge.data() + 22);
    QTest::newRow("BMP claiming 100000 x 100000") << "huge.bmp" << bmpHuge << "file";
    QByteArray pngHuge = encoded(picture, "png");
    qToBigEndian<quint32>(100000, pngHuge.data() + 16);
    qToBigEndian<quint32>(100000, pngHuge.data() + 20);
    fixPngHeaderCrc(pngHuge);
    QTest::newRow("PNG claiming 100000 x 100000") << "huge.png" << pngHuge << "file";
    QByteArray jpgHuge = encoded(picture, "jpeg");
    const qsizetype sof = jpgHuge.indexOf("\xFF\xC0");
    qToBigEndian<quint16>(50000, jpgHuge.data() + sof + 5);
    qToBigEndian<quint16>(50000, jpgHuge.data() + sof + 7);
    QTest::newRow("JPEG claiming 50000 x 50000") << "huge.jpg" << jpgHuge << "file";
    QTest::newRow("PCX claiming 65535 x 65535")
        << "huge.pcx" << pcxHeader(65535, 65535) + QByteArray(64, '\xC1') << "file";

    QTest::newRow("a folder") << "folder.jpg" << QByteArray() << "dir";
    QTest::newRow("no such file") << "gone.jpg" << QByteArray() << "missing";
    QTest::newRow("unreadable file") << "locked.jpg" << encoded(picture, "jpeg") << "unreadable";
}

QString BadInputTest::prepare(const QString& name, const QByteArray& bytes, const QString& kind)
{
    ++inputsTried;
    const QString path = dir + u'/' + name;
    QFile::remove(path);
    QDir(path).removeRecursively();
    if (kind == QLatin1String("dir")) {
        QDir().mkpath(path);
    } else if (kind == QLatin1String("unreadable")) {
        TestPictures::write(path, bytes);
        QFile::setPermissions(path, {});
    } else if (kind == QLatin1String("file")) {
        TestPictures::write(path, bytes);
    }
    return path;
}

bool BadInputTest::importClosingWindow(const QString& path)
{
    dialogs->fileAnswers.enqueue(path);
    bool shown = false;
    const auto watch = whenImportWindowShows(*window, [&](frmImport& w) {
        shown = true;
        w.close();
    });
    window->ImportBitmap();
    QCoreApplication::processEvents();
    return shown;
}

void BadInputTest::openLeavesPortraitAlone_data()
{
    corpus();
}

void BadInputTest::openLeavesPortraitAlone()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, kind);
    if (kind == QLatin1String("unreadable") && TestSupport::runningAsRoot()) {
        // Permissions do not stop root: the row runs again as a user they stop.
        QString log;
        QVERIFY2(TestSupport::passesAsUnprivilegedUser(&log), qPrintable(log));
        return;
    }
    const QString path = prepare(name, bytes, kind);
    QFile file(path);
    const QByteArray onDisk =
        kind == QLatin1String("file") && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.close();
    snapshot();
    dialogs->fileAnswers.enqueue(path);
    window->OpenPortrait();
    verifyUnchanged();
    QCOMPARE(dialogs->messages.size(), 1);
    const ScriptedDialogs::Message& m = dialogs->messages[0];
    QCOMPARE(m.title, QStringLiteral("Load Portrait"));
    QCOMPARE(m.icon, MessageIcon::Critical);
    // The box names the file and gives a reason on the lines after it.
    QVERIFY2(m.text.contains(QDir::toNativeSeparators(path)), qPrintable(m.text));
    QVERIFY2(m.text.section(QStringLiteral("\r\n"), 1).trimmed().size() > 3, qPrintable(m.text));
    if (kind == QLatin1String("file")) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), onDisk);
    }
}

void BadInputTest::importLeavesPortraitAlone_data()
{
    corpus();
}

void BadInputTest::importLeavesPortraitAlone()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, kind);
    if (kind == QLatin1String("unreadable") && TestSupport::runningAsRoot()) {
        // Permissions do not stop root: the row runs again as a user they stop.
        QString log;
        QVERIFY2(TestSupport::passesAsUnprivilegedUser(&log), qPrintable(log));
        return;
    }
    const QString path = prepare(name, bytes, kind);
    snapshot();
    const bool shown = importClosingWindow(path);
    verifyUnchanged();
    if (kind == QLatin1String("missing") || kind == QLatin1String("dir") ||
        kind == QLatin1String("unreadable")) {
        // Nothing to read: the command says nothing and opens nothing.
        QVERIFY(!shown);
        QVERIFY2(dialogs->messages.size() <= 1, qPrintable(QString::number(dialogs->messages.size())));
        return;
    }
    // A file that no reader takes is one error box; one the library identifies but that
    // neither it nor Qt decodes brings the library's own few messages; a refusal of this
    // program (too large, a crashed helper) is one error box. Whatever comes says something.
    QVERIFY2(dialogs->messages.size() <= 4, qPrintable(QString::number(dialogs->messages.size())));
    for (const ScriptedDialogs::Message& m : std::as_const(dialogs->messages)) {
        QVERIFY2(m.title == QLatin1String("FreeImage Dll Error") ||
                     m.title.startsWith(QLatin1String("Error Code ")),
                 qPrintable(m.title));
        QVERIFY2(m.text.size() > 8, qPrintable(m.text));
    }
    if (name.startsWith(QLatin1String("huge."))) {
        QVERIFY(!shown);
        QCOMPARE(dialogs->messages.size(), 1);
        QVERIFY2(dialogs->messages[0].text.contains(QLatin1String("100000")) ||
                     dialogs->messages[0].text.contains(QLatin1String("65535")) ||
                     dialogs->messages[0].text.contains(QLatin1String("50000")),
                 qPrintable(dialogs->messages[0].text));
    }
    // And the editor goes on importing.
    dialogs->messages.clear();
    const QString good = dir + QStringLiteral("/good.bmp");
    patternImage(60, 70).save(good, "BMP");
    QVERIFY(importClosingWindow(good));
    QVERIFY(dialogs->messages.isEmpty());
}

void BadInputTest::oddPathsOpenImportAndSave_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("spaces") << "my portraits/face one.jpg";
    QTest::newRow("non-ASCII") << QStringLiteral(
        "portr\u00e4ts \u00e9t\u00e9/\u753b\u50cf \u0444\u043e\u0442\u043e.jpg");
}

void BadInputTest::oddPathsOpenImportAndSave()
{
    QFETCH(QString, name);
    ++inputsTried;
    const QString path = dir + u'/' + name;
    QDir().mkpath(QFileInfo(path).path());
    QFile::remove(path);
    dialogs->fileAnswers.enqueue(path);
    window->SavePortrait();
    QVERIFY(dialogs->messages.isEmpty());
    QVERIFY(QFileInfo(path).size() > 100);
    const QImage saved = window->document().picPreview().image().copy();

    window->NewPortrait();
    dialogs->fileAnswers.enqueue(path);
    window->OpenPortrait();
    QVERIFY(dialogs->messages.isEmpty());
    QVERIFY(window->stbMain()->panelText(1).endsWith(QStringLiteral(" loaded successfully.")));
    // A JPEG round trip: close, not exact.
    const QImage opened = window->document().picPreview().image();
    int worst = 0;
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            worst = std::max(worst, std::abs(qRed(opened.pixel(x, y)) - qRed(saved.pixel(x, y))));
    QVERIFY2(worst < 96, qPrintable(QString::number(worst)));

    QVERIFY(importClosingWindow(path));
    QVERIFY(dialogs->messages.isEmpty());
}

void BadInputTest::failedSaveChangesNothing_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("existing");
    QTest::newRow("missing folder") << "no such folder/face.jpg" << false;
    QTest::newRow("target is a folder") << "a folder.jpg" << false;
    QTest::newRow("read-only folder") << "read-only/face.jpg" << false;
    QTest::newRow("read-only folder, file already there") << "read-only/old.jpg" << true;
    QTest::newRow("unknown extension, file already there") << "old.xyz" << true;
}

void BadInputTest::failedSaveChangesNothing()
{
    QFETCH(QString, target);
    QFETCH(bool, existing);
    ++inputsTried;
    const QString path = dir + u'/' + target;
    const QByteArray oldBytes("an older file that must survive");
    QDir(dir + QStringLiteral("/no such folder")).removeRecursively();
    if (target == QLatin1String("a folder.jpg"))
        QDir().mkpath(path);
    if (target.startsWith(QLatin1String("read-only/"))) {
        if (TestSupport::runningAsRoot()) {
            // Root writes through permissions: the row runs again as a user they stop.
            QString log;
            QVERIFY2(TestSupport::passesAsUnprivilegedUser(&log), qPrintable(log));
            return;
        }
        const QString ro = dir + QStringLiteral("/read-only");
        QDir().mkpath(ro);
        QFile::setPermissions(ro, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (existing)
            TestPictures::write(path, oldBytes);
        QFile::setPermissions(ro, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    } else if (existing) {
        TestPictures::write(path, oldBytes);
    }
    snapshot();
    dialogs->fileAnswers.enqueue(path);
    window->SavePortrait();
    verifyUnchanged();
    QCOMPARE(dialogs->messages.size(), 1);
    QCOMPARE(dialogs->messages[0].icon, MessageIcon::Critical);
    QVERIFY2(dialogs->messages[0].text.size() > 20, qPrintable(dialogs->messages[0].text));
    if (existing) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), oldBytes);
    } else if (target != QLatin1String("a folder.jpg")) {
        QVERIFY(!QFileInfo::exists(path));
    }
    QFile::setPermissions(dir + QStringLiteral("/read-only"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QTEST_MAIN(BadInputTest)
#include "tst_badinput.moc"
