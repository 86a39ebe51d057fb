#pragma once

#include <QAudioFormat>
#include <QIODevice>
#include <QScopedPointer>

class SimpleAudioInputPrivate;

// Captures the default microphone in push mode and hands each chunk on unchanged,
// with the chunk's peak level. Chunks and level arrive on the audio thread. The audio
// source (a child named "microphoneSource") is made by the first start(), on the
// default input device of that moment; format() is known from then on.
class SimpleAudioInput : public QIODevice
{
    Q_OBJECT
    Q_PROPERTY(double level READ level NOTIFY levelChanged FINAL)

public:
    explicit SimpleAudioInput(QObject *parent = nullptr);
    ~SimpleAudioInput() override;

    double level() const;
    QAudioFormat format() const;

    // The largest signed sample value of the whole frames of a chunk; 0 for a format
    // that cannot be measured (unknown sample format, no channels).
    static double peakLevel(const char *data, qint64 size, const QAudioFormat &format);

    Q_INVOKABLE void start();
    Q_INVOKABLE void stop();

signals:
    void levelChanged();
    void hasData(QByteArray data);

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 len) override;

private:
    QScopedPointer<SimpleAudioInputPrivate> d;
};
