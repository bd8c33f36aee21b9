#include "platform/CommandError.h"
#include "platform/CommandGuard.h"
#include "platform/GdiStatus.h"
#include "platform/Status.h"
#include "support/ScriptedDialogs.h"

#include <QtTest>
#include <new>
#include <stdexcept>

// Failures travel as Status values; CommandGuard alone turns them into the boxes.
class CommandGuardTest : public QObject {
    Q_OBJECT
private slots:
    void thrownFailureBox_data();
    void thrownFailureBox();
    void codecFailureBox_data();
    void codecFailureBox();
};

void CommandGuardTest::thrownFailureBox_data()
{
    QTest::addColumn<int>("kind"); // 0 a CommandError, 1 bad_alloc, 2 another exception
    QTest::addColumn<Status>("status");
    QTest::addColumn<QString>("text"); // empty: no box
    QTest::addColumn<QString>("title");
    QTest::newRow("number and description")
        << 0 << Status(481, "The file is damaged.") << "Error occured: The file is damaged."
        << "Error Code 481";
    QTest::newRow("details on the lines below")
        << 0 << Status(481, "The helper stopped.", "line one\nline two")
        << "Error occured: The helper stopped.\nline one\nline two"
        << "Error Code 481";
    QTest::newRow("cancelled dialog: no box")
        << 0 << Status(CommandError::Cancelled, "Cancel") << QString() << QString();
    QTest::newRow("out of memory") << 1 << Status() << "Error occured: Out of memory"
                                   << "Error Code 7";
    QTest::newRow("any other exception") << 2 << Status() << "Error occured: boom"
                                         << "Error Code 51";
}

void CommandGuardTest::thrownFailureBox()
{
    QFETCH(int, kind);
    QFETCH(Status, status);
    QFETCH(QString, text);
    QFETCH(QString, title);
    ScriptedDialogs dialogs;
    const bool ran = CommandGuard::run(dialogs, [&] {
        if (kind == 0)
            throw CommandError(status);
        if (kind == 1)
            throw std::bad_alloc();
        throw std::runtime_error("boom");
    });
    QVERIFY(!ran);
    if (text.isEmpty()) {
        QVERIFY(dialogs.messages.isEmpty());
        return;
    }
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages[0].text, text);
    QCOMPARE(dialogs.messages[0].title, title);
    QCOMPARE(dialogs.messages[0].icon, MessageIcon::Critical);
}

void CommandGuardTest::codecFailureBox_data()
{
    QTest::addColumn<Status>("status");
    QTest::addColumn<QString>("text");
    QTest::newRow("status named") << Status(GdiStatus::AccessDenied, "Permission denied")
                                  << "Not saved.\r\nPermission denied\r\n(Access Denied)";
    QTest::newRow("unknown format: the reason says it")
        << Status(GdiStatus::UnknownImageFormat, "The file is empty.") << "Not saved.\r\nThe file is empty.";
    QTest::newRow("number beyond the names")
        << Status(99, "odd") << "Not saved.\r\nodd\r\n(Unknown GDI+ Error)";
}

void CommandGuardTest::codecFailureBox()
{
    QFETCH(Status, status);
    QFETCH(QString, text);
    ScriptedDialogs dialogs;
    CommandGuard::showCodecFailure(dialogs, "Save Portrait", "Not saved.", status);
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages[0].text, text);
    QCOMPARE(dialogs.messages[0].title, QStringLiteral("Save Portrait"));
}

QTEST_MAIN(CommandGuardTest)
#include "tst_commandguard.moc"
