#include "document/PortraitDocument.h"
#include "faces/FaceFinder.h"
#include "faces/OpenCvFaceFinder.h"
#include "import/FaceLocator.h"
#include "import/ImportRegion.h"
#include "import/OutlineShape.h"
#include "import/PictureScale.h"
#include "import/PortraitFraming.h"
#include "import/SandboxedFaceLocator.h"
#include "import/frmImport.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"

#include <QProcess>
#include <QScrollArea>
#include <QtTest>
#include <optional>

namespace {

QString facePicture(const QString& name)
{
    return QStringLiteral(PICTORIA_SOURCE_DIR "/tests/faces/") + name;
}

// The editor's locator (the import helper's detector, through the real helper), counting
// its searches and keeping what it found.
class CountingLocator : public FaceLocator {
public:
    std::vector<QRect> findFaces(const QImage& picture) override
    {
        ++searches;
        found = helper.findFaces(picture);
        return found;
    }
    SandboxedFaceLocator helper;
    std::vector<QRect> found;
    int searches = 0;
};

const QSize Frame(ImportRegion::Width, ImportRegion::Height);

// The frame of a framing in the picture's own pixels.
QRectF frameOnPicture(const PortraitFraming::Framing& f, QSize picture)
{
    const double scale = double(f.shown.width()) / picture.width();
    return QRectF(QPointF(f.origin) / scale, QSizeF(Frame) / scale);
}

} // namespace

// The face framing on public face pictures: the face the detector finds, framed as a
// portrait, checked against the face box a second detector (OpenCV's cascades) reports;
// and the import window's A key doing it on the real window.
class FaceFinderTest : public QObject {
    Q_OBJECT
private slots:
    void framingAgreesWithASecondDetector_data();
    void framingAgreesWithASecondDetector();
    void convertFramesTheFace_data();
    void convertFramesTheFace();
    void aKeyFramesFacesInTurn();
    void aKeyWithoutFaceFramesDetail();
    void cleanup() { window.reset(); }

private:
    void open(const QString& name);
    std::unique_ptr<PortraitDocument> document = std::make_unique<PortraitDocument>();
    std::unique_ptr<StatusBar> status =
        std::make_unique<StatusBar>(QList<StatusBar::PanelLayout>{{420, "Ready."}, {120, "x"}, {96, "y"}});
    std::unique_ptr<frmImport> window;
    CountingLocator locator;
    FaceFinder finder;
};

namespace {

// The second detector's box for the face: the one that overlaps it most, when they overlap
// by more than 30 %.
std::optional<QRectF> secondOpinion(const QImage& image, const QRect& face)
{
    const OpenCvFaceFinder second;
    if (!second.ready())
        return {};
    const std::vector<QRect> others = second.find(image);
    auto overlap = [&](const QRect& o) {
        const QRect both = o.intersected(face);
        const double shared = double(both.width()) * both.height();
        return shared / (double(o.width()) * o.height() + double(face.width()) * face.height() - shared);
    };
    const auto same = std::max_element(others.begin(), others.end(), [&](const QRect& a, const QRect& b) {
        return overlap(a) < overlap(b);
    });
    if (same == others.end() || overlap(*same) <= 0.3)
        return {};
    return QRectF(*same);
}

double meanDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

} // namespace

void FaceFinderTest::framingAgreesWithASecondDetector_data()
{
    // Each picture searched by the detector in this process and by the editor's locator,
    // which hands a reduced grey copy to the import helper.
    QTest::addColumn<QString>("picture");
    QTest::addColumn<bool>("throughHelper");
    for (bool helper : {false, true}) {
        const char* way = helper ? "helper" : "in-process";
        QTest::addRow("frontal photo, %s", way) << "grace_hopper.jpg" << helper;
        QTest::addRow("photo, busy background, %s", way) << "astronaut.jpg" << helper;
        QTest::addRow("small turned face in a crowd, %s", way) << "messi5.jpg" << helper;
        QTest::addRow("photo, second head turned away, %s", way) << "basketball1.jpg" << helper;
        QTest::addRow("drawing, %s", way) << "egyptian-queen.jpg" << helper;
    }
}

