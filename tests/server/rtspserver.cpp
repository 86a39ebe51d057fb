// GLib's headers use "signals" as a name, which Qt defines as a keyword: they come first.
#include <gst/gst.h>
#include <gst/rtsp-server/rtsp-server.h>

#include "rtspserver.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

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

void initialiseGStreamer()
{
    static std::once_flag once;
    std::call_once(once, [] { gst_init(nullptr, nullptr); });
}

// A live pattern has nothing to seek to, yet the library answers a PLAY with "Range: npt=0-"
// (what FFmpeg sends) by a flushing seek of the pipeline that every client of the mount
// shares: each new viewer restarts the others, and a PLAY answered meanwhile on another
// pool thread finds a stream without its segment, which the library asserts never happens
// (gst_rtsp_media_get_rates: it aborts the process). Answered as not seekable, the pipeline is never flushed.
GstPadProbeReturn answerNotSeekable(GstPad *, GstPadProbeInfo *info, gpointer)
{
    GstQuery *query = GST_PAD_PROBE_INFO_QUERY(info);
    if (GST_QUERY_TYPE(query) != GST_QUERY_SEEKING)
        return GST_PAD_PROBE_OK;
    GstFormat format = GST_FORMAT_TIME;
    gst_query_parse_seeking(query, &format, nullptr, nullptr, nullptr);
    gst_query_set_seeking(query, format, FALSE, -1, -1);
    return GST_PAD_PROBE_HANDLED;
}

void refuseSeeking(GstRTSPMediaFactory *, GstRTSPMedia *media, gpointer)
{
    for (guint i = 0; i < gst_rtsp_media_n_streams(media); ++i) {
        GstPad *pad = gst_rtsp_stream_get_srcpad(gst_rtsp_media_get_stream(media, i));
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_QUERY_UPSTREAM, answerNotSeekable, nullptr, nullptr);
        gst_object_unref(pad);
    }
}

GstRTSPFilterResult removeClient(GstRTSPServer *, GstRTSPClient *, gpointer)
{
    return GST_RTSP_FILTER_REMOVE;
}

GstRTSPFilterResult stopMedia(GstRTSPSession *, GstRTSPSessionMedia *media, gpointer)
{
    gst_rtsp_session_media_set_state(media, GST_STATE_NULL);
    return GST_RTSP_FILTER_REMOVE;
}

// As a TEARDOWN does: the streams stop sending to the session's transports first.
GstRTSPFilterResult removeSession(GstRTSPSessionPool *, GstRTSPSession *session, gpointer)
{
    gst_rtsp_session_filter(session, stopMedia, nullptr);
    return GST_RTSP_FILTER_REMOVE;
}

} // namespace

class RtspServerPrivate
{
public:
    GMainContext *context = nullptr;
    GMainLoop *loop = nullptr;
    GstRTSPServer *server = nullptr;
    guint sourceId = 0;
    quint16 port = 0;
    std::thread thread;
    // Set by the server's thread when its loop has ended.
    std::mutex endMutex;
    std::condition_variable endChanged;
    bool loopEnded = false;

    void release();
};

void RtspServerPrivate::release()
{
    if (server)
        g_object_unref(server);
    if (loop)
        g_main_loop_unref(loop);
    if (context)
        g_main_context_unref(context);
    server = nullptr;
    loop = nullptr;
    context = nullptr;
    sourceId = 0;
    port = 0;
}

