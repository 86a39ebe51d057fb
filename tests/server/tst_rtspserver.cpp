// The RTSP part on its own thread: serves each mount, stops in order while a client is
// still playing, and reports a port it cannot bind. Kept free of QNetworkAccessManager so
// that ThreadSanitizer sees only this server's threads.
#include "eventwait.h"
#include "rtspserver.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
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
};

namespace {

QStringList probeArguments(quint16 port, const QString &mount)
{
    return {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"), QStringLiteral("stream=codec_name,avg_frame_rate"),
            QStringLiteral("-of"), QStringLiteral("csv=p=0"), QStringLiteral("rtsp://127.0.0.1:%1/live/%2").arg(port).arg(mount)};
}

} // namespace

void RtspServerTest::servesEveryMount()
{
    RtspServer server;
    QString error;
    QVERIFY2(server.start(0, &error), qPrintable(error));
    QVERIFY(server.port() != 0);
    const QStringList mounts = RtspServer::mounts();
    QCOMPARE(mounts.size(), 10);
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
        QCOMPARE(streams.first().split(',').value(1), rate.toLatin1() + "/1");
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

QTEST_GUILESS_MAIN(RtspServerTest)
#include "tst_rtspserver.moc"
