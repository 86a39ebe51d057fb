// How long a PTZ stop takes to reach the server after its start, when the server answers
// the start at once and when it never answers it; and how long a device-list refresh
// waits after PTZ presses whose starts the server never answers (on one camera, and on
// one camera each). The API client and its transport are the real ones; the server is
// the local test server in this process. Prints one JSON object: milliseconds from the
// stop call to the server's receipt, per round and median; per case, milliseconds from
// the refresh call to the new list and from the last stop call to the server's receipt;
// the load average before and after.
//   zelka_ptz_bench [ROUNDS]   (1 to 5, default 5)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQmlEngine>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "devicemanager.h"
#include "networkmanager.h"
#include "settings.h"
#include "testserver.h"

namespace {

// Runs the event loop until the condition holds (checked every millisecond); false after 30 s.
bool waitUntil(const std::function<bool()> &condition)
{
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer elapsed;
    elapsed.start();
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition() || elapsed.elapsed() > 30000)
            loop.quit();
    });
    poll.start(1);
    loop.exec();
    return condition();
}

int ptzRequests(const TestServer &server)
{
    const QList<TestServerRequest> log = server.requestLog();
    return int(std::count_if(log.begin(), log.end(), [](const TestServerRequest &request) {
        return request.path == QLatin1String("/api/v1/ptzcontrol");
    }));
}

bool waitForRequests(const TestServer &server, int n)
{
    return waitUntil([&server, n] { return server.requestLog().size() >= n; });
}

bool logIn(TestServer &server, NetworkManager &client, QQmlEngine &engine)
{
    client.login(server.userName(), server.password(), QString(),
                 engine.evaluate(QStringLiteral("(function(ok) { loggedIn = ok; })")));
    const auto answered = [&engine] { return engine.globalObject().property(QStringLiteral("loggedIn")).isBool(); };
    return waitUntil(answered) && engine.globalObject().property(QStringLiteral("loggedIn")).toBool();
}

// One start and its stop on a channel of its own; the stop's delay to the server in ms.
double stopDelayMs(TestServer &server, NetworkManager &client, int channel, bool hungStart)
{
    server.clearRequestLog();
    TestServerFault hang;
    hang.neverAnswer = true;
    hang.remainingHits = 1;
    if (hungStart)
        server.setFault(QStringLiteral("/api/v1/ptzcontrol"), hang);
    client.ptzControl(1, channel, NetworkManager::Up, NetworkManager::Up, 100);
    if (!waitForRequests(server, 1))
        return -1;
    QElapsedTimer stop;
    stop.start();
    client.ptzControl(1, channel, NetworkManager::Stop, NetworkManager::Up, 100);
    if (!waitForRequests(server, 2))
        return -1;
    server.clearFaults();
    return double(stop.nsecsElapsed()) / 1e6;
}

// One press of a PTZ button whose start the server never answers: the start, and the stop
// on release once the server has the start.
bool pressOnHungCamera(TestServer &server, NetworkManager &client, int channel)
{
    TestServerFault hang;
    hang.neverAnswer = true;
    hang.remainingHits = 1;
    server.setFault(QStringLiteral("/api/v1/ptzcontrol"), hang);
    const int before = int(server.requestLog().size());
    client.ptzControl(1, channel, NetworkManager::Up, NetworkManager::Up, 100);
    if (!waitForRequests(server, before + 1))
        return false;
    client.ptzControl(1, channel, NetworkManager::Stop, NetworkManager::Up, 100);
    return true;
}

