#include "platform/BusyWait.h"

#include "platform/StatusBar.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QThread>
#include <QTimer>
#include <memory>

namespace {

// The job's thread. (QThread::create would do, but goes through std::async, whose
// once-flags pull the dynamic loader into the editor's own dependencies.)
class JobThread : public QThread {
public:
    JobThread(const BusyWait::Job& job, const std::atomic_bool& cancelled)
        : m_job(job), m_cancelled(cancelled)
    {
    }

protected:
    void run() override { m_job(m_cancelled); }

private:
    const BusyWait::Job& m_job;
    const std::atomic_bool& m_cancelled;
};

} // namespace

BusyWait::BusyWait(StatusBar* status, QObject* parent) : QObject(parent), m_status(status) {}

BusyWait::~BusyWait()
{
    m_cancelled = true;
}

void BusyWait::cancel()
{
    m_cancelled = true;
    if (m_loop)
        m_loop->quit();
}

bool BusyWait::run(const QString& what, const Job& job)
{
    if (m_busy)
        return false;
    m_cancelled = false;
    if (!QCoreApplication::instance()) {
        job(m_cancelled); // no events to answer meanwhile
        return true;
    }
    m_busy = true;
    QEventLoop loop;
    m_loop = &loop;
    auto worker = std::make_unique<JobThread>(job, m_cancelled);
    connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QTimer showing;
    showing.setSingleShot(true);
    connect(&showing, &QTimer::timeout, this, [this, &what] { show(what); });
    QCoreApplication::instance()->installEventFilter(this);
    worker->start();
    showing.start(ShowAfterMs);
    // Ends when the job has finished, when cancel() is called, or at once when the
    // application is quitting; in the last two the job is told to stop and waited for.
    loop.exec();
    if (!worker->isFinished()) {
        m_cancelled = true;
        worker->wait();
    }
    QCoreApplication::instance()->removeEventFilter(this);
    hide();
    m_loop = nullptr;
    m_busy = false;
    return !m_cancelled;
}

void BusyWait::show(const QString& what)
{
    if (m_shown)
        return;
    m_shown = true;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    if (m_status) {
        m_savedText = m_status->panelText(1);
        m_shownText = what + tr(" (Esc cancels)");
        m_status->setPanelText(1, m_shownText);
    }
    emit shown();
}

void BusyWait::hide()
{
    if (!m_shown)
        return;
    m_shown = false;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QGuiApplication::restoreOverrideCursor();
    // What the job's command writes there afterwards is its own.
    if (m_status && m_status->panelText(1) == m_shownText)
        m_status->setPanelText(1, m_savedText);
}

bool BusyWait::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Taken, so that the key comes as a key press (Escape among them) and triggers no
        // shortcut.
        event->accept();
        return true;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            cancel();
        return true;
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}
