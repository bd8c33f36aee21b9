#include "controls/kuButtons_H.h"

#include "controls/ButtonHost.h"
#include "controls/ButtonPersistence.h"
#include "controls/OptionGroup.h"
#include "controls/PropertyBag.h"
#include "platform/Dialogs.h"
#include "platform/SystemColor.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>

using namespace kuButtons;

kuButtons_H::kuButtons_H(ButtonHost& host, QWidget* parent) : QWidget(parent), m_host(host)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&m_input.hoverTimer(), &QTimer::timeout, this, &kuButtons_H::CheckHoverExit);
    m_input.setProbe([] { return QApplication::widgetAt(QCursor::pos()); });
    adoptContainer();
    RefreshDerived(QStringLiteral("Font"));
}

kuButtons_H::~kuButtons_H()
{
    if (m.hovering)
        m_input.hoverTimer().stop();
    // Leave the option group whatever the mode, so that it never holds a dead member.
    if (m_container && OptionGroup::contains(m_container, this))
        OptionGroup::UpdateOptionGroup(m_container, this, OptionGroup::Unregister);
}

// ---- host steps -------------------------------------------------------------------

void kuButtons_H::adoptContainer()
{
    m_container = parentWidget();
    m_tag = QString::number(quintptr(m_container.data()));
}

bool kuButtons_H::userMode() const
{
    return m_host.userMode();
}

void kuButtons_H::notify(const QString& key)
{
    m_host.propertyChanged(key);
}

void kuButtons_H::designMessage(const QString& text, const QString& title)
{
    if (userMode())
        return;
    m_host.dialogs().message(text, title.isEmpty() ? QCoreApplication::applicationName() : title,
                             MessageButtons::Ok, MessageIcon::Information);
}

void kuButtons_H::InitProperties()
{
    adoptContainer();
    m.caption = m_host.displayName();
    updateAccessKey();
    m.captionAlign = AlignCenter;
    m.showFocusRect = true;
    m.hoverForeColor = DefaultForeColor;
    m.hoverBackColor = DefaultBackColor;
    if (parentWidget())
        QWidget::setFont(parentWidget()->font());
    RefreshDerived(QStringLiteral("Font"));
    m.containerBackColor = SystemColorToRgb(m_host.ambientBackColor());
    m.backColor = DefaultBackColor;
    RefreshDerived(QStringLiteral("BackColor"));
    for (const char* key : {"Caption", "CapAlign", "Focus", "cFHover", "cBHover", "Font"})
        notify(QString::fromLatin1(key));
    ResizeHandling();
}

void kuButtons_H::ReadProperties()
{
    ReadProperties(m_host.propertyBag());
}
void kuButtons_H::WriteProperties() const
{
    WriteProperties(m_host.propertyBag());
}

void kuButtons_H::ReadProperties(const PropertyBag& bag)
{
    adoptContainer();
    m.containerBackColor = SystemColorToRgb(m_host.ambientBackColor());
    m_delayDrawing = true;
    ButtonPersistence::read(*this, bag);

    // Each of the remaining steps is contained on its own, so a bad value in one does
    // not stop the others.
    try {
        RefreshDerived(QStringLiteral("Font"));
        RefreshDerived(QStringLiteral("Picture"));
        RefreshDerived(QStringLiteral("BackColor"));
        setCaption(m.caption);
    } catch (...) {
    }
    try {
        if (m.mode == OptionButton)
            UpdateOptionGroup(OptionGroup::Register);
    } catch (...) {
    }
    try {
        m_delayDrawing = false;
        ResizeHandling();
    } catch (...) {
    }
}

void kuButtons_H::WriteProperties(PropertyBag& bag) const
{
    ButtonPersistence::write(*this, bag);
}

void kuButtons_H::AmbientChanged(const QString& name)
{
    if (name.compare(QLatin1String("DisplayAsDefault"), Qt::CaseInsensitive) == 0) {
        const bool clear = !m_host.displayAsDefault() || (!m.showFocusRect && userMode());
        setState(IsDefault, !clear);
        const bool designCustom = isCustomShape(m.buttonShape) && !userMode();
        if (designCustom)
            m.hovering = m.has(IsDefault);
        RedrawButton();
        if (designCustom)
            m.hovering = false;
    } else if (name.compare(QLatin1String("BackColor"), Qt::CaseInsensitive) == 0) {
        m.containerBackColor = SystemColorToRgb(m_host.ambientBackColor());
        if (m.buttonShape > DiagonalBoth || m.buttonStyle == HotTrack)
            RedrawButton();
    }
}

