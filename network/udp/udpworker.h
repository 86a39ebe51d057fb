#pragma once

#include <QObject>

class QThread;
class UdpManager;

// Owns the UDP worker thread and the manager living in it; the destructor stops the
// thread, lets it release the manager and its sockets there, and joins it.
class UdpWorker : public QObject
{
    Q_OBJECT

public:
    explicit UdpWorker(QObject *parent = nullptr);
    ~UdpWorker() override;

    UdpManager *manager() const;
    QThread *workerThread() const;

private:
    QThread *m_thread;
    UdpManager *m_manager;
};
