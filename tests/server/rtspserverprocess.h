#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class RtspServerProcessPrivate;

// How the program serves one mount: its options after "--mount PATH LAUNCH".
struct RtspMountOptions
{
    // Which RTP transports the mount offers; a SETUP asking for another is answered
    // "461 Unsupported Transport", as servers that offer only one do.
    enum class Transports { Any, UdpOnly, TcpOnly };

    bool shared = false;  // one pipeline for all clients, else one each
    bool seekable = true; // false: the pipeline answers that it cannot seek
    Transports transports = Transports::Any;

    // A live pattern as the test server serves its cameras: one pipeline for all viewers,
    // not seekable. Seekable, every viewer's PLAY ("Range: npt=0-", as FFmpeg sends it)
    // flushes the pipeline the others watch, and two PLAYs a few ms apart make the library
    // abort (the second meets the media prerolling after the first one's seek).
    static RtspMountOptions live();
    static RtspMountOptions offering(Transports transports);
    // The program's arguments for a mount served so.
    QStringList arguments(const QString &path, const QString &launch) const;
};

// The RTSP server program (zelka_rtsp_server) as a child of this process: started with
// its mounts on a free or a given port, its standard output and error kept (the last
// lines), and stopped by its pid. A fault of GStreamer's RTSP server ends that program,
// never the test: here it is a server that ended, which a test can report with the
// server's last output and start again on the port it had (start(port())). The program ends with this
// process too (its standard input closes). Not a QObject: usable from any thread, one
// at a time.
class RtspServerProcess
{
public:
    RtspServerProcess();
    ~RtspServerProcess(); // stops the server

    // The program's arguments besides the port (mounts and options, see the program).
    void setArguments(const QStringList &arguments);
    QStringList arguments() const;
    // Set before start(): the program's output lines (but the port) go on to this process's
    // standard error after this prefix, and so does the report when it ended by itself,
    // for a server whose output no test reads (the stand-alone test server's).
    void setEchoPrefix(const QByteArray &prefix);
    // Set before start(): called on the thread that reads the program's output each time the
    // server ended by itself (endCount() counts it already). It must not start or stop this
    // server (that joins the calling thread): it hands the news over to another thread.
    void setEndHandler(std::function<void()> handler);

    // Starts the program and waits until it listens on 127.0.0.1: port 0 = a free port.
    // A running server is stopped first. False with the reason when it did not listen:
    // "the RTSP test server did not start on 127.0.0.1:PORT: " and startFailure().
    bool start(quint16 port, QString *error);
    void stop(); // kills it and waits for it: fast, whatever state it is in
    bool waitForEnd(int timeoutMs);

    bool isRunning() const;
    quint16 port() const; // 0 before the first start and after stop(); kept when it ended by itself
    int endCount() const; // how many times it ended by itself after it listened (not by stop())
    QString lastOutput() const; // its last output lines since it was started
    // "the RTSP test server ended (exit status...; its last output: ...)", or empty while it runs.
    QString endReport() const;
    // Why the last start() failed, empty when it listened: "it was killed by signal 9,
    // Killed, before it listened", "it could not listen, the port is taken", "it ended with
    // exit code N before it listened" (each with its last output), or that it named no port
    // in time.
    QString startFailure() const;
    // Empty unless the server ended by itself since its last start; then its endReport(), and
    // it is started again on the port it had with the arguments set now (the report then
    // ends with why that failed).
    QString restartIfEnded();
    // The line on to standard error after the echo prefix; nothing without a prefix.
    void tell(const QString &line) const;

    static QString program();

private:
    std::unique_ptr<RtspServerProcessPrivate> d;
};
