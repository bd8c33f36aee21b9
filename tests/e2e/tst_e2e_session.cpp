#include "support/X11Session.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The real window closed the way a window manager closes it, with and without unsaved
// changes; a run killed right after a stroke and started again; a file named on the
// command line.
class SessionE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void closeAsksAboutUnsavedChanges_data();
    void closeAsksAboutUnsavedChanges();
    void killedRunIsRestored();
    void fileOnTheCommandLineOpensAsOpenDoes();

private:
    static QPoint cellCentre(const QRect& client, int x, int y)
    {
        return client.topLeft() + QPoint(250 + 8 * x + 4, 30 + 8 * y + 4);
    }
    static QRgb cellColour(X11Session& session, const QRect& client, int x, int y)
    {
        session.moveTo(client.x() + 620, client.y() + 10); // off the view: no popup
        return session.syncedScreenshot().pixel(cellCentre(client, x, y)) & 0xFFFFFF;
    }
    static void paintCell(X11Session& session, const QRect& client, int x, int y)
    {
        const QPoint p = cellCentre(client, x, y);
        session.click(p.x(), p.y());
    }
    // Sends the window manager's close request until the window reacts: Xvfb now and
    // then drops a client message sent right after input, and a second request while the
    // question is up is refused by Qt as blocked by it. Returns the question box (a second
    // window titled "Pictoria") or, when the window went without one, an empty string.
    static QString closeWindow(X11Session& session, const QString& mainWindow, bool* gone)
    {
        *gone = false;
        QString question;
        for (int attempt = 0; attempt < 4 && !*gone && question.isEmpty(); ++attempt) {
            if (!session.sendDeleteWindow(mainWindow))
                return {};
            X11Session::waitUntil(
                [&] {
                    const QStringList ids = session.windows(QStringLiteral("Pictoria"));
                    *gone = !ids.contains(mainWindow);
                    for (const QString& id : ids)
                        if (id.trimmed() != mainWindow)
                            question = id.trimmed();
                    return *gone || !question.isEmpty();
                },
                3000);
        }
        return *gone ? QString() : question;
    }
    static QStringList recoveryCopies(const QString& stateHome)
    {
        QStringList found;
        for (const QString& base : {stateHome + "/data", stateHome + "/state"})
            for (const QString& f : QDir(base + "/pictoria/recovery").entryList({"*.png"}, QDir::Files))
                found << f;
        return found;
    }
    static bool waitForCopies(const QString& home, int count)
    {
        return X11Session::waitUntil([&] { return recoveryCopies(home).size() == count; });
    }

    QTemporaryDir dir;
};

void SessionE2E::initTestCase()
{
    QVERIFY(dir.isValid());
}

void SessionE2E::closeAsksAboutUnsavedChanges_data()
{
    // keys: what is pressed in the question; saveAs: the name typed into the Save dialog.
    QTest::addColumn<bool>("stroke");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("saveAs");
    QTest::addColumn<bool>("closes");
    QTest::newRow("untouched") << false << QString() << QString() << true;
    QTest::newRow("Escape cancels") << true << "Escape" << QString() << false;
    QTest::newRow("Return cancels") << true << "Return" << QString() << false;
    QTest::newRow("Discard") << true << "alt+d" << QString() << true;
    QTest::newRow("Save") << true << "alt+s"
                          << "saved.jpg" << true;
    QTest::newRow("Save failing") << true << "alt+s"
                                  << "no/such/folder/saved.jpg" << false;
}

void SessionE2E::closeAsksAboutUnsavedChanges()
{
    QFETCH(bool, stroke);
    QFETCH(QString, keys);
    QFETCH(QString, saveAs);
    QFETCH(bool, closes);

    QTemporaryDir home;
    const QStringList env{"XDG_DATA_HOME=" + home.path() + "/data",
                          "XDG_STATE_HOME=" + home.path() + "/state"};
    X11Session session;
    QString id;
    QRect client;
    QVERIFY(session.startEditor(&id, &client, env));
    if (stroke) {
        paintCell(session, client, 5, 5);
        QVERIFY(waitForCopies(home.path(), 1));
    }

    bool gone = false;
    const QString question = closeWindow(session, id, &gone);
    if (!stroke) {
        QVERIFY2(gone, "an untouched portrait closes at once");
        QVERIFY(session.waitForExit());
        QCOMPARE(session.process().exitCode(), 0);
        return;
    }
    QVERIFY2(!question.isEmpty(), "closing with a stroke asks first");
    session.focus(question);
    session.sync(question);
    session.key(keys);
    if (!saveAs.isEmpty()) {
        QVERIFY(session.answerFileDialog("Save Portrait", dir.filePath(saveAs)));
        if (!closes) {
            const QString error = session.waitForWindow("Save Portrait");
            QVERIFY2(!error.isEmpty(), "a failed save says so");
            session.focus(error);
            session.key("Return");
            QVERIFY(session.waitForWindowGone(error));
        }
    }
    if (closes) {
        QVERIFY(session.waitForWindowGone(id));
        QVERIFY(session.waitForExit());
        QCOMPARE(session.process().exitStatus(), QProcess::NormalExit);
        QVERIFY2(recoveryCopies(home.path()).isEmpty(), "a normal close leaves no recovery copy");
    } else {
        QVERIFY(session.waitForWindowGone(question));
        // The main window still answers once the question is handled: it stays open.
        QVERIFY2(session.sync() && session.isRunning(), "the window stays open");
        QCOMPARE(cellColour(session, client, 5, 5), qRgb(255, 255, 255) & 0xFFFFFF);
        QCOMPARE(recoveryCopies(home.path()).size(), 1);
    }
    if (!saveAs.isEmpty())
        QCOMPARE(QFile::exists(dir.filePath(saveAs)), closes);
}

