// GStreamer's RTSP server as a program of its own. The library ends its process on its
// own assertions (gst_rtsp_media_get_rates when a PLAY meets a media that prerolls again
// after a seek), which no client can prevent: hosted here, such a fault is a closed
// connection for the player under test, never the end of the test.
//
//   zelka_rtsp_server [--port N] [--client-threads N] [--abort-on-play N]
//                     --mount PATH LAUNCH [--shared] [--transports any|udp|tcp] [--not-seekable] ...
//
// The options after a --mount apply to that mount. Binds 127.0.0.1 only, prints
// "PORT <n>" on standard output once it listens, and serves until it is killed or its
// standard input closes (so it never outlives the test that started it). When it cannot
// listen it says why and ends with the code of RtspServerExit (3: the port is taken).
#include "rtspserverexit.h"

#include <gst/gst.h>
#include <gst/rtsp-server/rtsp-server.h>
#include <glib-unix.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Mount
{
    std::string path;
    std::string launch;
    bool shared = false;
    GstRTSPLowerTrans transports = GstRTSPLowerTrans(GST_RTSP_LOWER_TRANS_UDP | GST_RTSP_LOWER_TRANS_TCP);
    bool notSeekable = false;
};

struct Options
{
    unsigned port = 0;
    int clientThreads = 0;
    int abortOnPlay = 0; // 0: never
    std::vector<Mount> mounts;
};

std::atomic<int> playRequests{0};
int abortOnPlay = 0;

int usage(const char *why)
{
    std::fprintf(stderr,
                 "zelka_rtsp_server: %s\nusage: zelka_rtsp_server [--port N] [--client-threads N] [--abort-on-play N] "
                 "--mount PATH LAUNCH [--shared] [--transports any|udp|tcp] [--not-seekable] ...\n",
                 why);
    return RtspServerExit::Usage;
}

bool parseTransports(const char *name, GstRTSPLowerTrans *transports)
{
    if (std::strcmp(name, "udp") == 0)
        *transports = GST_RTSP_LOWER_TRANS_UDP;
    else if (std::strcmp(name, "tcp") == 0)
        *transports = GST_RTSP_LOWER_TRANS_TCP;
    else if (std::strcmp(name, "any") == 0)
        *transports = GstRTSPLowerTrans(GST_RTSP_LOWER_TRANS_UDP | GST_RTSP_LOWER_TRANS_TCP);
    else
        return false;
    return true;
}

// Null when the command line is complete; else what is wrong with it.
const char *parse(int argc, char **argv, Options *options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--port" && hasValue)
            options->port = unsigned(std::atoi(argv[++i]));
        else if (option == "--client-threads" && hasValue)
            options->clientThreads = std::atoi(argv[++i]);
        else if (option == "--abort-on-play" && hasValue)
            options->abortOnPlay = std::atoi(argv[++i]);
        else if (option == "--mount" && i + 2 < argc) {
            options->mounts.push_back({argv[i + 1], argv[i + 2]});
            i += 2;
        } else if (options->mounts.empty())
            return "a mount option before any --mount";
        else if (option == "--shared")
            options->mounts.back().shared = true;
        else if (option == "--not-seekable")
            options->mounts.back().notSeekable = true;
        else if (option == "--transports" && hasValue) {
            if (!parseTransports(argv[++i], &options->mounts.back().transports))
                return "transports are any, udp or tcp";
        } else
            return "unknown option or missing value";
    }
    return options->mounts.empty() ? "no mount" : nullptr;
}

// A live pattern has nothing to seek to, yet the library answers a PLAY with "Range: npt=0-"
// (what FFmpeg sends) by a flushing seek of the pipeline that every client of a shared
// mount shares: each new viewer would restart the others. Answered as not seekable, the
// pipeline is never flushed.
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