void FaceFinderTest::framingAgreesWithASecondDetector()
{
    QFETCH(QString, picture);
    QFETCH(bool, throughHelper);
    const QImage image(facePicture(picture));
    QVERIFY(!image.isNull());
    const std::vector<QRect> faces =
        PortraitFraming::largestFirst(throughHelper ? locator.helper.findFaces(image) : finder.find(image));
    QVERIFY2(!faces.empty(),
             qPrintable(QStringLiteral("no face found %1").arg(locator.helper.lastFailure())));
    const std::optional<QRectF> same = secondOpinion(image, faces[0]);
    QVERIFY2(same, "the second detector does not see the face");
    const QRectF face = *same;

    const PortraitFraming::Framing framing = PortraitFraming::frameFace(faces[0], image.size(), Frame);
    const QRectF frame = frameOnPicture(framing, image.size());
    // Centred on the face across; the face about half the frame's height; the face's
    // middle (its eyes a little above it) near the frame's middle, its eyes above it.
    QVERIFY2(qAbs(face.center().x() - frame.center().x()) <= 0.12 * frame.width(),
             qPrintable(QStringLiteral("face centre %1, frame centre %2, frame width %3")
                            .arg(face.center().x())
                            .arg(frame.center().x())
                            .arg(frame.width())));
    const double share = face.height() / frame.height();
    QVERIFY2(share >= 0.35 && share <= 0.7,
             qPrintable(QStringLiteral("the face is %1 of the frame").arg(share)));
    const double middle = (face.center().y() - frame.top()) / frame.height();
    QVERIFY2(middle >= 0.35 && middle <= 0.65,
             qPrintable(QStringLiteral("the face's middle at %1").arg(middle)));
    const double eyes = (face.top() + 0.4 * face.height() - frame.top()) / frame.height();
    QVERIFY2(eyes < 0.5, qPrintable(QStringLiteral("the eyes at %1 of the frame").arg(eyes)));
}

void FaceFinderTest::convertFramesTheFace_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<bool>("face");
    QTest::newRow("frontal photo") << "grace_hopper.jpg" << true;
    QTest::newRow("photo, second head turned away") << "basketball1.jpg" << true;
    QTest::newRow("no face: the most detailed part") << "hfs-001.jpg" << false;
}

