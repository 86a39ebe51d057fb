#pragma once

#include <memory>

#include <QString>
#include <QStringList>

class RtspServerPrivate;

// Live test patterns over RTSP through GStreamer's RTSP server library, on a thread of
// its own with its own GLib main context. Mount points "/live/<name>" for the names of
// mounts(): H.264 and H.265, alone or with AAC or G.711 (A-law, mu-law) audio, H.264
// with several slices per picture, H.264 at 15, 30 and 50 fps (the others run at 25),
// and H.264 and H.265 of a still picture ("-still": one colour each, blue and orange);
// key frame every second. Encoders are shared between the clients of one mount.
class RtspServer
{
public:
    RtspServer();
    ~RtspServer();

    bool start(quint16 port, QString *error); // 0 = a free port; binds 127.0.0.1 only
    void stop();                              // closes clients, stops and joins the thread
    quint16 port() const;

    static QStringList mounts();

private:
    // False when the server's loop has not ended within a bound (see stop()).
    bool waitForLoopEnd();

    std::unique_ptr<RtspServerPrivate> d;
};
