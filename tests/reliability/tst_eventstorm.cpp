#include "about/frmAbout.h"
#include "import/ImportCommand.h"
#include "import/TestPictures.h"
#include "import/frmImport.h"
#include "mainwindow/ControlPanel.h"
#include "mainwindow/MainToolBar.h"
#include "mainwindow/ReduceColoursDialog.h"
#include "mainwindow/frmMain.h"
#include "platform/PictureBox.h"
#include "support/MainWindowFixture.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QBuffer>
#include <QImageWriter>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>
#include <random>

using TestSupport::patternImage;

// A long seeded random run of pointer, key and toolbar events on the real main window.
// Dialogs answer from the script, imports get mutated files, every Qt warning fails the
// run, and after every step the pixel store and the magnified back buffer must agree
// cell by cell. Each step is written to a log; PICTORIA_STORM_SEED and
// PICTORIA_STORM_STEPS replay a failing run exactly.
class EventStormTest : public QObject, MainWindowFixture {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void storm_data();
    void storm();

private:
    void step(std::mt19937& rng, QString& what);
    void pointer(std::mt19937& rng, QString& what);
    void key(std::mt19937& rng, QString& what);
    void toolbar(std::mt19937& rng, QString& what);
    // Answers until it is destroyed (at the end of the step).
    std::unique_ptr<QTimer> answerModalSoon(std::mt19937& rng, QString& what);
    QString storeAndBackBufferDisagree();

    QStringList importFiles;
    QStringList openFiles;
    QString saveDir;
};

namespace {

QStringList warnings;
QtMessageHandler previousHandler = nullptr;

void recordWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    // The offscreen platform's own notice about a window feature it lacks is not the editor's.
    const bool platformNotice = text == QLatin1String("This plugin does not support propagateSizeHints()");
    if ((type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg) && !platformNotice)
        warnings.append(text);
    if (previousHandler)
        previousHandler(type, context, text);
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

template <typename T> const T& pick(std::mt19937& rng, const QList<T>& list)
{
    return list[int(rng() % unsigned(list.size()))];
}

int envInt(const char* name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok ? v : fallback;
}

} // namespace

void EventStormTest::initTestCase()
{
    previousHandler = qInstallMessageHandler(recordWarnings);
    const QString dir = TestSupport::tempPath(QStringLiteral("storm"));
    QDir().mkpath(dir);
    saveDir = dir;
    // Imports: good pictures of several sizes and mutations of every kind the loader reads.
    QRgb (*pattern)(int, int) = [](int x, int y) { return qRgb(x * 9, y * 5, (x ^ y) * 3); };
    const QList<std::pair<QString, QByteArray>> originals = {
        {"big.bmp", encoded(patternImage(300, 200), "bmp")},
        {"small.png", encoded(patternImage(20, 30), "png")},
        {"photo.jpg", encoded(patternImage(120, 90), "jpeg")},
        {"layers.psd", TestPictures::psd(64, 48, pattern)},
    };
    int n = 0;
    for (const auto& [name, bytes] : originals) {
        const QString good = QStringLiteral("%1/%2").arg(dir, name);
        TestPictures::write(good, bytes);
        importFiles << good;
        for (unsigned seed = 1; seed <= 4; ++seed) {
            const QString bad = QStringLiteral("%1/m%2-%3").arg(dir).arg(++n).arg(name);
            TestPictures::write(bad, seed == 4 ? bytes.left(bytes.size() / 2)
                                               : TestPictures::mutate(bytes, seed * 7, 6, 20));
            importFiles << bad;
        }
    }
    // Opens: portraits, another size (answered either way), damaged files, a folder.
    const QString portrait = dir + QStringLiteral("/portrait.jpg");
    TestPictures::write(portrait, encoded(patternImage(48, 56), "jpeg"));
    const QString other = dir + QStringLiteral("/other.png");
    TestPictures::write(other, encoded(patternImage(70, 40), "png"));
    const QString cut = dir + QStringLiteral("/cut.jpg");
    TestPictures::write(cut, encoded(patternImage(48, 56), "jpeg").left(300));
    openFiles << portrait << other << cut << dir << dir + QStringLiteral("/missing.jpg") << importFiles[2];
}

