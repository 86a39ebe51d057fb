#include "rtspserver.h"

#include "rtsprestarter.h"
#include "rtspserverprocess.h"

namespace {

// A moving test pattern (or a still picture of one colour, ARGB) at 640x360 encoded live,
// with a key frame every second.
QByteArray videoLaunch(const char *encoder, const char *payloader, int frameRate, const char *encoderOptions,
                       quint32 stillColour)
{
    const QByteArray rate = QByteArray::number(frameRate);
    const QByteArray source = stillColour ? QByteArray("pattern=solid-color foreground-color=") + QByteArray::number(stillColour)
                                          : QByteArray("horizontal-speed=4");
    return "videotestsrc is-live=true " + source + " ! video/x-raw,width=640,height=360,framerate=" + rate
        + "/1 ! videoconvert ! " + encoder + " tune=zerolatency speed-preset=ultrafast key-int-max=" + rate
        + " bitrate=800 " + encoderOptions + " ! " + payloader + " name=pay0 pt=96 config-interval=1";
}

const char kAac[] = "audiotestsrc is-live=true freq=440 ! audioconvert ! audioresample "
                    "! audio/x-raw,rate=16000,channels=1 ! voaacenc bitrate=32000 ! rtpmp4gpay name=pay1 pt=97";
const char kPcma[] = "audiotestsrc is-live=true freq=440 ! audioconvert ! audioresample "
                     "! audio/x-raw,rate=8000,channels=1 ! alawenc ! rtppcmapay name=pay1 pt=8";
const char kPcmu[] = "audiotestsrc is-live=true freq=440 ! audioconvert ! audioresample "
                     "! audio/x-raw,rate=8000,channels=1 ! mulawenc ! rtppcmupay name=pay1 pt=0";

enum class Codec { H264, H265 };

struct Mount
{
    const char *name;
    Codec codec;
    const char *audio;
    int frameRate = 25;
    // Cameras often cut a picture into several slices; the player must still show one frame each.
    const char *encoderOptions = "";
    // Screen tests judge what is drawn over a tile against a picture that does not move.
    quint32 stillColour = 0;
};

// Cameras run at 15, 30 or 50 fps as well: the player must tell their rate.
const Mount kMounts[] = {
    {"h264", Codec::H264, nullptr},         {"h265", Codec::H265, nullptr},
    {"h264-aac", Codec::H264, kAac},        {"h264-pcma", Codec::H264, kPcma},
    {"h265-aac", Codec::H265, kAac},        {"h265-pcmu", Codec::H265, kPcmu},
    {"h264-slices", Codec::H264, nullptr, 25, "option-string=slices=4"},
    {"h264-15fps", Codec::H264, nullptr, 15}, {"h264-30fps", Codec::H264, nullptr, 30},
    {"h264-50fps", Codec::H264, nullptr, 50},
    {"h264-still", Codec::H264, nullptr, 25, "", 0xff3070c0}, {"h265-still", Codec::H265, nullptr, 25, "", 0xffd07020},
};

QByteArray launchOf(const Mount &mount)
{
    QByteArray launch = "( ";
    launch += mount.codec == Codec::H264
        ? videoLaunch("x264enc", "rtph264pay", mount.frameRate, mount.encoderOptions, mount.stillColour)
        : videoLaunch("x265enc", "rtph265pay", mount.frameRate, mount.encoderOptions, mount.stillColour);
    if (mount.audio)
        launch += QByteArray(" ") + mount.audio;
    return launch + " )";
}


// Each mount as live cameras are served (shared and not seekable, RtspMountOptions::live()).
QStringList serverArguments()
{
    QStringList arguments;
    for (const Mount &mount : kMounts) {
        arguments << RtspMountOptions::live().arguments(QStringLiteral("/live/") + QLatin1String(mount.name),
                                                       QString::fromLatin1(launchOf(mount)));
    }
    return arguments;
}

} // namespace

class RtspServerPrivate
{
public:
    RtspServerProcess process;
    RtspRestarter restarter{process};
    quint16 port = 0; // where clients are sent, also while the server is started again
};

RtspServer::RtspServer()
    : d(new RtspServerPrivate)
{
    d->process.setArguments(serverArguments());
    // What GStreamer says, how the server ended and that it started again reach the test
    // server's own output (which the end-to-end driver and the soak read).
    d->process.setEchoPrefix("rtsp server: ");
    // The library's faults end the program now and then (see the program); the clients
    // reconnect, so the server is back on its port at once, as a camera that restarts.
    RtspRestarter *restarter = &d->restarter;
    d->process.setEndHandler([restarter] { restarter->endNoticed(); });
}

RtspServer::~RtspServer()
{
    stop();
}

QStringList RtspServer::mounts()
{
    QStringList names;
    for (const Mount &mount : kMounts)
        names.append(QString::fromLatin1(mount.name));
    return names;
}

bool RtspServer::start(quint16 port, QString *error)
{
    if (d->process.isRunning())
        return true;
    d->restarter.stop();
    if (!d->process.start(port, error))
        return false;
    d->port = d->process.port();
    d->restarter.watch(d->port);
    return true;
}

void RtspServer::stop()
{
    d->restarter.stop();
    d->process.stop();
    d->port = 0;
}

quint16 RtspServer::port() const
{
    return d->port;
}

bool RtspServer::isRunning() const
{
    return d->process.isRunning();
}

QString RtspServer::endReport() const
{
    return d->process.endReport();
}