void FaceFinderTest::convertFramesTheFace()
{
    // pictoria --convert --face with no window: the portrait is the frame over the face the
    // helper finds (near the face box the second detector reports), as A frames it, or
    // without a face the most detailed part.
    QFETCH(QString, picture);
    QFETCH(bool, face);
    const QImage image = QImage(facePicture(picture)).convertToFormat(QImage::Format_RGB32);
    const std::vector<QRect> faces = PortraitFraming::largestFirst(locator.helper.findFaces(image));
    QCOMPARE(!faces.empty(), face);
    const PortraitFraming::Framing framing = face ? PortraitFraming::frameFace(faces[0], image.size(), Frame)
                                                  : PortraitFraming::frameDetail(image, Frame);
    if (face) {
        const std::optional<QRectF> same = secondOpinion(image, faces[0]);
        QVERIFY2(same, "the second detector does not see the face");
        const QRectF frame = frameOnPicture(framing, image.size());
        QVERIFY(qAbs(same->center().x() - frame.center().x()) <= 0.12 * frame.width());
        QVERIFY(same->center().y() > frame.top() + 0.3 * frame.height() &&
                same->center().y() < frame.top() + 0.7 * frame.height());
    }

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    run.setProcessEnvironment(env);
    run.start(QStringLiteral(PICTORIA_BINARY),
              {"--convert", facePicture(picture), dir.filePath("face.png"), "--face"});
    QVERIFY(run.waitForFinished(30000));
    QVERIFY2(run.exitCode() == 0, run.readAllStandardError().constData());
    const QImage portrait = QImage(dir.filePath("face.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(portrait.size(), Frame);
    // The same pixels as the framing (within what two JPEG decoders may differ by), and
    // clearly not those of a frame a quarter of its width aside.
    auto taken = [&](QPoint offset) {
        return PictureScale::scaledPart(image, framing.shown, QRect(framing.origin + offset, Frame),
                                        PictureScale::Filter::Sharp)
            .convertToFormat(QImage::Format_RGB32);
    };
    const QPoint aside(framing.origin.x() >= Frame.width() / 4 ? -Frame.width() / 4 : Frame.width() / 4, 0);
    const double here = meanDifference(portrait, taken({})), there = meanDifference(portrait, taken(aside));
    QVERIFY2(here < 3 && here * 3 < there, qPrintable(QStringLiteral("%1 against %2").arg(here).arg(there)));
}

void FaceFinderTest::open(const QString& name)
{
    window = std::make_unique<frmImport>(*document, *status, [] { return Colour(0); });
    window->tmrFader->stop();
    window->setFaceLocator(&locator);
    const QImage picture = QImage(facePicture(name)).convertToFormat(QImage::Format_RGB32);
    window->pictureSurface().resize(picture.width(), picture.height());
    window->pictureSurface().copyFrom(picture, 0, 0, picture.width(), picture.height());
    window->fitToPicture();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void FaceFinderTest::aKeyFramesFacesInTurn()
{
    // Six upright court-card faces (and their upside-down twins), found by the editor's
    // locator through the import helper: A frames the largest, A again the next; the
    // search runs once.
    open(QStringLiteral("paris-court.jpg"));
    const QImage& picture = window->loadedPicture();
    std::vector<QRect> faces;
    locator.searches = 0;
    for (std::size_t i = 0; i < 2; ++i) {
        QTest::keyClick(window->picImage, Qt::Key_A);
        if (i == 0) {
            faces = PortraitFraming::largestFirst(locator.found);
            QVERIFY2(faces.size() >= 2, qPrintable(locator.helper.lastFailure()));
        }
        const PortraitFraming::Framing expected = PortraitFraming::frameFace(faces[i], picture.size(), Frame);
        QCOMPARE(window->shownSize(), expected.shown);
        // The frame covers exactly the framing, in sight.
        QCOMPARE(window->shpCursor->geometry().topLeft() + QPoint(1, 1), expected.origin);
        QVERIFY(window->shpCursor->isVisible());
        const QRect inView(window->pictureInView() + expected.origin, Frame);
        QVERIFY(QRect(QPoint(0, 0), window->scroller()->viewport()->size()).contains(inView));
        QCOMPARE(status->panelText(1),
                 QStringLiteral("Face %1 of %2 framed: the arrow keys nudge the frame, Enter "
                                "takes it.")
                     .arg(i + 1)
                     .arg(faces.size()));
    }
    QCOMPARE(locator.searches, 1);
    // A nudge and Enter take the region under the moved frame, scaled as the view shows it.
    const PortraitFraming::Framing second = PortraitFraming::frameFace(faces[1], picture.size(), Frame);
    QTest::keyClick(window->picImage, Qt::Key_Right);
    QTest::keyClick(window->picImage, Qt::Key_Return);
    QVERIFY(window->isHidden());
    const QImage taken = PictureScale::scaledPart(
        picture, second.shown, QRect(second.origin + QPoint(1, 0), Frame), PictureScale::Filter::Sharp);
    QCOMPARE(document->picPreview().image().convertToFormat(QImage::Format_RGB32), taken);
}

void FaceFinderTest::aKeyWithoutFaceFramesDetail()
{
    // A lake and a sky: no face, so the frame goes over the most detailed part at the
    // size that covers the frame, and the status bar says so.
    open(QStringLiteral("hfs-001.jpg"));
    QTest::keyClick(window->picImage, Qt::Key_A);
    const PortraitFraming::Framing expected = PortraitFraming::frameDetail(window->loadedPicture(), Frame);
    QCOMPARE(window->shownSize(), PictureScale::coverSize(window->loadedPicture().size(), Frame));
    QCOMPARE(window->shpCursor->geometry().topLeft() + QPoint(1, 1), expected.origin);
    QCOMPARE(status->panelText(1),
             QStringLiteral("No face found: the frame is on the most detailed part of the picture."));
}

QTEST_MAIN(FaceFinderTest)
#include "tst_facefinder.moc"
