// Video item benchmark: one scenario per process, one JSON object on standard output.
//   grid     N items playing one file in a window (PlaybackScenarios::grid)
//   idle     N items without a stream
//   pacing   one item playing a file to its end
//   close    N tiles deleted at once while an animation runs (CloseScenario)
//   decode   "ffmpeg -threads 1" decoding the file, batch or paced ("--paced")
//   library  the player library alone decoding the file as fast as it can
// Every mode runs with the client's allocator settings unless "--glibc-allocator" is given.
// bench/run-video-bench.sh runs them under Xvfb (the scene graph on OpenGL) and
// turns three runs into medians.
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQuickWindow>

#include <algorithm>
#include <cstring>
#include <memory>

#include "allocatortuning.h"
#include "baselines.h"
#include "benchtools.h"
#include "closescenario.h"
#include "libZelkaExPlayer.h"
#include "playbackscenarios.h"

namespace {

// Before the application object exists.
bool hasFlag(int argc, char **argv, const char *flag)
{
    return std::any_of(argv + 1, argv + argc, [flag](const char *argument) { return strcmp(argument, flag) == 0; });
}

int argumentValue(const QStringList &arguments, const QString &name, int fallback)
{
    const int at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1).toInt() : fallback;
}

QString argumentText(const QStringList &arguments, const QString &name, const QString &fallback)
{
    const int at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : fallback;
}

QString graphicsOf(const QQuickWindow &window)
{
    return window.rendererInterface()->graphicsApi() == QSGRendererInterface::Software ? "software" : "rhi";
}

QJsonObject runInWindow(const QString &mode, const QStringList &arguments)
{
    const int items = argumentValue(arguments, "--items", 1);
    const int height = argumentValue(arguments, "--height", 1080);
    const int seconds = argumentValue(arguments, "--seconds", 6);
    QQuickWindow window;
    window.setColor(Qt::black);
    window.resize(1600, 900);
    window.show();
    BenchTools::waitMs(300);
    QJsonObject result;
    if (mode == "grid")
        result = PlaybackScenarios::grid(window, items, height, seconds);
    else if (mode == "idle")
        result = PlaybackScenarios::idle(window, items, seconds);
    else if (mode == "pacing")
        result = PlaybackScenarios::pacing(window, seconds);
    else if (mode == "close")
        result = CloseScenario::run(window, items, argumentText(arguments, "--source", "live"));
    result["graphics"] = graphicsOf(window);
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    // "--glibc-allocator" leaves glibc's own settings, to compare with the client's.
    if (!hasFlag(argc, argv, "--glibc-allocator"))
        AllocatorTuning::apply();
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const bool windowless = mode == "decode" || mode == "library";
    std::unique_ptr<QCoreApplication> app(windowless ? new QCoreApplication(argc, argv)
                                                     : new QGuiApplication(argc, argv));
    const QStringList arguments = app->arguments();
    const int height = argumentValue(arguments, "--height", 1080);
    const int seconds = argumentValue(arguments, "--seconds", 6);
    libZelkaExPlayer_Initialize(128);

    QJsonObject result;
    if (mode == "decode")
        result = Baselines::ffmpegDecode(height, seconds, arguments.contains("--paced"));
    else if (mode == "library")
        result = Baselines::libraryDecode(height, seconds);
    else
        result = runInWindow(mode, arguments);
    const bool measured = result.size() > 1;
    result["mode"] = mode;
    fputs(QJsonDocument(result).toJson(QJsonDocument::Compact).constData(), stdout);
    fputs("\n", stdout);
    return measured ? 0 : 1;
}
