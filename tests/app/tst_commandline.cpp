#include "files/cGdiPlus.h"
#include "import/PictureScale.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QtTest>
#include <unistd.h>

// The real binary's command line, run without a display: exit codes, what it prints,
// and --convert's files compared byte for byte with what Save writes for the same portrait.
class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void commandLine_data();
    void commandLine();
    void convertLeavesOtherFilesAlone_data();
    void convertLeavesOtherFilesAlone();
    void batch_data();
    void batch();

private:
    QString file(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
    QHash<QString, QImage> m_pictures;
};

namespace {

QImage black()
{
    QImage image(48, 56, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 0));
    return image;
}

QImage pasted(const QImage& onto, const QImage& picture, int x, int y)
{
    QImage out = onto;
    for (int py = 0; py < picture.height(); ++py)
        for (int px = 0; px < picture.width(); ++px)
            if (x + px >= 0 && x + px < out.width() && y + py >= 0 && y + py < out.height())
                out.setPixel(x + px, y + py, picture.pixel(px, py));
    return out;
}

// --convert's default scaling.
QImage sharp(const QImage& picture, QSize size)
{
    return PictureScale::scaledPart(picture, size, QRect(QPoint(0, 0), size), PictureScale::Filter::Sharp);
}

} // namespace

void CommandLineTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QList<std::pair<QString, QSize>> pictures{{"portrait.png", {48, 56}},
                                                    {"big.png", {100, 80}},
                                                    {"wide.png", {96, 56}},
                                                    {"double.png", {96, 112}},
                                                    {"small.png", {24, 28}}};
    for (const auto& [name, size] : pictures) {
        const QImage picture =
            TestSupport::patternImage(size.width(), size.height()).convertToFormat(QImage::Format_RGB32);
        QVERIFY(picture.save(file(name)));
        m_pictures[name] = picture;
    }
    QFile garbage(file("garbage.png"));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write("this is not a picture\n");
}

