#include "platform/QtDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QtTest>

// Qt's message box as the editor shows it: texts too long for the screen are cut down to
// fit, and the whole text is under "Show Details".
class QtDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void longTextsFitWithTheWholeTextInTheDetails_data();
    void longTextsFitWithTheWholeTextInTheDetails();
};

void QtDialogsTest::longTextsFitWithTheWholeTextInTheDetails_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("start");  // what the box still shows first
    QTest::addColumn<QString>("finish"); // and last
    const QString path = "/home/" + QString(300, 'd') + '/' + QString(200, 'f') + ".png";
    QTest::newRow("a path wider than the screen") << path + " was not loaded.\r\nThe file is damaged."
                                                  << "/home/ddd"
                                                  << "The file is damaged.";
    QStringList lines;
    for (int i = 1; i <= 300; ++i)
        lines << QStringLiteral("Error: message %1").arg(i);
    QTest::newRow("more lines than the screen holds") << lines.join('\n') << "Error: message 1\n"
                                                      << "\u2026";
    QTest::newRow("one line of many words") << QString("word ").repeated(3000) + "end"
                                            << "word word"
                                            << "\u2026";
}

void QtDialogsTest::longTextsFitWithTheWholeTextInTheDetails()
{
    QFETCH(QString, text);
    QFETCH(QString, start);
    QFETCH(QString, finish);
    QWidget owner;
    owner.show();
    QtDialogs dialogs(&owner);
    QString shown, details;
    Qt::TextFormat format = Qt::AutoText;
    QRect frame;
    QTimer::singleShot(0, &owner, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        shown = box->text();
        details = box->detailedText();
        format = box->textFormat();
        frame = box->frameGeometry();
        box->close();
    });
    dialogs.message(text, "Title", MessageButtons::Ok, MessageIcon::Critical);
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(details, QString(text).replace("\r\n", "\n")); // the details box keeps plain line breaks
    QVERIFY2(shown.startsWith(start) && shown.endsWith(finish), qPrintable(shown.left(200)));
    const QRect screen = owner.screen()->availableGeometry();
    QVERIFY2(frame.width() <= screen.width() && frame.height() <= screen.height(),
             qPrintable(QStringLiteral("%1 x %2").arg(frame.width()).arg(frame.height())));
}

QTEST_MAIN(QtDialogsTest)
#include "tst_qtdialogs.moc"
