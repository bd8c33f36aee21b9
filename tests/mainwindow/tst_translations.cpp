#include "about/frmAbout.h"
#include "mainwindow/MainToolBar.h"
#include "mainwindow/frmMain.h"
#include "platform/StatusBar.h"
#include "support/ScriptedDialogs.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
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

QTEST_MAIN(TranslationsTest)
#include "tst_translations.moc"
