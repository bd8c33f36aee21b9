#include "controls/ButtonLayout.h"

#include "controls/ButtonTypes.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

using namespace kuButtons;

QString captionText(const QString& caption)
{
    QString s = caption;
    s.replace(QStringLiteral("||"), QStringLiteral("\n"));
    return s;
}

namespace {

struct Span {
    int start;
    int end;
    int width() const { return end - start; }
};

Span usableSpan(const LayoutInput& in)
{
    const int W = in.width;
    const int L = in.leftInset;
    const int R = in.rightLimit;
    switch (in.shape) {
    case DiagonalLeft:
        return {L - L / 3 + 3, W};
    case DiagonalRight:
        return {0, R + (W - R) / 3};
    case DiagonalBoth:
        return {L - L / 3 + 3, R + (W - R) / 3};
    case CustomShape1:
    case CustomShape2:
        return {3, R};
    default:
        return {0, W};
    }
}

} // namespace

LayoutResult LayoutContent(const LayoutInput& in)
{
    LayoutResult out;
    const int W = in.width;
    const int H = in.height;
    const Span span = usableSpan(in);

    const bool slotted = in.hasPicture && in.pictureSize <= 32;
    const int pic = slotted ? in.pictureSize : 0;
    const bool picLeft = slotted && (in.pictureAlign == PicLeftEdge || in.pictureAlign == PicLeftOfCaption);
    const bool picRight =
        slotted && (in.pictureAlign == PicRightEdge || in.pictureAlign == PicRightOfCaption);
    const bool picTop = slotted && in.pictureAlign == PicTopCenter;
    const bool picBottom = slotted && in.pictureAlign == PicBottomCenter;
    const bool beside = picLeft || picRight;

    // Caption size, measured with word wrapping.
    const QString text = captionText(in.caption);
    int textW = 0;
    int textH = 0;
    if (!text.isEmpty()) {
        const int boxW = std::max(1, span.width() - (beside ? pic : 0) - 8);
        const int boxH = std::max(1, H - 8 - ((picTop || picBottom) ? pic : 0));
        const QFontMetrics fm(in.font);
        const QRect measured = fm.boundingRect(QRect(0, 0, boxW, boxH),
                                               Qt::TextWordWrap | Qt::AlignLeft | Qt::TextShowMnemonic, text);
        textW = measured.width();
        textH = measured.height();
        if (in.captionStyle > Flat) {
            textW += 2;
            textH += 2;
        }
    }
    const bool hasText = textW > 0;

    // Horizontal caption position.
    int textX = span.start;
    switch (in.captionAlign) {
    case AlignLeft:
        textX = span.start + 4 + (picLeft ? pic + 4 : 0);
        break;
    case AlignRight:
        textX = span.end - 4 - (picRight ? pic + 4 : 0) - textW;
        break;
    default:
        if (in.pictureAlign == PicLeftOfCaption && slotted) {
            textX = span.start + (span.width() - (pic + 4 + textW)) / 2 + pic + 4;
        } else if (in.pictureAlign == PicRightOfCaption && slotted) {
            textX = span.start + (span.width() - (pic + 4 + textW)) / 2;
        } else if (in.pictureAlign == PicLeftEdge && slotted) {
            // Centred in the room right of the edge picture.
            const int roomStart = span.start + 4 + pic;
            textX = roomStart + (span.end - roomStart - textW) / 2;
        } else if (in.pictureAlign == PicRightEdge && slotted) {
            const int roomEnd = span.end - 4 - pic;
            textX = span.start + (roomEnd - span.start - textW) / 2;
        } else {
            textX = span.start + (span.width() - textW) / 2;
        }
        break;
    }

    // Vertical positions.
    int textY = (H - textH) / 2;
    int picY = (H - pic) / 2;
    if (picTop) {
        const int group = pic + (hasText ? 2 + textH : 0);
        picY = (H - group) / 2;
        textY = picY + pic + 2;
    } else if (picBottom) {
        const int group = pic + (hasText ? 2 + textH : 0);
        const int top = (H - group) / 2;
        textY = top + 2;
        picY = hasText ? textY + textH + 2 : top;
    }

    out.text = QRect(textX, textY, textW, textH);

    if (in.hasPicture && in.pictureSize <= 32) {
        int picX = span.start + 4;
        switch (in.pictureAlign) {
        case PicLeftEdge:
            picX = span.start + 4;
            break;
        case PicLeftOfCaption:
            picX = hasText ? textX - 4 - pic : span.start + 4;
            break;
        case PicRightEdge:
            picX = span.end - 4 - pic;
            break;
        case PicRightOfCaption:
            picX = hasText ? textX + textW + 4 : span.end - 4 - pic;
            break;
        default:
            picX = span.start + (span.width() - pic) / 2;
            break;
        }
        // Keep 4 pixels from every border where the button has room for it; a picture
        // that does not fit stays where it was centred.
        if (W - 8 >= pic)
            picX = std::clamp(picX, 4, W - 4 - pic);
        if (H - 8 >= pic)
            picY = std::clamp(picY, 4, H - 4 - pic);
        out.picture = QRect(picX, picY, pic, pic);
    } else if (in.hasPicture && in.pictureSize == 40) {
        const int inset = in.shape == OvalOutlined ? 1 : 3;
        out.picture = QRect(inset, inset, W - 2 * inset, H - 2 * inset);
        out.rebuildCache = true;
    } else if (in.hasPicture && in.pictureSize == 48) {
        if (isCustomShape(in.shape)) {
            out.picture = QRect(0, 0, W, H);
        } else if (in.pictureDims.width() > 0 && in.pictureDims.height() > 0) {
            const double scale =
                std::min(double(W - 12) / in.pictureDims.width(), double(H - 12) / in.pictureDims.height());
            const int pw = std::max(0, int(std::lround(in.pictureDims.width() * scale)));
            const int ph = std::max(0, int(std::lround(in.pictureDims.height() * scale)));
            out.picture = QRect((W - pw) / 2, (H - ph) / 2, pw, ph);
        }
        out.rebuildCache = true;
    }

    // The caption never reaches into the bottom border or beyond the span.
    out.text = out.text.intersected(QRect(span.start, 0, span.width(), H - 5));
    if (!hasText)
        out.text = QRect(textX, textY, 0, 0);
    return out;
}
