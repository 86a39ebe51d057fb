#include "simpleaudioinput.h"

#include <QAudioDevice>
#include <QAudioSource>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMediaDevices>
#include <QThread>

#include <atomic>

namespace {

// The talk-back peer gets no format description; ask for the small fixed format the
// platform uses when the device offers it, else take what the device prefers.
QAudioFormat captureFormat(const QAudioDevice &device)
{
    QAudioFormat wanted;
    wanted.setSampleFormat(QAudioFormat::Float);
    wanted.setChannelCount(1);
    wanted.setSampleRate(8000);
    return device.isFormatSupported(wanted) ? wanted : device.preferredFormat();
}

// Qt's PulseAudio engine closes its server connection from a static destructor without
// holding the lock of its own event thread. Closing a capture stream makes the server
// report the source's new state, which that thread then asks about; a reply still
// arriving during the close crashes the exit. Qt offers no way to see that traffic end,
// so the application object's end waits out a short quiet spell after the last stream
// was closed (a local server answers within milliseconds).
constexpr int kStreamQuietMs = 300;

QDeadlineTimer &streamQuietDeadline()
{
    static QDeadlineTimer deadline; // expired: no stream closed yet
    return deadline;
}

void waitForStreamQuiet()
{
    const qint64 remaining = streamQuietDeadline().remainingTime();
    if (remaining > 0)
        QThread::msleep(static_cast<unsigned long>(remaining));
}

void noteStreamClosed()
{
    static const bool waitsAtExit = (qAddPostRoutine(waitForStreamQuiet), true);
    Q_UNUSED(waitsAtExit);
    streamQuietDeadline().setRemainingTime(kStreamQuietMs);
}

} // namespace

class SimpleAudioInputPrivate
{
public:
    QAudioFormat format;
    // Made by the first start: every tile holds an input, few ever talk, and a source
    // on a machine without a microphone logs a complaint for each one made.
    QAudioSource *source = nullptr;
    std::atomic<double> level{0.0};
};

SimpleAudioInput::SimpleAudioInput(QObject *parent)
    : QIODevice(parent)
    , d(new SimpleAudioInputPrivate)
{
}

SimpleAudioInput::~SimpleAudioInput()
{
    stop();
    delete d->source;
}

double SimpleAudioInput::level() const
{
    return d->level.load();
}

QAudioFormat SimpleAudioInput::format() const
{
    return d->format;
}

double SimpleAudioInput::peakLevel(const char *data, qint64 size, const QAudioFormat &format)
{
    const int bytesPerSample = format.bytesPerSample();
    const int frameSize = format.channelCount() * bytesPerSample;
    if (bytesPerSample <= 0 || frameSize <= 0 || !data)
        return 0.0;
    const qint64 samples = (size / frameSize) * format.channelCount();
    double peak = 0.0;
    for (qint64 i = 0; i < samples; ++i)
        peak = qMax(peak, double(format.normalizedSampleValue(data + i * bytesPerSample)));
    return peak;
}

void SimpleAudioInput::start()
{
    if (!d->source) {
        const QAudioDevice device = QMediaDevices::defaultAudioInput();
        d->format = captureFormat(device);
        d->source = new QAudioSource(device, d->format, this);
        d->source->setObjectName(QStringLiteral("microphoneSource"));
    }
    open(QIODevice::ReadWrite);
    d->source->start(this);
}

void SimpleAudioInput::stop()
{
    close();
    if (!d->source || d->source->state() == QAudio::StoppedState)
        return;
    d->source->stop();
    noteStreamClosed();
}

qint64 SimpleAudioInput::readData(char *data, qint64 maxSize)
{
    Q_UNUSED(data);
    Q_UNUSED(maxSize);
    return 0;
}

qint64 SimpleAudioInput::writeData(const char *data, qint64 len)
{
    d->level.store(peakLevel(data, len, d->format));
    emit levelChanged();
    emit hasData(QByteArray(data, int(len)));
    return len;
}
