#include "liveflvstream.h"

#include "httpconnection.h"

#include <QProcess>
#include <QTcpSocket>

LiveFlvStream::LiveFlvStream(HttpConnection *connection, QObject *parent)
    : QObject(parent)
    , m_connection(connection)
    , m_process(new QProcess(this))
{
    connect(m_process, &QProcess::readyReadStandardOutput, this, [this] {
        if (m_connection)
            m_connection->writeStreamData(m_process->readAllStandardOutput());
    });
    connect(m_process, &QProcess::finished, this, &LiveFlvStream::end);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            end();
    });
    connect(connection, &HttpConnection::closed, this, &LiveFlvStream::end);
}

LiveFlvStream::~LiveFlvStream()
{
    m_process->disconnect(this);
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(2000);
    }
}

void LiveFlvStream::start()
{
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    m_process->setStandardErrorFile(QProcess::nullDevice());
    m_process->start(QStringLiteral("ffmpeg"),
                     {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-nostdin"),
                      QStringLiteral("-re"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("testsrc2=size=640x360:rate=25"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                      QStringLiteral("-i"), QStringLiteral("sine=frequency=440:sample_rate=44100"), QStringLiteral("-c:v"),
                      QStringLiteral("libx264"), QStringLiteral("-preset"), QStringLiteral("ultrafast"), QStringLiteral("-tune"),
                      QStringLiteral("zerolatency"), QStringLiteral("-g"), QStringLiteral("25"), QStringLiteral("-pix_fmt"),
                      QStringLiteral("yuv420p"), QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-f"),
                      QStringLiteral("flv"), QStringLiteral("pipe:1")});
}

void LiveFlvStream::end()
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_process->state() != QProcess::NotRunning)
        m_process->kill();
    if (m_connection) {
        m_connection->disconnect(this);
        m_connection->closeStream();
    }
    emit finished(this);
}
