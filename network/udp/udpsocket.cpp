#include "udpsocket.h"

#include <QUdpSocket>

UdpSocket::UdpSocket(QObject *parent)
    : QObject(parent)
    , m_socket(new QUdpSocket)
{
    connect(m_socket, &QUdpSocket::readyRead, this, &UdpSocket::readyRead);
}

UdpSocket::~UdpSocket()
{
    close();
    delete m_socket;
}

bool UdpSocket::hasPendingDatagrams() const
{
    return m_socket->hasPendingDatagrams();
}

qint64 UdpSocket::pendingDatagramSize() const
{
    return m_socket->pendingDatagramSize();
}

QNetworkDatagram UdpSocket::receiveDatagram(int maxSize)
{
    Q_UNUSED(maxSize); // always the whole datagram
    return m_socket->receiveDatagram();
}

qint64 UdpSocket::writeDatagram(const QNetworkDatagram &datagram)
{
    return m_socket->writeDatagram(datagram);
}

qint64 UdpSocket::writeDatagram(const char *data, qint64 size, const QHostAddress &address, quint16 port)
{
    return m_socket->writeDatagram(data, size, address, port);
}

QAbstractSocket::SocketError UdpSocket::error() const
{
    return m_socket->error();
}

QString UdpSocket::errorString() const
{
    return m_socket->errorString();
}

bool UdpSocket::bind(const QHostAddress &address, quint16 port, QAbstractSocket::BindMode mode)
{
    return m_socket->bind(address, port, mode);
}

void UdpSocket::close()
{
    m_socket->disconnectFromHost();
}