// ---- properties: the setters' rules live in ButtonProperties ---------------------

void kuButtons_H::setButtonStyle(int v)
{
    m_props.setButtonStyle(v);
}

void kuButtons_H::setMode(int v)
{
    m_props.setMode(v);
}

void kuButtons_H::setCaption(const QString& v)
{
    m_props.setCaption(v);
}

void kuButtons_H::setCaptionAlign(int v)
{
    m_props.setCaptionAlign(v);
}

void kuButtons_H::setCaptionStyle(int v)
{
    m_props.setCaptionStyle(v);
}

void kuButtons_H::setCustomClick(int v)
{
    m_props.setCustomClick(v);
}

void kuButtons_H::setButtonShape(int v)
{
    m_props.setButtonShape(v);
}

void kuButtons_H::setPicture(const ButtonPicture& v)
{
    m_props.setPicture(v);
}

void kuButtons_H::setPictureAlign(int v)
{
    m_props.setPictureAlign(v);
}

void kuButtons_H::setenabled(bool v)
{
    m_props.setenabled(v);
}

void kuButtons_H::setShowFocusRect(bool v)
{
    m_props.setShowFocusRect(v);
}

void kuButtons_H::setvalue(bool v)
{
    m_props.setvalue(v);
}

void kuButtons_H::setPictureSize(int option)
{
    m_props.setPictureSize(option);
}

void kuButtons_H::setMousePointer(int v)
{
    m_props.setMousePointer(v);
}

void kuButtons_H::setMouseIcon(const ButtonPicture& v)
{
    m_props.setMouseIcon(v);
}

void kuButtons_H::setFont(const QFont& v)
{
    m_props.setFont(v);
}

void kuButtons_H::setFontStyle(int bits)
{
    m_props.setFontStyle(bits);
}

void kuButtons_H::setForeColor(Colour v)
{
    m_props.setForeColor(v);
}

void kuButtons_H::setBackColor(Colour v)
{
    m_props.setBackColor(v);
}

void kuButtons_H::setGradientColor(Colour v)
{
    m_props.setGradientColor(v);
}

void kuButtons_H::setGradientMode(int v)
{
    m_props.setGradientMode(v);
}

void kuButtons_H::setResetDefaultColors(bool v)
{
    m_props.setResetDefaultColors(v);
}

void kuButtons_H::setHoverColorLocks(int v)
{
    m_props.setHoverColorLocks(v);
}

void kuButtons_H::setHoverForeColor(Colour v)
{
    m_props.setHoverForeColor(v);
}

void kuButtons_H::setHoverBackColor(Colour v)
{
    m_props.setHoverBackColor(v);
}

int kuButtons_H::FontStyle() const
{
    const QFont f = font();
    return (f.bold() ? 2 : 0) + (f.italic() ? 4 : 0) + (f.underline() ? 8 : 0);
}

void kuButtons_H::setWidth(int v)
{
    if (v == width() && v == m.width)
        return;
    resize(v, height());
    ResizeHandling();
}

void kuButtons_H::setHeight(int v)
{
    if (v == height() && v == m.height)
        return;
    resize(width(), v);
    ResizeHandling();
}

void kuButtons_H::Refresh()
{
    m_delayDrawing = false;
    RedrawButton();
}

void kuButtons_H::DelayDrawing(bool bDelay)
{
    m_delayDrawing = bDelay;
    if (!bDelay)
        Refresh();
}

// ---- drawing: ButtonDrawing renders the image ------------------------------------

void kuButtons_H::setState(unsigned bit, bool on)
{
    if (on)
        m.stateBits |= bit;
    else
        m.stateBits &= ~bit;
}

void kuButtons_H::paintEvent(QPaintEvent*)
{
    m_drawing.paint();
}

