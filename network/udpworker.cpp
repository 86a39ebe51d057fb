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
    connect(m_thread, &QThread::finished, m_manager, &QObject::deleteLater);
    m_thread->start(QThread::InheritPriority);
}

UdpWorker::~UdpWorker()
{
    m_thread->quit();
    m_thread->wait();
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
