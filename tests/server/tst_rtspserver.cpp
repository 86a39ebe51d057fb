// The RTSP part on its own thread: serves each mount, stops in order while a client is
// still playing, and reports a port it cannot bind. Kept free of QNetworkAccessManager so
// that ThreadSanitizer sees only this server's threads.
#include "eventwait.h"
#include "rtspserver.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>
#include <QTest>

class RtspServerTest : public QObject
{
    Q_OBJECT

private slots:
    void servesEveryMount();
    void stopsWhileAClientPlays();
    void startsAgainAfterStop();
    void refusesABusyPort();
    void slicedMountCutsPicturesIntoSlices();
    void manyViewersJoinAndLeaveOneMount();
};

namespace {

// ffprobe stops reading after 5 s of stream time by default; on a loaded machine the cheap
// audio of a mount reaches that while its video encoder has sent a frame or two, and the
// video's rate comes out unknown ("0/0"). It stops as soon as it knows the rate anyway.
QStringList probeArguments(quint16 port, const QString &mount)
{
    return {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-analyzeduration"), QStringLiteral("30000000"),
            QStringLiteral("-show_entries"), QStringLiteral("stream=codec_name,avg_frame_rate"),
            QStringLiteral("-of"), QStringLiteral("csv=p=0"), QStringLiteral("rtsp://127.0.0.1:%1/live/%2").arg(port).arg(mount)};
}

// One RTSP session over TCP with interleaved RTP, driven by blocking calls, so that many
// sessions can send their requests at the same moment.
class RawRtspSession
{
public:
    explicit RawRtspSession(const QByteArray &url)
        : m_url(url)
    {
    }

    bool connectTo(quint16 port)
    {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        return m_socket.waitForConnected(kEventWaitMs);
    }

    void send(const QByteArray &method, const QByteArray &url, const QByteArray &headers = {})
    {
        QByteArray request = method + ' ' + url + " RTSP/1.0\r\nCSeq: " + QByteArray::number(++m_cseq) + "\r\n";
        if (!m_session.isEmpty())
            request += "Session: " + m_session + "\r\n";
        m_socket.write(request + headers + "\r\n");
        m_socket.flush();
    }

    // The next reply's status line and headers; the RTP data in between is skipped.
    QByteArray reply()
    {
        for (;;) {
            skipData();
            const int end = m_buffer.indexOf("\r\n\r\n");
            if (!m_buffer.startsWith('$') && end >= 0) {
                const QByteArray head = m_buffer.left(end + 2);
                m_buffer.remove(0, end + 4 + header(head, "Content-Length").toInt());
                return head;
            }
            if (!readMore())
                return {};
        }
    }

    // Reads the stream until it has run for TICKS more of its 90 kHz RTP clock.
    bool receivesVideo(qint64 ticks)
    {
        const qint64 until = m_played + ticks;
        for (skipData(); m_played < until; skipData()) {
            if (!readMore())
                return false;
        }
        return true;
    }

    // True when the stream's clock went backwards: the encoder shared by the mount started again.
    bool restarted() const { return m_restarted; }

    bool setUp()
    {
        send("SETUP", m_url + "/stream=0", "Transport: RTP/AVP/TCP;unicast;interleaved=0-1\r\n");
        const QByteArray head = reply();
        m_session = header(head, "Session").split(';').first();
        return head.startsWith("RTSP/1.0 200") && !m_session.isEmpty();
    }

    void play() { send("PLAY", m_url + '/', "Range: npt=0.000-\r\n"); }
    void tearDown() { send("TEARDOWN", m_url + '/'); }
    void drop() { m_socket.abort(); }

    static QByteArray header(const QByteArray &head, const QByteArray &name)
    {
        for (const QByteArray &line : head.split('\n')) {
            if (line.toLower().startsWith(name.toLower() + ':'))
                return line.mid(name.size() + 1).trimmed();
        }
        return {};
    }

private:
    bool readMore()
    {
        if (!m_socket.waitForReadyRead(kEventWaitMs))
            return false;
        m_buffer += m_socket.readAll();
        return true;
    }

    void skipData()
    {
        while (m_buffer.startsWith('$') && m_buffer.size() >= 4) {
            const int frame = 4 + ((quint8(m_buffer.at(2)) << 8) | quint8(m_buffer.at(3)));
            if (m_buffer.size() < frame)
                return;
            if (m_buffer.at(1) == 0 && frame >= 4 + 12)
                noteTimestamp(qFromBigEndian<quint32>(m_buffer.constData() + 4 + 4));
            m_buffer.remove(0, frame);
        }
    }

