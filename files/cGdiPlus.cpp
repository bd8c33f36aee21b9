#include "files/cGdiPlus.h"

#include "files/FreeImageGifWriter.h"
#include "files/JpegCodec.h"
#include "platform/BitmapHeader.h"
#include "platform/BoundedImageReader.h"
#include "platform/CommandError.h"
#include "platform/Flatten.h"
#include "platform/Surface.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <QScopeGuard>
#include <algorithm>

const QUuid cGdiPlus::EncoderQuality =
    QUuid::fromString(QStringLiteral("{1D5BE4B5-FA4A-452D-9CDD-5DB35105E7EB}"));
const QUuid cGdiPlus::EncoderFullChroma =
    QUuid::fromString(QStringLiteral("{CC4BA306-40FA-49C6-AEB4-717624D2D0AC}"));

namespace {

quintptr nextToken = 0;

// The formats the open command decodes besides JPEG, and nothing else: a file no reader
// of these takes is not one of its pictures, whatever another reader makes of it. The
// icon reader, which takes the most, comes last.
const QList<QByteArray>& decodableFormats()
{
    static const QList<QByteArray> formats{"bmp", "gif", "png", "tiff", "ico"};
    return formats;
}

int qtWriter(const char* format, const QImage& image, QByteArray& out, QString& detail)
{
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) {
        detail = writer.errorString();
        return cGdiPlus::GenericError;
    }
    return cGdiPlus::Ok;
}

int jpegWriter(const QImage& image, const EncoderParameters& parameters, QByteArray& out, QString& detail)
{
    std::uint32_t quality = 75;
    JpegCodec::Chroma chroma = JpegCodec::Chroma::ByQuality;
    for (const EncoderParameter& p : parameters) {
        if (p.Guid == cGdiPlus::EncoderQuality && p.NumberOfValues == 1 && p.Type == 4)
            quality = p.Value;
        if (p.Guid == cGdiPlus::EncoderFullChroma && p.NumberOfValues == 1 && p.Type == 4 && p.Value == 1)
            chroma = JpegCodec::Chroma::Full;
    }
    if (quality > 100) {
        detail = cGdiPlus::tr("JPEG quality %1 is outside 0..100").arg(qint64(std::int32_t(quality)));
        return cGdiPlus::InvalidParameter;
    }
    return JpegCodec::encode(image, int(quality), out, detail, chroma) ? cGdiPlus::Ok
                                                                       : cGdiPlus::GenericError;
}

// The save target's trouble in the service's own terms.
int saveFailureStatus(const QString& fileName)
{
    const QFileInfo target(fileName);
    const QFileInfo folder(target.absolutePath());
    if (!folder.exists() || !folder.isDir())
        return cGdiPlus::FileNotFound;
    if (!folder.isWritable() || (target.exists() && !target.isWritable()))
        return cGdiPlus::AccessDenied;
    return cGdiPlus::Win32Error;
}

// Qt's GIF reader shows what it got of a cut file. A whole first picture
// means every data sub-block of it is there, up to the empty one that ends it.
bool gifFirstImageComplete(const QByteArray& d)
{
    const qsizetype n = d.size();
    auto skipSubBlocks = [&](qsizetype at) -> qsizetype {
        while (at < n) {
            const int length = uchar(d[at]);
            if (length == 0)
                return at + 1;
            at += 1 + length;
        }
        return -1;
    };
    if (n < 13)
        return false;
    const uchar screenFlags = uchar(d[10]);
    qsizetype at = 13 + ((screenFlags & 0x80) ? 3 * (2 << (screenFlags & 7)) : 0);
    while (at < n) {
        const uchar introducer = uchar(d[at]);
        if (introducer == 0x21) { // extension: label, then sub-blocks
            at = skipSubBlocks(at + 2);
        } else if (introducer == 0x2C) { // image: descriptor, colour table, code size, data
            if (at + 10 > n)
                return false;
            const uchar imageFlags = uchar(d[at + 9]);
            at += 10 + ((imageFlags & 0x80) ? 3 * (2 << (imageFlags & 7)) : 0);
            return at < n && skipSubBlocks(at + 1) > 0;
        } else {
            return false; // trailer or rubbish before any picture
        }
        if (at < 0)
            return false;
    }
    return false;
}

