#include "canvas/PortraitCanvas.h"
#include "document/EditingState.h"
#include "document/PortraitDocument.h"
#include "files/JpegCodec.h"
#include "files/PortraitFiles.h"
#include "files/PortraitSamples.h"
#include "files/cGdiPlus.h"
#include "import/SandboxedDecoder.h"
#include "import/TestPictures.h"
#include "platform/CommandError.h"
#include "platform/StatusBar.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <QtTest>

using namespace PortraitSamples;

namespace {

const QString SizeQuestion =
    QStringLiteral("Image is not 48x56. Continuing load will crop the image by the top-left corner.\r\n"
                   "(It is suggested you use Import Bitmap instead.)");

// Dialogs whose file dialog raises a run-time error of the given kind.
class FailingDialogs : public ScriptedDialogs {
public:
    std::function<void()> raise;
    QString openFileName(const FileDialogRequest& request) override
    {
        fileRequests << request;
        raise();
        return {};
    }
};

QString path(const QString& name)
{
    return TestSupport::tempPath(name);
}

} // namespace

class PortraitFilesTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cancelledDialogsAreSilent();
    void rejectedNamesDoNothing_data();
    void rejectedNamesDoNothing();
    void saveWritesTheStrokeAndSaysSo();
    void capitalJpgFindsJpeg();
    void qualityLevelsShrinkTheFile();
    void failedSaveTellsWhy_data();
    void failedSaveTellsWhy();
    void portraitSizedPictureOpensWithoutQuestion_data();
    void portraitSizedPictureOpensWithoutQuestion();
    void otherSizesAskFirst_data();
    void otherSizesAskFirst();
    void largePictureInsideTheBoundOpens_data();
    void largePictureInsideTheBoundOpens();
    void badFileLeavesPortraitAlone_data();
    void badFileLeavesPortraitAlone();
    void runTimeErrorsShowTheErrorBox_data();
    void runTimeErrorsShowTheErrorBox();
    void newClearsToBackgroundColour();
    void nameWithoutExtensionIsJpeg_data();
    void nameWithoutExtensionIsJpeg();
    void dialogsStartWhereThePortraitIs();

private:
    void paintPortrait(const QImage& picture);
    QImage portraitNow() const { return document->picPreview().image().copy(); }

    std::unique_ptr<PortraitDocument> document;
    std::unique_ptr<PortraitCanvas> canvas;
    EditingState state;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<StatusBar> status;
    std::unique_ptr<PortraitFiles> files;
    SandboxedDecoder decoder;
};

void PortraitFilesTest::init()
{
    canvas.reset();
    document = std::make_unique<PortraitDocument>();
    canvas = std::make_unique<PortraitCanvas>(*document);
    canvas->setGridSource([] { return false; });
    canvas->layoutSurfaces();
    canvas->DrawGrid();
    state = EditingState{};
    dialogs = std::make_unique<ScriptedDialogs>();
    status = std::make_unique<StatusBar>(
        QList<StatusBar::PanelLayout>{{420, QStringLiteral("Ready.")}, {120, QString()}, {96, QString()}});
    files = std::make_unique<PortraitFiles>(*document, state, *dialogs, *status);
    files->setDecoder(&decoder);
}

void PortraitFilesTest::paintPortrait(const QImage& picture)
{
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            document->setCell(x, y, fromQRgb(picture.pixel(x, y)));
}

void PortraitFilesTest::cancelledDialogsAreSilent()
{
    paintPortrait(detailedPortrait());
    const QImage before = portraitNow();
    files->SavePortrait();
    files->OpenPortrait();
    QCOMPARE(dialogs->fileRequests.size(), 2);
    QCOMPARE(dialogs->fileRequestWasSave, QList<bool>({true, false}));
    QCOMPARE(dialogs->fileRequests[0].title, QStringLiteral("Save Portrait"));
    QCOMPARE(dialogs->fileRequests[1].title, QStringLiteral("Load Portrait"));
    for (const FileDialogRequest& r : dialogs->fileRequests)
        QCOMPARE(r.filter, QStringLiteral("JPEG Image (*.jpg)|*.jpg"));
    QVERIFY(dialogs->messages.isEmpty());
    QCOMPARE(status->panelText(1), QStringLiteral("Ready."));
    QCOMPARE(portraitNow(), before);
    // The service of a command that ended early stays until the next command.
    QVERIFY(files->gdip() != nullptr);
}

