#pragma once

#include "import/ImportRegion.h"
#include "import/PictureScale.h"
#include "import/PortraitFraming.h"
#include "platform/Surface.h"

#include <QDialog>
#include <functional>
#include <vector>

class FaceLocator;
class OutlineShape;
class PictureBox;
class PortraitDocument;
class QScrollArea;
class QTimer;
class StatusBar;

// The import window: the loaded picture at 1:1 under a portrait-sized outline that
// follows the pointer and pulses grey. Dragging copies the region inside the outline
// into the portrait on every move; releasing (or the close box) ends the import.
// Created once and hidden after each pick; its state and its pulse carry on.
//
// A picture whose window would not fit the screen scrolls under a window that does.
// The wheel zooms the picture (the outline stays 50 x 58 screen pixels, so the region
// is the zoomed picture's pixels); only what is in view is scaled, so no zoom costs a
// copy of the whole enlarged picture. The arrow keys nudge the outline by a pixel: a
// nudged outline is copied by Enter or by a click, and at once while a button is held.
// A press alone takes the region under the outline; Escape undoes the whole pick.
class frmImport : public QDialog {
    Q_OBJECT
public:
    frmImport(PortraitDocument& document, StatusBar& status, std::function<Colour()> background,
              QWidget* owner = nullptr);

    PictureBox* picContainer = nullptr;
    PictureBox* picImage = nullptr;
    OutlineShape* shpCursor = nullptr;
    QTimer* tmrFader = nullptr;

    // The loaded picture, drawn by the loader.
    Surface& pictureSurface() { return m_picture; }

    bool bMouseDown = false;
    int FadeDirection = 0;
    int FadeStep = 0;

    void picImage_MouseDown(int Button, int Shift, float X, float Y);
    void picImage_MouseMove(int Button, int Shift, float X, float Y);
    void picImage_MouseUp(int Button, int Shift, float X, float Y);
    void Form_MouseMove();
    void tmrFader_Timer();
    void picImage_KeyDown(int KeyCode, int Shift);
    // One wheel notch; positive enlarges. The picture point under (x, y), in shown
    // picture pixels, stays under the pointer.
    void zoom(int notches, QPointF at);
    // The whole picture scaled into the portrait (aspect kept, centred, the rest
    // background), taken at once; the pick ends.
    void fitAndTake();
    // The picture scaled so that it just covers the frame, the frame at its centre,
    // ready to be moved and taken.
    void cover();
    // A: the largest face framed as a portrait (zoom and scroll set so that the frame
    // covers it), ready to be nudged and taken; A again frames the next face. With no
    // face, the frame goes over the most detailed part and the status bar says so.
    void frameFace();
    // Who finds the faces (none: A frames the most detailed part). Not owned.
    void setFaceLocator(FaceLocator* locator) { m_faceLocator = locator; }
    // Escape: the portrait, back buffer and view as they were when the window opened,
    // and the window hides. cancelled() tells the Import command so.
    void cancelPick();
    bool cancelled() const { return m_cancelled; }
    // Where the window goes before it is shown: beside its owner when there is room,
    // otherwise covering as little as possible of keepVisible (global coordinates).
    void placeBeside(const QRect& keepVisible);

    // Lays the window out around the picture as it now is: the container's border
    // hugs the picture, 4 pixels of window around the container. A surface holding a
    // reduced decode comes with the picture's whole size and a way to wait for the whole
    // picture, which replaces the reduced one when it is offered (offerWholePicture) or
    // when a zoom, a take or 1:1 needs more than the reduced one holds.
    void fitToPicture(QSize whole = {}, std::function<QImage()> waitForWhole = {});
    // The room the picture gets when the window opens (the most of it shown unscrolled).
    QSize pictureRoom() const;
    // Which picture fitToPicture last laid out; an offer for another is ignored.
    quint64 pictureSerial() const { return m_serial; }
    // The whole picture for the reduced one shown (ignored when null, of another size, or
    // for another picture).
    void offerWholePicture(quint64 serial, const QImage& whole);
    // Whether the pixels held are the whole picture (not a reduced decode of it).
    bool holdsWholePicture() const { return m_wholeSize == m_loaded.size(); }
    // The picture's size in file pixels, whatever is held.
    QSize pictureSize() const { return m_wholeSize; }
    // The pixels the window opened the picture with (a reduced decode, or the whole).
    const QImage& openedPixels() const { return m_opened; }