void EventStormTest::init()
{
    warnings.clear();
    QVERIFY(openWindow());
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

void EventStormTest::cleanup()
{
    // Qt Test remembers a pressed button across tests.
    if (window)
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
            QTest::mouseRelease(window->picFaceBox(), b);
    window.reset();
}

QString EventStormTest::storeAndBackBufferDisagree()
{
    const QImage& store = window->document().picPreview().image();
    const QImage& back = window->canvas().picBackBuffer().image();
    if (store.size() != QSize(48, 56) || back.size() != QSize(384, 448))
        return QStringLiteral("surface sizes %1x%2 / %3x%4")
            .arg(store.width())
            .arg(store.height())
            .arg(back.width())
            .arg(back.height());
    const QImage s = store.convertToFormat(QImage::Format_RGB32);
    const QImage b = back.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < 448; ++y) {
        const auto* brow = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        const auto* srow = reinterpret_cast<const QRgb*>(s.constScanLine(y / 8));
        for (int x = 0; x < 384; ++x)
            if ((brow[x] & 0xFFFFFF) != (srow[x / 8] & 0xFFFFFF))
                return QStringLiteral("cell (%1, %2): store %3, back buffer pixel (%4, %5) %6")
                    .arg(x / 8)
                    .arg(y / 8)
                    .arg(srow[x / 8] & 0xFFFFFF, 6, 16, QChar('0'))
                    .arg(x)
                    .arg(y)
                    .arg(brow[x] & 0xFFFFFF, 6, 16, QChar('0'));
    }
    return {};
}

void EventStormTest::pointer(std::mt19937& rng, QString& what)
{
    PictureBox* view = window->picFaceBox();
    static const QList<Qt::MouseButton> buttons = {Qt::LeftButton, Qt::LeftButton, Qt::RightButton,
                                                   Qt::MiddleButton};
    static const QList<Qt::KeyboardModifiers> mods = {Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier,
                                                      Qt::ControlModifier, Qt::AltModifier};
    // Mostly inside the view, sometimes over its border or beyond it.
    const QPoint at(int(rng() % unsigned(view->width() + 40)) - 20,
                    int(rng() % unsigned(view->height() + 40)) - 20);
    const Qt::MouseButton button = pick(rng, buttons);
    const Qt::KeyboardModifiers mod = pick(rng, mods);
    switch (rng() % 4) {
    case 0:
        what =
            QStringLiteral("press %1 mod %2 at %3,%4").arg(int(button)).arg(int(mod)).arg(at.x()).arg(at.y());
        QTest::mousePress(view, button, mod, at);
        break;
    case 1:
        what = QStringLiteral("release %1 mod %2 at %3,%4")
                   .arg(int(button))
                   .arg(int(mod))
                   .arg(at.x())
                   .arg(at.y());
        QTest::mouseRelease(view, button, mod, at);
        break;
    default:
        what = QStringLiteral("move to %1,%2").arg(at.x()).arg(at.y());
        QTest::mouseMove(view, at);
        break;
    }
}

