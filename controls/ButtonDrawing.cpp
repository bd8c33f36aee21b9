#include "controls/ButtonDrawing.h"

#include "controls/ButtonPainter.h"
#include "controls/kuButtons_H.h"
#include "platform/Twips.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

using namespace kuButtons;

namespace {

QPoint customClickStepOf(int customClick)
{
    static const QPoint steps[9] = {{0, 0},  {0, -1}, {1, -1}, {-1, -1}, {1, 1},
                                    {-1, 1}, {1, 0},  {0, 1},  {-1, 0}};
    return (customClick >= 0 && customClick <= 8) ? steps[customClick] : QPoint();
}

} // namespace

void ButtonDrawing::RefreshDerived(const QString& aspect)
{
    if (aspect.compare(QLatin1String("Font"), Qt::CaseInsensitive) == 0) {
        // The caption font at its size in device pixels, as the form's scale gives it.
        QFont f = b.font();
        if (f.pointSizeF() > 0)
            f.setPixelSize(std::max(1, int(f.pointSizeF() * 20.0 / twipsPerPixelY(&b))));
        b.m.font = f;
    } else if (aspect.compare(QLatin1String("Picture"), Qt::CaseInsensitive) == 0) {
        if (!b.m.hasPicture())
            b.m.pictureCache.clear();
    } else if (aspect.compare(QLatin1String("BackColor"), Qt::CaseInsensitive) == 0) {
        b.m.deriveColours();
    }
}

void ButtonDrawing::LayoutContent(bool rebuildCache)
{
    b.m.width = b.width();
    b.m.height = b.height();
    b.m.layout = ::LayoutContent(b.m.layoutInput());
    if (!b.m.hasPicture() || b.m.picture.kind != ButtonPicture::Bitmap) {
        b.m.pictureCache.clear();
        return;
    }
    const QSize want = isCustomShape(b.m.buttonShape) ? b.size() : b.m.layout.picture.size();
    // A cache of the wrong size (e.g. after restoring saved data) is rebuilt as well.
    if (rebuildCache || b.m.layout.rebuildCache || b.m.pictureCache.isNull() ||
        b.m.pictureCache.image().size() != want)
        b.m.pictureCache.build(b.m.picture.image, want);
}

void ButtonDrawing::BuildRegion()
{
    if (m_inBuildRegion)
        return;
    m_inBuildRegion = true;
    const bool wasDelayed = b.m_delayDrawing;
    if (b.m.buttonShape >= DiagonalLeft && b.m.buttonShape <= DiagonalBoth) {
        const int w = ButtonRegion::diagonalWidth(b.width(), b.height());
        if (w != b.width()) {
            b.m_delayDrawing = true;
            b.resize(w, b.height());
            b.m_delayDrawing = wasDelayed;
        }
    }
    const bool custom = isCustomShape(b.m.buttonShape);
    if (custom && b.m.hasPicture() && b.m.picture.kind == ButtonPicture::Bitmap) {
        b.m_delayDrawing = true;
        const QSize fitted = ButtonRegion::customShapeSize(b.size(), b.m.picture.image.size());
        if (fitted != b.size())
            b.resize(fitted);
        b.m_delayDrawing = wasDelayed;
        b.m.pictureCache.build(b.m.picture.image, b.size());
    }
    b.m.width = b.width();
    b.m.height = b.height();
    b.m.geometry = ButtonRegion::BuildRegion(b.m.buttonShape, b.m.buttonStyle, b.isEnabled(), b.m.width,
                                             b.m.height, custom ? &b.m.pictureCache : nullptr);
    if (b.m.geometry.window.isEmpty())
        b.clearMask();
    else
        b.setMask(b.m.geometry.window);
    m_inBuildRegion = false;
    present();
}

void ButtonDrawing::ResizeHandling()
{
    b.m.width = b.width();
    b.m.height = b.height();
    if (b.m_delayDrawing)
        return;
    BuildRegion();
    LayoutContent(false);
    RedrawButton();
}

bool ButtonDrawing::customClickStep()
{
    if (b.m_customClick == 0 || b.m.mode != CommandButton)
        return false;
    const QPoint step = customClickStepOf(b.m_customClick);
    if (b.m.pressedAndOver() && !b.m.has(IsMoved)) {
        b.move(b.pos() + step);
        b.setState(IsMoved, true);
        present();
        return true;
    }
    if (b.m.has(IsMoved) && !b.m.pressedAndOver()) {
        b.move(b.pos() - step);
        b.setState(IsMoved, false);
    }
    return false;
}

void ButtonDrawing::RedrawButton()
{
    if (b.m_delayDrawing)
        return;
    if (b.m.width != b.width() || b.m.height != b.height()) {
        ResizeHandling(); // draws at the new size
        return;
    }
    if (customClickStep())
        return;
    b.m.enabled = b.isEnabled();
    b.m.userMode = b.userMode();
    if (const QScreen* s = b.screen() ? b.screen() : QGuiApplication::primaryScreen())
        b.m.screenSize = s->size();
    const ButtonPainter::Result r = ButtonPainter::RedrawButton(b.m);
    if (!r.drawn)
        return;
    m_window = r.window;
    ++m_redraws;
    present();
}

void ButtonDrawing::paint()
{
    // A paint ends any drawing suspension left behind and draws the current state (at
    // the new size first if a layout changed the geometry behind our back).
    b.m_delayDrawing = false;
    m_painting = true;
    RedrawButton();
    m_painting = false;
    QPainter p(&b);
    p.drawImage(0, 0, m_window);
}

void ButtonDrawing::present()
{
    // Inside a paint the new image is shown by that same paint.
    if (!m_painting)
        b.update();
}
