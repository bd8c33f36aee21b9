#include "mainwindow/ButtonPopupFace.h"

#include "platform/SystemColor.h"
#include "platform/UiFont.h"

using namespace kuButtons;

PropertyBag ButtonPopupFace::savedSettings()
{
    PropertyBag bag;
    QFont font(UiFont::family());
    font.setPointSizeF(UiFont::PointSize);
    font.setWeight(QFont::Normal);
    bag.WriteProperty("BackStyle", qint32(FlatLine), qint32(0));
    bag.WriteProperty("CapAlign", qint32(AlignRight), qint32(2));
    bag.WriteProperty("Font", font);
    bag.WriteProperty("cFore", qint32(SystemColour(SystemColourIndex::GrayText)));
    bag.WriteProperty("cFHover", qint32(SystemColour(SystemColourIndex::GrayText)));
    bag.WriteProperty("cBack", qint32(SystemColour(SystemColourIndex::ButtonFace)));
    bag.WriteProperty("cGradient", qint32(SystemColour(SystemColourIndex::InfoBackground)));
    bag.WriteProperty("Mode", qint32(CommandButton));
    bag.WriteProperty("Value", false);
    bag.WriteProperty("Focus", false, true);
    return bag;
}

ButtonPopupFace::ButtonPopupFace(QWidget* form, Dialogs& dialogs)
    : m_host(form, dialogs, QStringLiteral("cmdRGB"))
{
    m_button = std::make_unique<kuButtons_H>(m_host, form);
    m_button->setObjectName(QStringLiteral("cmdRGB"));
    m_button->hide(); // never shown as a control; only its image is used
    m_button->setGeometry(0, 0, 113, 21);
    m_button->ReadProperties(savedSettings());
    m_look = {m_button->Caption(), QImage(), m_button->Width()};
}

ButtonPopupFace::~ButtonPopupFace() = default;

void ButtonPopupFace::setPicture(const QImage& picture)
{
    m_look.picture = picture;
}
void ButtonPopupFace::setCaption(const QString& caption)
{
    m_look.caption = caption;
}
QString ButtonPopupFace::caption() const
{
    return m_look.caption;
}
void ButtonPopupFace::setWidth(int width)
{
    m_look.width = width;
}
void ButtonPopupFace::setPosition(int left, int top)
{
    m_button->move(left, top);
}
int ButtonPopupFace::left() const
{
    return m_button->Left();
}
int ButtonPopupFace::top() const
{
    return m_button->Top();
}
int ButtonPopupFace::width() const
{
    return m_look.width;
}
int ButtonPopupFace::height() const
{
    return m_button->Height();
}
QImage ButtonPopupFace::image() const
{
    if (m_button->hdc().cacheKey() != m_renderedKey)
        m_faces.clear();
    for (const Face& f : std::as_const(m_faces))
        if (f.look == m_look)
            return f.image;
    m_button->setPicture({m_look.picture, ButtonPicture::Icon});
    m_button->setCaption(m_look.caption);
    m_button->setWidth(m_look.width);
    if (m_faces.size() == KeptFaces)
        m_faces.removeFirst();
    m_faces.append({m_look, m_button->hdc()});
    m_renderedKey = m_button->hdc().cacheKey();
    return m_faces.last().image;
}