bool withinBounds(QSize size)
{
    return BoundedImageReader(cGdiPlus::MaxSide, cGdiPlus::MaxPixels).withinBounds(size);
}

QString notAPictureText()
{
    return cGdiPlus::tr("The file is not a picture in a format this program reads.");
}

QString damagedText(const QString& why)
{
    return cGdiPlus::tr("The file is damaged or incomplete (%1).").arg(why);
}

QString boundsText(QSize size)
{
    return QStringLiteral(
               "The picture claims %1 x %2 pixels; at most %3 a side and %4 megapixels are opened.")
        .arg(size.width())
        .arg(size.height())
        .arg(cGdiPlus::MaxSide)
        .arg(cGdiPlus::MaxPixels / 1'000'000);
}

} // namespace

QList<ImageCodecInfo> cGdiPlus::platformEncoders()
{
    // Identities as the platform's own encoders carry them.
    auto clsid = [](int n) {
        return QUuid(0x557CF400u + uint(n), 0x1A04, 0x11D3, 0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E);
    };
    const QList<QByteArray> qtFormats = QImageWriter::supportedImageFormats();
    QList<ImageCodecInfo> list;
    list << ImageCodecInfo{clsid(0), QStringLiteral("BMP"), QStringLiteral("*.BMP;*.DIB;*.RLE"),
                           QStringLiteral("image/bmp"),
                           [](const QImage& i, const EncoderParameters&, QByteArray& o, QString& d) {
                               return qtWriter("bmp", i, o, d);
                           }};
    list << ImageCodecInfo{clsid(1), QStringLiteral("JPEG"), QStringLiteral("*.JPG;*.JPEG;*.JPE;*.JFIF"),
                           QStringLiteral("image/jpeg"), jpegWriter};
    if (FreeImageGifWriter::available())
        list << ImageCodecInfo{clsid(2), QStringLiteral("GIF"), QStringLiteral("*.GIF"),
                               QStringLiteral("image/gif"),
                               [](const QImage& i, const EncoderParameters&, QByteArray& o, QString& d) {
                                   return FreeImageGifWriter::encode(i, o, d) ? int(Ok) : int(GenericError);
                               }};
    if (qtFormats.contains("tiff"))
        list << ImageCodecInfo{clsid(5), QStringLiteral("TIFF"), QStringLiteral("*.TIF;*.TIFF"),
                               QStringLiteral("image/tiff"),
                               [](const QImage& i, const EncoderParameters&, QByteArray& o, QString& d) {
                                   return qtWriter("tiff", i, o, d);
                               }};
    list << ImageCodecInfo{clsid(6), QStringLiteral("PNG"), QStringLiteral("*.PNG"),
                           QStringLiteral("image/png"),
                           [](const QImage& i, const EncoderParameters&, QByteArray& o, QString& d) {
                               return qtWriter("png", i, o, d);
                           }};
    return list;
}

// Both delegate to the start-up, so that the destructor stops the library again
// should indexing throw.
cGdiPlus::cGdiPlus(StartOnly, QObject* parent) : QObject(parent)
{
    startUp();
}

cGdiPlus::cGdiPlus(QObject* parent) : cGdiPlus(StartOnly{}, parent)
{
    m_encoders = platformEncoders();
    LoadEncoders();
}

cGdiPlus::cGdiPlus(QList<ImageCodecInfo> encoders, QObject* parent) : cGdiPlus(StartOnly{}, parent)
{
    m_encoders = std::move(encoders);
    LoadEncoders();
}

cGdiPlus::~cGdiPlus()
{
    if (m_token != 0 && m_startedFreeImage)
        FreeImageGifWriter::shutDown();
}

void cGdiPlus::startUp()
{
    FreeImageGifWriter::startUp();
    m_startedFreeImage = true;
    m_token = ++nextToken;
    if (m_token == 0)
        m_token = ++nextToken;
}

void cGdiPlus::LoadEncoders()
{
    const int n = int(m_encoders.size());
    m_encoderClsids = QList<QUuid>(n);
    m_encoderByExtension.clear();
    for (int i = n - 1; i >= 0; --i) {
        m_encoderClsids[i] = m_encoders[i].Clsid;
        IndexExtensions(m_encoders[i].FilenameExtension, QStringLiteral(";"), i);
    }
}

