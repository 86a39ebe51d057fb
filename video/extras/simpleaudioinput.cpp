#include "simpleaudioinput.h"

#include <QAudioDevice>
#include <QAudioSource>
#include <QMediaDevices>

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
    if (d->source)
        d->source->stop();
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