void kuButtons_H::resizeEvent(QResizeEvent*)
{
    if (m.width != width() || m.height != height())
        ResizeHandling();
}

void kuButtons_H::showEvent(QShowEvent*)
{
    if (!userMode() && m.showFocusRect && m_host.displayAsDefault()) {
        setState(IsDefault, true);
        RedrawButton();
    }
}

void kuButtons_H::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::EnabledChange) {
        if (m.enabled != isEnabled())
            RedrawButton();
    } else if (e->type() == QEvent::PaletteChange) {
        AmbientChanged(QStringLiteral("BackColor"));
    } else if (e->type() == QEvent::FontChange) {
        // A font inherited from the form (not set through Font) still reaches the caption.
        const QFont before = m.font;
        RefreshDerived(QStringLiteral("Font"));
        if (!(m.font == before)) {
            LayoutContent(false);
            RedrawButton();
        }
    }
    QWidget::changeEvent(e);
}

// ---- input: ButtonInput handles pointer and keyboard -----------------------------

bool kuButtons_H::UpdateOptionGroup(int action)
{
    try {
        return OptionGroup::UpdateOptionGroup(m_container, this, action);
    } catch (...) {
        return false;
    }
}

void kuButtons_H::onMouseDown(short Button, short Shift, float X, float Y)
{
    m_input.onMouseDown(Button, Shift, X, Y);
}
void kuButtons_H::onMouseMove(short Button, short Shift, float X, float Y)
{
    m_input.onMouseMove(Button, Shift, X, Y);
}
void kuButtons_H::onMouseUp(short Button, short Shift, float X, float Y)
{
    m_input.onMouseUp(Button, Shift, X, Y);
}
void kuButtons_H::onClick()
{
    m_input.onClick();
}
void kuButtons_H::onDblClick()
{
    m_input.onDblClick();
}
void kuButtons_H::onKeyDown(short& KeyCode, short Shift)
{
    m_input.onKeyDown(KeyCode, Shift);
}
void kuButtons_H::onKeyPress(short KeyAscii)
{
    emit KeyPress(KeyAscii);
}
void kuButtons_H::onKeyUp(short& KeyCode, short Shift)
{
    m_input.onKeyUp(KeyCode, Shift);
}
void kuButtons_H::onAccessKeyPress(short KeyAscii)
{
    m_input.onAccessKeyPress(KeyAscii);
}
void kuButtons_H::onGotFocus()
{
    m_input.onGotFocus();
}
void kuButtons_H::CheckHoverExit()
{
    m_input.CheckHoverExit();
}

void kuButtons_H::mousePressEvent(QMouseEvent* e)
{
    m_input.mousePress(e);
}
void kuButtons_H::mouseMoveEvent(QMouseEvent* e)
{
    m_input.mouseMove(e);
}
void kuButtons_H::mouseReleaseEvent(QMouseEvent* e)
{
    m_input.mouseRelease(e);
}
void kuButtons_H::mouseDoubleClickEvent(QMouseEvent*)
{
    m_input.mouseDoubleClick();
}
void kuButtons_H::keyPressEvent(QKeyEvent* e)
{
    m_input.keyPress(e);
}
void kuButtons_H::keyReleaseEvent(QKeyEvent* e)
{
    m_input.keyRelease(e);
}
void kuButtons_H::focusInEvent(QFocusEvent* e)
{
    m_host.focusChanged(true);
    AmbientChanged(QStringLiteral("DisplayAsDefault"));
    onGotFocus();
    QWidget::focusInEvent(e);
}

void kuButtons_H::focusOutEvent(QFocusEvent* e)
{
    m_host.focusChanged(false);
    AmbientChanged(QStringLiteral("DisplayAsDefault"));
    QWidget::focusOutEvent(e);
}
void kuButtons_H::dragEnterEvent(QDragEnterEvent* e)
{
    m_input.dragEnter(e);
}
void kuButtons_H::dragMoveEvent(QDragMoveEvent* e)
{
    m_input.dragMove(e);
}
void kuButtons_H::dragLeaveEvent(QDragLeaveEvent*)
{
    m_input.dragLeave();
}
void kuButtons_H::dropEvent(QDropEvent* e)
{
    m_input.drop(e);
}
