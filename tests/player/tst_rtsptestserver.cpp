// The RTSP test server is a program of its own: when it dies (here on purpose, by its
// fault switch), the player meets a closed connection and the test goes on, can say
// why the server is gone and start it again on its port.
#include <QProcess>
#include <QTest>

#include "channelprobe.h"
#include "eventwait.h"
#include "libZelkaExPlayer.h"
#include "localservers.h"
#include "rtspserverprocess.h"
#include "testmedia.h"

class TestRtspTestServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(libZelkaExPlayer_Initialize(128), 0);
        QVERIFY(!TestMedia::h264TenSeconds().isEmpty());
    }

    void cleanupTestCase()
    {
        QCOMPARE(libZelkaExPlayer_Deinitialize(), 0);
        QCOMPARE(ChannelProbe::callbacksAfterClose(), 0);
    }

    // The server aborts at the player's PLAY, as GStreamer's own assertions make it do:
    // the channel gets nothing and closes, the test learns how the server ended, and the
    // server started again on its port serves the next channel.
    void serverDyingAtPlayEndsOnlyTheServer()
    {
        RtspTestServer server;
        server.mount("/vod", RtspTestServer::fileLaunch(TestMedia::h264TenSeconds()));
        server.setAbortOnPlay(1);
        QVERIFY(server.start());
        const quint16 port = server.port();
        QVERIFY(server.isRunning());
        QVERIFY(server.endReport().isEmpty());

        ChannelProbe probe;
        QVERIFY(probe.open(server.url("/vod")) > 0);
        QVERIFY(server.waitForEnd(kEventWaitMs));
        QVERIFY(!server.isRunning());
        QCOMPARE(server.endCount(), 1);
        const QString report = server.endReport();
        QVERIFY2(report.startsWith(QStringLiteral("the RTSP test server ended (killed by signal 6")), qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("aborting at PLAY request 1")), qPrintable(report));
        QVERIFY(server.lastOutput().contains(QStringLiteral("--abort-on-play")));
        QCOMPARE(probe.frames(), 0);
        probe.close();

        server.setAbortOnPlay(0);
        QVERIFY(server.restart());
        QCOMPARE(server.port(), port);
        QVERIFY(server.endReport().isEmpty());
        ChannelProbe again;
        QVERIFY(again.open(server.url("/vod")) > 0);
        QVERIFY2(again.waitForFrames(10, kEventWaitMs), qPrintable(server.endReport()));
        QCOMPARE(server.endCount(), 1);
    }

    // A live viewer loses its server when another viewer's PLAY kills it; both channels
    // reconnect by themselves once the server is back on its port. The mount is served as
    // the test server serves its cameras (shared, not seekable): seekable, the two viewers'
    // PLAYs after the restart would meet a pipeline prerolling after the other's seek, and
    // the library would abort again. A wait that fails says whether and how the server ended.
    void liveViewersReconnectToTheRestartedServer()
    {
        RtspTestServer server;
        server.mount("/live", RtspTestServer::liveLaunch(), RtspMountOptions::live());
        server.setAbortOnPlay(2);
        QVERIFY(server.start());
        ChannelProbe watching;
        QVERIFY(watching.open(server.url("/live")) > 0);
        QVERIFY2(watching.waitForFrames(5, kEventWaitMs), qPrintable(server.stateReport()));
        ChannelProbe joining;
        QVERIFY(joining.open(server.url("/live")) > 0);
        QVERIFY2(server.waitForEnd(kEventWaitMs), qPrintable(server.stateReport()));
        QVERIFY2(server.endReport().contains(QStringLiteral("aborting at PLAY request 2")), qPrintable(server.stateReport()));
        const int framesAtDeath = watching.frames();

        server.setAbortOnPlay(0);
        QVERIFY(server.restart());
        const bool watchingBack = watching.waitForFrames(framesAtDeath + 10, kEventWaitMs);
        QVERIFY2(watchingBack && server.endCount() == 1,
                 qPrintable(QStringLiteral("the first viewer %1; %2")
                                .arg(watchingBack ? QStringLiteral("plays again") : QStringLiteral("got no new frames"),
                                     server.stateReport())));
        QVERIFY2(joining.waitForFrames(10, kEventWaitMs) && server.endCount() == 1,
                 qPrintable(QStringLiteral("the second viewer has %1 frames; %2")
                                .arg(QString::number(joining.frames()), server.stateReport())));
        QVERIFY2(server.isRunning(), qPrintable(server.stateReport()));
    }

    // The program serves until its standard input closes: a test that crashed or was
    // killed leaves no server behind.
    void serverEndsWhenItsStarterGoes()
    {
        QProcess program;
        program.start(RtspServerProcess::program(),
                      {QStringLiteral("--mount"), QStringLiteral("/live"), RtspTestServer::liveLaunch()});
        QVERIFY(program.waitForStarted(kEventWaitMs));
        QTRY_VERIFY_WITH_TIMEOUT(program.canReadLine(), kEventWaitMs);
        const QByteArray line = program.readLine();
        QVERIFY2(line.startsWith("PORT ") && line.mid(5).trimmed().toUInt() > 0, line.constData());
        QCOMPARE(program.state(), QProcess::Running);
        program.closeWriteChannel();
        QVERIFY(program.waitForFinished(kEventWaitMs));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }

    // A port another server holds is refused with that reason, a program that ends before it
    // listens for another with its exit code and output; the test process goes on.
    void startThatFailsSaysWhy()
    {
        RtspServerProcess first;
        first.setArguments({QStringLiteral("--mount"), QStringLiteral("/vod"),
                            RtspTestServer::fileLaunch(TestMedia::h264TenSeconds())});
        QString error;
        QVERIFY2(first.start(0, &error), qPrintable(error));
        QVERIFY(first.startFailure().isEmpty());
        RtspServerProcess second;
        second.setArguments(first.arguments());
        QVERIFY(!second.start(first.port(), &error));
        const QString where = QStringLiteral("127.0.0.1:%1").arg(first.port());
        QVERIFY2(error.startsWith(QStringLiteral("the RTSP test server did not start on %1: it could not listen, the port is taken "
                                                 "(its last output: ").arg(where)),
                 qPrintable(error));
        QVERIFY2(error.contains(QStringLiteral("zelka_rtsp_server: cannot listen on %1: ").arg(where)), qPrintable(error));
        QVERIFY(error.endsWith(second.startFailure()));
        QVERIFY(!second.isRunning());
        QCOMPARE(second.port(), quint16(0));

        RtspServerProcess wrong;
        wrong.setArguments({QStringLiteral("--shared")});
        QVERIFY(!wrong.start(0, &error));
        QVERIFY2(wrong.startFailure().startsWith(QStringLiteral("it ended with exit code 2 before it listened (its last output: "
                                                                "zelka_rtsp_server: a mount option before any --mount")),
                 qPrintable(error));
        QVERIFY(first.isRunning());
        first.stop();
        QVERIFY(!first.isRunning());
        QCOMPARE(first.endCount(), 0); // stopped, not ended by itself
    }
};

QTEST_GUILESS_MAIN(TestRtspTestServer)
#include "tst_rtsptestserver.moc"
