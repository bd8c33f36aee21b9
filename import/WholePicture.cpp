#include "import/WholePicture.h"

#include "platform/Flatten.h"
#include "platform/StageClock.h"

#include <QMetaObject>
#include <QObject>

WholePicture::WholePicture(const PictureSource& source, ImportHelper::Settings settings, QRgb background,
                           QObject* receiver, std::function<void(const QImage&)> ready)
{
    settings.need = QSize();
    m_thread = std::thread([this, source, settings, background, receiver, ready = std::move(ready)] {
        ImportHelper::Run run = ImportHelper::decode(source, settings, &m_cancelled);
        QImage image;
        if (run.status == ImportHelper::Status::Finished && run.picture.converted &&
            run.picture.failure == FreeImageLibrary::Failure::None && run.picture.scale == 1)
            image = flattenedOver(run.pixels, background);
        StageClock::mark("import-whole-decoded");
        {
            std::lock_guard lock(m_mutex);
            m_image = image;
            m_finished = true;
        }
        m_done.notify_all();
        // The owner joins this thread before the receiver can go, and Qt drops a call
        // still queued for a receiver that has gone.
        if (!m_cancelled && ready && receiver)
            QMetaObject::invokeMethod(
                receiver, [ready, image] { ready(image); }, Qt::QueuedConnection);
    });
}

WholePicture::~WholePicture()
{
    m_cancelled = true;
    if (m_thread.joinable())
        m_thread.join();
}

QImage WholePicture::wait()
{
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [this] { return m_finished; });
    return m_image;
}
