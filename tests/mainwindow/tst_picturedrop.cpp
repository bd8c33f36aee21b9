#include "import/ImportCommand.h"
#include "import/ImportRegion.h"
#include "import/frmImport.h"
#include "mainwindow/PictureDrop.h"
#include "mainwindow/frmMain.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"
#include "support/MainWindowFixture.h"
#include "support/TestSupport.h"

#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <sys/inotify.h>
#include <unistd.h>

using TestSupport::patternImage;
using TestSupport::pixelAt;
using TestSupport::tempPath;

// Files dropped on the main window: a portrait opens, any other picture is imported
// through the import window, and what is not one local file is refused at the door.
class PictureDropTest : public QObject, MainWindowFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void onlyOneLocalFileIsAccepted_data();
    void onlyOneLocalFileIsAccepted();
    void portraitOpens_data();
    void portraitOpens();
    void otherPictureIsImported_data();
    void otherPictureIsImported();
    void unreadableFileGoesToImportAndChangesNothing();
    void droppedFileIsReadOnce_data();
    void droppedFileIsReadOnce();

private:
    // Drags the data over the window and drops it; whether the drop was taken.
    bool drop(const QMimeData& data);
    static QMimeData* files(const QStringList& paths);
};

void PictureDropTest::init()
{
    QVERIFY(openWindow());
}

void PictureDropTest::cleanup()
{
    window.reset();
}

QMimeData* PictureDropTest::files(const QStringList& paths)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << (p.contains(u':') ? QUrl(p) : QUrl::fromLocalFile(p));
    data->setUrls(urls);
    return data;
}

bool PictureDropTest::drop(const QMimeData& data)
{
    const QPoint at(300, 200);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &dropped);
    return dropped.isAccepted() && dropped.dropAction() == Qt::CopyAction;
}

void PictureDropTest::onlyOneLocalFileIsAccepted_data()
{
    const QString a = tempPath("a.png"), b = tempPath("b.png");
    patternImage(48, 56).save(a);
    patternImage(48, 56).save(b);
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("one file") << QStringList{a} << true;
    QTest::newRow("two files") << QStringList{a, b} << false;
    QTest::newRow("a folder") << QStringList{TestSupport::tempDir()} << false;
    QTest::newRow("missing") << QStringList{tempPath("nowhere.png")} << false;
    QTest::newRow("web address") << QStringList{"https://example.com/a.png"} << false;
}

void PictureDropTest::onlyOneLocalFileIsAccepted()
{
    QFETCH(QStringList, paths);
    QFETCH(bool, accepted);
    QVERIFY(window->acceptDrops());
    std::unique_ptr<QMimeData> data(files(paths));
    const QImage before = window->document().picPreview().image().copy();
    QCOMPARE(drop(*data), accepted);
    if (!accepted) {
        QCoreApplication::processEvents();
        QCOMPARE(window->document().picPreview().image(), before);
    }
    // Plain text is not a file.
    QMimeData text;
    text.setText(paths.front());
    QVERIFY(!drop(text));
}

void PictureDropTest::portraitOpens_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("PNG") << "drop.png" << QByteArray("PNG");
    QTest::newRow("bitmap") << "drop.bmp" << QByteArray("BMP");
}

void PictureDropTest::portraitOpens()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, format);
    const QImage portrait = patternImage(48, 56);
    const QString path = tempPath(name);
    QVERIFY(portrait.save(path, format.constData()));
    std::unique_ptr<QMimeData> data(files({path}));
    QVERIFY(drop(*data));
    // The command runs once the drop has been answered.
    QTRY_COMPARE(window->stbMain()->panelText(1), path + QStringLiteral(" loaded successfully."));
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            QCOMPARE(window->document().picPreview().pixel(x, y), pixelAt(portrait, x, y));
    QVERIFY(dialogs->fileRequests.isEmpty());
    QVERIFY(dialogs->messages.isEmpty()); // no size question
    QVERIFY(!window->importCommand().window());
    window->document().history().undo();
    QVERIFY(window->document().picPreview().pixel(5, 5) != pixelAt(portrait, 5, 5));
}

