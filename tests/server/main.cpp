// The local test server as a process of its own: for the README's first run and for
// tests that need the server outside their own process.
#include "testserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop, so the server shuts down in order.
void quitOnSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] { app.quit(); });
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
}

quint16 portOption(const QCommandLineParser &parser, const QString &name, bool *ok)
{
    if (!parser.isSet(name))
        return 0;
    const uint value = parser.value(name).toUInt(ok);
    *ok = *ok && value <= 65535;
    return quint16(value);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelka_test_server"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Local stand-in for the video-surveillance platform server (127.0.0.1 only)."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("port"), QStringLiteral("HTTP and WebSocket port (default: a free one)."), QStringLiteral("port")});
    parser.addOption({QStringLiteral("rtsp-port"), QStringLiteral("RTSP port (default: a free one)."), QStringLiteral("port")});
    parser.addOption({QStringLiteral("data"), QStringLiteral("Seed data JSON file (default: the built-in one)."), QStringLiteral("file")});
    parser.addOption({QStringLiteral("no-rtsp"), QStringLiteral("Do not serve RTSP.")});
    parser.addOption({QStringLiteral("make-media"),
                      QStringLiteral("Make the media fixtures in their cache ($ZELKA_MEDIA_CACHE) and exit.")});
    parser.process(app);

    bool httpOk = true;
    bool rtspOk = true;
    const quint16 httpPort = portOption(parser, QStringLiteral("port"), &httpOk);
    const quint16 rtspPort = portOption(parser, QStringLiteral("rtsp-port"), &rtspOk);
    if (!httpOk || !rtspOk) {
        std::fprintf(stderr, "zelka_test_server: a port must be a number from 0 to 65535\n");
        return 2;
    }
    TestServer server;
    server.setFixedPorts(httpPort, rtspPort);
    const bool mediaOnly = parser.isSet(QStringLiteral("make-media"));
    server.setRtspEnabled(!mediaOnly && !parser.isSet(QStringLiteral("no-rtsp")));
    if (!server.start(parser.value(QStringLiteral("data")))) {
        std::fprintf(stderr, "zelka_test_server: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    if (mediaOnly) {
        server.stop();
        std::printf("media ready\n");
        return 0;
    }
    quitOnSignals(app);
    std::printf("http %s:%u\n", qPrintable(server.host()), unsigned(server.httpPort()));
    if (server.rtspPort() != 0)
        std::printf("rtsp %s:%u\n", qPrintable(server.host()), unsigned(server.rtspPort()));
    std::printf("user %s\npassword %s\n", qPrintable(server.userName()), qPrintable(server.password()));
    std::fflush(stdout);
    const int code = app.exec();
    server.stop();
    return code;
}
