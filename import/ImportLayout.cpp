#include "import/ImportLayout.h"

#include "import/PictureScale.h"

#include <algorithm>

namespace ImportLayout {

namespace {

bool fits(QSize size, QSize room)
{
    return size.width() <= room.width() && size.height() <= room.height();
}

} // namespace

int openingStep(QSize picture, QSize frame, QSize room)
{
    if (picture.isEmpty())
        return 0;
    int step = 0;
    if (!fits(picture, room)) {
        const int smallest = PictureScale::minimumStep(picture);
        while (step > smallest && !fits(PictureScale::scaledSize(picture, step), room))
            --step;
        return step;
    }
    auto holdsFrame = [&](int s) {
        const QSize shown = PictureScale::scaledSize(picture, s);
        return shown.width() >= frame.width() && shown.height() >= frame.height();
    };
    while (step < PictureScale::MaxStep && !holdsFrame(step) &&
           fits(PictureScale::scaledSize(picture, step + 1), room))
        ++step;
    return step;
}

QRect roomBeside(const QRect& screen, const QRect& owner, QSize minimum)
{
    const QRect strips[] = {
        QRect(QPoint(owner.right() + 1, screen.top()), screen.bottomRight()),
        QRect(screen.topLeft(), QPoint(owner.left() - 1, screen.bottom())),
        QRect(QPoint(screen.left(), owner.bottom() + 1), screen.bottomRight()),
        QRect(screen.topLeft(), QPoint(screen.right(), owner.top() - 1)),
    };
    QRect best;
    for (QRect strip : strips) {
        strip &= screen;
        if (strip.width() < minimum.width() || strip.height() < minimum.height())
            continue;
        if (best.isEmpty() || qint64(strip.width()) * strip.height() > qint64(best.width()) * best.height())
            best = strip;
    }
    return best.isEmpty() ? screen : best;
}

Axis place(int view, int shown, int wanted)
{
    if (shown > view)
        return {shown, 0, std::clamp(-wanted, 0, shown - view)};
    return {view, std::clamp(wanted, 0, view - shown), 0};
}

} // namespace ImportLayout
