// Writes the seed corpora of the fuzz targets into <out>/open, <out>/import and
// <out>/propertybag: small valid files of every format each path reads, plus a few
// reproducible mutations of each (flipped bytes past the signature, a cut tail).
#include "TestPictures.h"
#include "controls/PropertyBag.h"
#include "files/FreeImageGifWriter.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImageWriter>
#include <cstdio>

namespace {

QRgb pattern(int x, int y)
{
    return qRgb((x * 37) & 0xFF, (y * 53) & 0xFF, ((x + y) * 11) & 0xFF);
}

QImage patternImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, pattern(x, y));
    return image;
}

QByteArray encoded(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

// An 8-bit run-length PCX with its 256-colour palette at the end.
QByteArray pcx(int w, int h)
{
    QByteArray b;
    b.append(char(0x0A)).append(char(5)).append(char(1)).append(char(8));
    TestPictures::le16(b, 0);
    TestPictures::le16(b, 0);
    TestPictures::le16(b, quint16(w - 1));
    TestPictures::le16(b, quint16(h - 1));
    TestPictures::le16(b, 72);
    TestPictures::le16(b, 72);
    b.append(QByteArray(48, '\0'));
    b.append(char(0)).append(char(1));
    const int stride = (w + 1) & ~1;
    TestPictures::le16(b, quint16(stride));
    TestPictures::le16(b, 1);
    b.append(QByteArray(58, '\0'));
    for (int y = 0; y < h; ++y) {
        QByteArray row;
        for (int x = 0; x < stride; ++x)
            row.append(char((x / 3 + y * 7) & 0xFF));
        for (int x = 0; x < row.size();) {
            int run = 1;
            while (x + run < row.size() && run < 63 && row[x + run] == row[x])
                ++run;
            const uchar v = uchar(row[x]);
            if (run > 1 || (v & 0xC0) == 0xC0)
                b.append(char(0xC0 | run));
            b.append(char(v));
            x += run;
        }
    }
    b.append(char(0x0C));
    for (int i = 0; i < 256; ++i)
        b.append(char(i)).append(char(255 - i)).append(char((i * 3) & 0xFF));
    return b;
}

QByteArray bag()
{
    PropertyBag bag;
    bag.WriteProperty("Caption", QStringLiteral("&Open \u00e9"));
    bag.WriteProperty("CapAlign", qint32(1), qint32(2));
    bag.WriteProperty("Font", QFont(QStringLiteral("DejaVu Sans"), 9));
    bag.WriteProperty("cBack", qint32(0x00C0C0C0));
    bag.WriteProperty("Focus", false, true);
    bag.WriteProperty("ImgSize", QVariant::fromValue(qint16(24)), QVariant::fromValue(qint16(16)));
    bag.WriteProperty("Image", patternImage(4, 3));
    return bag.toByteArray();
}

void put(const QString& dir, const QString& name, const QByteArray& bytes, int mutations, int& count)
{
    if (bytes.isEmpty()) {
        std::fprintf(stderr, "make_seeds: no bytes for %s\n", qPrintable(name));
        return;
    }
    TestPictures::write(dir + u'/' + name, bytes);
    ++count;
    for (int i = 0; i < mutations; ++i) {
        const bool cut = i % 3 == 2;
        const QByteArray m = cut ? bytes.left(bytes.size() * (i + 1) / (mutations + 2))
                                 : TestPictures::mutate(bytes, unsigned(i + 1), 1 + i % 4, 4);
        TestPictures::write(QStringLiteral("%1/m%2-%3").arg(dir).arg(i).arg(name), m);
        ++count;
    }
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <folder>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (const char* sub : {"open", "import", "propertybag"})
        QDir().mkpath(out + u'/' + QLatin1String(sub));

    const QImage portrait = patternImage(48, 56);
    const QImage odd = patternImage(13, 7);
    QByteArray gif;
    QString error;
    FreeImageGifWriter::encode(odd, gif, error);

    QList<std::pair<QString, QByteArray>> pictures = {
        {"portrait.jpg", encoded(portrait, "jpeg", 90)},
        {"gray.jpg", encoded(odd.convertToFormat(QImage::Format_Grayscale8), "jpeg", 50)},
        {"odd.png", encoded(odd, "png")},
        {"portrait.bmp", encoded(portrait, "bmp")},
        {"odd.tif", encoded(odd, "tiff")},
        {"odd.gif", gif},
        {"odd.pcx", pcx(13, 7)},
        {"pal4.bmp", TestPictures::bmp(9, 5, 4, [](int x, int y) { return (x + y) % 16; },
                                       {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0)})},
    };
    int open = 0, import = 0, bags = 0;
    for (const auto& [name, bytes] : pictures) {
        put(out + "/open", name, bytes, 6, open);
        put(out + "/import", name, bytes, 6, import);
    }
    put(out + "/import", "rgb.psd", TestPictures::psd(16, 12, pattern), 6, import);
    put(out + "/import", "rgb.exr", TestPictures::exr(8, 6, pattern), 3, import);
    put(out + "/import", "gray.pfm",
        TestPictures::pfm(5, 4, [](int x, int y, float* v) { v[0] = v[1] = v[2] = float(x + y) / 8; }), 3,
        import);
    put(out + "/propertybag", "button.bag", bag(), 12, bags);
    std::printf("seeds: open %d, import %d, propertybag %d\n", open, import, bags);
    return 0;
}
