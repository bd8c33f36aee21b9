#include "mainwindow/PaletteStrip.h"

#include "tools/PaintingTools.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <unordered_map>

PaletteStrip::PaletteStrip(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picPalette"));
    setFixedSize(MostSwatches * Pitch + 1, StripHeight);
    setCursor(Qt::PointingHandCursor);
}

void PaletteStrip::portraitChanged()
{
    // A stroke announces every cell; one count a tenth of a second is enough to follow it.
    if (m_pending)
        return;
    m_pending = true;
    QTimer::singleShot(RecountDelayMs, this, [this] {
        if (m_pending)
            recount();
    });
}

void PaletteStrip::recount()
{
    m_pending = false;
    m_swatches.clear();
    if (m_source) {
        const QImage portrait = m_source().convertToFormat(QImage::Format_RGB32);
        std::unordered_map<Colour, int> cells;
        for (int y = 0; y < portrait.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(portrait.constScanLine(y));
            for (int x = 0; x < portrait.width(); ++x)
                ++cells[fromQRgb(row[x])];
        }
        for (const auto& [colour, count] : cells)
            m_swatches.push_back({colour, count});
        std::sort(m_swatches.begin(), m_swatches.end(), [](const Swatch& p, const Swatch& q) {
            return p.cells != q.cells ? p.cells > q.cells : p.colour < q.colour;
        });
        if (m_swatches.size() > std::size_t(MostSwatches))
            m_swatches.resize(std::size_t(MostSwatches));
    }
    update();
}

QRect PaletteStrip::swatchRect(int index) const
{
    return {1 + index * Pitch, 1, Pitch - 1, StripHeight - 2};
}

int PaletteStrip::swatchAt(QPoint at) const
{
    if (at.x() < 1 || at.y() < 0 || at.y() >= height())
        return -1;
    const int index = (at.x() - 1) / Pitch;
    return index < int(m_swatches.size()) ? index : -1;
}

void PaletteStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Mid));
    for (int i = 0; i < int(m_swatches.size()); ++i)
        painter.fillRect(swatchRect(i), toQColor(m_swatches[std::size_t(i)].colour));
}

void PaletteStrip::mousePressEvent(QMouseEvent* event)
{
    const int index = swatchAt(event->position().toPoint());
    const int button = event->button() == Qt::LeftButton ? 1 : event->button() == Qt::RightButton ? 2 : 0;
    if (index < 0 || button == 0) {
        QWidget::mousePressEvent(event);
        return;
    }
    int shift = 0;
    if (event->modifiers() & Qt::ShiftModifier)
        shift |= 1;
    if (event->modifiers() & Qt::ControlModifier)
        shift |= 2;
    if (event->modifiers() & Qt::AltModifier)
        shift |= 4;
    emit colourClicked(m_swatches[std::size_t(index)].colour, button, shift);
}

bool PaletteStrip::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = swatchAt(help->pos());
        if (index < 0)
            return QWidget::event(event); // the strip's own tip
        const Swatch& s = m_swatches[std::size_t(index)];
        QToolTip::showText(help->globalPos(), PaintingTools::colourTip(s.colour, s.cells), this,
                           swatchRect(index));
        return true;
    }
    return QWidget::event(event);
}
