#include "mainwindow/PortraitTransforms.h"

#include "document/PortraitDocument.h"

#include <QAction>
#include <QWidget>

PortraitTransforms::PortraitTransforms(QWidget* window, PortraitDocument& document)
    : QObject(window), m_document(document), m_mirror(new QAction(tr("Mirror left to right"), window)),
      m_flip(new QAction(tr("Flip top to bottom"), window))
{
    m_mirror->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    m_flip->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    connect(m_mirror, &QAction::triggered, this, &PortraitTransforms::mirror);
    connect(m_flip, &QAction::triggered, this, &PortraitTransforms::flip);
    window->addActions({m_mirror, m_flip});
    const struct {
        const char* name;
        Qt::Key key;
        int dx, dy;
    } shifts[] = {{QT_TR_NOOP("Shift left"), Qt::Key_Left, -1, 0},
                  {QT_TR_NOOP("Shift right"), Qt::Key_Right, 1, 0},
                  {QT_TR_NOOP("Shift up"), Qt::Key_Up, 0, -1},
                  {QT_TR_NOOP("Shift down"), Qt::Key_Down, 0, 1}};
    for (const auto& s : shifts) {
        auto* action = new QAction(tr(s.name), window);
        action->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | s.key));
        connect(action, &QAction::triggered, this, [this, dx = s.dx, dy = s.dy] { shift(dx, dy); });
        window->addAction(action);
    }
}

QImage PortraitTransforms::mirrored(const QImage& portrait)
{
    return portrait.mirrored(true, false);
}

QImage PortraitTransforms::flipped(const QImage& portrait)
{
    return portrait.mirrored(false, true);
}

QImage PortraitTransforms::shifted(const QImage& portrait, int dx, int dy)
{
    const int w = portrait.width(), h = portrait.height();
    if (w == 0 || h == 0)
        return portrait;
    QImage out(portrait.size(), portrait.format());
    for (int y = 0; y < h; ++y) {
        const int from = ((y - dy) % h + h) % h;
        for (int x = 0; x < w; ++x)
            out.setPixel(x, y, portrait.pixel(((x - dx) % w + w) % w, from));
    }
    return out;
}

void PortraitTransforms::mirror()
{
    replace(mirrored(m_document.picPreview().image()));
}

void PortraitTransforms::flip()
{
    replace(flipped(m_document.picPreview().image()));
}

void PortraitTransforms::shift(int dx, int dy)
{
    replace(shifted(m_document.picPreview().image(), dx, dy));
}

void PortraitTransforms::replace(const QImage& portrait)
{
    // A held stroke or an open pick owns the change in progress; it is not mixed in.
    if (m_document.inChange())
        return;
    m_document.restorePortrait(portrait);
}