void EventStormTest::key(std::mt19937& rng, QString& what)
{
    static const QList<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys = {
        {Qt::Key_B, Qt::NoModifier},
        {Qt::Key_F, Qt::NoModifier},
        {Qt::Key_R, Qt::NoModifier},
        {Qt::Key_I, Qt::NoModifier},
        {Qt::Key_G, Qt::NoModifier},
        {Qt::Key_G, Qt::ControlModifier},
        {Qt::Key_Z, Qt::ControlModifier},
        {Qt::Key_Y, Qt::ControlModifier},
        {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier},
        {Qt::Key_N, Qt::ControlModifier},
        {Qt::Key_Shift, Qt::NoModifier},
        {Qt::Key_Control, Qt::NoModifier},
        {Qt::Key_Escape, Qt::NoModifier},
        {Qt::Key_Left, Qt::NoModifier},
        {Qt::Key_Space, Qt::NoModifier},
        {Qt::Key_5, Qt::NoModifier},
        {Qt::Key_Tab, Qt::NoModifier},
        {Qt::Key_R, Qt::ControlModifier},
        {Qt::Key_M, Qt::ControlModifier},
        {Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier},
        {Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier},
        {Qt::Key_C, Qt::ControlModifier},
        {Qt::Key_V, Qt::ControlModifier},
    };
    const auto& [k, mod] = pick(rng, keys);
    what = QStringLiteral("key %1 mod %2").arg(int(k), 0, 16).arg(int(mod));
    QWidget* target = rng() % 3 == 0 ? static_cast<QWidget*>(window.get()) : window->picFaceBox();
    if (rng() % 2 == 0 && target == window->picFaceBox())
        target->setFocus();
    std::unique_ptr<QTimer> reduction;
    if (k == Qt::Key_R && mod == Qt::ControlModifier) {
        // The colour reduction asks how many colours: 1 to 20, or a cancel.
        const int most = int(rng() % 21);
        what += QStringLiteral(", at most %1 colours").arg(most);
        reduction = whenDialogShows([most](QDialog& dialog) {
            if (auto* reduce = qobject_cast<ReduceColoursDialog*>(&dialog); reduce && most > 0) {
                reduce->coloursBox()->setValue(most);
                reduce->accept();
            } else {
                dialog.reject();
            }
        });
    }
    QTest::keyClick(target, k, mod);
    // The gamma and tolerance boxes take typed values too.
    if (rng() % 8 == 0) {
        static const QList<QString> gammas = {"1", "0.5", "2.2", "", "abc", "-3", "99999", "0"};
        const QString g = pick(rng, gammas);
        what += QStringLiteral(", gamma '%1'").arg(g);
        window->panel().txtGamma->setText(g);
        window->panel().txtTolerance->setText(g);
    }
}

