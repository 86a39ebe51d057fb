#include "udpworker.h"

#include <QPointer>
#include <QThread>

#include "threadhandover.h"
#include "udpmanager.h"

UdpWorker::UdpWorker(QObject *parent)
    : QObject(parent)
    , m_thread(new QThread)
    , m_manager(new UdpManager)
{
    m_thread->setObjectName(QStringLiteral("UdpWorker"));
    m_manager->moveToThread(m_thread);
    m_thread->start(QThread::InheritPriority);
}

UdpWorker::~UdpWorker()
{
    // The manager and its sockets go in their own thread: the deferred deletion runs
    // when the thread's loop ends, before the join returns. Past the application's end
    // the thread no longer runs deferred deletions; then, joined, it goes from here.
    QPointer<UdpManager> manager(m_manager);
    if (m_thread->isRunning()) {
        ZELKA_HAND_OVER(m_manager);
        m_manager->deleteLater(); // thread-safe: posted to the manager's thread
        m_thread->quit();
        m_thread->wait();
    }
    delete manager.data();
    delete m_thread;
}

UdpManager *UdpWorker::manager() const
{
    return m_manager;
}

QThread *UdpWorker::workerThread() const
{
    return m_thread;
}
