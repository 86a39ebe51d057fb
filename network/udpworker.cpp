#include "udpworker.h"

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
    // The manager and its sockets go in their own thread, then the thread is joined.
    // Past the application's end the thread may have stopped already and the call is
    // never delivered; then nothing runs there any more and the manager goes from here.
    UdpManager *manager = m_manager;
    bool released = false;
    QMetaObject::invokeMethod(
        manager,
        [manager, &released]() {
            delete manager;
            released = true;
        },
        Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    if (!released)
        delete manager;
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
