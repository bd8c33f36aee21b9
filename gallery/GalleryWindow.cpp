#include "gallery/GalleryWindow.h"

#include "platform/SystemColor.h"
#include "platform/UiFont.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

using namespace kuButtons;

namespace {

const char* const StyleNames[] = {"Bevel3D",  "SoftBevel", "BrightRounded", "GreyFramed",
                                  "FlatLine", "HotTrack",  "LightBevel",    "ShadedRounded"};
const char* const ShapeNames[] = {"Rectangular",  "DiagonalLeft", "DiagonalRight",
                                  "DiagonalBoth", "OvalShaded",   "OvalShaded2",
                                  "OvalOutlined", "CustomShape1", "CustomShape2"};

// An icon with its own transparency: a blue ring with a white dot.
ButtonPicture ringIcon(int size = 32)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 60, 170), size / 8.0));
    p.setBrush(QColor(120, 170, 240));
    p.drawEllipse(QRectF(size / 8.0, size / 8.0, size * 0.75, size * 0.75));
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(size * 0.4, size * 0.4, size * 0.2, size * 0.2));
    return {img, ButtonPicture::Icon};
}

// A bitmap on a white background (the background is the transparent key).
ButtonPicture discBitmap(int size = 32)
{
    QImage img(size, size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(QColor(90, 10, 10));
    p.setBrush(QColor(220, 40, 30));
    p.drawEllipse(2, 2, size - 5, size - 5);
    p.setBrush(QColor(255, 200, 60));
    p.drawEllipse(size / 3, size / 3, size / 3, size / 3);
    return {img, ButtonPicture::Bitmap};
}

ButtonPicture starBitmap(int size = 64)
{
    QImage img(size, size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2 == 0) ? size * 0.48 : size * 0.22;
        const double a = M_PI / 2 + i * M_PI / 5;
        const QPointF pt(size / 2.0 + r * std::cos(a), size / 2.0 - r * std::sin(a));
        if (i == 0)
            star.moveTo(pt);
        else
            star.lineTo(pt);
    }
    star.closeSubpath();
    p.setPen(QColor(120, 80, 0));
    p.setBrush(QColor(250, 190, 30));
    p.drawPath(star);
    return {img, ButtonPicture::Bitmap};
}

ButtonPicture heartBitmap(int size = 64)
{
    QImage img(size, size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    QPainterPath heart;
    heart.moveTo(size / 2.0, size * 0.9);
    heart.cubicTo(size * 0.05, size * 0.55, size * 0.1, size * 0.08, size / 2.0, size * 0.3);
    heart.cubicTo(size * 0.9, size * 0.08, size * 0.95, size * 0.55, size / 2.0, size * 0.9);
    p.setPen(QColor(80, 0, 40));
    p.setBrush(QColor(200, 30, 90));
    p.drawPath(heart);
    return {img, ButtonPicture::Bitmap};
}

QLabel* label(QWidget* parent, const QString& text, QRect geometry)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(geometry);
    return l;
}

} // namespace

GalleryWindow::GalleryWindow() : m_dialogs(this)
{
    setWindowTitle(QStringLiteral("Button gallery"));
    setFixedSize(1250, 760);
    m_font = QFont(UiFont::family());
    m_font.setPointSizeF(8);
    setFont(m_font);

    buildStyles();
    buildShapes();
    buildPictures();
    buildExtras();

    m_log = new QLabel(this);
    m_log->setGeometry(10, 715, 1230, 40);
    m_log->setFrameShape(QFrame::StyledPanel);
    m_log->setText(QStringLiteral("Events appear here."));
}

GalleryWindow::~GalleryWindow()
{
    // The buttons go first: their hosts are members and die with the window.
    qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
}

QWidget* GalleryWindow::section(const QString& title, QRect geometry)
{
    auto* box = new QFrame(this);
    box->setFrameShape(QFrame::StyledPanel);
    box->setGeometry(geometry);
    auto* l = label(box, title, QRect(8, 4, geometry.width() - 16, 18));
    QFont bold = m_font;
    bold.setBold(true);
    l->setFont(bold);
    return box;
}

kuButtons_H* GalleryWindow::add(QWidget* container, const QString& name, QRect geometry,
                                const QString& caption)
{
    m_hosts.push_back(std::make_unique<WidgetContainerHost>(container, m_dialogs, name));
    auto* b = new kuButtons_H(*m_hosts.back(), container);
    b->setGeometry(geometry);
    b->InitProperties();
    b->setCaption(caption);
    connect(b, &kuButtons_H::Click, this, [this, name, b] {
        logEvent(b->Mode() == CommandButton
                     ? name + QStringLiteral(": Click")
                     : name + QStringLiteral(": Click, value ") +
                           (b->value() ? QStringLiteral("on") : QStringLiteral("off")));
    });
    connect(b, &kuButtons_H::DoubleClick, this,
            [this, name](short& button) { logEvent(name + QStringLiteral(": DoubleClick %1").arg(button)); });
    return b;
}

