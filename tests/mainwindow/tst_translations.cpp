#include "about/frmAbout.h"
#include "files/PortraitFiles.h"
#include "import/ImportCommand.h"
#include "import/frmImport.h"
#include "mainwindow/MainToolBar.h"
#include "mainwindow/frmMain.h"
#include "platform/StatusBar.h"
#include "support/MainWindowFixture.h"
#include "support/ScriptedDialogs.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

namespace {
// Marks every text it is asked for, so a text that bypasses translation shows up.
class MarkingTranslator : public QTranslator {
public:
    QString translate(const char*, const char* source, const char* = nullptr, int = -1) const override
    {
        return QStringLiteral("<%1>").arg(QString::fromUtf8(source));
    }
    bool isEmpty() const override { return false; }
};

bool marked(const QString& text)
{
    return text.startsWith('<') && text.endsWith('>');
}
} // namespace

class TranslationsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void mainWindowTextsGoThroughTranslation();
    void aboutTextsGoThroughTranslation();
    void commandDialogsGoThroughTranslation();
    void refusalsAndImportsGoThroughTranslation_data();
    void refusalsAndImportsGoThroughTranslation();

private:
    MarkingTranslator translator;
};

void TranslationsTest::initTestCase()
{
    QCoreApplication::installTranslator(&translator);
}

void TranslationsTest::cleanupTestCase()
{
    QCoreApplication::removeTranslator(&translator);
}

void TranslationsTest::mainWindowTextsGoThroughTranslation()
{
    frmMain window(std::make_shared<ScriptedDialogs>());
    QVERIFY(marked(window.windowTitle()));
    QCOMPARE(window.stbMain()->panelText(1), QStringLiteral("<Ready.>"));
    for (QAction* action : window.tlbMain()->actions())
        if (!action->isSeparator())
            QVERIFY2(marked(action->toolTip()), qPrintable(action->toolTip()));
    for (QGroupBox* frame : window.findChildren<QGroupBox*>())
        QVERIFY2(marked(frame->title()), qPrintable(frame->title()));
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>())
        if (!button->text().isEmpty())
            QVERIFY2(marked(button->text()), qPrintable(button->text()));
    for (QLabel* label : window.findChildren<QLabel*>()) {
        const QString text = label->text();
        // Panels 2 and 3 show values, and the version label shows the version string.
        if (text.isEmpty() || text.startsWith("RGB(") || text.startsWith("(0,") || text.startsWith("Version"))
            continue;
        QVERIFY2(marked(text), qPrintable(text));
    }
    // Dispatch uses the tags, which are never translated.
    QCOMPARE(window.tlbMain()->tagOf(window.tlbMain()->button(6)), QStringLiteral("Brush"));
}

void TranslationsTest::aboutTextsGoThroughTranslation()
{
    frmAbout about("Version 1.1a");
    QVERIFY(marked(about.windowTitle()));
    const QStringList lines = about.lblText()->text().split("\r\n");
    QVERIFY(marked(lines[0]));
    QVERIFY(marked(lines[2]));
    QCOMPARE(lines[4], QStringLiteral("Version 1.1a"));
}

void TranslationsTest::commandDialogsGoThroughTranslation()
{
    auto dialogs = std::make_shared<ScriptedDialogs>();
    frmMain window(dialogs);
    window.SavePortrait(); // the scripted dialogs cancel each one
    window.OpenPortrait();
    window.ImportBitmap();
    QCOMPARE(dialogs->fileRequests.size(), 3);
    for (const FileDialogRequest& request : dialogs->fileRequests) {
        QVERIFY2(marked(request.title), qPrintable(request.title));
        // Translated whole, or (Import's list of formats) description by description.
        const QStringList parts = request.filter.split('|');
        QVERIFY2(marked(request.filter) || (marked(parts.first()) && marked(parts[parts.size() - 2])),
                 qPrintable(request.filter));
    }
    // A name no encoder writes: the failure is explained in translated words.
    dialogs->fileAnswers.enqueue(QStringLiteral("/tmp/unknown-type.xyz"));
    window.SavePortrait();
    QCOMPARE(dialogs->messages.size(), 1);
    QVERIFY(marked(dialogs->messages[0].title));
    // So is the question before unsaved changes are closed away.
    window.document().setCell(0, 0, RGBColour(255, 255, 255));
    dialogs->messageAnswers.enqueue(MessageResult::Discard);
    QVERIFY(window.close());
    QCOMPARE(dialogs->messages.size(), 2);
    QVERIFY(marked(dialogs->messages[1].text));
    QVERIFY(marked(dialogs->messages[1].title));
}

void TranslationsTest::refusalsAndImportsGoThroughTranslation_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("marked"); // parts of the text shown, each translated
    QTest::newRow("a picture too large to open")
        << "open" << QStringList{"<The picture claims 30000 x 30000 pixels", "(<Value Overflow>)"};
    QTest::newRow("an import at full size") << "import" << QStringList{"<Image imported (0, 0 to 48, 56).>"};
}

void TranslationsTest::refusalsAndImportsGoThroughTranslation()
{
    QFETCH(QString, command);
    QFETCH(QStringList, marked);
    auto dialogs = std::make_shared<ScriptedDialogs>();
    frmMain window(dialogs);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTemporaryDir dir;
    QString shown;
    if (command == "open") {
        // 70 bytes of a bitmap header that claims 30000 x 30000 pixels.
        QByteArray bomb("BM");
        for (quint32 v : {70u, 0u, 54u, 40u, 30000u, 30000u})
            bomb.append(reinterpret_cast<const char*>(&v), 4);
        bomb.append("\x01\x00\x18\x00", 4).append(QByteArray(40, '\0'));
        QFile file(dir.filePath("large.bmp"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bomb) == bomb.size());
        file.close();
        window.files().openFile(file.fileName());
        QCOMPARE(dialogs->messages.size(), 1);
        shown = dialogs->messages[0].text;
    } else {
        // A picture the size of a portrait, taken where it lies in the import window.
        QImage picture(48, 56, QImage::Format_RGB32);
        picture.fill(qRgb(10, 20, 30));
        QVERIFY(picture.save(dir.filePath("portrait.bmp")));
        const auto watch = whenImportWindowShows(window, [](frmImport& w) {
            w.picImage_MouseDown(1, 0, 23, 27);
            w.picImage_MouseUp(1, 0, 23, 27);
        });
        window.importCommand().importFile(dir.filePath("portrait.bmp"));
        shown = window.stbMain()->panelText(1);
    }
    for (const QString& part : marked)
        QVERIFY2(shown.contains(part), qPrintable(shown));
}

QTEST_MAIN(TranslationsTest)
#include "tst_translations.moc"