void PictureDropTest::otherPictureIsImported_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("larger") << QSize(200, 150);
    QTest::newRow("one pixel wider than a portrait") << QSize(49, 56);
    QTest::newRow("smaller") << QSize(20, 30);
}

void PictureDropTest::otherPictureIsImported()
{
    QFETCH(QSize, size);
    const QImage picture = patternImage(size.width(), size.height());
    const QString path = tempPath(QStringLiteral("import-%1x%2.bmp").arg(size.width()).arg(size.height()));
    QVERIFY(picture.save(path, "BMP"));
    std::unique_ptr<QMimeData> data(files({path}));
    bool picked = false;
    QImage shown;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        frmImport* w = window->importCommand().window();
        if (!w || !w->isVisible() || picked)
            return;
        picked = true;
        QCOMPARE(w->loadedPicture().size(), size);
        shown = w->shownPicture(); // a picture smaller than the portrait shows enlarged
        w->picImage_MouseDown(1, 0, 10, 12);
        w->picImage_MouseMove(1, 0, 10, 12);
        w->picImage_MouseUp(1, 0, 10, 12);
    });
    watcher.start(20);
    QTimer::singleShot(5000, window.get(), [&] {
        if (frmImport* w = window->importCommand().window())
            w->hide(); // never hang the suite
    });
    QVERIFY(drop(*data));
    QTRY_VERIFY(picked);
    const ImportRegion r = ImportRegion::at(10, 12);
    if (shown.size() == size)
        QCOMPARE(window->stbMain()->panelText(1), r.statusText());
    QCOMPARE(window->document().picPreview().pixel(30, 30),
             pixelAt(shown, r.origin.x() + 30, r.origin.y() + 30));
    QVERIFY(dialogs->fileRequests.isEmpty());
    QVERIFY(dialogs->messages.isEmpty());
}

void PictureDropTest::unreadableFileGoesToImportAndChangesNothing()
{
    const QString path = tempPath("notes.txt");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not a picture at all\n");
    f.close();
    const QImage before = window->document().picPreview().image().copy();
    std::unique_ptr<QMimeData> data(files({path}));
    QVERIFY(drop(*data));
    QTest::qWait(100);
    QCOMPARE(window->document().picPreview().image(), before);
    QVERIFY(!window->importCommand().window() || window->importCommand().window()->isHidden());
    QCOMPARE(window->stbMain()->panelText(1), QStringLiteral("Ready."));
}

void PictureDropTest::droppedFileIsReadOnce_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("a portrait") << QSize(48, 56);
    QTest::newRow("another picture") << QSize(200, 150);
}

// Decoded once and handed on: however the file ends, it is opened once, by the editor
// for its decoder, and never again to check its size or to open it as a portrait.
void PictureDropTest::droppedFileIsReadOnce()
{
    QFETCH(QSize, size);
    const QString path = tempPath(QStringLiteral("once-%1x%2.png").arg(size.width()).arg(size.height()));
    QVERIFY(patternImage(size.width(), size.height()).save(path));
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(watch >= 0);
    const auto closeWatch = qScopeGuard([watch] { ::close(watch); });
    // Closes too: the kernel merges an event into the one before it when they are the same.
    QVERIFY(::inotify_add_watch(watch, QFile::encodeName(path).constData(), IN_OPEN | IN_CLOSE) >= 0);
    // The import window, when it comes, is closed at once: the pick ends.
    bool closed = false;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
        if (frmImport* w = window->importCommand().window(); w && w->isVisible()) {
            w->close();
            closed = true;
        }
    });
    closer.start(20);
    std::unique_ptr<QMimeData> data(files({path}));
    QVERIFY(drop(*data));
    const QString loaded = path + QStringLiteral(" loaded successfully.");
    QTRY_VERIFY(window->stbMain()->panelText(1) == loaded || closed);
    int opens = 0;
    char buffer[4096];
    for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;)
        for (char* at = buffer; at < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            opens += (event->mask & IN_OPEN) ? 1 : 0;
            at += sizeof(inotify_event) + event->len;
        }
    QCOMPARE(opens, 1);
}

QTEST_MAIN(PictureDropTest)
#include "tst_picturedrop.moc"