RtspServer::RtspServer()
    : d(new RtspServerPrivate)
{
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
    if (d->thread.joinable())
        return true;
    initialiseGStreamer();
    d->context = g_main_context_new();
    d->loop = g_main_loop_new(d->context, FALSE);
    d->server = gst_rtsp_server_new();
    gst_rtsp_server_set_address(d->server, "127.0.0.1");
    const QByteArray service = QByteArray::number(port);
    gst_rtsp_server_set_service(d->server, service.constData());
    GstRTSPMountPoints *points = gst_rtsp_server_get_mount_points(d->server);
    for (const Mount &mount : kMounts) {
        GstRTSPMediaFactory *factory = gst_rtsp_media_factory_new();
        gst_rtsp_media_factory_set_launch(factory, launchOf(mount).constData());
        gst_rtsp_media_factory_set_shared(factory, TRUE);
        g_signal_connect(factory, "media-configure", G_CALLBACK(refuseSeeking), nullptr);
        const QByteArray path = QByteArray("/live/") + mount.name;
        gst_rtsp_mount_points_add_factory(points, path.constData(), factory); // takes the factory
    }
    g_object_unref(points);
    d->sourceId = gst_rtsp_server_attach(d->server, d->context);
    if (d->sourceId == 0) {
        *error = QStringLiteral("RTSP server cannot listen on 127.0.0.1:%1").arg(port);
        d->release();
        return false;
    }
    d->port = quint16(gst_rtsp_server_get_bound_port(d->server));
    RtspServerPrivate *p = d.get();
    d->thread = std::thread([p] {
        g_main_context_push_thread_default(p->context);
        g_main_loop_run(p->loop);
        g_main_context_pop_thread_default(p->context);
        std::lock_guard<std::mutex> lock(p->endMutex);
        p->loopEnded = true;
        p->endChanged.notify_all();
    });
    return true;
}

void RtspServer::stop()
{
    if (!d->thread.joinable())
        return;
    // Sessions (a client that went away without TEARDOWN leaves its session, and with it
    // a playing pipeline) and then clients are dropped on the server's own thread; the
    // loop ends once what that set off has been dispatched. Sessions go first: each
    // stream hands its data to its TCP clients from its own threads by a bare pointer,
    // and a client closed and freed while its stream still sends makes the library abort
    // ("data_seq should not be NULL").
    g_main_context_invoke(
        d->context,
        [](gpointer data) -> gboolean {
            auto *p = static_cast<RtspServerPrivate *>(data);
            GstRTSPSessionPool *pool = gst_rtsp_server_get_session_pool(p->server);
            gst_rtsp_session_pool_filter(pool, removeSession, nullptr);
            g_object_unref(pool);
            gst_rtsp_server_client_filter(p->server, removeClient, nullptr);
            GSource *quit = g_idle_source_new();
            g_source_set_priority(quit, G_PRIORITY_LOW);
            g_source_set_callback(
                quit,
                [](gpointer loop) -> gboolean {
                    g_main_loop_quit(static_cast<GMainLoop *>(loop));
                    return G_SOURCE_REMOVE;
                },
                p->loop, nullptr);
            g_source_attach(quit, p->context);
            g_source_unref(quit);
            return G_SOURCE_REMOVE;
        },
        d.get());
    if (!waitForLoopEnd()) {
        // GStreamer's RTSP server can deadlock when a client went away in the middle of a
        // PLAY (one of its pool threads waits for a stream that never blocks): the thread
        // is left to the process, with what it uses, rather than hanging the test.
        qWarning("RTSP server thread did not end; left running");
        d->thread.detach();
        (void)d.release();
        d = std::make_unique<RtspServerPrivate>();
        return;
    }
    d->thread.join();
    if (GSource *source = g_main_context_find_source_by_id(d->context, d->sourceId))
        g_source_destroy(source);
    d->release();
}

bool RtspServer::waitForLoopEnd()
{
    std::unique_lock<std::mutex> lock(d->endMutex);
    return d->endChanged.wait_for(lock, std::chrono::seconds(15), [this] { return d->loopEnded; });
}

quint16 RtspServer::port() const
{
    return d->port;
}

#if defined(__SANITIZE_ADDRESS__)
// libx265 keeps buffers of every encoder it opens (the H.265 mounts); only allocations
// made while opening an encoder are named, so a leak of ours under GStreamer still shows.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:x265_encoder_open\n";
}
#endif
