#include "import/ImageLoader.h"

#include "document/PortraitGeometry.h"
#include "import/ImportLimits.h"
#include "import/SandboxedDecoder.h"
#include "platform/CommandError.h"
#include "platform/Dialogs.h"
#include "platform/Flatten.h"
#include "platform/Surface.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <memory>

namespace {

QString tooLargeText(quint64 width, quint64 height)
{
    return ImageLoader::tr("The picture is %1 x %2 pixels. Pictures of up to %3 pixels a side and %4 million "
                           "pixels can be imported.")
        .arg(width)
        .arg(height)
        .arg(ImportLimits::MaxSide)
        .arg(ImportLimits::MaxPixels / 1'000'000);
}

} // namespace

ImageLoader::ImageLoader(Dialogs& dialogs, ImportHelper::Settings settings)
    : m_dialogs(dialogs), m_settings(std::move(settings))
{
}

void ImageLoader::FreeImageErrorHandler(int /*format*/, const QString& message)
{
    showLibraryMessages({message});
}

void ImageLoader::showLibraryMessages(const QStringList& messages)
{
    QStringList lines;
    for (const QString& message : messages)
        lines << tr("Error: ") + message;
    m_dialogs.message(lines.join(u'\n'), tr("FreeImage Dll Error"), MessageButtons::Ok, MessageIcon::None);
}

void ImageLoader::renderError(const QString& text)
{
    m_dialogs.message(text, tr("RenderDIB Error"), MessageButtons::Ok, MessageIcon::None);
}

bool ImageLoader::RenderDIB(const LibraryBitmap& bitmap, Surface& box)
{
    if (bitmap.width < 1) {
        renderError(tr("RenderDIB: Could not get the bitmap's width"));
        return false;
    }
    // A box without an image (the import window lets a zoomed picture's pixels go when it
    // hides) has no height to keep; one row holds the width until the height is set.
    box.resize(bitmap.width, std::max(box.height(), 1));
    if (bitmap.height < 1) {
        renderError(tr("RenderDIB: Could not get the bitmap's height"));
        return false;
    }
    box.resize(box.width(), bitmap.height);
    if (!bitmap.hasBits) {
        renderError(tr("RenderDIB: Could not get the DIB's bits"));
        return false;
    }
    if (!bitmap.hasInfo) {
        renderError(tr("RenderDIB: Could not get the DIB's information"));
        return false;
    }
    const bool drawable = !bitmap.pixels.isNull() && bitmap.pixels.width() == bitmap.width &&
                          bitmap.pixels.height() == bitmap.height && box.width() == bitmap.width &&
                          box.height() == bitmap.height;
    if (!drawable) {
        const int code = bitmap.renderError ? bitmap.renderError : ENOMEM;
        renderError(tr("RenderDIB: SetDIBitsToDevice failed to render the DIB to the specified") +
                    tr(" DC with error code ") + QString::number(code));
        return false;
    }
    box.copyFrom(bitmap.pixels, 0, 0, bitmap.width, bitmap.height, 0, 0);
    box.present();
    return true;
}

QString ImageLoader::damagedText(const std::string& why)
{
    return tr("The file is damaged or incomplete (%1).")
        .arg(QString::fromLocal8Bit(why.data(), qsizetype(why.size())));
}

QString ImageLoader::notReadText(const FreeImageLibrary::DecodedPicture& picture)
{
    const QString why = QString::fromStdString(picture.fallbackText);
    switch (picture.fallback) {
    case FreeImageLibrary::Fallback::Damaged:
        return damagedText(picture.fallbackText);
    case FreeImageLibrary::Fallback::Unreadable:
        return tr("The file could not be read (%1).").arg(why);
    default:
        return tr("The file is not a picture in a format this program reads.");
    }
}