void GalleryWindow::logEvent(const QString& text)
{
    m_events.prepend(text);
    while (m_events.size() > 6)
        m_events.removeLast();
    m_log->setText(m_events.join(QStringLiteral("   |   ")));
}

void GalleryWindow::buildStyles()
{
    QWidget* box = section(QStringLiteral("Styles and modes"), QRect(10, 10, 830, 420));
    const QStringList heads{"Command",  "Default look", "Gradient", "Check box",
                            "Option A", "Option B",     "Disabled"};
    for (int c = 0; c < heads.size(); ++c)
        label(box, heads[c], QRect(110 + c * 102, 24, 100, 16));
    for (int style = 0; style < 8; ++style) {
        // Each row is its own container, so its two option buttons form their own group.
        auto* row = new QWidget(box);
        row->setGeometry(0, 42 + style * 46, 830, 44);
        label(row, QString::fromLatin1(StyleNames[style]), QRect(8, 12, 100, 18));
        const QString base = QString::fromLatin1(StyleNames[style]);
        auto place = [&](int column, const QString& caption) {
            kuButtons_H* b = add(row, base + QStringLiteral(" ") + heads[column],
                                 QRect(110 + column * 102, 6, 96, 30), caption);
            b->setButtonStyle(style);
            b->setHoverBackColor(RGBColour(236, 242, 255));
            return b;
        };
        place(0, QStringLiteral("Press me"));
        kuButtons_H* def = place(1, QStringLiteral("Default"));
        m_hosts.back()->setDefaultFollowsFocus(false);
        m_hosts.back()->setDisplayAsDefault(true);
        def->AmbientChanged(QStringLiteral("DisplayAsDefault"));
        kuButtons_H* grad = place(2, QStringLiteral("Gradient"));
        grad->setGradientColor(RGBColour(120, 160, 230));
        grad->setGradientMode(style % 2 == 0 ? LeftToRight : TopToBottom);
        place(3, QStringLiteral("Check"))->setMode(CheckBox);
        kuButtons_H* a = place(4, QStringLiteral("Option A"));
        a->setMode(OptionButton);
        a->setvalue(true);
        place(5, QStringLiteral("Option B"))->setMode(OptionButton);
        place(6, QStringLiteral("Disabled"))->setenabled(false);
    }
}

void GalleryWindow::buildShapes()
{
    QWidget* box =
        section(QStringLiteral("Shapes (second row: check boxes; shapes 5 to 8 show captions when on)"),
                QRect(10, 440, 830, 265));
    for (int shape = 0; shape <= CustomShape2; ++shape) {
        label(box, QString::fromLatin1(ShapeNames[shape]), QRect(8 + shape * 91, 24, 90, 16))
            ->setFont(QFont(m_font.family(), 6));
        for (int row = 0; row < 2; ++row) {
            const QString name = QString::fromLatin1(ShapeNames[shape]) + (row ? " check" : " command");
            kuButtons_H* b = add(box, name, QRect(8 + shape * 91, 44 + row * 110, 86, shape >= 7 ? 86 : 40),
                                 row ? QStringLiteral("On/off") : QStringLiteral("Shape"));
            b->setButtonStyle(row == 0 ? Bevel3D : BrightRounded);
            if (isCustomShape(shape)) {
                b->setPicture(shape == CustomShape1 ? starBitmap() : heartBitmap());
                b->setCustomClick(row == 0 ? 4 : 0); // the command one moves when pressed
            }
            b->setButtonShape(shape);
            if (row == 1)
                b->setMode(CheckBox);
        }
    }
}

