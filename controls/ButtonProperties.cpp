#include "controls/ButtonProperties.h"

#include "controls/AccessKey.h"
#include "controls/OptionGroup.h"
#include "controls/kuButtons_H.h"

#include <QCursor>
#include <QPixmap>
#include <QShortcut>

using namespace kuButtons;

namespace {

const QString CRLF = QStringLiteral("\r\n");

} // namespace

void ButtonProperties::setButtonStyle(int v)
{
    if (v < Bevel3D || v > ShadedRounded)
        return;
    const int old = b.m.buttonStyle;
    b.m.buttonStyle = v;
    if (((old == HotTrack || v == HotTrack) && b.m.buttonShape < CustomShape1) ||
        b.m.buttonShape < OvalShaded)
        b.BuildRegion();
    b.LayoutContent(false);
    b.RefreshDerived(QStringLiteral("BackColor"));
    b.RedrawButton();
    b.notify(QStringLiteral("BackStyle"));
}

void ButtonProperties::setMode(int v)
{
    if (v < CommandButton || v > OptionButton)
        return;
    const int old = b.m.mode;
    if (old == OptionButton && v < OptionButton)
        b.UpdateOptionGroup(OptionGroup::Unregister);
    if (v == OptionButton && old < OptionButton)
        b.UpdateOptionGroup(OptionGroup::Register);
    if (v == CommandButton && old > CommandButton)
        b.m.value = false;
    b.m.mode = v;
    b.RedrawButton();
    b.notify(QStringLiteral("Mode"));
}

void ButtonProperties::updateAccessKey()
{
    b.m_accessKey = accessKeyOf(b.m.caption);
    delete b.m_shortcut;
    b.m_shortcut = nullptr;
    if (b.m_accessKey.isNull())
        return;
    b.m_shortcut = new QShortcut(
        QKeySequence(QKeyCombination(Qt::AltModifier, Qt::Key(b.m_accessKey.toUpper().unicode()))), &b);
    b.m_shortcut->setContext(Qt::WindowShortcut);
    kuButtons_H* button = &b;
    QObject::connect(b.m_shortcut, &QShortcut::activated, button,
                     [button] { button->onAccessKeyPress(short(button->m_accessKey.toUpper().unicode())); });
}

void ButtonProperties::setCaption(const QString& v)
{
    b.m.caption = v;
    updateAccessKey();
    b.LayoutContent(false);
    b.RedrawButton();
    b.notify(QStringLiteral("Caption"));
}

void ButtonProperties::setCaptionAlign(int v)
{
    if (v < AlignLeft || v > AlignCenter)
        return;
    if (v == AlignCenter || b.m.pictureAlign < PicTopCenter || !b.m.hasPicture()) {
        b.m.captionAlign = v;
        b.LayoutContent(false);
        b.RedrawButton();
        b.notify(QStringLiteral("CapAlign"));
    } else {
        b.designMessage(kuButtons_H::tr("When button images are aligned top/bottom center, ") + CRLF +
                        kuButtons_H::tr("button captions can only be center aligned"));
    }
}

void ButtonProperties::setCaptionStyle(int v)
{
    if (v < Flat || v > Engraved)
        return;
    b.m.captionStyle = v;
    b.notify(QStringLiteral("CapStyle"));
    if (!b.m.caption.isEmpty()) {
        b.LayoutContent(false);
        b.RedrawButton();
    }
}

void ButtonProperties::setCustomClick(int v)
{
    if (v < 0 || v > 8)
        return;
    b.m_customClick = v;
    if (b.m.buttonShape < CustomShape1 && v > 0)
        b.designMessage(
            kuButtons_H::tr("This property has no effect unless the Button Shape is a custom shape."));
    b.notify(QStringLiteral("CustomClick"));
}

void ButtonProperties::setButtonShape(int v)
{
    if (v < Rectangular || v > CustomShape2)
        return;
    if (isCustomShape(v)) {
        if (!b.m.hasPicture() || b.m.picture.kind == ButtonPicture::Icon) {
            b.designMessage(
                kuButtons_H::tr("The Picture Property must be assigned first and must be a bitmap or JPEG."));
            return;
        }
        if (b.PictureSize() != SizeFit) {
            b.m_delayDrawing = true;
            setPictureSize(SizeFit);
            b.m_delayDrawing = false;
        }
    }
    b.m.buttonShape = v;
    b.m.captionAlign = AlignCenter;
    b.ResizeHandling();
    b.DelayDrawing(false);
    b.notify(QStringLiteral("Shape"));
}

void ButtonProperties::setPicture(const ButtonPicture& v)
{
    b.m.picture = v;
    if (b.m.pictureSize == 0)
        b.m.pictureSize = 16;
    b.RefreshDerived(QStringLiteral("Picture"));
    if (b.m.buttonShape < CustomShape1) {
        b.LayoutContent(true);
        b.RedrawButton();
    } else {
        if (!b.m.hasPicture()) {
            b.m.buttonShape = Rectangular;
        } else if (b.m.picture.kind == ButtonPicture::Icon) {
            b.m.buttonShape = Rectangular;
            b.designMessage(
                kuButtons_H::tr("Icons cannot be used for custom buttons. Only use bitmaps or JPEGs.") +
                CRLF + kuButtons_H::tr("Button was changed to Rectangular shaped."));
        }
        b.ResizeHandling();
    }
    b.notify(QStringLiteral("Image"));
}