void PortraitFilesTest::rejectedNamesDoNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("pattern") << "*.jpg";
    QTest::newRow("star inside a path") << path("a*b.jpg");
    QTest::newRow("empty") << "";
}

void PortraitFilesTest::rejectedNamesDoNothing()
{
    QFETCH(QString, name);
    const QImage before = portraitNow();
    dialogs->fileAnswers << name << name;
    files->SavePortrait();
    files->OpenPortrait();
    QVERIFY(dialogs->messages.isEmpty());
    QCOMPARE(status->panelText(1), QStringLiteral("Ready."));
    QCOMPARE(portraitNow(), before);
    if (!name.isEmpty())
        QVERIFY(!QFileInfo::exists(name));
}

void PortraitFilesTest::saveWritesTheStrokeAndSaysSo()
{
    const QString file = path("stroke.jpg");
    document->setCell(3, 4, RGBColour(255, 0, 0));
    document->setCell(4, 4, RGBColour(0, 0, 255));
    dialogs->fileAnswers << file;
    files->SavePortrait();
    QVERIFY(dialogs->messages.isEmpty());
    QCOMPARE(status->panelText(1), file + " saved successfully.");
    QCOMPARE(files->gdip(), nullptr);
    QImageReader reader(file);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage saved = reader.read();
    QCOMPARE(saved.size(), QSize(48, 56));
    QImage expected(48, 56, QImage::Format_RGB32);
    expected.fill(Qt::black);
    expected.setPixel(3, 4, qRgb(255, 0, 0));
    expected.setPixel(4, 4, qRgb(0, 0, 255));
    QVERIFY2(maxChannelError(saved, expected) <= 8,
             qPrintable(QString::number(maxChannelError(saved, expected))));
}

void PortraitFilesTest::capitalJpgFindsJpeg()
{
    const QString file = path("CAPITALS.JPG");
    dialogs->fileAnswers << file;
    files->SavePortrait();
    QCOMPARE(QImageReader(file).format(), QByteArray("jpeg"));
    QCOMPARE(status->panelText(1), file + " saved successfully.");
}

void PortraitFilesTest::qualityLevelsShrinkTheFile()
{
    const QImage portrait = detailedPortrait();
    paintPortrait(portrait);
    qint64 previousSize = std::numeric_limits<qint64>::max();
    int previousError = -1;
    for (const int quality : {100, 85, 70, 55}) {
        state.OutputQuality = quality;
        const QString file = path(QStringLiteral("quality-%1.jpg").arg(quality));
        dialogs->fileAnswers << file;
        files->SavePortrait();
        QCOMPARE(status->panelText(1), file + " saved successfully.");
        const qint64 size = QFileInfo(file).size();
        QVERIFY2(size < previousSize, qPrintable(QStringLiteral("%1 %: %2 bytes").arg(quality).arg(size)));
        previousSize = size;

        // Reopened through the command: no size question, the whole portrait replaced.
        PortraitDocument other;
        PortraitFiles reopen(other, state, *dialogs, *status);
        reopen.setDecoder(&decoder);
        dialogs->fileAnswers << file;
        reopen.OpenPortrait();
        QVERIFY(dialogs->messages.isEmpty());
        QCOMPARE(status->panelText(1), file + " loaded successfully.");
        const int error = maxChannelError(other.picPreview().image(), portrait);
        qInfo("quality %d: %lld bytes, largest channel error %d", quality, size, error);
        QVERIFY(error >= previousError);
        previousError = error;
        if (quality == 100)
            QVERIFY2(error <= 8, "full chroma at 100 % keeps single-pixel colours");
    }
    QVERIFY(previousError > 8);
}

