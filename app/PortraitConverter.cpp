#include "PortraitConverter.h"

#include "document/PortraitGeometry.h"
#include "files/PortraitFiles.h"
#include "files/cGdiPlus.h"
#include "import/ImageLoader.h"
#include "import/PictureScale.h"
#include "import/PortraitFraming.h"
#include "import/SandboxedFaceLocator.h"
#include "platform/CommandError.h"
#include "platform/Dialogs.h"
#include "platform/Surface.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QThreadPool>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

// The frame over the largest face the helper finds, else over the most detailed part,
// scaled as the import window shows it there.
QImage framedFace(const QImage& picture, QSize frame, PictureScale::Filter filter)
{
    std::vector<QRect> faces = PortraitFraming::largestFirst(SandboxedFaceLocator().findFaces(picture));
    const PortraitFraming::Framing framing =
        faces.empty() ? PortraitFraming::frameDetail(picture, frame)
                      : PortraitFraming::frameFace(faces.front(), picture.size(), frame);
    const QRect wanted(framing.origin, frame);
    const QRect part = wanted.intersected(QRect(QPoint(0, 0), framing.shown));
    QImage portrait(frame, QImage::Format_RGB32);
    portrait.fill(qRgb(0, 0, 0));
    if (!part.isEmpty()) {
        const QImage pixels = PictureScale::scaledPart(picture, framing.shown, part, filter);
        const QPoint at = part.topLeft() - wanted.topLeft();
        for (int y = 0; y < pixels.height(); ++y)
            for (int x = 0; x < pixels.width(); ++x)
                portrait.setPixel(at.x() + x, at.y() + y, pixels.pixel(x, y));
    }
    return portrait;
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
    if (!m_command.into.isEmpty())
        return runBatch();
    // The portrait never replaces the picture it is made from.
    const QString name = outputName(m_command.input, m_command.output);
    const QString why = convert(m_command.input, name);
    return why.isEmpty() ? 0 : fail(why);
}

QString PortraitConverter::convert(const QString& input, const QString& name) const
{
    const QString in = QDir::toNativeSeparators(input);
    if (!QFileInfo(input).isFile())
        return tr("cannot read %1: there is no such file.").arg(in);
    if (sameFile(input, name))
        return tr("cannot write %1: it is the input file %2.").arg(QDir::toNativeSeparators(name), in);

    NoDialogs dialogs;
    ImageLoader loader(dialogs);
    // The whole picture fitted or covering the portrait needs no more of a JPEG than its DCT
    // scaling still gives at the portrait's reduction; the top-left corner takes the file's
    // pixels as they are, and a face, a small part of the picture, needs them all.
    const QSize frame(Portrait::Width, Portrait::Height);
    if (m_command.scaling == CommandLine::Scaling::Fit || m_command.scaling == CommandLine::Scaling::Cover) {
        loader.settings().need = frame;
        loader.settings().needCover = m_command.scaling == CommandLine::Scaling::Cover;
    }
    Surface picture(1, 1);
    try {
        if (!loader.LoadImageFile(input, picture)) {
            const QString why = dialogs.texts.isEmpty() ? tr("it is not a picture Pictoria can import.")
                                                        : dialogs.texts.constFirst();
            return tr("cannot read %1: %2").arg(in, why);
        }
    } catch (const CommandError& e) {
        return tr("cannot read %1: %2").arg(in, e.description());
    }

    // The importer's frame at the top-left corner over the background, the whole picture
    // scaled as the import window's fit and cover do, or the face framed as A does.
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
    case CommandLine::Scaling::Face:
        portrait.copyFrom(framedFace(picture.image(), frame, filter), 0, 0, Portrait::Width, Portrait::Height,
                          0, 0);
        break;
    }

    cGdiPlus gdip;
    if (!gdip.PictureBoxToFile(portrait, name, m_command.quality, m_command.fullColour))
        return tr("cannot write %1: %2").arg(QDir::toNativeSeparators(name), gdip.lastErrorDetail());
    return {};
}

int PortraitConverter::runBatch()
{
    if (!QFileInfo(m_command.into).isDir())
        return fail(
            tr("cannot write into %1: it is not a folder.").arg(QDir::toNativeSeparators(m_command.into)));

    // Each picture's portrait, unless it would replace an input or the portrait of an
    // earlier picture of the same name: those are refused, never written over.
    const QDir folder(m_command.into);
    const QStringList& inputs = m_command.inputs;
    std::vector<QString> names(std::size_t(inputs.size()));
    std::vector<QString> failures(std::size_t(inputs.size()));
    QHash<QString, qsizetype> firstWithName;
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        QString& name = names[std::size_t(i)];
        name = folder.filePath(QFileInfo(inputs[i]).completeBaseName() + QStringLiteral(".jpg"));
        const QString shown = QDir::toNativeSeparators(name);
        const auto earlier = firstWithName.constFind(QFileInfo(name).absoluteFilePath());
        if (earlier != firstWithName.cend()) {
            failures[std::size_t(i)] = tr("cannot convert %1: its portrait %2 is that of %3.")
                                           .arg(QDir::toNativeSeparators(inputs[i]), shown,
                                                QDir::toNativeSeparators(inputs[*earlier]));
            continue;
        }
        firstWithName.insert(QFileInfo(name).absoluteFilePath(), i);
        for (const QString& other : inputs)
            if (sameFile(other, name))
                failures[std::size_t(i)] = tr("cannot write %1: it is the input file %2.")
                                               .arg(shown, QDir::toNativeSeparators(other));
    }

    // One picture per core; each decode runs in a helper process of its own.
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    QMutex lock;
    int done = 0;
    bool anyFailed = false;
    auto report = [&](qsizetype i) {
        const QMutexLocker locked(&lock);
        ++done;
        const QString& why = failures[std::size_t(i)];
        if (terminal)
            std::fputs("\r\033[K", stderr); // the progress line makes way
        if (!why.isEmpty()) {
            anyFailed = true;
            std::fprintf(stderr, "pictoria: %s\n", qPrintable(why.simplified()));
        }
        if (terminal && done < inputs.size())
            std::fprintf(stderr, "%d of %d: %s", done, int(inputs.size()),
                         qPrintable(QDir::toNativeSeparators(names[std::size_t(i)])));
        std::fflush(stderr);
    };
    QThreadPool pool;
    pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        if (!failures[std::size_t(i)].isEmpty()) {
            report(i);
            continue;
        }
        pool.start([this, i, &inputs, &names, &failures, &report] {
            failures[std::size_t(i)] = convert(inputs[i], names[std::size_t(i)]);
            report(i);
        });
    }
    pool.waitForDone();
    return anyFailed ? 1 : 0;
}