// A fresh client presses `presses` times, on `cameras` of device 1's channels in turn; right
// after the last release it refreshes the device list. Milliseconds from the last stop call
// to the server's receipt and from the refresh call to the new list; -1 when it never came.
QJsonObject afterHungPresses(TestServer &server, QQmlEngine &engine, Settings &settings, int presses, int cameras)
{
    QJsonObject result{{QStringLiteral("presses"), presses}, {QStringLiteral("cameras"), cameras}};
    NetworkManager client(&settings);
    if (!logIn(server, client, engine))
        return result;
    server.clearRequestLog();
    for (int i = 0; i < presses; ++i) {
        if (!pressOnHungCamera(server, client, 101 + i % cameras))
            return result;
        // The next press's fault must not catch this stop.
        if (i + 1 < presses && !waitForRequests(server, 2 * (i + 1)))
            return result;
    }
    bool listed = false;
    const QMetaObject::Connection connection = QObject::connect(
        DeviceManager::instance(), &DeviceManager::deviceListChanged, [&listed] { listed = true; });
    QElapsedTimer elapsed;
    elapsed.start();
    client.getDeviceList();
    double stopMs = -1;
    double listMs = -1;
    waitUntil([&] {
        if (stopMs < 0 && ptzRequests(server) >= 2 * presses)
            stopMs = double(elapsed.nsecsElapsed()) / 1e6;
        if (listMs < 0 && listed)
            listMs = double(elapsed.nsecsElapsed()) / 1e6;
        return stopMs >= 0 && listMs >= 0;
    });
    QObject::disconnect(connection);
    server.clearFaults();
    result.insert(QStringLiteral("lastStopDelayMs"), qRound(stopMs * 10) / 10.0);
    result.insert(QStringLiteral("deviceListWaitMs"), qRound(listMs * 10) / 10.0);
    return result;
}

// The 1-minute load average, or -1 where the system does not say.
double loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    bool ok = false;
    const double load = file.readAll().split(' ').value(0).toDouble(&ok);
    return ok ? load : -1;
}

QJsonObject summary(QList<double> delays)
{
    QJsonArray rounds;
    for (double delay : delays)
        rounds.append(qRound(delay * 10) / 10.0);
    std::sort(delays.begin(), delays.end());
    return {{QStringLiteral("roundsMs"), rounds},
            {QStringLiteral("medianMs"), delays.isEmpty() ? -1 : qRound(delays.at(delays.size() / 2) * 10) / 10.0},
            {QStringLiteral("maxMs"), delays.isEmpty() ? -1 : qRound(delays.last() * 10) / 10.0}};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const double loadBefore = loadAverage();
    const int rounds = argc > 1 ? qBound(1, QByteArray(argv[1]).toInt(), 5) : 5;
    TestServer server;
    server.setRtspEnabled(false);
    if (!server.start()) {
        std::fprintf(stderr, "test server: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    QQmlEngine engine;
    NetworkManager::setQmlEngine(&engine);
    Settings settings;
    settings.setHost(server.host());
    settings.setPort(QString::number(server.httpPort()));
    NetworkManager client(&settings);
    if (!logIn(server, client, engine)) {
        std::fprintf(stderr, "login failed\n");
        return 1;
    }

    QList<double> answered;
    QList<double> hung;
    for (int i = 0; i < rounds; ++i) {
        answered << stopDelayMs(server, client, 200 + i, false);
        hung << stopDelayMs(server, client, 300 + i, true);
    }
    // The transport opens at most six connections to one server.
    QJsonArray starved;
    for (const auto &[presses, cameras] : {std::pair{3, 1}, std::pair{6, 1}, std::pair{6, 6}})
        starved.append(afterHungPresses(server, engine, settings, presses, cameras));
    const QJsonObject result{{QStringLiteral("bench"), QStringLiteral("ptz-stop-delay")},
                             {QStringLiteral("loadAverageBefore"), loadBefore},
                             {QStringLiteral("loadAverageAfter"), loadAverage()},
                             {QStringLiteral("startAnswered"), summary(answered)},
                             {QStringLiteral("startNeverAnswered"), summary(hung)},
                             {QStringLiteral("deviceListBehindHungStarts"), starved}};
    std::printf("%s\n", QJsonDocument(result).toJson(QJsonDocument::Compact).constData());
    return 0;
}
