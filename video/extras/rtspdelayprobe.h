#pragma once

#include <QObject>
#include <QScopedPointer>
#include <QString>

class RtspDelayProbePrivate;

// Measures the network delay to a stream's RTSP server: every tick it connects, sends
// one OPTIONS request and takes half the time to the first reply. Runs on the GUI
// thread without blocking it; 3000 ms stands for "no answer".
class RtspDelayProbe : public QObject
{
    Q_OBJECT

public:
    static constexpr int NoAnswerDelayMs = 3000;
    static constexpr int IntervalMs = 2000;

    // Where a stream URL is probed: its host and port, and the URL without credentials.
    struct Target
    {
        QString host;
        quint16 port = 554;
        QString probeUrl;
    };
    static Target targetOf(const QString &url);

    explicit RtspDelayProbe(QObject *parent = nullptr);
    ~RtspDelayProbe() override;

    void setUrl(const QString &url);
    QString url() const;
    int delay() const;

    // Ticks every IntervalMs until destroyed.
    void start(int intervalMs = IntervalMs);
    // Paused, a started probe stops ticking and drops its connection (nobody reads the
    // figure of a hidden tile, and 143 of them would connect 70 times a second); taken
    // up again, it probes at once.
    void setPaused(bool paused);

public slots:
    void probe();

signals:
    // Every measurement and every "no answer", also when the value is unchanged.
    void delayMeasured(int milliseconds);

private:
    QScopedPointer<RtspDelayProbePrivate> d;
};
