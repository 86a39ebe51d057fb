#pragma once

#include <QNetworkDatagram>
#include <QObject>
#include <QScopedPointer>

class UdpManagerPrivate;

// Listening UDP sockets keyed by "address:port" and one-shot sends. Lives in its own
// worker thread and is reached only through queued calls.
class UdpManager : public QObject
{
    Q_OBJECT

public:
    explicit UdpManager(QObject *parent = nullptr);
    ~UdpManager() override;

public slots:
    void addUdpSocket(QString address, quint16 port);
    void removeUdpSocket(QString address, quint16 port);
    void sendDatagram(QNetworkDatagram data);

signals:
    void hasUdpDatagram(QString address, quint16 port, QByteArray data);

private:
    QScopedPointer<UdpManagerPrivate> d;
};