ImportHelper::Run ImageLoader::decode(const PictureSource& source)
{
    if (!source.inMemory && !QFileInfo(source.path).isFile())
        throw CommandError(ErrorFileNotFound,
                           tr("There is no file %1.").arg(QDir::toNativeSeparators(source.path)));
    ImportHelper::Run run = SandboxedDecoder::wait(m_wait, source, m_settings);
    if (run.status == ImportHelper::Status::Cancelled)
        throw CommandError(CommandError::Cancelled, {});
    return run;
}

bool ImageLoader::isPortrait(const ImportHelper::Run& run)
{
    return run.status == ImportHelper::Status::Finished && run.picture.converted && run.picture.scale == 1 &&
           run.picture.failure == FreeImageLibrary::Failure::None && !run.pixels.isNull() &&
           run.picture.width == std::uint32_t(Portrait::Width) &&
           run.picture.height == std::uint32_t(Portrait::Height) &&
           run.pixels.size() == QSize(Portrait::Width, Portrait::Height);
}

bool ImageLoader::LoadImageFile(const QString& path, Surface& box)
{
    ImportHelper::Run run = decode(PictureSource::file(path));
    return render(run, box);
}

bool ImageLoader::render(ImportHelper::Run& run, Surface& box)
{
    if (run.status != ImportHelper::Status::Finished) {
        // One message for the whole failure; what the library said before it went
        // down is its details.
        QStringList said;
        for (const HelperProtocol::Message& m : run.messages)
            said << QString::fromLocal8Bit(m.text.data(), qsizetype(m.text.size()));
        throw CommandError(ErrorInvalidPicture, run.detail, said.join(u'\n'));
    }

    FreeImageLibrary::DecodedPicture& picture = run.picture;
    if (picture.tooLarge)
        throw CommandError(ErrorPictureTooLarge, tooLargeText(picture.width, picture.height));
    // A picture with rows missing or made up is refused whole, in one message, whatever
    // the library said on the way: the reason holds it.
    if (picture.failure == FreeImageLibrary::Failure::Damaged ||
        (!picture.converted && picture.fallback == FreeImageLibrary::Fallback::Damaged))
        throw CommandError(ErrorInvalidPicture, picture.failure == FreeImageLibrary::Failure::Damaged
                                                    ? damagedText(picture.failureText)
                                                    : notReadText(picture));
    if (picture.converted) {
        // The library's pixels, or Qt's where it had none: either way what the library
        // complained of no longer matters. Transparent pixels show the box's background.
        LibraryBitmap bitmap{int(picture.width), int(picture.height), true, true, {}, 0};
        bitmap.pixels = flattenedOver(run.pixels, toQRgb(box.backColor()));
        return RenderDIB(bitmap, box);
    }

    // Neither reader gave pixels: the library's messages say why, all in one box, or
    // this program does.
    if (!run.messages.empty()) {
        QStringList said;
        for (const HelperProtocol::Message& m : run.messages)
            said << QString::fromLocal8Bit(m.text.data(), qsizetype(m.text.size()));
        showLibraryMessages(said);
    }
    switch (picture.failure) {
    case FreeImageLibrary::Failure::None:
    case FreeImageLibrary::Failure::Damaged:
        break;
    case FreeImageLibrary::Failure::OutOfMemory:
        throw CommandError(ErrorOutOfMemory, tr("Out of memory while decoding the picture (%1).")
                                                 .arg(QString::fromStdString(picture.failureText)));
    case FreeImageLibrary::Failure::Exception:
        throw CommandError(ErrorInvalidPicture, tr("The image library failed on this picture (%1).")
                                                    .arg(QString::fromStdString(picture.failureText)));
    }
    if (picture.loaded) {
        // A bitmap the library decoded but that cannot be drawn: RenderDIB says why.
        LibraryBitmap bitmap{int(picture.width),  int(picture.height), picture.hasBits, picture.hasInfo, {},
                             picture.convertError};
        return RenderDIB(bitmap, box);
    }
    if (!run.messages.empty())
        return false;
    throw CommandError(ErrorInvalidPicture, notReadText(picture));
}