    // How a reduced picture is scaled, in the view and into the portrait (F, C, a region
    // taken at a zoom): Sharp unless the user chose Smooth.
    void setScaling(PictureScale::Filter filter);
    PictureScale::Filter scaling() const { return m_filter; }

    QScrollArea* scroller() const { return m_scroll; }
    // The pixels held, whatever the zoom: the picture as loaded, or a reduced decode of it
    // until the whole one is there.
    const QImage& loadedPicture() const { return m_loaded; }
    int zoomStep() const { return m_zoomStep; }
    // The picture's size as shown at the current zoom, and the whole shown picture
    // (built on request: the window itself only scales what is in view).
    QSize shownSize() const { return m_shown; }
    QImage shownPicture() const;
    // Whether the view shows the exact scaled pixels (not a quick sample waiting for them).
    bool renderingExact() const;
    QString zoomText() const;
    // Where the scrolled view shows the picture: the shown picture's pixel at the view's
    // top-left corner.
    QPoint scrollOffset() const;
    // Pixels the window may be wide and high on its screen, frame excluded.
    QSize availableClientSize() const;
    // The same beside the main window, where the window opens for a large picture.
    QSize roomClientSize() const;
    // The size the user last gave the window (invalid until then); a picture that needs
    // the room opens in a window of that size.
    QSize rememberedSize() const { return m_rememberedSize; }
    void setRememberedSize(QSize size) { m_rememberedSize = size; }
    // Where the picture's top-left corner lies in the view.
    QPoint pictureInView() const;
    QSize minimumSizeHint() const override;
    // The next paint of the picture is marked on the StageClock (import-shown), and then
    // (queued, once the paint is done) calls then, if any.
    void afterFirstPaint(std::function<void()> then)
    {
        m_markPaint = true;
        m_afterPaint = std::move(then);
    }

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    static constexpr int ContainerMargin = 4;
    void followPointer(QPointF at);
    ImportRegion nudgedRegion() const;
    void copyRegion(const ImportRegion& region);
    void setShownSize(QSize shown);
    void applyFraming(const PortraitFraming::Framing& framing);
    void layOut();
    int zoomLineHeight() const;
    // Puts the picture's top-left corner at wanted in the view, as nearly as the view allows.
    void placePicture(QPoint wanted);
    // The view a picture shown at a size has: the scroll area less the bars it needs.
    QSize viewFor(QSize shown) const;
    // Scales what the view shows (with or without a margin around it) when it is not
    // scaled yet.
    void renderVisible(bool margin = true);
    void refineRendering();
    void restPulse();
    // The whole picture in place of a reduced one, waited for if need be; false when it
    // cannot be had (the reduced one stays).
    bool ensureWhole();
    void useWhole(const QImage& whole);
    QString statusText(const ImportRegion& region) const;

    bool m_pulseResting = false;
    bool m_markPaint = false;
    std::function<void()> m_afterPaint;
    PortraitDocument& m_document;
    StatusBar& m_status;
    std::function<Colour()> m_background;
    Surface m_picture;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_stage = nullptr;
    QSize m_rememberedSize;
    QSize m_requestedSize;
    QImage m_loaded;
    QSize m_wholeSize;
    QImage m_opened;
    std::function<QImage()> m_waitForWhole;
    quint64 m_serial = 0;
    QSize m_shown;
    QRect m_rendered; // the part of the shown picture the surface holds
    class QLabel* m_zoomLabel = nullptr;
    bool m_cancelled = false;
    bool m_holdRendering = false;
    QTimer* m_refine = nullptr;
    // Picture pixels averaged at once before the view shows a quick sample first.
    static constexpr double QuickSampleAbove = 250'000;
    PictureScale::Filter m_filter = PictureScale::Filter::Sharp;
    int m_zoomStep = 0;
    // Where the last notch left the pointer and the picture, and the picture point (a
    // fraction of the picture) it kept under the pointer.
    struct ZoomAnchor {
        bool valid = false;
        QPointF pointer;
        QPoint picture;
        QPointF fraction;
    } m_zoomAnchor;
    int m_wheelRemainder = 0;
    QPointF m_pointer; // the last pointer position over the shown picture
    QPoint m_nudge;    // arrow-key moves since then
    bool m_outlinePlaced = false;
    FaceLocator* m_faceLocator = nullptr;
    std::vector<QRect> m_faces; // largest first, found at the first A
    bool m_facesSearched = false;
    int m_faceIndex = -1;
};
