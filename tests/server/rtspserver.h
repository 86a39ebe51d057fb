#pragma once

#include <memory>

#include <QString>
#include <QStringList>

class RtspServerPrivate;

// Live test patterns over RTSP through GStreamer's RTSP server, hosted by the program
// zelka_rtsp_server (RtspServerProcess): a fault of that library ends that program, never
// the process that started it. Mount points "/live/<name>" for the names of
// mounts(): H.264 and H.265, alone or with AAC or G.711 (A-law, mu-law) audio, H.264
// with several slices per picture, H.264 at 15, 30 and 50 fps (the others run at 25),
// and H.264 and H.265 of a still picture ("-still": one colour each, blue and orange);
// key frame every second. Encoders are shared between the clients of one mount. When the
// program ends by itself it is started again on its port at once, and a start that fails is
// tried again with a growing wait until it listens (RtspRestarter), from the event loop of
// the thread that made this server (which therefore must keep running it).
class RtspServer
{
public:
    RtspServer();
    ~RtspServer();

    bool start(quint16 port, QString *error); // 0 = a free port; binds 127.0.0.1 only
    void stop();                              // ends the server and with it every client's connection
    quint16 port() const; // kept while the server is being started again; 0 after stop()
    bool isRunning() const;
    // Why the server is not running when it ended by itself (with its last output), else empty.
    QString endReport() const;

    static QStringList mounts();

private:
    std::unique_ptr<RtspServerPrivate> d;
};