void CommandLineTest::commandLine_data()
{
    // Arguments name files of the scratch folder by their bare names. "expected" is how
    // the portrait is made from the picture: "same", "top-left", "cover", "fit" (with
    // the picture's side ratio), or empty when no file is to be written.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("printed"); // on stdout for status 0 without a file, else on stderr
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("quality");

    using L = QStringList;
    QTest::newRow("help") << L{"--help"} << 0 << "Usage: pictoria"
                          << ""
                          << ""
                          << "" << 0;
    QTest::newRow("help names --convert") << L{"-h"} << 0 << "--convert"
                                          << ""
                                          << ""
                                          << "" << 0;
    QTest::newRow("version") << L{"--version"} << 0 << "Pictoria 1.1a"
                             << ""
                             << ""
                             << "" << 0;
    QTest::newRow("unknown option") << L{"--bogus"} << 2 << "Unknown option 'bogus'"
                                    << ""
                                    << ""
                                    << "" << 0;
    QTest::newRow("usage line") << L{"--bogus"} << 2 << "Usage: pictoria"
                                << ""
                                << ""
                                << "" << 0;
    QTest::newRow("quality without --convert") << L{"--quality", "85", "portrait.png"} << 2 << "--convert"
                                               << ""
                                               << ""
                                               << "" << 0;
    QTest::newRow("two portraits") << L{"portrait.png", "big.png"} << 2 << "One portrait"
                                   << ""
                                   << ""
                                   << "" << 0;
    QTest::newRow("file and --import") << L{"portrait.png", "--import", "big.png"} << 2 << "One portrait"
                                       << ""
                                       << ""
                                       << "" << 0;
    QTest::newRow("--convert without OUT") << L{"--convert", "big.png"} << 2 << "IN and a portrait OUT"
                                           << ""
                                           << ""
                                           << "" << 0;
    QTest::newRow("--fit with --cover")
        << L{"--convert", "big.png", "o.jpg", "--fit", "--cover"} << 2 << "exclude"
        << ""
        << ""
        << "" << 0;
    QTest::newRow("quality 42") << L{"--convert", "big.png", "o.jpg", "--quality", "42"} << 2 << "\"42\""
                                << ""
                                << ""
                                << "" << 0;

    QTest::newRow("portrait-sized") << L{"--convert", "portrait.png", "a.jpg"} << 0 << ""
                                    << "a.jpg"
                                    << "portrait.png"
                                    << "same" << 100;
    QTest::newRow("top-left at 55 %") << L{"--convert", "big.png", "b.jpg", "--quality", "55"} << 0 << ""
                                      << "b.jpg"
                                      << "big.png"
                                      << "top-left" << 55;
    QTest::newRow("smaller picture, top-left") << L{"--convert", "small.png", "c.jpg"} << 0 << ""
                                               << "c.jpg"
                                               << "small.png"
                                               << "top-left" << 100;
    QTest::newRow("cover, wide") << L{"--convert", "wide.png", "d.jpg", "--cover"} << 0 << ""
                                 << "d.jpg"
                                 << "wide.png"
                                 << "cover" << 100;
    QTest::newRow("cover, enlarged") << L{"--cover", "--convert", "small.png", "e.jpg"} << 0 << ""
                                     << "e.jpg"
                                     << "small.png"
                                     << "enlarged" << 100;
    QTest::newRow("cover, shrunk at 70 %")
        << L{"--convert", "big.png", "f.jpg", "--cover", "--quality", "70"} << 0 << ""
        << "f.jpg"
        << "big.png"
        << "cover-shrunk" << 70;
    QTest::newRow("fit, same ratio at 85 %")
        << L{"--convert", "double.png", "g.jpg", "--fit", "--quality", "85"} << 0 << ""
        << "g.jpg"
        << "double.png"
        << "fit" << 85;
    QTest::newRow("fit, smooth") << L{"--convert", "double.png", "g2.png", "--fit", "--smooth"} << 0 << ""
                                 << "g2.png"
                                 << "double.png"
                                 << "fit-smooth" << 100;
    QTest::newRow("full colour at 55 %")
        << L{"--convert", "double.png", "g3.jpg", "--fit", "--quality", "55", "--full-colour"} << 0 << ""
        << "g3.jpg"
        << "double.png"
        << "fit" << 55;
    QTest::newRow("--into without --convert") << L{"--into", "out", "portrait.png"} << 2 << "--convert"
                                              << ""
                                              << ""
                                              << "" << 0;
    QTest::newRow("--face with --cover")
        << L{"--convert", "big.png", "o.jpg", "--face", "--cover"} << 2 << "exclude"
        << ""
        << ""
        << "" << 0;
    QTest::newRow("smooth without --convert") << L{"--smooth", "portrait.png"} << 2 << "--convert"
                                              << ""
                                              << ""
                                              << "" << 0;
    QTest::newRow("fit, wide") << L{"--convert", "wide.png", "h.jpg", "--fit"} << 0 << ""
                               << "h.jpg"
                               << "wide.png"
                               << "fit-wide" << 100;
    QTest::newRow("fit, enlarged") << L{"--convert", "small.png", "i.jpg", "--fit"} << 0 << ""
                                   << "i.jpg"
                                   << "small.png"
                                   << "enlarged" << 100;
    QTest::newRow("png by its extension") << L{"--convert", "big.png", "j.png"} << 0 << ""
                                          << "j.png"
                                          << "big.png"
                                          << "top-left" << 100;
    QTest::newRow("no extension is JPEG") << L{"--convert", "portrait.png", "plain"} << 0 << ""
                                          << "plain.jpg"
                                          << "portrait.png"
                                          << "same" << 100;

    QTest::newRow("missing picture") << L{"--convert", "nope.png", "k.jpg"} << 1 << "nope.png"
                                     << "k.jpg"
                                     << ""
                                     << "" << 0;
    QTest::newRow("not a picture") << L{"--convert", "garbage.png", "l.jpg"} << 1 << "garbage.png"
                                   << "l.jpg"
                                   << ""
                                   << "" << 0;
    QTest::newRow("unknown output type") << L{"--convert", "big.png", "m.xyz"} << 1 << ".xyz"
                                         << "m.xyz"
                                         << ""
                                         << "" << 0;
    QTest::newRow("missing output folder") << L{"--convert", "big.png", "no/such/n.jpg"} << 1 << "n.jpg"
                                           << "no/such/n.jpg"
                                           << ""
                                           << "" << 0;
}