void cGdiPlus::IndexExtensions(const QString& text, const QString& separator, int index)
{
    auto add = [&](const QString& key) {
        const QString folded = key.toCaseFolded();
        if (m_encoderByExtension.contains(folded))
            throw CommandError(457, tr("This key is already associated with an element of this collection"));
        m_encoderByExtension.insert(folded, index);
    };
    qsizetype start = 0;
    if (!separator.isEmpty()) {
        for (qsizetype p = text.indexOf(separator, start); p >= 0; p = text.indexOf(separator, start)) {
            add(text.mid(start, p - start));
            start = p + separator.size();
        }
    }
    // Only the last piece is trimmed, and only of spaces.
    QString rest = text.mid(start);
    qsizetype first = 0, last = rest.size();
    while (first < last && rest[first] == u' ')
        ++first;
    while (last > first && rest[last - 1] == u' ')
        --last;
    rest = rest.mid(first, last - first);
    if (!rest.isEmpty())
        add(rest);
}

int cGdiPlus::FindEncoder(const QString& key) const
{
    return m_encoderByExtension.value(key.toCaseFolded(), -1);
}

QString cGdiPlus::GetExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return {};
    // Either separator: names come from this platform's dialogs or typed Windows-style.
    if (name.indexOf(u'\\', dot) >= 0 || name.indexOf(u'/', dot) >= 0)
        return {};
    return name.mid(dot + 1);
}

void cGdiPlus::fail(int status, const QString& detail)
{
    m_lastStatus = status;
    m_lastDetail = detail;
    emit Error(status, GdiErrorString(status));
}

bool cGdiPlus::EncodePicture(const QImage& bitmap, const QString& sFileName, const std::int32_t& lQuality,
                             QByteArray& bytes, bool fullChroma)
{
    m_lastStatus = Ok;
    m_lastDetail.clear();
    const QString ext = GetExtension(sFileName);
    const int index = FindEncoder(QStringLiteral("*.") + ext);
    if (index < 0) {
        m_lastStatus = UnknownImageFormat;
        m_lastDetail =
            ext.isEmpty()
                ? QStringLiteral(
                      "The name has no extension to tell the format by; end it in .jpg, for example.")
                : tr("No image encoder writes .%1 files.").arg(ext);
        return false;
    }
    if (bitmap.isNull()) {
        fail(InvalidParameter, tr("There is no picture to save."));
        return false;
    }
    EncoderParameters parameters;
    if (ext.front() == u'J' || ext.front() == u'j') {
        parameters << EncoderParameter{EncoderQuality, 1, 4, std::uint32_t(lQuality)};
        if (fullChroma)
            parameters << EncoderParameter{EncoderFullChroma, 1, 4, 1};
    }

    QString detail;
    const ImageCodecInfo& encoder = m_encoders[index];
    const int status =
        encoder.Encode ? encoder.Encode(bitmap, parameters, bytes, detail) : int(NotImplemented);
    if (status != Ok) {
        fail(status, detail.isEmpty() ? tr("The %1 encoder failed.").arg(encoder.FormatDescription) : detail);
        return false;
    }
    return true;
}

bool cGdiPlus::PictureBoxToFile(const Surface& pic, const QString& sFileName, const std::int32_t& lQuality,
                                bool fullChroma)
{
    QByteArray bytes;
    if (!EncodePicture(pic.image(), sFileName, lQuality, bytes, fullChroma))
        return false;

    // Written beside the target, flushed to disk and renamed over it: a failed save
    // leaves any existing file as it was. Unbuffered, because Qt 6.4's QSaveFile
    // loses a write error raised while flushing its buffer and commits an empty file
    // (seen on a full disk): every write must fail where it happens.
    QSaveFile file(sFileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        fail(saveFailureStatus(sFileName), file.errorString());
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        fail(saveFailureStatus(sFileName), why);
        return false;
    }
    if (!file.commit()) {
        fail(saveFailureStatus(sFileName), file.errorString());
        return false;
    }
    return true;
}