void GalleryWindow::buildPictures()
{
    QWidget* box = section(QStringLiteral("Pictures"), QRect(850, 10, 390, 420));
    const char* aligns[] = {"Left edge",        "Left of caption", "Right edge",
                            "Right of caption", "Top centre",      "Bottom centre"};
    for (int a = 0; a <= PicBottomCenter; ++a) {
        const bool tall = a >= PicTopCenter;
        kuButtons_H* b = add(box, QString::fromLatin1(aligns[a]),
                             QRect(8 + (a % 2) * 188, 26 + (a / 2) * 62, 182, tall ? 58 : 40),
                             QString::fromLatin1(aligns[a]));
        b->setPicture(a % 2 ? discBitmap() : ringIcon());
        b->setPictureAlign(a);
        b->setButtonStyle(a < 2 ? Bevel3D : (a < 4 ? SoftBevel : LightBevel));
    }
    const char* sizes[] = {"16", "24", "32", "Stretch", "Fit"};
    for (int s = 0; s <= SizeFit; ++s) {
        kuButtons_H* b = add(box, QStringLiteral("Size ") + sizes[s], QRect(8 + s * 76, 216, 72, 64),
                             s >= SizeStretch ? QString() : QString::fromLatin1(sizes[s]));
        b->setPicture(discBitmap(48));
        b->setPictureAlign(PicTopCenter);
        b->setPictureSize(s);
        b->setButtonStyle(FlatLine);
    }
    kuButtons_H* off = add(box, QStringLiteral("Disabled picture"), QRect(8, 290, 182, 40),
                           QStringLiteral("Disabled picture"));
    off->setPicture(discBitmap());
    off->setenabled(false);
    kuButtons_H* offIcon =
        add(box, QStringLiteral("Disabled icon"), QRect(196, 290, 182, 40), QStringLiteral("Disabled icon"));
    offIcon->setPicture(ringIcon());
    offIcon->setButtonStyle(ShadedRounded);
    offIcon->setenabled(false);
    // The popup look of the editor: FlatLine, caption right, 16-pixel swatch at the left edge.
    kuButtons_H* popup =
        add(box, QStringLiteral("Popup look"), QRect(8, 344, 130, 21), QStringLiteral("RGB(255,255,255)"));
    popup->setButtonStyle(FlatLine);
    popup->setCaptionAlign(AlignRight);
    popup->setForeColor(SystemColour(17));
    popup->setGradientColor(SystemColour(24));
    popup->setShowFocusRect(false);
    QFont small(m_font.family());
    small.setPointSizeF(UiFont::PointSize);
    popup->setFont(small);
    QImage swatch(16, 16, QImage::Format_ARGB32);
    swatch.fill(Qt::black);
    QPainter(&swatch).fillRect(1, 1, 14, 14, Qt::white);
    popup->setPicture({swatch, ButtonPicture::Icon});
    label(box, QStringLiteral("<- the editor's colour popup"), QRect(146, 346, 230, 18));
}

void GalleryWindow::buildExtras()
{
    QWidget* box = section(QStringLiteral("Captions, colours and behaviour"), QRect(850, 440, 390, 265));
    kuButtons_H* two = add(box, QStringLiteral("Two lines"), QRect(8, 26, 120, 44),
                           QStringLiteral("First line||second line"));
    two->setButtonStyle(SoftBevel);
    kuButtons_H* emb =
        add(box, QStringLiteral("Embossed"), QRect(134, 26, 120, 44), QStringLiteral("Embossed"));
    emb->setCaptionStyle(Embossed);
    emb->setFontStyle(2);
    emb->setBackColor(RGBColour(150, 170, 200));
    kuButtons_H* eng =
        add(box, QStringLiteral("Engraved"), QRect(260, 26, 120, 44), QStringLiteral("Engraved"));
    eng->setCaptionStyle(Engraved);
    eng->setFontStyle(2);
    eng->setBackColor(RGBColour(150, 170, 200));

    kuButtons_H* hover =
        add(box, QStringLiteral("Hover colours"), QRect(8, 78, 120, 34), QStringLiteral("Hover me"));
    hover->setButtonStyle(HotTrack);
    hover->setHoverBackColor(RGBColour(255, 230, 120));
    hover->setHoverForeColor(RGBColour(160, 0, 0));
    kuButtons_H* key =
        add(box, QStringLiteral("Access key"), QRect(134, 78, 120, 34), QStringLiteral("&Access key"));
    key->setButtonStyle(LightBevel);
    kuButtons_H* left =
        add(box, QStringLiteral("Left aligned"), QRect(260, 78, 120, 34), QStringLiteral("Left aligned"));
    left->setCaptionAlign(AlignLeft);
    left->setButtonStyle(GreyFramed);

    kuButtons_H* diag = add(box, QStringLiteral("Diagonal gradient"), QRect(8, 120, 180, 34),
                            QStringLiteral("Diagonal, gradient"));
    diag->setButtonShape(DiagonalBoth);
    diag->setButtonStyle(ShadedRounded);
    diag->setGradientColor(RGBColour(90, 200, 120));
    diag->setGradientMode(LeftToRight);
    kuButtons_H* bright = add(box, QStringLiteral("Bright gradient"), QRect(196, 120, 184, 34),
                              QStringLiteral("Bottom to top"));
    bright->setButtonStyle(BrightRounded);
    bright->setGradientColor(RGBColour(250, 200, 120));
    bright->setGradientMode(BottomToTop);

    kuButtons_H* design =
        add(box, QStringLiteral("Design mode"), QRect(8, 168, 180, 30), QStringLiteral("&Design mode"));
    design->setMode(CheckBox);
    design->setButtonStyle(Bevel3D);
    connect(design, &kuButtons_H::Click, this, [this, design] {
        // Switch every host between the running form and the designer's view.
        for (auto& h : m_hosts)
            h->setUserMode(!design->value());
        for (kuButtons_H* b : findChildren<kuButtons_H*>())
            b->Refresh();
    });
    label(box, QStringLiteral("Design mode shows idle HotTrack outlines and the designer's advice boxes."),
          QRect(8, 204, 374, 50))
        ->setWordWrap(true);
}