void SessionE2E::killedRunIsRestored()
{
    QTemporaryDir home;
    const QStringList env{"XDG_DATA_HOME=" + home.path() + "/data",
                          "XDG_STATE_HOME=" + home.path() + "/state"};
    QString id;
    QRect client;
    {
        X11Session first;
        QVERIFY(first.startEditor(&id, &client, env));
        paintCell(first, client, 7, 9);
        QVERIFY(waitForCopies(home.path(), 1));
        first.process().kill(); // SIGKILL: no chance to clean up
        QVERIFY(first.waitForExit(5000));
    }

    X11Session second;
    QVERIFY(second.start({}, env));
    const QString offer = second.waitForWindow("Restore Portrait");
    QVERIFY2(!offer.isEmpty(), "the next start offers the killed run's portrait");
    id = second.waitForWindow("Pictoria");
    QVERIFY(!id.isEmpty());
    second.setWindow(id);
    client = second.geometry(id);
    second.focus(offer);
    second.sync(offer);
    second.key("Return"); // Restore is the default
    QVERIFY(second.waitForWindowGone(offer));
    QCOMPARE(cellColour(second, client, 7, 9), qRgb(255, 255, 255) & 0xFFFFFF);
    QVERIFY(waitForCopies(home.path(), 1)); // the dead run's copy went, this run's is there

    // A third editor started meanwhile finds nothing to offer: the second is alive.
    {
        X11Session third;
        QVERIFY(third.start({}, env));
        const QString thirdWindow = third.waitForWindow("Pictoria");
        QVERIFY(!thirdWindow.isEmpty());
        // The offer would come up as the start's first event; once the window has handled
        // its first events, it is there or it never comes.
        QVERIFY(third.sync(thirdWindow));
        QVERIFY(third.waitForWindow("Restore Portrait", 0).isEmpty());
        third.stop();
    }

    // The restored portrait is unsaved work, and its restoring one undo step.
    second.focus(id);
    bool gone = false;
    const QString question = closeWindow(second, id, &gone);
    QVERIFY2(!question.isEmpty(), "a restored portrait counts as modified");
    second.focus(question);
    second.key("Escape");
    QVERIFY(second.waitForWindowGone(question));
    second.focus(id);
    second.key("ctrl+z");
    QCOMPARE(cellColour(second, client, 7, 9), QRgb(0));
    QVERIFY(closeWindow(second, id, &gone).isEmpty());
    QVERIFY2(gone, "undoing the restore leaves nothing unsaved");
    QVERIFY(second.waitForExit());
}

void SessionE2E::fileOnTheCommandLineOpensAsOpenDoes()
{
    QImage picture(100, 80, QImage::Format_RGB32);
    picture.fill(qRgb(0, 0, 255));
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    const QString file = dir.filePath("wide.png");
    QVERIFY(picture.save(file));

    X11Session session;
    QVERIFY(session.start({file}));
    const QString question = session.waitForWindow("Non-Standard Dimensions");
    QVERIFY2(!question.isEmpty(), "a picture of another size asks, as Open does");
    const QString id = session.waitForWindow("Pictoria");
    QVERIFY(!id.isEmpty());
    session.setWindow(id);
    const QRect client = session.geometry(id);
    session.focus(question);
    session.key("Return"); // Retry: crop to the top-left corner
    QVERIFY(session.waitForWindowGone(question));
    QCOMPARE(cellColour(session, client, 0, 0), qRgb(255, 0, 0) & 0xFFFFFF);
    QCOMPARE(cellColour(session, client, 47, 55), qRgb(0, 0, 255) & 0xFFFFFF);
    session.stop();

    // --import takes the same picture to the import window instead.
    X11Session importing;
    QVERIFY(importing.start({"--import", file}));
    const QString picker = importing.waitForWindow("Import Picture");
    QVERIFY2(!picker.isEmpty(), "--import opens the import window");
    QVERIFY(importing.sync(picker));
    QVERIFY(importing.waitForWindow("Non-Standard Dimensions", 0).isEmpty());
    importing.stop();
}

QTEST_GUILESS_MAIN(SessionE2E)
#include "tst_e2e_session.moc"