void CommandLineTest::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, printed);
    QFETCH(QString, output);
    QFETCH(QString, picture);
    QFETCH(QString, expected);
    QFETCH(int, quality);

    QStringList args;
    for (const QString& a : arguments)
        args << (a.startsWith('-') || QStringList{"85", "55", "70", "42"}.contains(a) ? a : file(a));
    if (!output.isEmpty())
        QFile::remove(file(output));

    // No display at all: a window, or even a GUI application, would fail to start.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", "xcb");
    QProcess run;
    run.setProcessEnvironment(env);
    run.start(QStringLiteral(PICTORIA_BINARY), args);
    QVERIFY(run.waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(run.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(run.readAllStandardError());
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QVERIFY2(run.exitCode() == exitCode, qPrintable(out + err));

    if (exitCode == 0 && expected.isEmpty()) {
        QVERIFY2(out.contains(printed), qPrintable(out));
        QVERIFY(err.isEmpty());
    } else if (exitCode == 0) {
        QVERIFY2(err.isEmpty(), qPrintable(err));
    } else {
        QVERIFY2(err.contains(printed), qPrintable(err));
        if (exitCode == 1)
            QVERIFY2(err.count('\n') == 1 && err.startsWith("pictoria: "), qPrintable(err));
        if (!output.isEmpty())
            QVERIFY(!QFile::exists(file(output)));
        return;
    }
    if (expected.isEmpty())
        return;

    const QImage source = m_pictures.value(picture);
    QImage portrait;
    if (expected == "same")
        portrait = source;
    else if (expected == "top-left")
        portrait = pasted(black(), source, 0, 0);
    else if (expected == "cover") // 96 x 56 covers the frame as it is: its middle 48 columns
        portrait = source.copy(24, 0, 48, 56);
    else if (expected == "cover-shrunk") // 100 x 80 at 0.7 is 70 x 56: its middle 48 columns
        portrait = sharp(source, {70, 56}).copy(11, 0, 48, 56);
    else if (expected == "fit") // 96 x 112 is the frame's shape at twice its size
        portrait = sharp(source, {48, 56});
    else if (expected == "fit-smooth")
        portrait = PictureScale::areaAverage(source, {48, 56});
    else if (expected == "fit-wide") // 96 x 56 at half size is 48 x 28, 14 rows of black above and below
        portrait = pasted(black(), sharp(source, {48, 28}), 0, 14);
    else if (expected == "enlarged") { // 24 x 28 at twice its size: each pixel a 2 x 2 block
        portrait = black();
        for (int y = 0; y < 56; ++y)
            for (int x = 0; x < 48; ++x)
                portrait.setPixel(x, y, source.pixel(x / 2, y / 2));
    }
    QVERIFY(!portrait.isNull());

    QFile written(file(output));
    QVERIFY2(written.open(QIODevice::ReadOnly), qPrintable(file(output)));
    if (output.endsWith(".png")) {
        // Lossless, but the pixel density Qt writes into a PNG follows the screen, which a
        // window has and a run without a display has not: the pixels are what must agree.
        QCOMPARE(QImage::fromData(written.readAll()).convertToFormat(QImage::Format_RGB32),
                 portrait.convertToFormat(QImage::Format_RGB32));
        return;
    }
    QByteArray saved;
    cGdiPlus gdip;
    QVERIFY(gdip.EncodePicture(portrait, file(output), quality, saved, arguments.contains("--full-colour")));
    QVERIFY2(written.readAll() == saved, "the file is what Save writes for that portrait");
}

void CommandLineTest::convertLeavesOtherFilesAlone_data()
{
    // In a folder of its own: photo.jpg (100 x 80), old.jpg (an earlier portrait), the
    // links hard.jpg and soft.jpg to the photo, and the empty folders sub/ and out/.
    // "written" is the one file the run may add or change, relative to the folder.
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("failingSync");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("printed");
    QTest::addColumn<QString>("written");

    QTest::newRow("OUT is IN once .jpg is added") << "photo" << false << 1 << "photo.jpg"
                                                  << "";
    QTest::newRow("OUT is IN") << "photo.jpg" << false << 1 << "photo.jpg"
                               << "";
    QTest::newRow("OUT is IN by another path") << "sub/../photo.jpg" << false << 1 << "photo.jpg"
                                               << "";
    QTest::newRow("OUT is a hard link to IN") << "hard.jpg" << false << 1 << "photo.jpg"
                                              << "";
    QTest::newRow("OUT is a symbolic link to IN") << "soft" << false << 1 << "photo.jpg"
                                                  << "";
    QTest::newRow("OUT is a folder") << "out/" << false << 0 << ""
                                     << "out/photo.jpg";
    QTest::newRow("OUT is a folder named .") << "out/." << false << 0 << ""
                                             << "out/photo.jpg";
    QTest::newRow("a sync that fails, new OUT") << "new.jpg" << true << 1 << "Input/output error"
                                                << "";
    QTest::newRow("a sync that fails, OUT there") << "old.jpg" << true << 1 << "Input/output error"
                                                  << "";
    QTest::newRow("OUT there") << "old.jpg" << false << 0 << ""
                               << "old.jpg";
}

void CommandLineTest::convertLeavesOtherFilesAlone()
{
    QFETCH(QString, output);
    QFETCH(bool, failingSync);
    QFETCH(int, exitCode);
    QFETCH(QString, printed);
    QFETCH(QString, written);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QImage photo = TestSupport::patternImage(100, 80).convertToFormat(QImage::Format_RGB32);
    QVERIFY(photo.save(dir.filePath("photo.jpg"), "JPEG"));
    QFile old(dir.filePath("old.jpg"));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("an earlier portrait") > 0);
    old.close();
    QVERIFY(QFile::link(dir.filePath("photo.jpg"), dir.filePath("soft.jpg")));
    QVERIFY(::link(QFile::encodeName(dir.filePath("photo.jpg")).constData(),
                   QFile::encodeName(dir.filePath("hard.jpg")).constData()) == 0);
    QVERIFY(QDir(dir.path()).mkpath("sub") && QDir(dir.path()).mkpath("out"));
    // Every file's bytes before the run.
    auto contents = [&dir] {
        QMap<QString, QByteArray> files;
        QDirIterator it(dir.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            files[QDir(dir.path()).relativeFilePath(f.fileName())] =
                f.open(QIODevice::ReadOnly) ? f.readAll() : "?";
        }
        return files;
    };
    const QMap<QString, QByteArray> before = contents();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    if (failingSync) {
        env.insert("LD_PRELOAD", QStringLiteral(PICTORIA_FAILING_SYNC));
        // A sanitizer build's runtime need not come first for the shim's two functions.
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    }
    QProcess run;
    run.setProcessEnvironment(env);
    run.setWorkingDirectory(dir.path());
    run.start(QStringLiteral(PICTORIA_BINARY), {"--convert", "photo.jpg", output});
    QVERIFY(run.waitForFinished(30000));
    const QString err = QString::fromLocal8Bit(run.readAllStandardError());
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QVERIFY2(run.exitCode() == exitCode, qPrintable(err));
    if (exitCode != 0)
        QVERIFY2(err.count('\n') == 1 && err.contains(printed), qPrintable(err));

    QMap<QString, QByteArray> after = contents();
    if (!written.isEmpty()) {
        QVERIFY2(after.contains(written), qPrintable(QStringList(after.keys()).join(' ')));
        QImage portrait;
        QVERIFY(portrait.loadFromData(after.take(written)));
        QCOMPARE(portrait.size(), QSize(48, 56));
        if (before.contains(written))
            after.insert(written, before.value(written)); // replaced, as asked
    }
    // Nothing else was added, removed or changed: no temporary file, the photo whole.
    QCOMPARE(after, before);
    QVERIFY(QFileInfo(dir.filePath("soft.jpg")).isSymLink());
}

