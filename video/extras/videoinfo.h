#pragma once

#include <QObject>
#include <QScopedPointer>
#include <QSize>
#include <QString>

class VideoInfoPrivate;

// What one playing stream reports: codecs, rates, resolution, cache fill, length
// and position. Owned by its VideoItem; written on the GUI thread only.
class VideoInfo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString videoCodec READ videoCodec NOTIFY videoCodecChanged)
    Q_PROPERTY(QString audioCodec READ audioCodec NOTIFY audioCodecChanged)
    Q_PROPERTY(qulonglong audioSampleRate READ audioSampleRate WRITE setAudioSampleRate NOTIFY audioSampleRateChanged)
    Q_PROPERTY(float packetLossRate READ packetLossRate NOTIFY packetLossRateChanged)
    Q_PROPERTY(qulonglong codeRate READ codeRate NOTIFY codeRateChanged)
    Q_PROPERTY(QSize resolution READ resolution NOTIFY resolutionChanged)
    Q_PROPERTY(qulonglong cacheFrameCount READ cacheFrameCount NOTIFY cacheFrameCountChanged)
    Q_PROPERTY(qulonglong duration READ duration WRITE setDuration NOTIFY durationChanged)
    Q_PROPERTY(qulonglong progress READ progress WRITE setProgress NOTIFY progressChanged)

public:
    explicit VideoInfo(QObject *parent = nullptr);
    ~VideoInfo() override;

    QString videoCodec() const;
    void setVideoCodec(const QString &codec);
    QString audioCodec() const;
    void setAudioCodec(const QString &codec);
    qulonglong audioSampleRate() const;
    void setAudioSampleRate(qulonglong rate);
    float packetLossRate() const;
    void setPacketLossRate(float rate);
    qulonglong codeRate() const;
    void setCodeRate(qulonglong rate);
    QSize resolution() const;
    void setResolution(const QSize &size);
    qulonglong cacheFrameCount() const;
    void setCacheFrameCount(qulonglong count);
    qulonglong duration() const;
    void setDuration(qulonglong seconds);
    qulonglong progress() const;
    void setProgress(qulonglong seconds);

signals:
    void videoCodecChanged();
    void audioCodecChanged();
    void audioSampleRateChanged();
    void packetLossRateChanged();
    void codeRateChanged();
    void resolutionChanged();
    void cacheFrameCountChanged();
    void durationChanged();
    void progressChanged();

private:
    QScopedPointer<VideoInfoPrivate> d;
};
