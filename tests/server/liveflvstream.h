#pragma once

#include <QObject>
#include <QPointer>

class HttpConnection;
class QProcess;

// One HTTP-FLV live client: an ffmpeg process encodes a test pattern in real time
// and its output goes to the connection until either side ends.
class LiveFlvStream : public QObject
{
    Q_OBJECT
public:
    explicit LiveFlvStream(HttpConnection *connection, QObject *parent = nullptr);
    ~LiveFlvStream() override;

    void start();

signals:
    void finished(LiveFlvStream *stream);

private:
    void end();

    QPointer<HttpConnection> m_connection;
    QProcess *m_process;
    bool m_ended = false;
};
