// The stand-alone test server keeps its RTSP server (a program of its own, which GStreamer's
// faults end now and then) on its port: started again at once after each end, and tried
// again with a growing wait while a start fails, until the port is free. Its output says
// why each start failed (the end-to-end driver and the carousel soak read it there).
#include "eventwait.h"
#include "loopbacklistener.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <functional>

#include <signal.h>
#include <unistd.h>

namespace {

// The RTSP server programs the process `parent` started, from /proc/<parent>/task/*/children
// (any of its threads may have started one) and each one's name in /proc/<pid>/stat (the
// kernel keeps 15 characters of it; a child not yet past exec still has its parent's).
QList<pid_t> rtspServersOf(qint64 parent)
{
    QList<pid_t> servers;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(parent);
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(tasks + QLatin1Char('/') + task + QStringLiteral("/children"));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &pid : children.readAll().split(' ')) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(QString::fromLatin1(pid.trimmed())));
            if (!pid.trimmed().isEmpty() && stat.open(QIODevice::ReadOnly) && stat.readAll().contains(" (zelka_rtsp_serv) "))
                servers.append(pid_t(pid.trimmed().toInt()));
        }
    }
    return servers;
}

// The codecs ffprobe finds on a mount of the RTSP server, or its error.
QByteArray probe(const QString &port)
{
    QProcess ffprobe;
    ffprobe.setProcessChannelMode(QProcess::MergedChannels);
    ffprobe.start(QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                                              QStringLiteral("stream=codec_name"), QStringLiteral("-of"), QStringLiteral("csv=p=0"),
                                              QStringLiteral("rtsp://127.0.0.1:%1/live/h264").arg(port)});
    if (!ffprobe.waitForFinished(kEventWaitMs))
        ffprobe.kill();
    ffprobe.waitForFinished();
    return ffprobe.readAll();
}

// zelka_test_server as a child of the test, its standard output and error kept as one text.
class ServerRun
{
public:
    ~ServerRun()
    {
        process.terminate();
        if (!process.waitForFinished(kEventWaitMs))
            process.kill();
    }

    bool start()
    {
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(qEnvironmentVariable("ZELKA_BIN_DIR") + QStringLiteral("/zelka_test_server"));
        static const QRegularExpression rtspLine(QStringLiteral("^rtsp 127\\.0\\.0\\.1:(\\d+)$"), QRegularExpression::MultilineOption);
        QRegularExpressionMatch match;
        const bool started = waitFor([&] { return (match = rtspLine.match(QString::fromLatin1(output))).hasMatch(); });
        port = match.captured(1);
        return started;
    }

    // Reads the output until `done` holds, for kEventWaitMs at the most.
    template<typename Condition>
    bool waitFor(Condition done, const std::function<void()> &meanwhile = {})
    {
        QDeadlineTimer deadline(kEventWaitMs);
        while (!done()) {
            if (deadline.hasExpired() || process.state() == QProcess::NotRunning)
                return false;
            if (meanwhile)
                meanwhile();
            process.waitForReadyRead(meanwhile ? 5 : 100);
            output += process.readAll();
        }
        return true;
    }

    bool waitForOutput(const QByteArray &text, int count = 1)
    {
        return waitFor([&] { return output.count(text) >= count; });
    }

    QList<pid_t> rtspServers() const { return rtspServersOf(process.processId()); }
    // Its output after its first `from` bytes, shortened for a failure message.
    QByteArray outputSince(qsizetype from) const { return output.mid(from).right(3000); }

    QProcess process;
    QByteArray output;
    QString port;
};

} // namespace

class TestRtspRestarts : public QObject
{
    Q_OBJECT

private slots:
    void startsItsRtspServerAgainAfterEachEnd();
    void keepsTryingWhileAStartFails();
};

// Each end of a server that listened is told, and the server is back on its port at once.
void TestRtspRestarts::startsItsRtspServerAgainAfterEachEnd()
{
    ServerRun server;
    QVERIFY2(server.start(), server.output.constData());
    for (int end = 1; end <= 2; ++end) {
        const QList<pid_t> servers = server.rtspServers();
        QCOMPARE(servers.size(), 1);
        QCOMPARE(::kill(servers.first(), SIGKILL), 0);
        const QByteArray restarted = "rtsp server: the RTSP test server started again on 127.0.0.1:" + server.port.toLatin1()
            + " (ends so far: " + QByteArray::number(end) + ")";
        QVERIFY2(server.waitForOutput(restarted), server.outputSince(0).constData());
        QCOMPARE(server.output.count("rtsp server: the RTSP test server ended (killed by signal 9"), end);
        const QByteArray codecs = probe(server.port);
        QVERIFY2(codecs.startsWith("h264"), codecs.constData());
    }
    QCOMPARE(server.rtspServers().size(), 1);
}

// The server is killed, then its next start too, before it listens; then another process
// takes its port for a while. The test server keeps trying, says each time why the start
// failed, and is back once the port is free.
void TestRtspRestarts::keepsTryingWhileAStartFails()
{
    ServerRun server;
    QVERIFY2(server.start(), server.output.constData());
    const QByteArray failed = "rtsp server: the RTSP test server could not be started again on 127.0.0.1:" + server.port.toLatin1();
    const QByteArray killedAtStart = failed + " (try 1, the next in 0.5 s): it was killed by signal 9, Killed, before it listened";
    const QList<pid_t> first = server.rtspServers();
    QCOMPARE(first.size(), 1);
    QCOMPARE(::kill(first.first(), SIGKILL), 0);
    // Every server started meanwhile is killed as soon as it shows, most likely before it
    // listens (GStreamer takes a while to load); one that listened ends as the first did.
    const auto killStarting = [&server] {
        for (pid_t pid : server.rtspServers())
            ::kill(pid, SIGKILL);
    };
    QVERIFY2(server.waitFor([&] { return server.output.contains(killedAtStart); }, killStarting),
             server.outputSince(0).constData());
    const QByteArray killedLine = server.output.mid(server.output.indexOf(killedAtStart)).split('\n').first();
    QVERIFY2(!killedLine.contains("listen,") && !killedLine.contains("taken"), killedLine.constData());

    // The next try comes half a second later: the port is taken before it.
    int holder = -1;
    // Held as another program that took the port would hold it (-1 while something else listens).
    quint16 port = server.port.toUShort();
    QVERIFY2(server.waitFor([&] { return (holder = listenOnLoopback(port, 4)) >= 0; }, killStarting),
             server.outputSince(0).constData());
    const qsizetype held = server.output.size();
    // Tried again and again while the port is taken, each time saying so.
    const QByteArray taken = "): it could not listen, the port is taken (its last output: ";
    QVERIFY2(server.waitFor([&] { return server.output.mid(held).count(taken) >= 2; }),
             server.outputSince(held).constData());
    ::close(holder);
    const qsizetype freed = server.output.size();
    const QRegularExpression back(QStringLiteral("^rtsp server: the RTSP test server started again on 127\\.0\\.0\\.1:%1 \\(ends so far: \\d+\\)$")
                                      .arg(server.port),
                                  QRegularExpression::MultilineOption);
    QVERIFY2(server.waitFor([&] { return back.match(QString::fromLatin1(server.output.mid(freed))).hasMatch(); }),
             server.outputSince(held).constData());
    const QByteArray codecs = probe(server.port);
    QVERIFY2(codecs.startsWith("h264"), codecs.constData());
    QCOMPARE(server.rtspServers().size(), 1);
}

QTEST_GUILESS_MAIN(TestRtspRestarts)
#include "tst_rtsprestarts.moc"
