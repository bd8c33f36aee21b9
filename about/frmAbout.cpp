#include "about/frmAbout.h"

#include "platform/Twips.h"
#include "platform/UiFont.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cmath>

frmAbout::frmAbout(const QString& version, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_version(version), m_background(QStringLiteral(":/about/background.png"))
{
    setWindowTitle(tr("About Pictoria"));
    setModal(true);
    setFixedSize(ClientWidth, ClientHeight);
    setFont(UiFont::font());

    m_text = new QLabel(this);
    m_text->setAttribute(Qt::WA_TranslucentBackground);
    m_text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_text->resize(int(std::lround(4575 / twipsPerPixelX(this))),
                   int(std::lround(3075 / twipsPerPixelY(this))));

    if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(ClientWidth / 2, ClientHeight / 2));

    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &frmAbout::tmrScroll_Timer);
    Form_Load();
}

void frmAbout::Form_Load()
{
    m_text->setText(tr("Pictoria - Emberfall Portrait Maker") + QStringLiteral("\r\n\r\n") +
                    tr("Written by the Pictoria developers") + QStringLiteral("\r\n\r\n") + m_version);
    m_topTwips = StartTopTwips;
    m_scrollStep = 0;
    m_grey = 255;
    placeLabel();
    m_timer.start();
}

int frmAbout::greyLevelAt(int scrollStep)
{
    // White for the first 88 ticks of a pass, then darker by 4 a tick, never below 0.
    return std::clamp(605 - 4 * scrollStep, 0, 255);
}

void frmAbout::tmrScroll_Timer()
{
    m_topTwips -= ScrollTwips;
    m_grey = greyLevelAt(m_scrollStep);
    ++m_scrollStep;
    if (m_topTwips < 1) {
        m_topTwips = int(std::lround(frameGeometry().height() * twipsPerPixelY(this)));
        m_scrollStep = 0;
    }
    placeLabel();
}

void frmAbout::placeLabel()
{
    QPalette p = m_text->palette();
    p.setColor(QPalette::WindowText, QColor(m_grey, m_grey, m_grey));
    m_text->setPalette(p);
    m_text->move(int(std::lround(60 / twipsPerPixelX(this))),
                 int(std::floor(m_topTwips / twipsPerPixelY(this))));
}

void frmAbout::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_background); // clipped to the client area
}
