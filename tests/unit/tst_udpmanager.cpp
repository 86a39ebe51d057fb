#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QUdpSocket>

#include <atomic>

#include "eventwait.h"
#include "udpmanager.h"
#include "udpworker.h"

namespace {

quint16 freeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

void sendTo(quint16 port, const QByteArray &payload)
{
    QUdpSocket sender;
    sender.writeDatagram(payload, QHostAddress::LocalHost, port);
}

// Datagrams as the GUI thread receives them (queued), like NetworkManager does.
struct Datagram
{
    QString address;
    quint16 port;
    QByteArray data;
};

class DatagramLog : public QObject
{
public:
    explicit DatagramLog(UdpManager *manager)
    {
        connect(manager, &UdpManager::hasUdpDatagram, this,
                [this](QString address, quint16 port, QByteArray data) { received.append({address, port, data}); },
                Qt::QueuedConnection);
    }
    int count() const { return received.size(); }
    QList<Datagram> received;
};

} // namespace

class TestUdpManager : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<UdpWorker> m_worker;

    void call(const char *slot, const QString &address, quint16 port)
    {
        QMetaObject::invokeMethod(m_worker->manager(), slot, Q_ARG(QString, address), Q_ARG(quint16, port));
    }

    // Queued calls are handled in order; a blocking no-op behind them marks "done".
    void drainWorker()
    {
        QMetaObject::invokeMethod(m_worker->manager(), []() {}, Qt::BlockingQueuedConnection);
    }

private slots:
    void init() { m_worker.reset(new UdpWorker); }
    void cleanup() { m_worker.reset(); }

    void managerLivesInItsWorkerThread()
    {
        QVERIFY(m_worker->manager()->thread() == m_worker->workerThread());
        QVERIFY(m_worker->workerThread() != QThread::currentThread());
        QVERIFY(m_worker->workerThread()->isRunning());
    }

    void addingTwiceBindsOnceAndAnnouncesOnce()
    {
        const quint16 port = freeUdpPort();
        DatagramLog spy(m_worker->manager());
        call("addUdpSocket", QStringLiteral("127.0.0.1"), port);
        call("addUdpSocket", QStringLiteral("127.0.0.1"), port);
        drainWorker();
        sendTo(port, "hello");
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, kEventWaitMs);
        QTest::qWait(100);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.received.at(0).address, QStringLiteral("127.0.0.1"));
        QCOMPARE(spy.received.at(0).port, port);
        QCOMPARE(spy.received.at(0).data, QByteArray("hello"));
    }

    void burstArrivesWholeAndInOrder()
    {
        const quint16 port = freeUdpPort();
        DatagramLog spy(m_worker->manager());
        call("addUdpSocket", QStringLiteral("127.0.0.1"), port);
        drainWorker();
        QUdpSocket sender;
        for (int i = 0; i < 200; ++i)
            sender.writeDatagram(QByteArray::number(i), QHostAddress::LocalHost, port);
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 200, kEventWaitMs);
        for (int i = 0; i < 200; ++i)
            QCOMPARE(spy.received.at(i).data, QByteArray::number(i));
    }

    void removeThenAddRebinds()
    {
        const quint16 port = freeUdpPort();
        DatagramLog spy(m_worker->manager());
        call("addUdpSocket", QStringLiteral("127.0.0.1"), port);
        call("removeUdpSocket", QStringLiteral("127.0.0.1"), port);
        drainWorker();
        sendTo(port, "lost");
        QTest::qWait(100);
        QCOMPARE(spy.count(), 0);

        call("addUdpSocket", QStringLiteral("127.0.0.1"), port);
        drainWorker();
        sendTo(port, "again");
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, kEventWaitMs);
        QCOMPARE(spy.received.at(0).data, QByteArray("again"));
    }

    void sendDatagramReachesItsDestination()
    {
        QUdpSocket receiver;
        QVERIFY(receiver.bind(QHostAddress::LocalHost, 0));
        QNetworkDatagram datagram("ping", QHostAddress::LocalHost, receiver.localPort());
        QMetaObject::invokeMethod(m_worker->manager(), "sendDatagram", Q_ARG(QNetworkDatagram, datagram));
        QTRY_VERIFY_WITH_TIMEOUT(receiver.hasPendingDatagrams(), kEventWaitMs);
        QCOMPARE(receiver.receiveDatagram().data(), QByteArray("ping"));
    }

    void shutdownJoinsTheThreadAndReleasesTheManager()
    {
        const quint16 port = freeUdpPort();
        call("addUdpSocket", QStringLiteral("127.0.0.1"), port);
        drainWorker();
        std::atomic<bool> managerGone{false};
        connect(m_worker->manager(), &QObject::destroyed, this, [&managerGone]() { managerGone = true; },
                Qt::DirectConnection);
        // Qt deletes a thread object only once its thread has ended (it aborts otherwise).
        QThread *thread = m_worker->workerThread();
        bool threadGone = false;
        connect(thread, &QObject::destroyed, this, [&threadGone]() { threadGone = true; });
        m_worker.reset();
        QVERIFY(threadGone);
        QVERIFY(managerGone.load());
        // The port is free again: the socket went with its manager.
        QUdpSocket again;
        QVERIFY(again.bind(QHostAddress::LocalHost, port));
    }
};

QTEST_GUILESS_MAIN(TestUdpManager)
#include "tst_udpmanager.moc"
