#include "PortraitConverter.h"

#include "document/PortraitGeometry.h"
#include "files/PortraitFiles.h"
#include "files/cGdiPlus.h"
#include "import/ImageLoader.h"
#include "import/PictureScale.h"
#include "platform/CommandError.h"
#include "platform/Dialogs.h"
#include "platform/Surface.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <sys/stat.h>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("PortraitConverter", text);
}

// Without a window there is no one to show a box to: what the loader would show is
// kept, and its first text explains a failed read.
class NoDialogs : public Dialogs {
public:
    QStringList texts;

    QString openFileName(const FileDialogRequest&) override
    {
        throw CommandError(CommandError::Cancelled, "");
    }
    QString saveFileName(const FileDialogRequest&) override
    {
        throw CommandError(CommandError::Cancelled, "");
    }
    Colour chooseColour(Colour) override { throw CommandError(CommandError::Cancelled, ""); }
    int askNumber(const QString&, const QString&, int, int, int) override
    {
        throw CommandError(CommandError::Cancelled, "");
    }
    MessageResult message(const QString& text, const QString&, MessageButtons, MessageIcon) override
    {
        texts << text;
        return MessageResult::Cancel;
    }
};

int fail(const QString& why)
{
    QString line = why.simplified(); // one line, whatever the library said
    std::fprintf(stderr, "pictoria: %s\n", qPrintable(line));
    return 1;
}

// Where OUT puts the portrait: a folder (a name ending in a separator, "." or "..") takes
// IN's name; a name without an extension is a JPEG.
QString outputName(const QString& in, const QString& out)
{
    const QString name = QFileInfo(out).fileName();
    if (out.endsWith(u'/') || name == QLatin1String(".") || name == QLatin1String(".."))
        return QDir(out).filePath(QFileInfo(in).completeBaseName() + QStringLiteral(".jpg"));
    return PortraitFiles::withExtension(out);
}

// The same file under two names: one device and inode (a hard link, a symbolic link, a
// path through other folders), or one absolute path.
bool sameFile(const QString& a, const QString& b)
{
    struct stat sa, sb;
    if (::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
        ::stat(QFile::encodeName(b).constData(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

int PortraitConverter::run()
{
    const QString in = QDir::toNativeSeparators(m_command.input);
    if (!QFileInfo(m_command.input).isFile())
        return fail(tr("cannot read %1: there is no such file.").arg(in));
    // The portrait never replaces the picture it is made from.
    const QString name = outputName(m_command.input, m_command.output);
    if (sameFile(m_command.input, name))
        return fail(tr("cannot write %1: it is the input file %2.").arg(QDir::toNativeSeparators(name), in));

    NoDialogs dialogs;
    ImageLoader loader(dialogs);
    // A scaled portrait needs no more of a JPEG than its DCT scaling still gives at the
    // portrait's reduction; the top-left corner takes the file's pixels as they are.
    const QSize frame(Portrait::Width, Portrait::Height);
    if (m_command.scaling != CommandLine::Scaling::TopLeft) {
        loader.settings().need = frame;
        loader.settings().needCover = m_command.scaling == CommandLine::Scaling::Cover;
    }
    Surface picture(1, 1);
    try {
        if (!loader.LoadImageFile(m_command.input, picture)) {
            const QString why = dialogs.texts.isEmpty() ? tr("it is not a picture Pictoria can import.")
                                                        : dialogs.texts.constFirst();
            return fail(tr("cannot read %1: %2").arg(in, why));
        }
    } catch (const CommandError& e) {
        return fail(tr("cannot read %1: %2").arg(in, e.description()));
    }

    // The importer's frame at the top-left corner over the background, or the whole
    // picture scaled as the import window's fit and cover do.
    const auto filter = m_command.smooth ? PictureScale::Filter::Smooth : PictureScale::Filter::Sharp;
    Surface portrait(Portrait::Width, Portrait::Height, 0);
    switch (m_command.scaling) {
    case CommandLine::Scaling::TopLeft:
        portrait.copyFrom(picture.image(), 0, 0, Portrait::Width, Portrait::Height, 0, 0);
        break;
    case CommandLine::Scaling::Fit:
        portrait.copyFrom(PictureScale::fitInside(picture.image(), frame, qRgb(0, 0, 0), filter), 0, 0,
                          Portrait::Width, Portrait::Height, 0, 0);
        break;
    case CommandLine::Scaling::Cover:
        portrait.copyFrom(PictureScale::coverFrame(picture.image(), frame, filter), 0, 0, Portrait::Width,
                          Portrait::Height, 0, 0);
        break;
    }

    cGdiPlus gdip;
    if (!gdip.PictureBoxToFile(portrait, name, m_command.quality))
        return fail(tr("cannot write %1: %2").arg(QDir::toNativeSeparators(name), gdip.lastErrorDetail()));
    return 0;
}
