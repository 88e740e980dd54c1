#include "ui/Worker.h"

#include <utility>

#include <QThread>

namespace parvex {

Worker::Worker(QObject* parent) : QObject(parent) {}

Worker::~Worker() {
    if (!m_thread) return;
    m_progress.cancelled = true;
    m_thread->wait();
    delete m_thread;
}

void Worker::start(std::unique_ptr<Session> session, Job job, Done done) {
    m_progress.bytesRead = 0;
    m_progress.cancelled = false;
    session->progress = &m_progress;
    m_session = std::move(session);
    m_done = std::move(done);
    Session* reached = m_session.get();
    QThread* thread = QThread::create([reached, job = std::move(job)] { job(*reached); });
    m_thread = thread;
    // Queued to the GUI thread; a job ended by cancel() has been taken down already.
    connect(thread, &QThread::finished, this, [this, thread] {
        if (thread == m_thread) finish();
    });
    thread->start();
}

void Worker::cancel() {
    if (!m_thread) return;
    m_progress.cancelled = true;
    finish();
}

void Worker::finish() {
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    const bool cancelled = m_progress.cancelled;
    Done done = std::move(m_done);
    m_done = nullptr;
    done(std::move(m_session), cancelled);
}

}  // namespace parvex