void addMounts(GstRTSPServer *server, const std::vector<Mount> &mounts)
{
    GstRTSPMountPoints *points = gst_rtsp_server_get_mount_points(server);
    for (const Mount &mount : mounts) {
        GstRTSPMediaFactory *factory = gst_rtsp_media_factory_new();
        gst_rtsp_media_factory_set_launch(factory, mount.launch.c_str());
        gst_rtsp_media_factory_set_shared(factory, mount.shared);
        gst_rtsp_media_factory_set_protocols(factory, mount.transports);
        if (mount.notSeekable)
            g_signal_connect(factory, "media-configure", G_CALLBACK(refuseSeeking), nullptr);
        gst_rtsp_mount_points_add_factory(points, mount.path.c_str(), factory); // takes the factory
    }
    g_object_unref(points);
}

// The fault switch for tests of what a client and its test do when the server dies.
GstRTSPStatusCode countPlay(GstRTSPClient *, GstRTSPContext *, gpointer)
{
    const int count = ++playRequests;
    if (count == abortOnPlay) {
        std::fprintf(stderr, "zelka_rtsp_server: aborting at PLAY request %d, as asked (--abort-on-play)\n", count);
        std::abort();
    }
    return GST_RTSP_STS_OK;
}

void watchPlays(GstRTSPServer *, GstRTSPClient *client, gpointer)
{
    g_signal_connect(client, "pre-play-request", G_CALLBACK(countPlay), nullptr);
}

// Standard input closed (the test that started this program ended, however it ended).
gboolean onInput(gint fd, GIOCondition, gpointer loop)
{
    char buffer[256];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0)
        return G_SOURCE_CONTINUE;
    g_main_loop_quit(static_cast<GMainLoop *>(loop));
    return G_SOURCE_REMOVE;
}

// Attaches the server to the default context, or ends the program with the reason: a port
// that another socket holds is told apart, so that the starter can wait for it to be free.
void listen(GstRTSPServer *server, unsigned port)
{
    GError *error = nullptr;
    GSource *source = gst_rtsp_server_create_source(server, nullptr, &error);
    if (source == nullptr) {
        const bool taken = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_ADDRESS_IN_USE);
        std::fprintf(stderr, "zelka_rtsp_server: cannot listen on 127.0.0.1:%u: %s\n", port,
                     error ? error->message : "no reason given");
        std::_Exit(taken ? RtspServerExit::PortTaken : RtspServerExit::CannotListen);
    }
    g_source_attach(source, nullptr);
    g_source_unref(source);
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (const char *problem = parse(argc, argv, &options))
        return usage(problem);
    gst_init(nullptr, nullptr);
    abortOnPlay = options.abortOnPlay;
    GMainLoop *loop = g_main_loop_new(nullptr, FALSE);
    GstRTSPServer *server = gst_rtsp_server_new();
    gst_rtsp_server_set_address(server, "127.0.0.1");
    const std::string service = std::to_string(options.port);
    gst_rtsp_server_set_service(server, service.c_str());
    if (options.clientThreads > 0) {
        // One thread per client: a client whose media is being prepared or torn down
        // would otherwise hold up every other client's requests.
        GstRTSPThreadPool *pool = gst_rtsp_server_get_thread_pool(server);
        gst_rtsp_thread_pool_set_max_threads(pool, options.clientThreads);
        g_object_unref(pool);
    }
    addMounts(server, options.mounts);
    if (options.abortOnPlay > 0)
        g_signal_connect(server, "client-connected", G_CALLBACK(watchPlays), nullptr);
    listen(server, options.port);
    std::printf("PORT %d\n", gst_rtsp_server_get_bound_port(server));
    std::fflush(stdout);
    g_unix_fd_add(STDIN_FILENO, GIOCondition(G_IO_IN | G_IO_HUP | G_IO_ERR), onInput, loop);
    g_main_loop_run(loop);
    // Clients, sessions and pipelines go with the process: nothing of them is kept, and
    // tearing them down in order is what the library can deadlock on.
    std::_Exit(0);
}