QImage cGdiPlus::FilenameToIPicture(const QString& sFileName, QRgb background)
{
    m_lastStatus = Ok;
    m_lastDetail.clear();
    const QFileInfo info(sFileName);
    if (!info.exists() || info.isDir()) {
        fail(FileNotFound, tr("There is no file %1.").arg(QDir::toNativeSeparators(sFileName)));
        return {};
    }
    // A pipe or device would block the reader or never end.
    if (!info.isFile()) {
        fail(UnknownImageFormat, tr("This is not a plain file."));
        return {};
    }
    if (info.size() > MaxFileBytes) {
        fail(ValueOverflow, tr("The file holds %1 MB; at most %2 MB are opened.")
                                .arg(info.size() / (1024 * 1024))
                                .arg(MaxFileBytes / (1024 * 1024)));
        return {};
    }
    QFile file(sFileName);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(info.isReadable() ? Win32Error : AccessDenied, file.errorString());
        return {};
    }
    // QIODevice::read sizes its buffer from the request: ask for what the file holds
    // (one byte more shows a file that grew past the limit), not for the limit.
    const QByteArray data = file.read(std::min<qint64>(file.size(), MaxFileBytes) + 1);
    if (file.error() != QFileDevice::NoError) {
        fail(Win32Error, file.errorString());
        return {};
    }
    if (data.isEmpty()) {
        fail(UnknownImageFormat, tr("The file is empty."));
        return {};
    }
    return decode(data, background);
}

QImage cGdiPlus::BytesToIPicture(const QByteArray& data, QRgb background)
{
    m_lastStatus = Ok;
    m_lastDetail.clear();
    if (data.isEmpty()) {
        fail(UnknownImageFormat, tr("There are no bytes to decode."));
        return {};
    }
    return decode(data, background);
}

QImage cGdiPlus::decode(const QByteArray& data, QRgb background)
{
    if (JpegCodec::looksLikeJpeg(data)) {
        const JpegCodec::Decoded jpeg = JpegCodec::decode(data, MaxSide, MaxPixels);
        switch (jpeg.failure) {
        case JpegCodec::Failure::None:
            return jpeg.image;
        case JpegCodec::Failure::OutOfBounds:
            fail(ValueOverflow, boundsText(jpeg.claimedSize));
            return {};
        default:
            fail(GenericError, damagedText(jpeg.detail));
            return {};
        }
    }

    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = BoundedImageReader::formatOf(buffer, decodableFormats());
    if (format.isEmpty()) {
        fail(UnknownImageFormat, notAPictureText());
        return {};
    }
    const BitmapHeader bitmap = format == "bmp" ? BitmapHeader::parse(data) : BitmapHeader{};
    if (bitmap.valid && !withinBounds(bitmap.size)) {
        fail(ValueOverflow, boundsText(bitmap.size));
        return {};
    }
    if (bitmap.valid && qint64(data.size()) < bitmap.bytesNeeded) {
        fail(GenericError, damagedText(tr("the bitmap is shorter than its header says")));
        return {};
    }
    if (format == "gif" && !gifFirstImageComplete(data)) {
        fail(GenericError, damagedText(tr("the picture data ends early")));
        return {};
    }
    const BoundedImageReader::Result read = BoundedImageReader(MaxSide, MaxPixels).read(buffer, {format});
    switch (read.outcome) {
    case BoundedImageReader::Outcome::Decoded:
        return flattenedOver(read.image, background);
    case BoundedImageReader::Outcome::TooLarge:
        fail(ValueOverflow, boundsText(read.claimedSize));
        break;
    case BoundedImageReader::Outcome::NotAPicture:
        fail(UnknownImageFormat, notAPictureText());
        break;
    case BoundedImageReader::Outcome::Unreadable:
        fail(Win32Error, read.detail);
        break;
    case BoundedImageReader::Outcome::Damaged:
        fail(GenericError, damagedText(read.detail));
        break;
    }
    return {};
}

QString cGdiPlus::GdiErrorString(int lError)
{
    static const char* const texts[] = {
        "Generic Error",
        "Invalid Parameter",
        "Out Of Memory",
        "Object Busy",
        "Insufficient Buffer",
        "Not Implemented",
        "Win32 Error",
        "Wrong State",
        "Aborted",
        "File Not Found",
        "Value Overflow",
        "Access Denied",
        "Unknown Image Format",
        "FontFamily Not Found",
        "FontStyle Not Found",
        "Not TrueType Font",
        "Unsupported Gdiplus Version",
        "Gdiplus Not Initialized",
        "Property Not Found",
        "Property Not Supported",
    };
    if (lError >= 1 && lError <= 20)
        return QString::fromLatin1(texts[lError - 1]);
    return tr("Unknown GDI+ Error");
}
