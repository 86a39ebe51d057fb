#include "udpmanager.h"

#include <QHash>

#include "threadhandover.h"
#include "udpsocket.h"

class UdpManagerPrivate
{
public:
    static QString keyOf(const QString &address, quint16 port)
    {
        return address + QLatin1Char(':') + QString::number(port);
    }

    QHash<QString, UdpSocket *> sockets;
};

UdpManager::UdpManager(QObject *parent)
    : QObject(parent)
    , d(new UdpManagerPrivate)
{
}

UdpManager::~UdpManager()
{
    ZELKA_TAKE_OVER(this); // from UdpWorker::~UdpWorker, through Qt's posted deletion
}

void UdpManager::addUdpSocket(QString address, quint16 port)
{
    const QString key = UdpManagerPrivate::keyOf(address, port);
    if (d->sockets.contains(key))
        return;
    auto *socket = new UdpSocket(this);
    d->sockets.insert(key, socket);
    socket->bind(QHostAddress(address), port, QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint);
    connect(socket, &UdpSocket::readyRead, this, [this, socket, address, port]() {
        while (socket->hasPendingDatagrams())
            emit hasUdpDatagram(address, port, socket->receiveDatagram().data());
    });
}

void UdpManager::removeUdpSocket(QString address, quint16 port)
{
    UdpSocket *socket = d->sockets.take(UdpManagerPrivate::keyOf(address, port));
    if (!socket)
        return;
    socket->close();
    socket->deleteLater();
}

void UdpManager::sendDatagram(QNetworkDatagram data)
{
    UdpSocket sender;
    sender.writeDatagram(data);
}