void PortraitFilesTest::failedSaveTellsWhy_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("because");
    QTest::newRow("unknown extension") << path("portrait.xyz") << ".xyz";
    QTest::newRow("missing folder") << path("no/such/folder/portrait.jpg") << "(File Not Found)";
}

void PortraitFilesTest::failedSaveTellsWhy()
{
    QFETCH(QString, name);
    QFETCH(QString, because);
    dialogs->fileAnswers << name;
    files->SavePortrait();
    QCOMPARE(dialogs->messages.size(), 1);
    const ScriptedDialogs::Message& m = dialogs->messages[0];
    QCOMPARE(m.title, QStringLiteral("Save Portrait"));
    QCOMPARE(m.icon, MessageIcon::Critical);
    QCOMPARE(m.buttons, MessageButtons::Ok);
    QVERIFY2(m.text.contains(QStringLiteral("not saved")), qPrintable(m.text));
    QVERIFY2(m.text.contains(because), qPrintable(m.text));
    QCOMPARE(status->panelText(1), QStringLiteral("Ready."));
    QVERIFY(!QFileInfo::exists(name));
}

void PortraitFilesTest::portraitSizedPictureOpensWithoutQuestion_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("png") << "png";
    QTest::newRow("bmp") << "bmp";
    QTest::newRow("tiff") << "tiff";
    QTest::newRow("ico") << "ico";
}

void PortraitFilesTest::portraitSizedPictureOpensWithoutQuestion()
{
    QFETCH(QString, format);
    const QImage picture = detailedPortrait();
    // Named .jpg but holding another format: the content decides.
    const QString file = path("typed-" + format + ".jpg");
    QVERIFY(writeFile(file, encoded(picture, qPrintable(format))));
    dialogs->fileAnswers << file;
    files->OpenPortrait();
    QVERIFY(dialogs->messages.isEmpty());
    QCOMPARE(status->panelText(1), file + " loaded successfully.");
    QCOMPARE(maxChannelError(portraitNow(), picture), 0);
    // The back buffer and view follow the store.
    QCOMPARE(canvas->picBackBuffer().pixel(8 * 7 + 3, 8 * 9 + 5), fromQRgb(picture.pixel(7, 9)));
    QCOMPARE(canvas->picFace().pixel(8 * 47 + 7, 8 * 55 + 7), fromQRgb(picture.pixel(47, 55)));
    QCOMPARE(files->gdip(), nullptr);
}

void PortraitFilesTest::otherSizesAskFirst_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("retry");
    QTest::newRow("100 x 80, Retry") << QSize(100, 80) << true;
    QTest::newRow("100 x 80, Cancel") << QSize(100, 80) << false;
    QTest::newRow("48 x 40, Retry") << QSize(48, 40) << true;
    QTest::newRow("30 x 56, Retry") << QSize(30, 56) << true;
    QTest::newRow("48 x 57, Cancel") << QSize(48, 57) << false;
}

