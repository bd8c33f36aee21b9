#pragma once

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <functional>

class Surface;

// Mouse buttons and modifier keys as the handlers see them.
namespace MouseButton {
inline constexpr int Left = 1;
inline constexpr int Right = 2;
inline constexpr int Middle = 4;
} // namespace MouseButton
namespace ShiftMask {
inline constexpr int Shift = 1;
inline constexpr int Ctrl = 2;
inline constexpr int Alt = 4;
} // namespace ShiftMask

int buttonsToMask(Qt::MouseButtons buttons);
int modifiersToMask(Qt::KeyboardModifiers modifiers);

// A visible picture box: an optional 2-pixel sunken border around a drawing area
// that shows a Surface 1:1, or whatever a renderer draws into it at paint time. Mouse
// and key events come out as signals carrying the button (1, 2, 4, summed while
// moving), the Shift mask (1, 2, 4) and the position in drawing-area pixels.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    // Draws the drawing area's rectangle area into target, whose pixel (0, 0) stands for
    // the rectangle's top-left corner.
    using Renderer = std::function<void(QImage& target, const QRect& area)>;

    explicit PictureBox(QWidget* parent = nullptr, bool sunkenBorder = true);

    void setSurface(const Surface* surface);
    const Surface* surface() const { return m_surface; }
    // Instead of a surface: the drawing area is drawn at paint time, only where it is
    // repainted; updateArea() asks for a repaint of part of it.
    void setRenderer(Renderer renderer);
    void updateArea(const QRect& area);
    // Where the surface's top-left pixel lies in the drawing area (normally (0, 0)): a
    // surface may hold just a part of a larger picture.
    void setSurfaceOrigin(QPoint origin);
    QPoint surfaceOrigin() const { return m_surfaceOrigin; }

    bool hasBorder() const { return m_border; }
    int borderWidth() const { return m_border ? 2 : 0; }
    // Outer size from the drawing area's size.
    void setClientSize(QSize size);
    QSize clientSize() const;
    QPoint clientOrigin() const { return {borderWidth(), borderWidth()}; }

    // What the paint events covered since the last reset, rectangle by rectangle: the
    // repaint cost a change causes on screen.
    qint64 paintedArea() const { return m_paintedArea; }
    const QRegion& paintedRegion() const { return m_paintedRegion; }
    int paintEvents() const { return m_paintEvents; }
    void resetPaintStats();

    // Whether the pointer was last seen over the drawing area (not the border, not
    // outside the widget).
    bool pointerInClient() const { return m_pointerInClient; }

signals:
    void mouseDown(int button, int shift, float x, float y);
    void mouseMove(int button, int shift, float x, float y);
    void mouseUp(int button, int shift, float x, float y);
    void clicked();
    void doubleClicked();
    void keyDown(int key, int shift);
    void keyUp(int key, int shift);
    void focusLost();
    // The pointer went off the widget (not while a button holds it).
    void pointerLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void surfacePresented(const QRect& changed);
    QPointF clientPos(const QMouseEvent* event) const;
    bool inClient(const QMouseEvent* event) const;

    void paintArea(QPainter& p, const QRect& dirty);

    QPointer<const Surface> m_surface;
    Renderer m_renderer;
    // The rows the renderer is asked for at a time.
    static constexpr int RenderBandRows = 64;
    QImage m_rendered; // the renderer's scratch, reused from paint to paint
    QPoint m_surfaceOrigin;
    bool m_border;
    qint64 m_paintedArea = 0;
    QRegion m_paintedRegion;
    int m_paintEvents = 0;
    // The buttons whose press began on the drawing area: their moves and releases are
    // delivered wherever the pointer goes; a press on the border belongs to no one.
    Qt::MouseButtons m_ownButtons;
    bool m_pointerInClient = false;
};