// Whatever modal window the step opens (the import window, About, a message box of the
// real dialogs) is answered from a timer: a pick on the picture or its close box.
std::unique_ptr<QTimer> EventStormTest::answerModalSoon(std::mt19937& rng, QString& what)
{
    const unsigned how = rng() % 3;
    const QPoint at(int(rng() % 400), int(rng() % 400));
    what += QStringLiteral(", modal answer %1 at %2,%3").arg(how).arg(at.x()).arg(at.y());
    // A decode before the import window lets the loop run: the answer waits for a modal window.
    auto answer = std::make_unique<QTimer>();
    connect(answer.get(), &QTimer::timeout, window.get(), [this, how, at, timer = answer.get()] {
        frmImport* w = window->importCommand().window();
        QWidget* modal = QApplication::activeModalWidget();
        if (!(w && w->isVisible()) && !modal)
            return;
        timer->stop();
        if (w && w->isVisible()) {
            if (how == 0) {
                w->close();
            } else {
                QTest::mouseMove(w->picImage, at);
                QTest::mousePress(w->picImage, Qt::LeftButton, {}, at);
                QTest::mouseRelease(w->picImage, Qt::LeftButton, {}, at);
            }
        }
        if (QWidget* still = QApplication::activeModalWidget())
            still->close();
    });
    answer->start(5);
    // Never hang: a second, later answer.
    QTimer::singleShot(3000, window.get(), [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    return answer;
}

void EventStormTest::toolbar(std::mt19937& rng, QString& what)
{
    std::unique_ptr<QTimer> answer;
    static const QList<QString> tags = {"Brush", "Fill", "Replace", "Selector", "Gamma", "Grid",
                                        "New",   "Open", "Save",    "Import",   "About"};
    const QString tag = pick(rng, tags);
    what = QStringLiteral("toolbar %1").arg(tag);
    if (tag == QLatin1String("Open")) {
        if (rng() % 5 == 0) {
            dialogs->fileAnswers.enqueue(std::nullopt);
            what += QStringLiteral(" (cancelled)");
        } else {
            const QString f = pick(rng, openFiles);
            dialogs->fileAnswers.enqueue(f);
            const MessageResult answer = rng() % 2 ? MessageResult::Retry : MessageResult::Cancel;
            dialogs->messageAnswers.enqueue(answer);
            what +=
                QStringLiteral(" %1, other size answered %2").arg(QFileInfo(f).fileName()).arg(int(answer));
        }
    } else if (tag == QLatin1String("Save")) {
        static const QList<QString> names = {"saved.jpg",       "saved.png", "saved.bmp",
                                             "no folder/x.jpg", "bad.xyz",   "*.jpg"};
        const QString n = pick(rng, names);
        dialogs->fileAnswers.enqueue(saveDir + u'/' + n);
        what += u' ' + n;
    } else if (tag == QLatin1String("Import")) {
        const QString f = pick(rng, importFiles);
        dialogs->fileAnswers.enqueue(f);
        what += u' ' + QFileInfo(f).fileName();
        answer = answerModalSoon(rng, what);
    } else if (tag == QLatin1String("About")) {
        answer = answerModalSoon(rng, what);
    }
    // Half through the toolbar's own button, half through the click handler.
    QAction* button = window->tlbMain()->buttonByTag(tag);
    if (button && rng() % 2) {
        what += QStringLiteral(" (button)");
        button->trigger();
    } else {
        window->tlbMain_ButtonClick(tag);
    }
    dialogs->messageAnswers.clear();
    dialogs->fileAnswers.clear();
}

void EventStormTest::step(std::mt19937& rng, QString& what)
{
    const unsigned r = rng() % 100;
    if (r < 70)
        pointer(rng, what);
    else if (r < 85)
        key(rng, what);
    else
        toolbar(rng, what);
    QCoreApplication::processEvents();
}

void EventStormTest::storm_data()
{
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<int>("steps");
    const int steps = envInt("PICTORIA_STORM_STEPS", 1500);
    if (qEnvironmentVariableIsSet("PICTORIA_STORM_SEED")) {
        const unsigned seed = unsigned(envInt("PICTORIA_STORM_SEED", 1));
        QTest::addRow("seed %u", seed) << seed << steps;
        return;
    }
    for (unsigned seed : {1u, 2u})
        QTest::addRow("seed %u", seed) << seed << steps;
}

void EventStormTest::storm()
{
    QFETCH(unsigned, seed);
    QFETCH(int, steps);
    std::mt19937 rng(seed);
    const QString logPath = TestSupport::tempPath(QStringLiteral("storm-seed%1.log").arg(seed));
    QFile log(logPath);
    QVERIFY(log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
    QStringList recent;
    int checks = 0, changes = 0;
    QImage last = window->document().picPreview().image().copy();
    for (int i = 0; i < steps; ++i) {
        QString what;
        step(rng, what);
        const QString line = QStringLiteral("%1: %2").arg(i).arg(what);
        log.write(line.toUtf8() + '\n');
        recent.append(line);
        if (recent.size() > 15)
            recent.removeFirst();
        const QString fault = !warnings.isEmpty()    ? QStringLiteral("Qt warning: ") + warnings.join(" | ")
                              : !window->isVisible() ? QStringLiteral("the window went away")
                                                     : storeAndBackBufferDisagree();
        if (!fault.isEmpty()) {
            log.flush();
            QFAIL(qPrintable(QStringLiteral("seed %1, step %2: %3\nlast steps (log %4):\n%5")
                                 .arg(seed)
                                 .arg(i)
                                 .arg(fault, logPath, recent.join('\n'))));
        }
        ++checks;
        if (window->document().picPreview().image() != last) {
            ++changes;
            last = window->document().picPreview().image().copy();
        }
    }
    // A storm that never reached the portrait would prove nothing.
    QVERIFY2(changes >= 20, qPrintable(QString::number(changes)));
    qInfo("seed %u: %d events survived, %d store/back buffer checks held, %d portrait changes, %lld messages "
          "answered",
          seed, steps, checks, changes, qlonglong(dialogs->messages.size()));
}

QTEST_MAIN(EventStormTest)
#include "tst_eventstorm.moc"