void PortraitFilesTest::otherSizesAskFirst()
{
    QFETCH(QSize, size);
    QFETCH(bool, retry);
    // A red background first, so uncovered pixels are told apart from black ones.
    state.BGColor = RGBColour(200, 0, 0);
    files->NewPortrait();
    document->setCell(0, 0, RGBColour(0, 255, 0));
    const QImage before = portraitNow();

    // One transparent pixel, hiding a colour of its own: it shows the background too.
    QImage picture = detailedPortrait(size.width(), size.height()).convertToFormat(QImage::Format_ARGB32);
    picture.setPixel(1, 1, qRgba(0, 250, 250, 0));
    const QString file = path(QStringLiteral("sized-%1x%2.png").arg(size.width()).arg(size.height()));
    QVERIFY(writeFile(file, encoded(picture, "png")));
    dialogs->fileAnswers << file;
    dialogs->messageAnswers << (retry ? MessageResult::Retry : MessageResult::Cancel);
    files->OpenPortrait();

    QCOMPARE(dialogs->messages.size(), 1);
    const ScriptedDialogs::Message& m = dialogs->messages[0];
    QCOMPARE(m.text, SizeQuestion);
    QCOMPARE(m.title, QStringLiteral("Non-Standard Dimensions"));
    QCOMPARE(m.buttons, MessageButtons::RetryCancel);
    QCOMPARE(m.icon, MessageIcon::Warning);
    if (!retry) {
        QCOMPARE(portraitNow(), before);
        QCOMPARE(status->panelText(1), QStringLiteral("Ready."));
        return;
    }
    QCOMPARE(status->panelText(1), file + " loaded successfully.");
    // The crop is not that file's portrait: Save asks for a name, in the file's folder.
    QCOMPARE(files->portraitFile(), QString());
    QCOMPARE(files->lastFolder(), QFileInfo(file).absolutePath());
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x) {
            const bool shown = x < size.width() && y < size.height() && qAlpha(picture.pixel(x, y)) == 255;
            const Colour expected = shown ? fromQRgb(picture.pixel(x, y)) : RGBColour(200, 0, 0);
            QCOMPARE(document->picPreview().pixel(x, y), expected);
            QCOMPARE(canvas->picBackBuffer().pixel(8 * x + 4, 8 * y + 4), expected);
        }
}

void PortraitFilesTest::largePictureInsideTheBoundOpens_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QSize>("size");
    // 144 MB decoded: beyond Qt's default allocation limit.
    QTest::newRow("PNG, 16384 x 2200") << "png" << QSize(16384, 2200);
    // A 300 MB file, mostly a hole on disk.
    QTest::newRow("BMP, 10000 x 10000") << "bmp" << QSize(10000, 10000);
}

void PortraitFilesTest::largePictureInsideTheBoundOpens()
{
    QFETCH(QString, format);
    QFETCH(QSize, size);
    const QImage portrait = detailedPortrait();
    const QString file = path("large." + format);
    if (format == "png") {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(qRgb(90, 90, 90));
        QPainter(&picture).drawImage(0, 0, portrait);
        QImageWriter writer(file, "png");
        writer.setCompression(1);
        QVERIFY(writer.write(picture));
    } else {
        // A 24-bit bitmap written as its header and its top 56 rows (the file's last).
        const qint64 stride = (size.width() * 3 + 3) / 4 * 4;
        QByteArray header = TestPictures::bmp(1, 1, 24, [](int, int) { return 0u; }).left(54);
        qToLittleEndian<quint32>(quint32(54 + stride * size.height()), header.data() + 2);
        qToLittleEndian<qint32>(size.width(), header.data() + 18);
        qToLittleEndian<qint32>(size.height(), header.data() + 22);
        qToLittleEndian<quint32>(quint32(stride * size.height()), header.data() + 34);
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(header);
        QVERIFY(out.resize(54 + stride * size.height()));
        for (int y = 0; y < 56; ++y) {
            QByteArray row;
            for (int x = 0; x < 48; ++x)
                row.append(char(qBlue(portrait.pixel(x, y))))
                    .append(char(qGreen(portrait.pixel(x, y))))
                    .append(char(qRed(portrait.pixel(x, y))));
            QVERIFY(out.seek(54 + stride * (size.height() - 1 - y)));
            out.write(row);
        }
    }
    dialogs->fileAnswers << file;
    dialogs->messageAnswers << MessageResult::Retry;
    files->OpenPortrait();
    QFile::remove(file);
    QCOMPARE(dialogs->messages.size(), 1);
    QCOMPARE(dialogs->messages[0].text, SizeQuestion);
    QCOMPARE(status->panelText(1), file + " loaded successfully.");
    QCOMPARE(maxChannelError(portraitNow(), portrait), 0);
}

