#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include <functional>

class QQuickWindow;
class VideoItem;

// What every scenario of the video item benchmark measures with: CPU by thread kind,
// resident memory, threads by name, waits in the event loop, generated media.
namespace BenchTools {

struct CpuSplit
{
    double total = 0;   // whole process, seconds
    double render = 0;  // Qt's render thread and Mesa's rasteriser threads
    double gui = 0;     // the GUI thread
    double pacers = 0;  // the items' pacing threads
    double library = 0; // the player library's reading and decoding threads
};

CpuSplit processCpu();
double residentMegabytes();
// Threads of this process whose name starts with prefix.
int threadsNamed(const QByteArray &prefix);
// CPU seconds of a finished child process, -1 when it failed.
double childCpuSeconds(const QStringList &arguments);

double rounded(double value, int digits = 3);

// CPU time of the calling thread, in nanoseconds: on a machine that others load, the GUI
// thread's own work over a span is the stall it would cause on an idle one.
qint64 threadCpuNs();

// Sleeps in the event loop (processEvents alone would spin).
void waitMs(int ms);
bool waitUntil(const std::function<bool()> &predicate, int timeoutMs);

// A 25 fps H.264 test pattern of the given height (16:9), seconds long.
QString mediaFile(int height, int seconds);
QString fileUrl(const QString &path);

// count items in a near-square grid filling the window.
QList<VideoItem *> makeGrid(QQuickWindow &window, int count);

} // namespace BenchTools
