#pragma once

#include <functional>
#include <memory>

#include <QObject>

#include "core/ImageFile.h"
#include "run/Session.h"

class QThread;

namespace parvex {

// The work thread of the window. The session is handed over for the job and handed back when it
// has ended, so that only one thread at a time can reach it: while the job works the window holds
// no session at all.
class Worker : public QObject {
    Q_OBJECT

public:
    using Job = std::function<void(Session&)>;
    // Called on the GUI thread with the session back; cancelled tells whether cancel() ended it.
    using Done = std::function<void(std::unique_ptr<Session>, bool cancelled)>;

    explicit Worker(QObject* parent = nullptr);
    ~Worker() override;

    bool busy() const { return m_thread != nullptr; }
    // Bytes the job has read so far; safe to read from the GUI thread at any time.
    std::uint64_t bytesRead() const { return m_progress.bytesRead.load(); }
    const ReadProgress& progress() const { return m_progress; }

    // Runs job on a thread of its own. The session's long reads report to this worker's progress.
    void start(std::unique_ptr<Session> session, Job job, Done done);

    // Asks the job to stop, waits for it and hands the session back at once.
    void cancel();

private:
    void finish();

    ReadProgress m_progress;
    QThread* m_thread = nullptr;
    // Touched by the work thread only between start() and the thread's end.
    std::unique_ptr<Session> m_session;
    Done m_done;
};

}  // namespace parvex