void CommandLineTest::batch_data()
{
    // Pictures of the scratch folder (other/big.png is another picture named big), converted
    // with --into a folder of their own. "written" are the portraits the batch must write,
    // each the very file a --convert of that picture alone writes; "refused" are the pictures
    // that must each get one line on stderr, and nothing else may be written.
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<QStringList>("refused");

    using L = QStringList;
    QTest::newRow("three pictures, cover") << L{"big.png", "wide.png", "double.png"} << L{"--cover"}
                                           << L{"big.jpg", "wide.jpg", "double.jpg"} << L{};
    QTest::newRow("full colour at 70 %")
        << L{"small.png", "double.png"} << L{"--fit", "--quality", "70", "--full-colour"}
        << L{"small.jpg", "double.jpg"} << L{};
    QTest::newRow("a bad file among good ones") << L{"big.png", "garbage.png", "small.png"} << L{"--fit"}
                                                << L{"big.jpg", "small.jpg"} << L{"garbage.png"};
    QTest::newRow("a missing file") << L{"nope.png", "wide.png"} << L{} << L{"wide.jpg"} << L{"nope.png"};
    QTest::newRow("two pictures named big") << L{"big.png", "other/big.png", "wide.png"} << L{"--cover"}
                                            << L{"big.jpg", "wide.jpg"} << L{"other/big.png"};
    QTest::newRow("a portrait would replace an input")
        << L{"wide.png", "into/in.jpg"} << L{} << L{"wide.jpg"} << L{"into/in.jpg"};
}

