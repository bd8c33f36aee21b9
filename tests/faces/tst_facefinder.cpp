#include "document/PortraitDocument.h"
#include "faces/FaceFinder.h"
#include "faces/OpenCvFaceFinder.h"
#include "import/FaceLocator.h"
#include "import/ImportRegion.h"
#include "import/OutlineShape.h"
#include "import/PictureScale.h"
#include "import/PortraitFraming.h"
#include "import/frmImport.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"

#include <QScrollArea>
#include <QtTest>

namespace {

QString facePicture(const QString& name)
{
    return QStringLiteral(PICTORIA_SOURCE_DIR "/tests/faces/") + name;
}

// The detector in this process, for the import window's A key (the editor itself asks
// another process).
class InProcessLocator : public FaceLocator {
public:
    std::vector<QRect> findFaces(const QImage& picture) override
    {
        ++searches;
        return finder.find(picture);
    }
    FaceFinder finder;
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
    void aKeyFramesFacesInTurn();
    void aKeyWithoutFaceFramesDetail();
    void cleanup() { window.reset(); }

private:
    void open(const QString& name);
    std::unique_ptr<PortraitDocument> document = std::make_unique<PortraitDocument>();
    std::unique_ptr<StatusBar> status =
        std::make_unique<StatusBar>(QList<StatusBar::PanelLayout>{{420, "Ready."}, {120, "x"}, {96, "y"}});
    std::unique_ptr<frmImport> window;
    InProcessLocator locator;
};

void FaceFinderTest::framingAgreesWithASecondDetector_data()
{
    QTest::addColumn<QString>("picture");
    QTest::newRow("frontal photo") << "grace_hopper.jpg";
    QTest::newRow("photo, busy background") << "astronaut.jpg";
    QTest::newRow("small turned face in a crowd") << "messi5.jpg";
    QTest::newRow("photo, second head turned away") << "basketball1.jpg";
    QTest::newRow("drawing") << "egyptian-queen.jpg";
}

void FaceFinderTest::framingAgreesWithASecondDetector()
{
    QFETCH(QString, picture);
    const QImage image(facePicture(picture));
    QVERIFY(!image.isNull());
    const std::vector<QRect> faces = PortraitFraming::largestFirst(locator.finder.find(image));
    QVERIFY2(!faces.empty(), "no face found");
    const OpenCvFaceFinder second;
    QVERIFY(second.ready());
    const std::vector<QRect> others = second.find(image);
    // The second detector's box for the same face: the one that overlaps it most.
    auto overlap = [&](const QRect& o) {
        const QRect both = o.intersected(faces[0]);
        const double shared = double(both.width()) * both.height();
        return shared /
               (double(o.width()) * o.height() + double(faces[0].width()) * faces[0].height() - shared);
    };
    const auto same = std::max_element(others.begin(), others.end(), [&](const QRect& a, const QRect& b) {
        return overlap(a) < overlap(b);
    });
    QVERIFY2(same != others.end() && overlap(*same) > 0.3, "the second detector does not see the face");
    const QRectF face(*same);

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
    // Six upright court-card faces (and their upside-down twins): A frames the largest,
    // A again the next; the search runs once.
    open(QStringLiteral("paris-court.jpg"));
    const QImage& picture = window->loadedPicture();
    const std::vector<QRect> faces = PortraitFraming::largestFirst(locator.finder.find(picture));
    QVERIFY(faces.size() >= 2);
    locator.searches = 0;
    for (std::size_t i = 0; i < 2; ++i) {
        QTest::keyClick(window->picImage, Qt::Key_A);
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
