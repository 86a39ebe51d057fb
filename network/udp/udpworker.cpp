#include "udpworker.h"

#include <QPointer>
#include <QThread>

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
        QMetaObject::invokeMethod(m_manager, "deleteLater", Qt::QueuedConnection);
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