void ButtonProperties::setPictureAlign(int v)
{
    if (v < PicLeftEdge || v > PicBottomCenter)
        return;
    b.m.pictureAlign = v;
    if (v == PicTopCenter || v == PicBottomCenter)
        setCaptionAlign(AlignCenter);
    b.LayoutContent(false);
    b.RedrawButton();
    b.notify(QStringLiteral("ImgAlign"));
}

void ButtonProperties::setenabled(bool v)
{
    if (v == b.isEnabled())
        return;
    const bool wasDelayed = b.m_delayDrawing;
    b.m_delayDrawing = true; // the enabled-change event must not draw a second time
    b.QWidget::setEnabled(v);
    b.m_delayDrawing = wasDelayed;
    if (b.m.buttonStyle == GreyFramed && b.m.mode == CommandButton && b.m.buttonShape < OvalShaded) {
        b.m_delayDrawing = true;
        b.BuildRegion();
        b.LayoutContent(false);
        b.DelayDrawing(false);
    } else {
        b.RedrawButton();
    }
    b.notify(QStringLiteral("Enabled"));
}

void ButtonProperties::setShowFocusRect(bool v)
{
    b.m.showFocusRect = v;
    if (b.m.has(IsDefault)) {
        if (b.userMode()) {
            b.setState(IsDefault, false);
            b.RedrawButton();
        } else {
            b.designMessage(
                kuButtons_H::tr(
                    "The focus rectangle may appear on default buttons ONLY while in design mode, ") +
                CRLF + kuButtons_H::tr("but will not appear when the form is running."));
        }
    } else {
        b.RedrawButton();
    }
    b.notify(QStringLiteral("Focus"));
}

void ButtonProperties::setvalue(bool v)
{
    if (v && b.m.mode == CommandButton) {
        b.designMessage(kuButtons_H::tr("This property is not applicable for command button modes."));
        return;
    }
    b.m.value = v;
    if (v && b.m.mode == OptionButton)
        b.UpdateOptionGroup(OptionGroup::ClearOthers);
    b.RedrawButton();
    b.notify(QStringLiteral("Value"));
}

void ButtonProperties::setPictureSize(int option)
{
    if (option < Size16 || option > SizeFit)
        return;
    if (b.m.buttonShape < CustomShape1) {
        b.m.pictureSize = pictureSizePixels(option);
        b.LayoutContent(true);
        b.RedrawButton();
        b.notify(QStringLiteral("ImgSize"));
    } else {
        b.designMessage(kuButtons_H::tr("The picture size cannot be changed for Shaped buttons"));
    }
}

void ButtonProperties::applyMousePointer()
{
    switch (b.m_mousePointer) {
    case 99:
        if (!b.m_mouseIcon.isNull())
            b.setCursor(QCursor(QPixmap::fromImage(b.m_mouseIcon.image)));
        else
            b.unsetCursor();
        break;
    case 1:
        b.setCursor(Qt::ArrowCursor);
        break;
    case 2:
        b.setCursor(Qt::CrossCursor);
        break;
    case 3:
        b.setCursor(Qt::IBeamCursor);
        break;
    case 5:
        b.setCursor(Qt::SizeAllCursor);
        break;
    case 6:
        b.setCursor(Qt::SizeBDiagCursor);
        break;
    case 7:
        b.setCursor(Qt::SizeVerCursor);
        break;
    case 8:
        b.setCursor(Qt::SizeFDiagCursor);
        break;
    case 9:
        b.setCursor(Qt::SizeHorCursor);
        break;
    case 10:
        b.setCursor(Qt::UpArrowCursor);
        break;
    case 11:
        b.setCursor(Qt::WaitCursor);
        break;
    case 12:
        b.setCursor(Qt::ForbiddenCursor);
        break;
    case 13:
        b.setCursor(Qt::BusyCursor);
        break;
    case 14:
        b.setCursor(Qt::WhatsThisCursor);
        break;
    case 15:
        b.setCursor(Qt::SizeAllCursor);
        break;
    default:
        b.unsetCursor();
        break;
    }
}

void ButtonProperties::setMousePointer(int v)
{
    b.m_mousePointer = v;
    applyMousePointer();
    b.notify(QStringLiteral("mPointer"));
}

void ButtonProperties::setMouseIcon(const ButtonPicture& v)
{
    if (v.isNull()) {
        b.m_mouseIcon = {};
        applyMousePointer();
        return;
    }
    if (v.kind != ButtonPicture::Icon) {
        // Only icons and cursors make pointer shapes.
        b.designMessage(kuButtons_H::tr("Invalid property value"),
                        kuButtons_H::tr("Select .ico Or .cur Files Only"));
        return;
    }
    b.m_mouseIcon = v;
    setMousePointer(99);
    b.notify(QStringLiteral("mIcon"));
}