void CommandLineTest::batch()
{
    QFETCH(QStringList, inputs);
    QFETCH(QStringList, options);
    QFETCH(QStringList, written);
    QFETCH(QStringList, refused);

    QTemporaryDir into;
    QVERIFY(into.isValid());
    QVERIFY(QDir(m_dir.path()).mkpath("other"));
    QVERIFY(m_pictures.value("wide.png").save(file("other/big.png")));
    // An input inside the batch's folder, under the name its portrait would take.
    QVERIFY(m_pictures.value("big.png").save(into.filePath("in.jpg")));
    QFile input(into.filePath("in.jpg"));
    QVERIFY(input.open(QIODevice::ReadOnly));
    const QByteArray inputBytes = input.readAll();
    input.close();

    auto runPictoria = [](const QStringList& args, QString& err) {
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        run.setProcessEnvironment(env);
        run.start(QStringLiteral(PICTORIA_BINARY), args);
        if (!run.waitForFinished(60000) || run.exitStatus() != QProcess::NormalExit)
            return -1;
        err = QString::fromLocal8Bit(run.readAllStandardError());
        return run.exitCode();
    };
    QStringList args{"--convert"};
    for (const QString& name : inputs)
        args << (name.startsWith("into/") ? into.filePath(name.mid(5)) : file(name));
    args << options << "--into" << into.path();
    QString err;
    const int exitCode = runPictoria(args, err);
    QVERIFY2(exitCode == (refused.isEmpty() ? 0 : 1), qPrintable(err));
    // One line per refused picture, naming it; no progress text on a stderr that is no terminal.
    const QStringList lines = err.split('\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.size() == refused.size() && err.count('\n') == refused.size(), qPrintable(err));
    for (const QString& name : refused)
        QVERIFY2(err.contains(name.startsWith("into/") ? into.filePath(name.mid(5)) : file(name)),
                 qPrintable(err));

    QStringList expectedFiles = written;
    expectedFiles << "in.jpg";
    expectedFiles.sort();
    QCOMPARE(QDir(into.path()).entryList(QDir::Files, QDir::Name), expectedFiles);
    QFile kept(into.filePath("in.jpg"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QVERIFY2(kept.readAll() == inputBytes, "an input was written over");
    // Each portrait is the one the picture of its name makes alone (the first of its name).
    QTemporaryDir alone;
    for (const QString& name : written) {
        const QString base = QFileInfo(name).completeBaseName();
        const auto source = std::find_if(inputs.cbegin(), inputs.cend(), [&](const QString& i) {
            return QFileInfo(i).completeBaseName() == base;
        });
        QVERIFY(source != inputs.cend());
        QString ignored;
        QCOMPARE(
            runPictoria(QStringList{"--convert", file(*source), alone.filePath(name)} << options, ignored),
            0);
        QFile a(alone.filePath(name)), b(into.filePath(name));
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QVERIFY2(a.readAll() == b.readAll(), qPrintable(name));
    }
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
