#include "controls/kuButtons_H.h"

#include "controls/AccessKey.h"
#include "controls/ButtonHost.h"
#include "controls/OptionGroup.h"
#include "controls/PropertyBag.h"
#include "platform/Dialogs.h"
#include "platform/SystemColor.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <cmath>

using namespace kuButtons;

namespace {

const QString CRLF = QStringLiteral("\r\n");

qint32 stored(Colour c)
{
    return qint32(c);
}
Colour colourFrom(const QVariant& v)
{
    return Colour(quint32(v.toLongLong()));
}

QVariant pictureToVariant(const ButtonPicture& p)
{
    if (p.isNull())
        return {};
    QVariantMap map;
    map.insert(QStringLiteral("kind"), int(p.kind));
    map.insert(QStringLiteral("image"), p.image);
    return map;
}

ButtonPicture pictureFromVariant(const QVariant& v)
{
    ButtonPicture p;
    const QVariantMap map = v.toMap();
    p.image = map.value(QStringLiteral("image")).value<QImage>();
    p.kind = map.value(QStringLiteral("kind")).toInt() == 1 ? ButtonPicture::Icon : ButtonPicture::Bitmap;
    return p;
}

short buttonOf(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

short buttonsOf(Qt::MouseButtons b)
{
    return short((b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) |
                 (b & Qt::MiddleButton ? 4 : 0));
}

short shiftOf(Qt::KeyboardModifiers m)
{
    return short((m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
                 (m & Qt::AltModifier ? 4 : 0));
}

// Windows virtual-key codes, which the key events carry.
short virtualKeyOf(int key)
{
    switch (key) {
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_End:
        return 35;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    default:
        break;
    }
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return short(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return short(112 + (key - Qt::Key_F1));
    return short(key & 0xFF);
}

struct ArrowKey {
    short vk;
    Qt::Key key;
    quint32 scanCode;
};
constexpr ArrowKey Arrows[] = {
    {37, Qt::Key_Left, 0x4B}, {38, Qt::Key_Up, 0x48}, {39, Qt::Key_Right, 0x4D}, {40, Qt::Key_Down, 0x50}};

QPoint customClickStepOf(int customClick)
{
    static const QPoint steps[9] = {{0, 0},  {0, -1}, {1, -1}, {-1, -1}, {1, 1},
                                    {-1, 1}, {1, 0},  {0, 1},  {-1, 0}};
    return (customClick >= 0 && customClick <= 8) ? steps[customClick] : QPoint();
}

int dropEffectOf(Qt::DropAction a)
{
    switch (a) {
    case Qt::CopyAction:
        return 1;
    case Qt::MoveAction:
        return 2;
    default:
        return 0;
    }
}

} // namespace

kuButtons_H::kuButtons_H(ButtonHost& host, QWidget* parent) : QWidget(parent), m_host(host)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_hoverTimer.setInterval(HoverIntervalMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, &kuButtons_H::CheckHoverExit);
    m_probe = [] { return QApplication::widgetAt(QCursor::pos()); };
    adoptContainer();
    RefreshDerived(QStringLiteral("Font"));
}

kuButtons_H::~kuButtons_H()
{
    if (m.hovering)
        m_hoverTimer.stop();
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

    m.caption = bag.ReadProperty("Caption", QString()).toString();
    m.captionAlign = bag.ReadProperty("CapAlign", 2).toInt();
    m.buttonStyle = bag.ReadProperty("BackStyle", 0).toInt();
    m.buttonShape = bag.ReadProperty("Shape", 0).toInt();
    m.gradientMode = bag.ReadProperty("Gradient", 0).toInt();
    m.gradientColor = colourFrom(bag.ReadProperty("cGradient", stored(DefaultBackColor)));
    m.foreColor = colourFrom(bag.ReadProperty("cFore", stored(DefaultForeColor)));
    const QVariant f = bag.ReadProperty("Font");
    if (f.metaType() == QMetaType::fromType<QFont>())
        QWidget::setFont(f.value<QFont>());
    m.showFocusRect = bag.ReadProperty("Focus", true).toBool();
    m.mode = bag.ReadProperty("Mode", 0).toInt();
    m.value = bag.ReadProperty("Value", false).toBool();
    m_customClick = bag.ReadProperty("CustomClick", 0).toInt();
    m.picture = pictureFromVariant(bag.ReadProperty("Image"));
    m.pictureSize = bag.ReadProperty("ImgSize", qint16(16)).toInt();
    m.pictureAlign = bag.ReadProperty("ImgAlign", 0).toInt();
    m.hoverForeColor = colourFrom(bag.ReadProperty("cFHover", stored(DefaultForeColor)));
    QWidget::setEnabled(bag.ReadProperty("Enabled", true).toBool());
    const Colour parentBack =
        parentWidget() ? fromQColor(parentWidget()->palette().color(parentWidget()->backgroundRole()))
                       : DefaultBackColor;
    m.backColor = colourFrom(bag.ReadProperty("cBack", stored(parentBack)));
    m.hoverBackColor = colourFrom(bag.ReadProperty("cBHover", stored(m.backColor)));
    m_hoverColorLocks = bag.ReadProperty("LockHover", 0).toInt();
    m.captionStyle = bag.ReadProperty("CapStyle", 0).toInt();
    setMouseIcon(pictureFromVariant(bag.ReadProperty("mIcon")));
    setMousePointer(bag.ReadProperty("mPointer", qint16(0)).toInt());

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
    bag.WriteProperty("Caption", m.caption, QString());
    bag.WriteProperty("CapAlign", qint32(m.captionAlign), qint32(2));
    bag.WriteProperty("BackStyle", qint32(m.buttonStyle), qint32(0));
    bag.WriteProperty("Shape", qint32(m.buttonShape), qint32(0));
    bag.WriteProperty("Font", font());
    bag.WriteProperty("cFore", stored(m.foreColor), stored(DefaultForeColor));
    bag.WriteProperty("cFHover", stored(m.hoverForeColor), stored(DefaultForeColor));
    bag.WriteProperty("cBhover", stored(m.hoverBackColor), stored(m.backColor));
    bag.WriteProperty("Focus", m.showFocusRect, true);
    bag.WriteProperty("LockHover", qint32(m_hoverColorLocks), qint32(0));
    bag.WriteProperty("cGradient", stored(m.gradientColor), stored(DefaultBackColor));
    bag.WriteProperty("Gradient", qint32(m.gradientMode), qint32(0));
    bag.WriteProperty("CapStyle", qint32(m.captionStyle), qint32(0));
    bag.WriteProperty("Mode", qint32(m.mode));
    bag.WriteProperty("Value", m.value);
    bag.WriteProperty("CustomClick", qint32(m_customClick), qint32(0));
    bag.WriteProperty("ImgAlign", qint32(m.pictureAlign), qint32(0));
    bag.WriteProperty("Image", pictureToVariant(m.picture));
    bag.WriteProperty("ImgSize", QVariant::fromValue(qint16(m.pictureSize)), QVariant::fromValue(qint16(16)));
    bag.WriteProperty("Enabled", isEnabled(), true);
    bag.WriteProperty("cBack", stored(m.backColor));
    bag.WriteProperty("mPointer", QVariant::fromValue(qint16(m_mousePointer)),
                      QVariant::fromValue(qint16(0)));
    bag.WriteProperty("mIcon", pictureToVariant(m_mouseIcon));
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

// ---- properties -------------------------------------------------------------------

void kuButtons_H::setButtonStyle(int v)
{
    if (v < Bevel3D || v > ShadedRounded)
        return;
    const int old = m.buttonStyle;
    m.buttonStyle = v;
    if (((old == HotTrack || v == HotTrack) && m.buttonShape < CustomShape1) || m.buttonShape < OvalShaded)
        BuildRegion();
    LayoutContent(false);
    RefreshDerived(QStringLiteral("BackColor"));
    RedrawButton();
    notify(QStringLiteral("BackStyle"));
}

void kuButtons_H::setMode(int v)
{
    if (v < CommandButton || v > OptionButton)
        return;
    const int old = m.mode;
    if (old == OptionButton && v < OptionButton)
        UpdateOptionGroup(OptionGroup::Unregister);
    if (v == OptionButton && old < OptionButton)
        UpdateOptionGroup(OptionGroup::Register);
    if (v == CommandButton && old > CommandButton)
        m.value = false;
    m.mode = v;
    RedrawButton();
    notify(QStringLiteral("Mode"));
}

void kuButtons_H::updateAccessKey()
{
    m_accessKey = accessKeyOf(m.caption);
    delete m_shortcut;
    m_shortcut = nullptr;
    if (m_accessKey.isNull())
        return;
    m_shortcut = new QShortcut(
        QKeySequence(QKeyCombination(Qt::AltModifier, Qt::Key(m_accessKey.toUpper().unicode()))), this);
    m_shortcut->setContext(Qt::WindowShortcut);
    connect(m_shortcut, &QShortcut::activated, this,
            [this] { onAccessKeyPress(short(m_accessKey.toUpper().unicode())); });
}

void kuButtons_H::setCaption(const QString& v)
{
    m.caption = v;
    updateAccessKey();
    LayoutContent(false);
    RedrawButton();
    notify(QStringLiteral("Caption"));
}

void kuButtons_H::setCaptionAlign(int v)
{
    if (v < AlignLeft || v > AlignCenter)
        return;
    if (v == AlignCenter || m.pictureAlign < PicTopCenter || !m.hasPicture()) {
        m.captionAlign = v;
        LayoutContent(false);
        RedrawButton();
        notify(QStringLiteral("CapAlign"));
    } else {
        designMessage(tr("When button images are aligned top/bottom center, ") + CRLF +
                      tr("button captions can only be center aligned"));
    }
}

void kuButtons_H::setCaptionStyle(int v)
{
    if (v < Flat || v > Engraved)
        return;
    m.captionStyle = v;
    notify(QStringLiteral("CapStyle"));
    if (!m.caption.isEmpty()) {
        LayoutContent(false);
        RedrawButton();
    }
}

void kuButtons_H::setCustomClick(int v)
{
    if (v < 0 || v > 8)
        return;
    m_customClick = v;
    if (m.buttonShape < CustomShape1 && v > 0)
        designMessage(tr("This property has no effect unless the Button Shape is a custom shape."));
    notify(QStringLiteral("CustomClick"));
}

void kuButtons_H::setButtonShape(int v)
{
    if (v < Rectangular || v > CustomShape2)
        return;
    if (isCustomShape(v)) {
        if (!m.hasPicture() || m.picture.kind == ButtonPicture::Icon) {
            designMessage(tr("The Picture Property must be assigned first and must be a bitmap or JPEG."));
            return;
        }
        if (PictureSize() != SizeFit) {
            m_delayDrawing = true;
            setPictureSize(SizeFit);
            m_delayDrawing = false;
        }
    }
    m.buttonShape = v;
    m.captionAlign = AlignCenter;
    ResizeHandling();
    DelayDrawing(false);
    notify(QStringLiteral("Shape"));
}

void kuButtons_H::setPicture(const ButtonPicture& v)
{
    m.picture = v;
    if (m.pictureSize == 0)
        m.pictureSize = 16;
    RefreshDerived(QStringLiteral("Picture"));
    if (m.buttonShape < CustomShape1) {
        LayoutContent(true);
        RedrawButton();
    } else {
        if (!m.hasPicture()) {
            m.buttonShape = Rectangular;
        } else if (m.picture.kind == ButtonPicture::Icon) {
            m.buttonShape = Rectangular;
            designMessage(tr("Icons cannot be used for custom buttons. Only use bitmaps or JPEGs.") + CRLF +
                          tr("Button was changed to Rectangular shaped."));
        }
        ResizeHandling();
    }
    notify(QStringLiteral("Image"));
}

void kuButtons_H::setPictureAlign(int v)
{
    if (v < PicLeftEdge || v > PicBottomCenter)
        return;
    m.pictureAlign = v;
    if (v == PicTopCenter || v == PicBottomCenter)
        setCaptionAlign(AlignCenter);
    LayoutContent(false);
    RedrawButton();
    notify(QStringLiteral("ImgAlign"));
}

void kuButtons_H::setenabled(bool v)
{
    if (v == isEnabled())
        return;
    const bool wasDelayed = m_delayDrawing;
    m_delayDrawing = true; // the enabled-change event must not draw a second time
    QWidget::setEnabled(v);
    m_delayDrawing = wasDelayed;
    if (m.buttonStyle == GreyFramed && m.mode == CommandButton && m.buttonShape < OvalShaded) {
        m_delayDrawing = true;
        BuildRegion();
        LayoutContent(false);
        DelayDrawing(false);
    } else {
        RedrawButton();
    }
    notify(QStringLiteral("Enabled"));
}

void kuButtons_H::setShowFocusRect(bool v)
{
    m.showFocusRect = v;
    if (m.has(IsDefault)) {
        if (userMode()) {
            setState(IsDefault, false);
            RedrawButton();
        } else {
            designMessage(
                tr("The focus rectangle may appear on default buttons ONLY while in design mode, ") + CRLF +
                tr("but will not appear when the form is running."));
        }
    } else {
        RedrawButton();
    }
    notify(QStringLiteral("Focus"));
}

void kuButtons_H::setvalue(bool v)
{
    if (v && m.mode == CommandButton) {
        designMessage(tr("This property is not applicable for command button modes."));
        return;
    }
    m.value = v;
    if (v && m.mode == OptionButton)
        UpdateOptionGroup(OptionGroup::ClearOthers);
    RedrawButton();
    notify(QStringLiteral("Value"));
}

void kuButtons_H::setPictureSize(int option)
{
    if (option < Size16 || option > SizeFit)
        return;
    if (m.buttonShape < CustomShape1) {
        m.pictureSize = pictureSizePixels(option);
        LayoutContent(true);
        RedrawButton();
        notify(QStringLiteral("ImgSize"));
    } else {
        designMessage(tr("The picture size cannot be changed for Shaped buttons"));
    }
}

void kuButtons_H::applyMousePointer()
{
    switch (m_mousePointer) {
    case 99:
        if (!m_mouseIcon.isNull())
            setCursor(QCursor(QPixmap::fromImage(m_mouseIcon.image)));
        else
            unsetCursor();
        break;
    case 1:
        setCursor(Qt::ArrowCursor);
        break;
    case 2:
        setCursor(Qt::CrossCursor);
        break;
    case 3:
        setCursor(Qt::IBeamCursor);
        break;
    case 5:
        setCursor(Qt::SizeAllCursor);
        break;
    case 6:
        setCursor(Qt::SizeBDiagCursor);
        break;
    case 7:
        setCursor(Qt::SizeVerCursor);
        break;
    case 8:
        setCursor(Qt::SizeFDiagCursor);
        break;
    case 9:
        setCursor(Qt::SizeHorCursor);
        break;
    case 10:
        setCursor(Qt::UpArrowCursor);
        break;
    case 11:
        setCursor(Qt::WaitCursor);
        break;
    case 12:
        setCursor(Qt::ForbiddenCursor);
        break;
    case 13:
        setCursor(Qt::BusyCursor);
        break;
    case 14:
        setCursor(Qt::WhatsThisCursor);
        break;
    case 15:
        setCursor(Qt::SizeAllCursor);
        break;
    default:
        unsetCursor();
        break;
    }
}

void kuButtons_H::setMousePointer(int v)
{
    m_mousePointer = v;
    applyMousePointer();
    notify(QStringLiteral("mPointer"));
}

void kuButtons_H::setMouseIcon(const ButtonPicture& v)
{
    if (v.isNull()) {
        m_mouseIcon = {};
        applyMousePointer();
        return;
    }
    if (v.kind != ButtonPicture::Icon) {
        // Only icons and cursors make pointer shapes.
        designMessage(tr("Invalid property value"), tr("Select .ico Or .cur Files Only"));
        return;
    }
    m_mouseIcon = v;
    setMousePointer(99);
    notify(QStringLiteral("mIcon"));
}

void kuButtons_H::setFont(const QFont& v)
{
    QWidget::setFont(v);
    RefreshDerived(QStringLiteral("Font"));
    LayoutContent(false);
    RedrawButton();
    notify(QStringLiteral("Font"));
}

int kuButtons_H::FontStyle() const
{
    const QFont f = font();
    return (f.bold() ? 2 : 0) + (f.italic() ? 4 : 0) + (f.underline() ? 8 : 0);
}

void kuButtons_H::setFontStyle(int bits)
{
    QFont f = font();
    f.setBold((bits & 2) != 0);
    f.setItalic((bits & 4) != 0);
    f.setUnderline((bits & 8) != 0);
    QWidget::setFont(f);
    RefreshDerived(QStringLiteral("Font"));
    LayoutContent(false);
    notify(QStringLiteral("Font"));
    RedrawButton();
}

void kuButtons_H::setForeColor(Colour v)
{
    if (v == m.foreColor)
        return;
    m.foreColor = v;
    if (m_hoverColorLocks == LocksBoth || m_hoverColorLocks == LocksForeOnly)
        setHoverForeColor(v);
    m_delayDrawing = false;
    RedrawButton();
    notify(QStringLiteral("cFore"));
}

void kuButtons_H::setBackColor(Colour v)
{
    m.backColor = v;
    if (m_hoverColorLocks == LocksBoth || m_hoverColorLocks == LocksBackOnly)
        setHoverBackColor(m.gradientMode != NoGradient ? m.gradientColor : v);
    RefreshDerived(QStringLiteral("BackColor"));
    RedrawButton();
    notify(QStringLiteral("cBack"));
}

void kuButtons_H::setGradientColor(Colour v)
{
    if ((m_hoverColorLocks == LocksBoth || m_hoverColorLocks == LocksBackOnly) && m.gradientMode > NoGradient)
        m.hoverBackColor = v;
    m.gradientColor = v;
    RefreshDerived(QStringLiteral("BackColor"));
    if (m.gradientMode != NoGradient)
        RedrawButton();
    notify(QStringLiteral("cGradient"));
}

void kuButtons_H::setGradientMode(int v)
{
    if (v < NoGradient || v > BottomToTop)
        return;
    m.gradientMode = v;
    if (m_hoverColorLocks == LocksBoth || m_hoverColorLocks == LocksBackOnly) {
        m.hoverBackColor = v == NoGradient ? m.backColor : m.gradientColor;
        RefreshDerived(QStringLiteral("BackColor"));
    }
    RedrawButton();
    notify(QStringLiteral("Gradient"));
}

void kuButtons_H::setResetDefaultColors(bool v)
{
    if (!v || userMode())
        return;
    m_delayDrawing = true;
    m.backColor = DefaultBackColor;
    setForeColor(DefaultForeColor);
    m_delayDrawing = true; // the fore colour setter resumes drawing
    setGradientColor(DefaultBackColor);
    setGradientMode(NoGradient);
    setHoverColorLocks(LocksBoth);
    RefreshDerived(QStringLiteral("BackColor"));
    DelayDrawing(false);
    notify(QStringLiteral("cGradient"));
    notify(QStringLiteral("cBack"));
}

void kuButtons_H::setHoverColorLocks(int v)
{
    m_hoverColorLocks = v;
    if (v == LocksBoth || v == LocksBackOnly) {
        m.hoverBackColor = m.gradientMode != NoGradient ? m.gradientColor : m.backColor;
        notify(QStringLiteral("cBHover"));
    }
    if (v == LocksBoth || v == LocksForeOnly) {
        m.hoverForeColor = m.foreColor;
        notify(QStringLiteral("cFHover"));
    }
    RefreshDerived(QStringLiteral("BackColor"));
    notify(QStringLiteral("LockHover"));
}

void kuButtons_H::setHoverForeColor(Colour v)
{
    if (v == m.hoverForeColor)
        return;
    m.hoverForeColor = v;
    notify(QStringLiteral("cFHover"));
    if (v != m.foreColor) {
        if (m_hoverColorLocks == LocksBoth)
            m_hoverColorLocks = LocksBackOnly;
        else if (m_hoverColorLocks == LocksForeOnly)
            m_hoverColorLocks = LocksNone;
    }
    notify(QStringLiteral("cFHover"));
}

void kuButtons_H::setHoverBackColor(Colour v)
{
    if (v == m.hoverBackColor)
        return;
    m.hoverBackColor = v;
    if (v != m.backColor) {
        if (m_hoverColorLocks == LocksBoth)
            m_hoverColorLocks = LocksForeOnly;
        else if (m_hoverColorLocks == LocksBackOnly)
            m_hoverColorLocks = LocksNone;
    }
    RefreshDerived(QStringLiteral("BackColor"));
    notify(QStringLiteral("cBHover"));
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

// ---- drawing ----------------------------------------------------------------------

void kuButtons_H::setState(unsigned bit, bool on)
{
    if (on)
        m.stateBits |= bit;
    else
        m.stateBits &= ~bit;
}

void kuButtons_H::RefreshDerived(const QString& aspect)
{
    if (aspect.compare(QLatin1String("Font"), Qt::CaseInsensitive) == 0) {
        // The caption font at its size in device pixels, as the form's scale gives it.
        QFont f = font();
        if (f.pointSizeF() > 0)
            f.setPixelSize(std::max(1, int(f.pointSizeF() * 20.0 / twipsPerPixelY(this))));
        m.font = f;
    } else if (aspect.compare(QLatin1String("Picture"), Qt::CaseInsensitive) == 0) {
        if (!m.hasPicture())
            m.pictureCache.clear();
    } else if (aspect.compare(QLatin1String("BackColor"), Qt::CaseInsensitive) == 0) {
        m.deriveColours();
    }
}

void kuButtons_H::LayoutContent(bool rebuildCache)
{
    m.width = width();
    m.height = height();
    m.layout = ::LayoutContent(m.layoutInput());
    if (!m.hasPicture() || m.picture.kind != ButtonPicture::Bitmap) {
        m.pictureCache.clear();
        return;
    }
    const QSize want = isCustomShape(m.buttonShape) ? size() : m.layout.picture.size();
    // A cache of the wrong size (e.g. after restoring saved data) is rebuilt as well.
    if (rebuildCache || m.layout.rebuildCache || m.pictureCache.isNull() ||
        m.pictureCache.image().size() != want)
        m.pictureCache.build(m.picture.image, want);
}

void kuButtons_H::BuildRegion()
{
    if (m_inBuildRegion)
        return;
    m_inBuildRegion = true;
    const bool wasDelayed = m_delayDrawing;
    if (m.buttonShape >= DiagonalLeft && m.buttonShape <= DiagonalBoth) {
        const int w = ButtonRegion::diagonalWidth(width(), height());
        if (w != width()) {
            m_delayDrawing = true;
            resize(w, height());
            m_delayDrawing = wasDelayed;
        }
    }
    const bool custom = isCustomShape(m.buttonShape);
    if (custom && m.hasPicture() && m.picture.kind == ButtonPicture::Bitmap) {
        m_delayDrawing = true;
        const QSize fitted = ButtonRegion::customShapeSize(size(), m.picture.image.size());
        if (fitted != size())
            resize(fitted);
        m_delayDrawing = wasDelayed;
        m.pictureCache.build(m.picture.image, size());
    }
    m.width = width();
    m.height = height();
    m.geometry = ButtonRegion::BuildRegion(m.buttonShape, m.buttonStyle, isEnabled(), m.width, m.height,
                                           custom ? &m.pictureCache : nullptr);
    if (m.geometry.window.isEmpty())
        clearMask();
    else
        setMask(m.geometry.window);
    m_inBuildRegion = false;
    present();
}

void kuButtons_H::ResizeHandling()
{
    m.width = width();
    m.height = height();
    if (m_delayDrawing)
        return;
    BuildRegion();
    LayoutContent(false);
    RedrawButton();
}

bool kuButtons_H::customClickStep()
{
    if (m_customClick == 0 || m.mode != CommandButton)
        return false;
    const QPoint step = customClickStepOf(m_customClick);
    if (m.pressedAndOver() && !m.has(IsMoved)) {
        move(pos() + step);
        setState(IsMoved, true);
        present();
        return true;
    }
    if (m.has(IsMoved) && !m.pressedAndOver()) {
        move(pos() - step);
        setState(IsMoved, false);
    }
    return false;
}

void kuButtons_H::RedrawButton()
{
    if (m_delayDrawing)
        return;
    if (m.width != width() || m.height != height()) {
        ResizeHandling(); // draws at the new size
        return;
    }
    if (customClickStep())
        return;
    m.enabled = isEnabled();
    m.userMode = userMode();
    if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
        m.screenSize = s->size();
    const ButtonPainter::Result r = ButtonPainter::RedrawButton(m);
    if (!r.drawn)
        return;
    m_window = r.window;
    ++m_redraws;
    present();
}

void kuButtons_H::paintEvent(QPaintEvent*)
{
    // A paint ends any drawing suspension left behind and draws the current state (at
    // the new size first if a layout changed the geometry behind our back).
    m_delayDrawing = false;
    m_painting = true;
    RedrawButton();
    m_painting = false;
    QPainter p(this);
    p.drawImage(0, 0, m_window);
}

void kuButtons_H::present()
{
    // Inside a paint the new image is shown by that same paint.
    if (!m_painting)
        update();
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

// ---- input ------------------------------------------------------------------------

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
    m_lastButton = Button;
    if (Button == 1) {
        setState(IsPressed, true);
        m.buttonDown = true;
        m_delayDrawing = false;
        RedrawButton();
        // Qt grabs the pointer for the widget a button was pressed on until release.
    }
    emit MouseDown(Button, Shift, X, Y);
}

void kuButtons_H::startHover()
{
    setState(IsOver, true);
    emit MouseOnButton(true);
    setProperty("ku_ClassID", QVariant::fromValue(quintptr(this)));
    setProperty("ku_TimerID", HoverTimerId);
    m_hoverTimer.start();
    m.hovering = true;
    m_delayDrawing = false;
}

void kuButtons_H::onMouseMove(short Button, short Shift, float X, float Y)
{
    try {
        if (!m.hovering && m_probe && m_probe() == this) {
            startHover();
            if (Button == 1)
                m.buttonDown = true;
            RedrawButton();
        }
    } catch (...) {
    }
    emit MouseMove(Button, Shift, X, Y);
}

void kuButtons_H::CheckHoverExit()
{
    if (m_probe && m_probe() == this)
        return;
    m_hoverTimer.stop();
    setState(IsOver, false);
    m.hovering = false;
    m_delayDrawing = false;
    emit MouseOnButton(false);
    m.buttonDown = false;
    RedrawButton();
}

void kuButtons_H::onMouseUp(short Button, short Shift, float X, float Y)
{
    m.buttonDown = false;
    if (Button == 1) {
        setState(IsPressed, false);
        m_delayDrawing = false;
        if (m.mode == CommandButton)
            RedrawButton();
    }
    emit MouseUp(Button, Shift, X, Y);
    m_lastButton = Button;
}

void kuButtons_H::onClick()
{
    if (m_lastButton != 1)
        return;
    if (m.mode > CommandButton) {
        if (m.mode == OptionButton && m.value)
            return;
        setvalue(!m.value);
    }
    emit Click();
}

void kuButtons_H::onDblClick()
{
    const QPoint p = mapFromGlobal(QCursor::pos());
    short button = m_lastButton;
    emit DoubleClick(button);
    if (m_lastButton == 1) {
        onMouseDown(1, 0, float(p.x()), float(p.y()));
        m_lastButton = -1;
    } else {
        emit MouseDown(m_lastButton, 0, float(p.x()), float(p.y()));
    }
}

void kuButtons_H::onKeyDown(short& KeyCode, short Shift)
{
    for (const ArrowKey& a : Arrows) {
        if (KeyCode != a.vk)
            continue;
        KeyCode = 0;
        // Arrow keys belong to the container (moving between buttons), never to us.
        if (QWidget* target = m_container ? m_container.data() : parentWidget())
            QCoreApplication::postEvent(target,
                                        new QKeyEvent(QEvent::KeyPress, a.key, Qt::NoModifier, a.scanCode,
                                                      quint32(a.vk), 0, QString(), false, 1));
        // In an option group they move to the previous (left, up) or next option; the
        // key's release there selects it.
        if (m.mode == OptionButton) {
            const int step = (a.key == Qt::Key_Left || a.key == Qt::Key_Up) ? -1 : 1;
            if (kuButtons_H* next = OptionGroup::neighbour(m_container, this, step))
                next->setFocus(Qt::OtherFocusReason);
        }
        break;
    }
    if (KeyCode == 32 && !m.has(IsPressed)) {
        setState(IsOver, true);
        m.buttonDown = true;
        setState(IsPressed, true);
        RedrawButton();
        if (!m.hovering)
            setState(IsOver, false);
    }
    if (KeyCode != 0)
        emit KeyDown(KeyCode, Shift);
}

void kuButtons_H::onKeyPress(short KeyAscii)
{
    emit KeyPress(KeyAscii);
}

void kuButtons_H::onKeyUp(short& KeyCode, short Shift)
{
    m.buttonDown = false;
    if (KeyCode == 32 && m.has(IsPressed)) {
        setState(IsPressed, false);
        m_lastButton = 1;
        if (m.mode == CommandButton) {
            RedrawButton();
        } else {
            emit KeyUp(KeyCode, Shift);
            KeyCode = 0;
        }
        onClick();
    }
    if (KeyCode >= 37 && KeyCode <= 40) {
        KeyCode = 0;
        if (m.mode == OptionButton && !m.value) {
            m_lastButton = 1;
            onClick();
        }
    }
    if (KeyCode == 16)
        KeyCode = 0;
    if (KeyCode != 0)
        emit KeyUp(KeyCode, Shift);
}

void kuButtons_H::onAccessKeyPress(short KeyAscii)
{
    if ((KeyAscii == 13 || KeyAscii == 27) && m.mode > CommandButton)
        return;
    if (!m.has(IsDefault))
        RedrawButton();
    m_lastButton = 1;
    onClick();
}

void kuButtons_H::onGotFocus()
{
    if (m.mode == OptionButton && !m.value && !UpdateOptionGroup(OptionGroup::AnyOn)) {
        m_lastButton = 1;
        onClick();
    }
}

// ---- Qt event plumbing ------------------------------------------------------------

void kuButtons_H::mousePressEvent(QMouseEvent* e)
{
    const QPointF p = e->position();
    onMouseDown(buttonOf(e->button()), shiftOf(e->modifiers()), float(p.x()), float(p.y()));
}

void kuButtons_H::mouseMoveEvent(QMouseEvent* e)
{
    const QPointF p = e->position();
    onMouseMove(buttonsOf(e->buttons()), shiftOf(e->modifiers()), float(p.x()), float(p.y()));
}

void kuButtons_H::mouseReleaseEvent(QMouseEvent* e)
{
    const QPointF p = e->position();
    const bool inside = rect().contains(p.toPoint()) &&
                        (m.geometry.window.isEmpty() || m.geometry.window.contains(p.toPoint()));
    onMouseUp(buttonOf(e->button()), shiftOf(e->modifiers()), float(p.x()), float(p.y()));
    // The release that ends a double click is not a click of its own.
    if (inside && !m_afterDoubleClick)
        onClick();
    m_afterDoubleClick = false;
}

void kuButtons_H::mouseDoubleClickEvent(QMouseEvent*)
{
    onDblClick();
    m_afterDoubleClick = true;
}

void kuButtons_H::keyPressEvent(QKeyEvent* e)
{
    short code = virtualKeyOf(e->key());
    onKeyDown(code, shiftOf(e->modifiers()));
    if (!e->text().isEmpty())
        onKeyPress(short(e->text().at(0).unicode()));
}

void kuButtons_H::keyReleaseEvent(QKeyEvent* e)
{
    if (e->isAutoRepeat())
        return;
    short code = virtualKeyOf(e->key());
    onKeyUp(code, shiftOf(e->modifiers()));
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
    int effect = dropEffectOf(e->proposedAction());
    const QPointF p = e->position();
    emit OLEDragOver(e->mimeData(), effect, buttonsOf(e->buttons()), shiftOf(e->modifiers()), float(p.x()),
                     float(p.y()), 0);
    if (effect != 0)
        e->acceptProposedAction();
}

void kuButtons_H::dragMoveEvent(QDragMoveEvent* e)
{
    int effect = dropEffectOf(e->proposedAction());
    const QPointF p = e->position();
    emit OLEDragOver(e->mimeData(), effect, buttonsOf(e->buttons()), shiftOf(e->modifiers()), float(p.x()),
                     float(p.y()), 2);
    if (effect != 0)
        e->acceptProposedAction();
    else
        e->ignore();
}

void kuButtons_H::dragLeaveEvent(QDragLeaveEvent*)
{
    int effect = 0;
    emit OLEDragOver(nullptr, effect, 0, 0, 0.0f, 0.0f, 1);
}

void kuButtons_H::dropEvent(QDropEvent* e)
{
    int effect = dropEffectOf(e->proposedAction());
    const QPointF p = e->position();
    emit OLEDragDrop(e->mimeData(), effect, buttonsOf(e->buttons()), shiftOf(e->modifiers()), float(p.x()),
                     float(p.y()));
    if (effect != 0)
        e->acceptProposedAction();
}
