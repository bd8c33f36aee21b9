#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>

class QEventLoop;
class StatusBar;

// Runs a long job (a decode) on a thread of its own while the interface thread goes on
// painting its windows and answering the window system. Once the job has run for
// ShowAfterMs the pointer turns busy and status panel 1 says what is being done, until
// the job ends. Meanwhile the user's input is held back, so that no second command
// starts on top of the first and nothing changes under it; Escape cancels the job, and so
// does the application beginning to quit.
class BusyWait : public QObject {
    Q_OBJECT
public:
    using Job = std::function<void(const std::atomic_bool& cancelled)>;
    static constexpr int ShowAfterMs = 150;

    explicit BusyWait(StatusBar* status = nullptr, QObject* parent = nullptr);
    ~BusyWait() override;

    // Runs the job and returns once it has returned: true when it ran to its end, false
    // when it was cancelled (the job is expected to stop soon after the flag is set).
    // While one job runs, another is not started: false at once.
    bool run(const QString& what, const Job& job);
    bool isBusy() const { return m_busy; }
    // Asks the running job to stop; run() returns as soon as it has.
    void cancel();

signals:
    // The busy pointer and the status text are showing.
    void shown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show(const QString& what);
    void hide();

    StatusBar* m_status;
    QEventLoop* m_loop = nullptr;
    std::atomic_bool m_cancelled{false};
    bool m_busy = false;
    bool m_shown = false;
    QString m_shownText;
    QString m_savedText;
};