void PortraitFilesTest::badFileLeavesPortraitAlone_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("because");
    QByteArray jpeg;
    QString error;
    QVERIFY(JpegCodec::encode(detailedPortrait(), 85, jpeg, error));
    for (double f : {0.5, 0.8, 0.9, 0.97})
        QTest::addRow("JPEG cut to %d %%", int(f * 100))
            << jpeg.left(qsizetype(jpeg.size() * f)) << "damaged";
    QTest::newRow("empty") << QByteArray() << "empty";
    const QString notRead = QStringLiteral("The file is not a picture in a format this program reads.");
    QTest::newRow("not a picture") << QByteArray("GIF? no.") << notRead;
    // Qt's icon reader takes these two for cursors; neither is a format Open lists.
    QTest::newRow("uncompressed TGA")
        << TestPictures::tga(48, 56, [](int x, int y) { return qRgb(x * 5, y * 4, 99); }) << notRead;
    QByteArray cursor = encoded(detailedPortrait(), "ico");
    cursor[2] = 2; // the directory's type: a cursor
    QTest::newRow("cursor") << cursor << notRead;
    QByteArray huge = encoded(detailedPortrait(), "bmp");
    huge[18] = char(0x20), huge[19] = char(0x4E), huge[22] = char(0x20),
    huge[23] = char(0x4E); // 20000 x 20000
    QTest::newRow("header claiming 20000 x 20000") << huge << "20000 x 20000";
}

void PortraitFilesTest::badFileLeavesPortraitAlone()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, because);
    paintPortrait(detailedPortrait());
    const QImage before = portraitNow();
    const QImage viewBefore = canvas->picFace().image().copy();
    const QString file = path("bad.jpg");
    QVERIFY(writeFile(file, bytes));
    dialogs->fileAnswers << file;
    files->OpenPortrait();
    QCOMPARE(portraitNow(), before);
    QCOMPARE(canvas->picFace().image(), viewBefore);
    QCOMPARE(status->panelText(1), QStringLiteral("Ready."));
    QCOMPARE(dialogs->messages.size(), 1);
    const ScriptedDialogs::Message& m = dialogs->messages[0];
    QCOMPARE(m.title, QStringLiteral("Load Portrait"));
    QCOMPARE(m.icon, MessageIcon::Critical);
    QVERIFY2(m.text.contains(QDir::toNativeSeparators(file)), qPrintable(m.text));
    QVERIFY2(m.text.contains(because), qPrintable(m.text));
}

void PortraitFilesTest::runTimeErrorsShowTheErrorBox_data()
{
    QTest::addColumn<int>("raised");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::newRow("numbered error") << 5 << "Error occured: Invalid procedure call or argument"
                                    << "Error Code 5";
    QTest::newRow("out of memory") << -1 << "Error occured: Out of memory"
                                   << "Error Code 7";
    QTest::newRow("cancel stays silent") << 32755 << ""
                                         << "";
}

void PortraitFilesTest::runTimeErrorsShowTheErrorBox()
{
    QFETCH(int, raised);
    QFETCH(QString, text);
    QFETCH(QString, title);
    FailingDialogs failing;
    failing.raise = [raised] {
        if (raised == -1)
            throw std::bad_alloc();
        throw CommandError(raised,
                           raised == 5 ? "Invalid procedure call or argument" : "Cancel was selected.");
    };
    PortraitFiles withFailures(*document, state, failing, *status);
    withFailures.setDecoder(&decoder);
    withFailures.OpenPortrait();
    QCOMPARE(failing.fileRequests.size(), 1);
    if (text.isEmpty()) {
        QVERIFY(failing.messages.isEmpty());
        return;
    }
    QCOMPARE(failing.messages.size(), 1);
    QCOMPARE(failing.messages[0].text, text);
    QCOMPARE(failing.messages[0].title, title);
    QCOMPARE(failing.messages[0].buttons, MessageButtons::Ok);
    QCOMPARE(failing.messages[0].icon, MessageIcon::Critical);
}

