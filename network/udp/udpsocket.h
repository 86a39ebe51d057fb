#pragma once

#include <QAbstractSocket>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QObject>

class QUdpSocket;

// A thin owner of one UDP socket; lives in the UDP worker thread.
class UdpSocket : public QObject
{
    Q_OBJECT

public:
    explicit UdpSocket(QObject *parent = nullptr);
    ~UdpSocket() override;

    bool hasPendingDatagrams() const;
    qint64 pendingDatagramSize() const;
    QNetworkDatagram receiveDatagram(int maxSize = -1);
    qint64 writeDatagram(const QNetworkDatagram &datagram);
    qint64 writeDatagram(const char *data, qint64 size, const QHostAddress &address, quint16 port);
    QAbstractSocket::SocketError error() const;
    QString errorString() const;
    bool bind(const QHostAddress &address, quint16 port, QAbstractSocket::BindMode mode);
    void close();

signals:
    void readyRead();

private:
    QUdpSocket *m_socket;
};