void ButtonProperties::setFont(const QFont& v)
{
    b.QWidget::setFont(v);
    b.RefreshDerived(QStringLiteral("Font"));
    b.LayoutContent(false);
    b.RedrawButton();
    b.notify(QStringLiteral("Font"));
}

void ButtonProperties::setFontStyle(int bits)
{
    QFont f = b.font();
    f.setBold((bits & 2) != 0);
    f.setItalic((bits & 4) != 0);
    f.setUnderline((bits & 8) != 0);
    b.QWidget::setFont(f);
    b.RefreshDerived(QStringLiteral("Font"));
    b.LayoutContent(false);
    b.notify(QStringLiteral("Font"));
    b.RedrawButton();
}

void ButtonProperties::setForeColor(Colour v)
{
    if (v == b.m.foreColor)
        return;
    b.m.foreColor = v;
    if (b.m_hoverColorLocks == LocksBoth || b.m_hoverColorLocks == LocksForeOnly)
        setHoverForeColor(v);
    b.m_delayDrawing = false;
    b.RedrawButton();
    b.notify(QStringLiteral("cFore"));
}

void ButtonProperties::setBackColor(Colour v)
{
    b.m.backColor = v;
    if (b.m_hoverColorLocks == LocksBoth || b.m_hoverColorLocks == LocksBackOnly)
        setHoverBackColor(b.m.gradientMode != NoGradient ? b.m.gradientColor : v);
    b.RefreshDerived(QStringLiteral("BackColor"));
    b.RedrawButton();
    b.notify(QStringLiteral("cBack"));
}

void ButtonProperties::setGradientColor(Colour v)
{
    if ((b.m_hoverColorLocks == LocksBoth || b.m_hoverColorLocks == LocksBackOnly) &&
        b.m.gradientMode > NoGradient)
        b.m.hoverBackColor = v;
    b.m.gradientColor = v;
    b.RefreshDerived(QStringLiteral("BackColor"));
    if (b.m.gradientMode != NoGradient)
        b.RedrawButton();
    b.notify(QStringLiteral("cGradient"));
}

void ButtonProperties::setGradientMode(int v)
{
    if (v < NoGradient || v > BottomToTop)
        return;
    b.m.gradientMode = v;
    if (b.m_hoverColorLocks == LocksBoth || b.m_hoverColorLocks == LocksBackOnly) {
        b.m.hoverBackColor = v == NoGradient ? b.m.backColor : b.m.gradientColor;
        b.RefreshDerived(QStringLiteral("BackColor"));
    }
    b.RedrawButton();
    b.notify(QStringLiteral("Gradient"));
}

void ButtonProperties::setResetDefaultColors(bool v)
{
    if (!v || b.userMode())
        return;
    b.m_delayDrawing = true;
    b.m.backColor = DefaultBackColor;
    setForeColor(DefaultForeColor);
    b.m_delayDrawing = true; // the fore colour setter resumes drawing
    setGradientColor(DefaultBackColor);
    setGradientMode(NoGradient);
    setHoverColorLocks(LocksBoth);
    b.RefreshDerived(QStringLiteral("BackColor"));
    b.DelayDrawing(false);
    b.notify(QStringLiteral("cGradient"));
    b.notify(QStringLiteral("cBack"));
}

void ButtonProperties::setHoverColorLocks(int v)
{
    b.m_hoverColorLocks = v;
    if (v == LocksBoth || v == LocksBackOnly) {
        b.m.hoverBackColor = b.m.gradientMode != NoGradient ? b.m.gradientColor : b.m.backColor;
        b.notify(QStringLiteral("cBHover"));
    }
    if (v == LocksBoth || v == LocksForeOnly) {
        b.m.hoverForeColor = b.m.foreColor;
        b.notify(QStringLiteral("cFHover"));
    }
    b.RefreshDerived(QStringLiteral("BackColor"));
    b.notify(QStringLiteral("LockHover"));
}

void ButtonProperties::setHoverForeColor(Colour v)
{
    if (v == b.m.hoverForeColor)
        return;
    b.m.hoverForeColor = v;
    b.notify(QStringLiteral("cFHover"));
    if (v != b.m.foreColor) {
        if (b.m_hoverColorLocks == LocksBoth)
            b.m_hoverColorLocks = LocksBackOnly;
        else if (b.m_hoverColorLocks == LocksForeOnly)
            b.m_hoverColorLocks = LocksNone;
    }
    b.notify(QStringLiteral("cFHover"));
}

void ButtonProperties::setHoverBackColor(Colour v)
{
    if (v == b.m.hoverBackColor)
        return;
    b.m.hoverBackColor = v;
    if (v != b.m.backColor) {
        if (b.m_hoverColorLocks == LocksBoth)
            b.m_hoverColorLocks = LocksForeOnly;
        else if (b.m_hoverColorLocks == LocksBackOnly)
            b.m_hoverColorLocks = LocksNone;
    }
    b.RefreshDerived(QStringLiteral("BackColor"));
    b.notify(QStringLiteral("cBHover"));
}