void PortraitFilesTest::newClearsToBackgroundColour()
{
    paintPortrait(detailedPortrait());
    status->setPanelText(1, QStringLiteral("kept"));
    state.BGColor = RGBColour(10, 20, 200);
    files->NewPortrait();
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            QCOMPARE(document->picPreview().pixel(x, y), RGBColour(10, 20, 200));
    QCOMPARE(canvas->picBackBuffer().pixel(383, 447), RGBColour(10, 20, 200));
    QCOMPARE(canvas->picFace().pixel(100, 100), RGBColour(10, 20, 200));
    // No trace of the old portrait is left in the magnified surfaces either.
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x) {
            QCOMPARE(canvas->picBackBuffer().pixel(x * 8 + 3, y * 8 + 5), RGBColour(10, 20, 200));
            QCOMPARE(canvas->picFace().pixel(x * 8 + 3, y * 8 + 5), RGBColour(10, 20, 200));
        }
    QCOMPARE(status->panelText(1), QStringLiteral("kept"));
    QCOMPARE(dialogs->fileRequests.size(), 0);
}

void PortraitFilesTest::nameWithoutExtensionIsJpeg_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("no extension") << path("typed") << path("typed.jpg");
    QTest::newRow("trailing dot") << path("dotted.") << path("dotted.jpg");
    QTest::newRow("dot in the folder") << path("a.folder/plain") << path("a.folder/plain.jpg");
}

void PortraitFilesTest::nameWithoutExtensionIsJpeg()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QVERIFY(QDir().mkpath(QFileInfo(written).absolutePath()));
    paintPortrait(detailedPortrait());
    dialogs->fileAnswers << typed;
    QVERIFY(files->SavePortrait());
    QVERIFY(dialogs->messages.isEmpty());
    QCOMPARE(status->panelText(1), written + QStringLiteral(" saved successfully."));
    QFile file(written);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray expected;
    cGdiPlus gdip;
    QVERIFY(gdip.EncodePicture(portraitNow(), written, 100, expected));
    QCOMPARE(file.readAll(), expected);
}

void PortraitFilesTest::dialogsStartWhereThePortraitIs()
{
    const QString folderA = path("opened-from");
    const QString folderB = path("saved-to");
    QVERIFY(QDir().mkpath(folderA));
    QVERIFY(QDir().mkpath(folderB));
    QVERIFY(detailedPortrait().save(folderA + "/face.png"));
    auto lastRequest = [this] { return dialogs->fileRequests.constLast(); };

    // Nothing opened or saved yet: the dialogs start where they like, with no name.
    files->SavePortrait();
    QCOMPARE(lastRequest().directory, QString());
    QCOMPARE(lastRequest().fileName, QString());

    dialogs->fileAnswers << folderA + "/face.png";
    files->OpenPortrait();
    QCOMPARE(lastRequest().directory, QString());
    files->SavePortrait();
    QCOMPARE(lastRequest().directory, folderA);
    QCOMPARE(lastRequest().fileName, QStringLiteral("face.png"));
    files->OpenPortrait();
    QCOMPARE(lastRequest().directory, folderA);

    dialogs->fileAnswers << folderB + "/kept";
    QVERIFY(files->SavePortrait());
    QCOMPARE(files->portraitFile(), folderB + "/kept.jpg");
    files->SavePortrait();
    QCOMPARE(lastRequest().directory, folderB);
    QCOMPARE(lastRequest().fileName, QStringLiteral("kept.jpg"));
    files->OpenPortrait();
    QCOMPARE(lastRequest().directory, folderB);

    // A new portrait has no name of its own; its Save starts in the same folder.
    files->NewPortrait();
    files->SavePortrait();
    QCOMPARE(lastRequest().directory, folderB);
    QCOMPARE(lastRequest().fileName, QString());
    QCOMPARE(files->lastFolder(), folderB);
}

QTEST_MAIN(PortraitFilesTest)
#include "tst_portraitfiles.moc"
