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
}

ButtonPopupFace::~ButtonPopupFace() = default;

void ButtonPopupFace::setPicture(const QImage& picture)
{
    m_button->setPicture({picture, ButtonPicture::Icon});
}
void ButtonPopupFace::setCaption(const QString& caption)
{
    m_button->setCaption(caption);
}
QString ButtonPopupFace::caption() const
{
    return m_button->Caption();
}
void ButtonPopupFace::setWidth(int width)
{
    m_button->setWidth(width);
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
    return m_button->Width();
}
int ButtonPopupFace::height() const
{
    return m_button->Height();
}
QImage ButtonPopupFace::image() const
{
    return m_button->hdc();
}