    void noteTimestamp(quint32 timestamp)
    {
        if (m_haveTimestamp) {
            const qint32 step = qint32(timestamp - m_timestamp);
            m_restarted = m_restarted || step < 0;
            m_played += qMax(step, 0);
        }
        m_haveTimestamp = true;
        m_timestamp = timestamp;
    }

    QTcpSocket m_socket;
    QByteArray m_url;
    QByteArray m_session;
    QByteArray m_buffer;
    int m_cseq = 0;
    bool m_haveTimestamp = false;
    quint32 m_timestamp = 0;
    qint64 m_played = 0;
    bool m_restarted = false;
};

} // namespace

void RtspServerTest::servesEveryMount()
{
    RtspServer server;
    QString error;
    QVERIFY2(server.start(0, &error), qPrintable(error));
    QVERIFY(server.port() != 0);
    const QStringList mounts = RtspServer::mounts();
    QCOMPARE(mounts.size(), 12);
    std::vector<std::unique_ptr<QProcess>> probes;
    for (const QString &mount : mounts) {
        probes.push_back(std::make_unique<QProcess>());
        probes.back()->start(QStringLiteral("ffprobe"), probeArguments(server.port(), mount));
    }
    for (size_t i = 0; i < probes.size(); ++i) {
        QVERIFY(probes[i]->waitForFinished(kEventWaitMs));
        // One line per stream: "codec,frames/1" for video, "codec,0/0" for audio.
        const QList<QByteArray> streams = probes[i]->readAllStandardOutput().trimmed().split('\n');
        const QString mount = mounts.at(int(i));
        QVERIFY2(streams.first().startsWith(mount.startsWith(QLatin1String("h265")) ? "hevc" : "h264"),
                 streams.first().constData());
        const QString rate = mount.endsWith(QLatin1String("fps")) ? mount.section(QLatin1Char('-'), 1).chopped(3)
                                                                   : QStringLiteral("25");
        QVERIFY2(streams.first().split(',').value(1) == rate.toLatin1() + "/1",
                 qPrintable(mount + QLatin1String(": ") + QString::fromLatin1(streams.join(" | "))));
        const bool withAudio = mount.endsWith(QLatin1String("aac")) || mount.endsWith(QLatin1String("pcma"))
            || mount.endsWith(QLatin1String("pcmu"));
        QCOMPARE(streams.size(), withAudio ? 2 : 1);
    }
    server.stop();
    QCOMPARE(server.port(), quint16(0));
}

void RtspServerTest::stopsWhileAClientPlays()
{
    RtspServer server;
    QString error;
    QVERIFY2(server.start(0, &error), qPrintable(error));
    QProcess player;
    player.setProcessChannelMode(QProcess::MergedChannels);
    player.start(QStringLiteral("ffmpeg"), {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
                                             QStringLiteral("-stats"), QStringLiteral("-i"),
                                             QStringLiteral("rtsp://127.0.0.1:%1/live/h264-aac").arg(server.port()),
                                             QStringLiteral("-t"), QStringLiteral("30"), QStringLiteral("-f"), QStringLiteral("null"),
                                             QStringLiteral("-")});
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += player.readAll()).contains("frame="), kEventWaitMs);
    QElapsedTimer timer;
    timer.start();
    server.stop();
    QVERIFY(timer.elapsed() < kEventWaitMs / 2); // a hang; the stream would run 30 s
    QVERIFY(player.waitForFinished(kEventWaitMs)); // the stream ended with the server
}

void RtspServerTest::startsAgainAfterStop()
{
    RtspServer server;
    QString error;
    for (int round = 0; round < 3; ++round) {
        QVERIFY2(server.start(0, &error), qPrintable(error));
        QProcess probe;
        probe.start(QStringLiteral("ffprobe"), probeArguments(server.port(), QStringLiteral("h264")));
        QVERIFY(probe.waitForFinished(kEventWaitMs));
        QVERIFY(probe.readAllStandardOutput().startsWith("h264,"));
        server.stop();
    }
}

