#include "import/SandboxedDecoder.h"

#include "platform/BusyWait.h"

#include <QFileInfo>
#include <limits>

namespace {

int clampedToInt(std::uint32_t value)
{
    return int(std::min<std::uint32_t>(value, std::numeric_limits<int>::max()));
}

QString helperWords(const std::string& words)
{
    return QString::fromLocal8Bit(words.data(), qsizetype(words.size()));
}

} // namespace

SandboxedDecoder::SandboxedDecoder(BusyWait* wait, ImportHelper::Settings settings)
    : m_wait(wait), m_settings(std::move(settings))
{
}

ImportHelper::Run SandboxedDecoder::wait(BusyWait* wait, const PictureSource& source,
                                         const ImportHelper::Settings& settings)
{
    ImportHelper::Run run;
    if (!wait)
        return ImportHelper::decode(source, settings);
    const QString name = source.path.isEmpty() ? tr("the picture") : QFileInfo(source.path).fileName();
    const bool finished = wait->run(tr("Reading %1...").arg(name), [&](const std::atomic_bool& cancelled) {
        run = ImportHelper::decode(source, settings, &cancelled);
    });
    if (!finished)
        run.status = ImportHelper::Status::Cancelled;
    return run;
}

PictureDecoder::Decoded SandboxedDecoder::decoded(ImportHelper::Run& run)
{
    Decoded d;
    const FreeImageLibrary::DecodedPicture& p = run.picture;
    if (run.status == ImportHelper::Status::Cancelled) {
        d.outcome = Outcome::Cancelled;
        return d;
    }
    if (run.status != ImportHelper::Status::Finished) {
        d.outcome = Outcome::Failed;
        d.detail = run.detail;
        for (const HelperProtocol::Message& m : run.messages)
            d.detail += QStringLiteral("\n") + helperWords(m.text);
        return d;
    }
    d.size = QSize(clampedToInt(p.width), clampedToInt(p.height));
    for (const auto& [key, value] : p.texts)
        d.texts.append({QString::fromUtf8(key.data(), qsizetype(key.size())),
                        QString::fromUtf8(value.data(), qsizetype(value.size()))});
    if (p.tooLarge) {
        d.outcome = Outcome::TooLarge;
    } else if (p.failure == FreeImageLibrary::Failure::Damaged) {
        d.outcome = Outcome::Damaged;
        d.detail = helperWords(p.failureText);
    } else if (p.failure == FreeImageLibrary::Failure::OutOfMemory) {
        d.outcome = Outcome::OutOfMemory;
        d.detail = helperWords(p.failureText);
    } else if (p.failure == FreeImageLibrary::Failure::Exception) {
        d.outcome = Outcome::Failed;
        d.detail = helperWords(p.failureText);
    } else if (p.converted && !run.pixels.isNull()) {
        d.outcome = Outcome::Decoded;
        d.pixels = run.pixels;
    } else if (p.fallback == FreeImageLibrary::Fallback::Damaged) {
        d.outcome = Outcome::Damaged;
        d.detail = helperWords(p.fallbackText);
    } else if (p.fallback == FreeImageLibrary::Fallback::Unreadable) {
        d.outcome = Outcome::Unreadable;
        d.detail = helperWords(p.fallbackText);
    } else if (p.loaded) {
        // The library decoded it but could not give its pixels.
        d.outcome = Outcome::Failed;
        d.detail = tr("The picture could not be converted to 32 bits (error code %1).").arg(p.convertError);
    } else {
        d.outcome = Outcome::NotAPicture;
    }
    return d;
}

PictureDecoder::Decoded SandboxedDecoder::decode(const PictureSource& source, Rules rules)
{
    ImportHelper::Settings settings = m_settings;
    settings.openRules = rules == Rules::Open;
    ImportHelper::Run run = wait(m_wait, source, settings);
    return decoded(run);
}
