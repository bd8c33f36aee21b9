#pragma once

#include "files/PictureDecoder.h"
#include "import/ImportHelper.h"

#include <QImage>
#include <QRgb>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class QObject;

// The whole picture, decoded by the import helper on a thread of its own while the
// import window already shows a reduced decode of it. When it is there, ready is called
// on the receiver's thread; wait() blocks until it is there. Destroying it stops the
// helper and waits for the thread: it must go before the receiver does.
class WholePicture {
public:
    WholePicture(const PictureSource& source, ImportHelper::Settings settings, QRgb background,
                 QObject* receiver, std::function<void(const QImage&)> ready);
    ~WholePicture();
    WholePicture(const WholePicture&) = delete;
    WholePicture& operator=(const WholePicture&) = delete;

    // The picture as Format_RGB32 over the background; null when the decode failed.
    QImage wait();

private:
    std::atomic_bool m_cancelled{false};
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    QImage m_image;
    std::thread m_thread;
};