void RtspServerTest::refusesABusyPort()
{
    QTcpServer occupier;
    QVERIFY(occupier.listen(QHostAddress::LocalHost));
    RtspServer server;
    QString error;
    QVERIFY(!server.start(occupier.serverPort(), &error));
    QVERIFY(error.contains(QString::number(occupier.serverPort())));
    QCOMPARE(server.port(), quint16(0));
}

void RtspServerTest::slicedMountCutsPicturesIntoSlices()
{
    RtspServer server;
    QString error;
    QVERIFY2(server.start(0, &error), qPrintable(error));
    // Copy a second of the stream as Annex-B and count the slices of its first IDR picture.
    QProcess copy;
    copy.start(QStringLiteral("ffmpeg"), {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"),
                                           QStringLiteral("rtsp://127.0.0.1:%1/live/h264-slices").arg(server.port()),
                                           QStringLiteral("-t"), QStringLiteral("1"), QStringLiteral("-c"), QStringLiteral("copy"),
                                           QStringLiteral("-f"), QStringLiteral("h264"), QStringLiteral("-")});
    QVERIFY(copy.waitForFinished(kEventWaitMs));
    const QByteArray stream = copy.readAllStandardOutput();
    int idrSlices = 0;
    for (int i = stream.indexOf(QByteArray("\0\0\1", 3)); i >= 0 && i + 3 < stream.size();
         i = stream.indexOf(QByteArray("\0\0\1", 3), i + 3)) {
        const int type = stream.at(i + 3) & 0x1f;
        if (type == 5)
            ++idrSlices;
        else if (idrSlices > 0 && type != 5)
            break; // the first IDR picture is over
    }
    QVERIFY2(idrSlices > 1, qPrintable(QString::number(idrSlices)));
}

// The live view starts a page of streams on one mount while the tiles of the last page go
// away without a word: viewers join the shared encoder all at once, each asking to play
// from the start, while others leave in the middle of their session. A joining viewer must
// neither restart the stream of those watching (a live mount is not seekable) nor bring
// the server down, and the mount must still serve afterwards.
void RtspServerTest::manyViewersJoinAndLeaveOneMount()
{
    RtspServer server;
    QString error;
    QVERIFY2(server.start(0, &error), qPrintable(error));
    const QByteArray url = "rtsp://127.0.0.1:" + QByteArray::number(server.port()) + "/live/h264";
    constexpr qint64 kSecond = 90000; // of the video's RTP clock
    RawRtspSession watcher(url);
    QVERIFY(watcher.connectTo(server.port()));
    QVERIFY(watcher.setUp());
    watcher.play();
    QVERIFY(watcher.reply().startsWith("RTSP/1.0 200"));
    QVERIFY(watcher.receivesVideo(kSecond));
    std::vector<std::unique_ptr<RawRtspSession>> playing;
    for (int round = 0; round < 4; ++round) {
        std::vector<std::unique_ptr<RawRtspSession>> joining;
        for (int i = 0; i < 8; ++i) {
            joining.push_back(std::make_unique<RawRtspSession>(url));
            QVERIFY(joining.back()->connectTo(server.port()));
            QVERIFY2(joining.back()->setUp(), qPrintable(QStringLiteral("round %1, viewer %2").arg(round).arg(i)));
        }
        for (auto &session : joining)
            session->play();
        // Half of those already playing vanish while the newcomers' PLAYs are handled.
        for (size_t i = 0; i < playing.size(); ++i) {
            if (i % 2 == 0)
                playing[i]->drop();
            else
                playing[i]->tearDown();
        }
        for (auto &session : joining) {
            const QByteArray head = session->reply();
            QVERIFY2(head.startsWith("RTSP/1.0 200"), head.constData());
        }
        playing = std::move(joining);
        QVERIFY(watcher.receivesVideo(kSecond / 5));
    }
    QVERIFY(!watcher.restarted());
    // The last viewers receive the stream, and the server still takes new ones.
    QVERIFY(playing.back()->receivesVideo(kSecond / 5));
    RawRtspSession last(url);
    QVERIFY(last.connectTo(server.port()));
    QVERIFY(last.setUp());
    last.play();
    QVERIFY(last.reply().startsWith("RTSP/1.0 200"));
    QVERIFY(last.receivesVideo(kSecond / 5));
    last.tearDown();
    QVERIFY(last.reply().startsWith("RTSP/1.0 200"));
    server.stop();
    QCOMPARE(server.port(), quint16(0));
}

QTEST_GUILESS_MAIN(RtspServerTest)
#include "tst_rtspserver.moc"
