#include "videoinfo.h"

#include "propertyhelpers.h"

class VideoInfoPrivate
{
public:
    QString videoCodec;
    QString audioCodec;
    qulonglong audioSampleRate = 0;
    float packetLossRate = 0;
    qulonglong codeRate = 0;
    QSize resolution{0, 0};
    qulonglong cacheFrameCount = 0;
    qulonglong duration = 0;
    qulonglong progress = 0;
};

VideoInfo::VideoInfo(QObject *parent)
    : QObject(parent)
    , d(new VideoInfoPrivate)
{
}

VideoInfo::~VideoInfo() = default;

QString VideoInfo::videoCodec() const { return d->videoCodec; }
void VideoInfo::setVideoCodec(const QString &codec) { Zelka::assignIfChanged(this, d->videoCodec, codec, &VideoInfo::videoCodecChanged); }
QString VideoInfo::audioCodec() const { return d->audioCodec; }
void VideoInfo::setAudioCodec(const QString &codec) { Zelka::assignIfChanged(this, d->audioCodec, codec, &VideoInfo::audioCodecChanged); }
qulonglong VideoInfo::audioSampleRate() const { return d->audioSampleRate; }
void VideoInfo::setAudioSampleRate(qulonglong rate) { Zelka::assignIfChanged(this, d->audioSampleRate, rate, &VideoInfo::audioSampleRateChanged); }
float VideoInfo::packetLossRate() const { return d->packetLossRate; }
void VideoInfo::setPacketLossRate(float rate) { Zelka::assignIfChanged(this, d->packetLossRate, rate, &VideoInfo::packetLossRateChanged); }
qulonglong VideoInfo::codeRate() const { return d->codeRate; }
void VideoInfo::setCodeRate(qulonglong rate) { Zelka::assignIfChanged(this, d->codeRate, rate, &VideoInfo::codeRateChanged); }
QSize VideoInfo::resolution() const { return d->resolution; }
void VideoInfo::setResolution(const QSize &size) { Zelka::assignIfChanged(this, d->resolution, size, &VideoInfo::resolutionChanged); }
qulonglong VideoInfo::cacheFrameCount() const { return d->cacheFrameCount; }
void VideoInfo::setCacheFrameCount(qulonglong count) { Zelka::assignIfChanged(this, d->cacheFrameCount, count, &VideoInfo::cacheFrameCountChanged); }
qulonglong VideoInfo::duration() const { return d->duration; }
void VideoInfo::setDuration(qulonglong seconds) { Zelka::assignIfChanged(this, d->duration, seconds, &VideoInfo::durationChanged); }
qulonglong VideoInfo::progress() const { return d->progress; }
void VideoInfo::setProgress(qulonglong seconds) { Zelka::assignIfChanged(this, d->progress, seconds, &VideoInfo::progressChanged); }
