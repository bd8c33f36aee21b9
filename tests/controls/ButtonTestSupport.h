#pragma once

// Helpers shared by the button tests (header only; each test is its own executable).

#include "controls/ButtonPainter.h"
#include "controls/ButtonState.h"

#include <QDir>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QString>
#include <QtTest>

namespace ButtonTests {

inline uint TestSupportPixel(const QImage& img, int x, int y)
{
    return uint(fromQRgb(img.pixel(x, y)));
}

inline QFont captionFont(int pixelSize = 11)
{
    QFont f(QFontDatabase::families().contains(QStringLiteral("Verdana")) ? QStringLiteral("Verdana")
                                                                          : QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    return f;
}

// A state with explicit RGB colours, so that renders do not depend on the palette.
inline ButtonState makeState(int style, int shape, int w, int h,
                             const QString& caption = QStringLiteral("OK"))
{
    ButtonState s;
    s.width = w;
    s.height = h;
    s.buttonStyle = style;
    s.buttonShape = shape;
    s.caption = caption;
    s.backColor = RGBColour(212, 208, 200);
    s.hoverBackColor = RGBColour(212, 208, 200);
    s.foreColor = 0x000000;
    s.hoverForeColor = 0x000000;
    s.containerBackColor = RGBColour(212, 208, 200);
    s.font = captionFont();
    s.prepare();
    return s;
}

// A 16 x 16 bitmap: white background, a red disc with a dark rim.
inline QImage discBitmap(int size = 16)
{
    QImage img(size, size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(QColor(60, 0, 0));
    p.setBrush(QColor(220, 30, 30));
    p.drawEllipse(1, 1, size - 3, size - 3);
    return img;
}

inline QString referencePath(const QString& name)
{
    return QStringLiteral(PICTORIA_SOURCE_DIR "/tests/controls/reference/") + name + QStringLiteral(".png");
}

// How far a caption pixel may stray from the reference in each channel: enough for the
// antialiasing of another rasteriser build, far too little for a caption in another
// colour or a missing one.
constexpr int CaptionTolerance = 48;

// Compares an image with a reference kept in the repository. Every pixel is compared:
// those inside `captions` (where text is drawn) within CaptionTolerance per channel,
// every other pixel exactly. PICTORIA_UPDATE_REFERENCES=1 rewrites the references
// instead.
inline bool matchesReference(const QImage& actual, const QString& name, const QRegion& captions, QString* why)
{
    const QString path = referencePath(name);
    if (qEnvironmentVariableIntValue("PICTORIA_UPDATE_REFERENCES") == 1) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        actual.convertToFormat(QImage::Format_RGB32).save(path);
        return true;
    }
    QImage ref(path);
    if (ref.isNull()) {
        *why = QStringLiteral("missing reference ") + path +
               QStringLiteral(" (run with PICTORIA_UPDATE_REFERENCES=1 to create it)");
        return false;
    }
    ref = ref.convertToFormat(QImage::Format_RGB32);
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    if (ref.size() != a.size()) {
        *why = QStringLiteral("size differs");
        return false;
    }
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = ref.pixel(x, y);
            if (p == q)
                continue;
            const bool caption = captions.contains(QPoint(x, y));
            const int off = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                      std::abs(qBlue(p) - qBlue(q))});
            if (caption && off <= CaptionTolerance)
                continue;
            *why = QStringLiteral("%1pixel (%2, %3) is %4, reference %5")
                       .arg(caption ? QStringLiteral("caption ") : QString())
                       .arg(x)
                       .arg(y)
                       .arg(p & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                       .arg(q & 0xFFFFFF, 6, 16, QLatin1Char('0'));
            return false;
        }
    return true;
}

} // namespace ButtonTests
