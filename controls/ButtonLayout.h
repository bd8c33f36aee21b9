#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

// Where a button's caption and picture go.
struct LayoutInput {
    int width = 0;
    int height = 0;
    int leftInset = 0;  // L
    int rightLimit = 0; // R
    int shape = 0;
    QString caption;
    int captionAlign = 2;
    int captionStyle = 0;
    bool hasPicture = false;
    int pictureSize = 16; // pixels: 16, 24, 32, 40 (stretch) or 48 (fit)
    int pictureAlign = 0;
    QSize pictureDims; // the picture's own size
    QFont font;
};

struct LayoutResult {
    QRect text;
    QRect picture;
    bool rebuildCache = false; // stretch and fit always ask for a fresh cache
};

// The caption with "||" turned into a line break.
QString captionText(const QString& caption);

LayoutResult LayoutContent(const LayoutInput& in);
