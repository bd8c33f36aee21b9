#include "support/X11Session.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

// The real binary in a real X server: the window, its client size and the canvas
// as a person sees it.
class StartupE2E : public QObject {
    Q_OBJECT
private slots:
    void windowShowsCanvasUnderGrid();
    void filesThatAreNotPlainLeaveTheStartAlone_data();
    void filesThatAreNotPlainLeaveTheStartAlone();
};

void StartupE2E::windowShowsCanvasUnderGrid()
{
    X11Session session;
    QVERIFY(session.start());
    const QString id = session.waitForWindow("Pictoria");
    QVERIFY2(!id.isEmpty(), "no window titled Pictoria appeared");
    const QRect client = session.geometry(id);
    QCOMPARE(client.size(), QSize(640, 613)); // 520 grown by the "Portrait" frame

    const QImage shot = session.syncedScreenshot(id);
    QVERIFY(!shot.isNull());
    shot.save(QStringLiteral(PICTORIA_BUILD_DIR "/e2e-startup.png"));
    auto canvasPixel = [&](int x, int y) {
        return shot.pixel(client.x() + 250 + x, client.y() + 30 + y) & 0xFFFFFF;
    };
    const QRgb grid = qRgb(50, 50, 50) & 0xFFFFFF;
    QCOMPARE(canvasPixel(0, 0), grid);
    QCOMPARE(canvasPixel(8, 100), grid);
    QCOMPARE(canvasPixel(100, 8), grid);
    QCOMPARE(canvasPixel(376, 447), grid);
    QCOMPARE(canvasPixel(383, 440), grid);
    QCOMPARE(canvasPixel(3, 3), QRgb(0));
    QCOMPARE(canvasPixel(383, 447), QRgb(0));
    QCOMPARE(canvasPixel(383, 100), QRgb(0));
    QCOMPARE(canvasPixel(100, 447), QRgb(0));

    // The status bar's sunken panels stand edge to edge at x = 0..419, 420..539 and
    // 540..635: a dark line down each left edge, a light one down each right edge,
    // and the window's own background after the last.
    const int barTop = client.height() - 16;
    auto barPixel = [&](int x, int y) {
        return shot.pixel(client.x() + x, client.y() + barTop + y) & 0xFFFFFF;
    };
    const QRgb background = barPixel(638, 8);
    for (const auto& [left, right] : {std::pair{0, 419}, {420, 539}, {540, 635}}) {
        for (int y = 3; y <= 12; ++y) {
            QCOMPARE(barPixel(left, y), barPixel(left, 2));
            QCOMPARE(barPixel(right, y), barPixel(right, 2));
        }
        QVERIFY2(barPixel(left, 8) != background, qPrintable(QString::number(left)));
        QVERIFY2(barPixel(right, 8) != background, qPrintable(QString::number(right)));
        QVERIFY(qGray(barPixel(left, 8)) < qGray(barPixel(right, 8)));
    }
    QCOMPARE(barPixel(636, 8), background);
    session.stop();
}

void StartupE2E::filesThatAreNotPlainLeaveTheStartAlone_data()
{
    // What lies where the editor reads at its start, relative to its home's config and data
    // folders, and what it is.
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("kind"); // "pipe", "link to pipe" or "large"
    QTest::addColumn<bool>("settings");
    const QString ini = "config/Pictoria/Pictoria.ini";
    const QString copy = "recovery/4242-0123456789ab";
    QTest::newRow("settings file that is a pipe") << ini << "pipe" << true;
    QTest::newRow("settings file linked to a pipe") << ini << "link to pipe" << true;
    QTest::newRow("settings file of 8 MB") << ini << "large" << true;
    QTest::newRow("recovery copy that is a pipe") << copy + ".png"
                                                  << "pipe" << false;
    QTest::newRow("recovery copy linked to a pipe") << copy + ".png"
                                                    << "link to pipe" << false;
    QTest::newRow("recovery lock that is a pipe") << copy + ".lock"
                                                  << "pipe" << false;
}

void StartupE2E::filesThatAreNotPlainLeaveTheStartAlone()
{
    QFETCH(QString, path);
    QFETCH(QString, kind);
    QFETCH(bool, settings);

    QTemporaryDir home;
    // The recovery folder is in the data or the state folder, as Qt's version has it.
    QStringList places;
    if (path.startsWith("recovery/"))
        places << "data/pictoria/" + path << "state/pictoria/" + path;
    else
        places << path;
    QByteArray large;
    for (const QString& place : places) {
        const QString file = home.filePath(place);
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        if (kind == "large") {
            large = "[colours]\nforeground=#ff0000\n" + QByteArray(8 << 20, '#') + '\n';
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(large) == large.size());
        } else if (kind == "pipe") {
            QVERIFY(::mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
        } else {
            QVERIFY(::mkfifo(QFile::encodeName(home.filePath("pipe")).constData(), 0600) == 0 ||
                    errno == EEXIST);
            QVERIFY(QFile::link(home.filePath("pipe"), file));
        }
        if (place.endsWith(".lock")) { // a copy beside the lock
            QImage portrait(48, 56, QImage::Format_RGB32);
            portrait.fill(qRgb(0, 0, 255));
            QVERIFY(portrait.save(QString(file).replace(".lock", ".png")));
        }
    }

    X11Session session;
    session.process().setProcessChannelMode(QProcess::SeparateChannels);
    QVERIFY(session.start({}, {"XDG_CONFIG_HOME=" + home.filePath("config"),
                               "XDG_DATA_HOME=" + home.filePath("data"),
                               "XDG_STATE_HOME=" + home.filePath("state"),
                               settings ? "PICTORIA_NO_SETTINGS=0" : "PICTORIA_NO_SETTINGS=1"}));
    const QString id = session.waitForWindow("Pictoria");
    QVERIFY2(!id.isEmpty(), "the window never appeared");
    // Closed as a window manager closes it; a request sent while the window is still
    // settling can be lost, so it is sent again until the editor ends.
    bool ended = false;
    for (int attempt = 0; attempt < 4 && !ended; ++attempt) {
        QVERIFY(session.sendDeleteWindow(id));
        ended = session.waitForExit(3000);
    }
    QVERIFY2(ended, "the window does not close");
    QCOMPARE(session.process().exitCode(), 0);

    // What was there is left as it was.
    for (const QString& place : places) {
        const QString file = home.filePath(place);
        if (kind == "large") {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY2(f.readAll() == large, "the large settings file was changed");
        } else {
            struct stat info;
            QVERIFY(::stat(QFile::encodeName(file).constData(), &info) == 0);
            QVERIFY2(S_ISFIFO(info.st_mode), "the pipe was replaced");
        }
    }
    // Said on one line, for the settings file; nothing for the recovery folder's passers-by.
    const QString said = QString::fromLocal8Bit(session.process().readAllStandardError());
    const QStringList lines = said.split('\n', Qt::SkipEmptyParts).filter("pictoria: ");
    QVERIFY2(lines.size() == (settings ? 1 : 0) && (!settings || lines[0].contains("Pictoria.ini")),
             qPrintable(said));
}

QTEST_GUILESS_MAIN(StartupE2E)
#include "tst_e2e_startup.moc"
