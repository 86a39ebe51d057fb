#include "videoitem.h"

#include "codecnames.h"
#include "framering.h"
#include "guithreadcall.h"
#include "libZelkaExPlayer.h"
#include "propertyhelpers.h"
#include "rtspdelayprobe.h"
#include "settingmanager.h"
#include "settings.h"
#include "snapshotgrabber.h"
#include "videobuffer.h"
#include "videocontroller.h"
#include "videogeometry.h"
#include "videoinfo.h"
#include "videonode.h"
#include "videopacer.h"
#include "videopreviewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QDebug>
#include <QQuickWindow>
#include <QSGImageNode>
#include <QTimer>
#include <QUrl>
#include <QUuid>

#include <atomic>
#include <cmath>
#include <memory>

namespace {

constexpr int kWatchdogMs = 3000;
constexpr int kNoDelay = 0;
constexpr int kUnreachableDelay = 3000;
constexpr int kMediaFlags = 7;
constexpr int kReconnect = 1;
constexpr int kPace = 1;
constexpr int kQueueBytes = 0x800000;
constexpr int kRingFrames = FrameRing::kSlotCount;
constexpr int kRenderFormatYv12 = ZELKA_RENDER_YV12;
constexpr int kRenderFormatOther = 22;
constexpr qint64 kTimeUpdateSpacingMs = 126;
// The writer gives a picture up when no slot frees within this (the pacer frees one
// at the latest after its own bound).
constexpr std::chrono::milliseconds kWriteBound(4000);

struct SpeedEntry
{
    double speed;
    int code;
};
constexpr SpeedEntry kSpeedCodes[] = {{1.0 / 16, ZELKA_SPEED_1_16}, {1.0 / 8, ZELKA_SPEED_1_8},
                                      {1.0 / 4, ZELKA_SPEED_1_4},   {1.0 / 2, ZELKA_SPEED_1_2},
                                      {2.0, ZELKA_SPEED_2},         {4.0, ZELKA_SPEED_4},
                                      {8.0, ZELKA_SPEED_8},         {16.0, ZELKA_SPEED_16}};

int protocolOf(const QString &url)
{
    if (url.startsWith(QLatin1String("http:")))
        return ZELKA_PROTOCOL_HTTP;
    if (url.startsWith(QLatin1String("rtmp:")))
        return ZELKA_PROTOCOL_RTMP;
    if (url.startsWith(QLatin1String("file:")))
        return ZELKA_PROTOCOL_FILE;
    return ZELKA_PROTOCOL_RTSP;
}

qint64 steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The last time update of all items together; the clock starts with the first callback.
std::atomic<qint64> &lastTimeUpdateMs()
{
    static std::atomic<qint64> last{steadyMs()};
    return last;
}

// Time updates of all items together are spaced at least kTimeUpdateSpacingMs apart.
bool takeTimeUpdateTurn()
{
    std::atomic<qint64> &lastUpdateMs = lastTimeUpdateMs();
    const qint64 now = steadyMs();
    qint64 last = lastUpdateMs.load();
    while (now - last >= kTimeUpdateSpacingMs) {
        if (lastUpdateMs.compare_exchange_weak(last, now))
            return true;
    }
    return false;
}

QSize pictureSizeOf(QSGNode *node)
{
    if (auto *imageNode = dynamic_cast<QSGImageNode *>(node))
        return imageNode->texture() ? imageNode->texture()->textureSize() : QSize();
    if (auto *videoNode = dynamic_cast<VideoNode *>(node))
        return videoNode->pictureSize();
    return QSize();
}

// Stream addresses may carry a camera's user name and password; logs never do.
QString loggableUrl(const QString &url)
{
    return QUrl(url).toString(QUrl::RemoveUserInfo);
}

bool isSoftwareSceneGraph(const QQuickWindow *window)
{
    return !window || window->rendererInterface()->graphicsApi() == QSGRendererInterface::Software;
}

} // namespace

class VideoItemPrivate
{
public:
    explicit VideoItemPrivate(VideoItem *item);

    static int playCallback(ZELKA_CALLBACK_TYPE type, int channelId, void *user, int mediaType, int64_t data,
                            ZELKA_FRAME_INFO *info);
    void dispatch(ZELKA_CALLBACK_TYPE type, int channelId, int mediaType, int64_t data, const ZELKA_FRAME_INFO &info);
    void decodeProcess(int channelId, const ZELKA_FRAME_INFO &info, int64_t data);
    void takeVideoStatistics(int channelId, const ZELKA_FRAME_INFO &info);
    void takeAudioStatistics(int channelId, const ZELKA_FRAME_INFO &info);
    void takeHardwareType(int channelId, int decoder);
    void takeFrameRates(int channelId, int fps, int decodingFps);
    void takeFormat(int channelId, QSize size);
    void publishCacheCount(int channelId);
    void queueWatchdogRestart(int channelId);
    // Runs fn on the GUI thread unless the channel was closed meanwhile.
    template <typename Fn>
    void onGuiThread(int channelId, Fn fn);

    void setStatus(VideoItem::VideoStatus status);
    void onWatchdog();
    VideoPacer::Inputs pacerInputs();

    QSGNode *drawPicture(QSGNode *oldNode, VideoBuffer &picture);
    QSGNode *placePicture(QSGNode *node, QSize pictureSize);

    VideoItem *q;
    std::atomic<int> hardwareType{VideoItem::Unknown};
    std::atomic<int> frameRate{0};
    std::atomic<int> decodeFrameRate{0};
    std::atomic<int> cacheCount{0};
    std::atomic<int64_t> frameIntervalNs{40000000};
    std::atomic<bool> stopping{false};
    std::atomic<bool> sourceValid{false};
    std::atomic<bool> decodeEnabled{true};
    std::atomic<bool> keyFramesOnly{false};
    std::atomic<bool> watchdogRestartQueued{false};
    std::atomic<quint64> drawnFrames{0};

    // Library thread only (one channel at a time, reset while no channel is open).
    QSize writerFrameSize;
    int publishedCacheCount = -1;
    // The statistics last published, so that only changes cross to the GUI thread.
    uint32_t publishedVideoCodec = 0;
    qulonglong publishedCodeRate = 0;
    float publishedPacketLoss = 0.0f;
    uint32_t publishedAudioCodec = 0;
    uint32_t publishedSampleRate = 0;

    // Snapshot requests from the GUI thread, pictures from the library thread.
    std::unique_ptr<SnapshotGrabber> grabber;

    FrameRing ring;
    std::unique_ptr<VideoPacer> pacer;

    // GUI thread.
    QString videoId;
    QString url;
    VideoItem::VideoStatus status = VideoItem::UnknownStatus;
    int fillMode = VideoItem::Stretch;
    QSizeF nativeSize{-1, -1};
    QRectF lastItemRect;
    QRectF contentRect;
    bool geometryDirty = true;
    QTimer watchdog;
    int networkDelay = kUnreachableDelay;
    RtspDelayProbe *probe = nullptr;
    QString recordFolder;
    VideoInfo *info = nullptr;
    GuiThreadCall *guiCalls = nullptr;
    int channelId = -1;
    double speed = 1.0;
    bool cleanedUp = false;

    // Scene-graph thread.
    QImage softwarePicture;
};

VideoItemPrivate::VideoItemPrivate(VideoItem *item)
    : q(item)
    , videoId(QUuid::createUuid().toString(QUuid::Id128))
{
}

int VideoItemPrivate::playCallback(ZELKA_CALLBACK_TYPE type, int channelId, void *user, int mediaType, int64_t data,
                                   ZELKA_FRAME_INFO *info)
{
    auto *d = static_cast<VideoItemPrivate *>(user);
    lastTimeUpdateMs();
    if (type == CALLBACK_STREAM_END) {
        d->onGuiThread(channelId, [d] {
            d->setStatus(VideoItem::Closed);
            emit d->q->finished();
        });
        return 0;
    }
    if (info && !d->stopping.load())
        d->dispatch(type, channelId, mediaType, data, *info);
    return 0;
}

template <typename Fn>
void VideoItemPrivate::onGuiThread(int channelId, Fn fn)
{
    guiCalls->post([this, channelId, fn] {
        if (channelId == this->channelId)
            fn();
    });
}

void VideoItemPrivate::dispatch(ZELKA_CALLBACK_TYPE type, int channelId, int mediaType, int64_t data,
                                const ZELKA_FRAME_INFO &info)
{
    switch (type) {
    case CALLBACK_DURATION: {
        const qulonglong seconds = info.seconds;
        onGuiThread(channelId, [this, seconds] { this->info->setDuration(seconds); });
        break;
    }
    case CALLBACK_FRAME_TIME: {
        if (!data || !takeTimeUpdateTurn())
            break;
        const auto *time = reinterpret_cast<const ZELKA_FRAME_TIME *>(data);
        const int hour = time->hour, minute = time->minute, second = time->second;
        onGuiThread(channelId, [this, hour, minute, second] { emit q->timeUpdate(hour, minute, second); });
        break;
    }
    case CALLBACK_PROGRESS:
        if (mediaType == ZELKA_MEDIA_VIDEO) {
            const qulonglong seconds = info.seconds;
            onGuiThread(channelId, [this, seconds] { this->info->setProgress(seconds); });
        }
        break;
    case CALLBACK_MEDIA_FRAME:
        if (mediaType == ZELKA_MEDIA_VIDEO)
            decodeProcess(channelId, info, data);
        else if (mediaType == ZELKA_MEDIA_AUDIO)
            takeAudioStatistics(channelId, info);
        break;
    default:
        break;
    }
}

void VideoItemPrivate::takeHardwareType(int channelId, int decoder)
{
    if (hardwareType.load() != VideoItem::Unknown)
        return;
    static constexpr int kByDecoder[] = {VideoItem::Cpu, VideoItem::Gpu_Nvidia, VideoItem::Gpu_Dxva};
    if (decoder >= 0 && decoder < 3)
        hardwareType.store(kByDecoder[decoder]);
    onGuiThread(channelId, [this] { emit q->hardwareTypeChanged(); });
}

void VideoItemPrivate::takeFrameRates(int channelId, int fps, int decodingFps)
{
    const int rate = VideoPacer::effectiveFrameRate(fps);
    if (frameRate.exchange(rate) != rate) {
        frameIntervalNs.store(VideoPacer::frameIntervalNs(rate));
        onGuiThread(channelId, [this] { emit q->frameRateChanged(); });
    }
    if (decodeFrameRate.exchange(decodingFps) != decodingFps)
        onGuiThread(channelId, [this] { emit q->decodeFrameRateChanged(); });
}

// A new picture size: the renderer takes the size from each picture, so the writer
// never waits for it; the GUI learns the size for its geometry and statistics.
void VideoItemPrivate::takeFormat(int channelId, QSize size)
{
    if (sourceValid.load() && size == writerFrameSize)
        return;
    writerFrameSize = size;
    sourceValid.store(true);
    onGuiThread(channelId, [this, size] {
        info->setResolution(size);
        q->_update_native_size(size);
        emit q->sourceValidChanged();
        q->update();
    });
}

void VideoItemPrivate::publishCacheCount(int channelId)
{
    const int count = cacheCount.load();
    if (count == publishedCacheCount)
        return;
    publishedCacheCount = count;
    onGuiThread(channelId, [this, count] { info->setCacheFrameCount(qulonglong(count)); });
}

void VideoItemPrivate::queueWatchdogRestart(int channelId)
{
    if (watchdogRestartQueued.exchange(true))
        return;
    guiCalls->post([this, channelId] {
        watchdogRestartQueued.store(false);
        if (channelId == this->channelId)
            watchdog.start();
    });
}

void VideoItemPrivate::takeVideoStatistics(int channelId, const ZELKA_FRAME_INFO &frame)
{
    const qulonglong codeRate = frame.codeRate > 0 ? qulonglong(frame.codeRate) : 0;
    if (frame.codecId == publishedVideoCodec && codeRate == publishedCodeRate
        && frame.packetLossRate == publishedPacketLoss)
        return;
    publishedVideoCodec = frame.codecId;
    publishedCodeRate = codeRate;
    publishedPacketLoss = frame.packetLossRate;
    const QString codec = CodecNames::video(int(frame.codecId));
    const float loss = frame.packetLossRate;
    onGuiThread(channelId, [this, codec, codeRate, loss] {
        info->setVideoCodec(codec);
        info->setCodeRate(codeRate);
        info->setPacketLossRate(loss);
    });
}

void VideoItemPrivate::takeAudioStatistics(int channelId, const ZELKA_FRAME_INFO &frame)
{
    if (frame.codecId == publishedAudioCodec && frame.sampleRate == publishedSampleRate)
        return;
    publishedAudioCodec = frame.codecId;
    publishedSampleRate = frame.sampleRate;
    const QString codec = CodecNames::audio(int(frame.codecId));
    const qulonglong sampleRate = frame.sampleRate;
    onGuiThread(channelId, [this, codec, sampleRate] {
        info->setAudioCodec(codec);
        info->setAudioSampleRate(sampleRate);
    });
}

void VideoItemPrivate::decodeProcess(int channelId, const ZELKA_FRAME_INFO &frame, int64_t data)
{
    const QSize size(frame.width, frame.height);
    if (size.width() < 1 || size.height() < 1)
        return;
    takeVideoStatistics(channelId, frame);
    takeHardwareType(channelId, frame.decoder);
    takeFrameRates(channelId, frame.frameRate, frame.decodeFrameRate);
    takeFormat(channelId, size);
    cacheCount.store(int(frame.cachedFrames) + ring.readyCount());
    publishCacheCount(channelId);
    if (!data)
        return;
    VideoBuffer *slot = ring.beginWrite(kWriteBound);
    if (!slot)
        return;
    const int type = hardwareType.load();
    const bool readable = type == VideoItem::Cpu || type == VideoItem::Gpu_Dxva;
    if (readable)
        slot->assignTightI420(reinterpret_cast<const uchar *>(data), size.width(), size.height());
    if (grabber->isPending())
        grabber->takePicture(reinterpret_cast<const uchar *>(data), size, readable);
    ring.endWrite();
    queueWatchdogRestart(channelId);
}

void VideoItemPrivate::setStatus(VideoItem::VideoStatus value)
{
    status = value;
    emit q->statusChanged();
}

void VideoItemPrivate::onWatchdog()
{
    if (!sourceValid.load() || status == VideoItem::Paused)
        return;
    decodeFrameRate.store(0);
    networkDelay = kUnreachableDelay;
    info->setCodeRate(0);
    emit q->decodeFrameRateChanged();
    emit q->networkDelayChanged();
}

VideoPacer::Inputs VideoItemPrivate::pacerInputs()
{
    VideoPacer::Inputs inputs;
    inputs.canPace = [this] { return sourceValid.load() && frameRate.load() > 0 && decodeEnabled.load(); };
    inputs.intervalNs = [this] { return frameIntervalNs.load(); };
    inputs.frameRate = [this] { return frameRate.load(); };
    inputs.cacheCount = [this] { return cacheCount.load(); };
    inputs.keyFramesOnly = [this] { return keyFramesOnly.load(); };
    inputs.requestRepaint = [this] { guiCalls->post([this] { q->update(); }); };
    return inputs;
}

QSGNode *VideoItemPrivate::placePicture(QSGNode *node, QSize pictureSize)
{
    const VideoGeometry geometry = VideoGeometry::compute(q->size(), QSizeF(pictureSize), fillMode);
    if (auto *imageNode = dynamic_cast<QSGImageNode *>(node)) {
        const QRectF source = geometry.sourceRect;
        imageNode->setRect(geometry.renderedRect);
        imageNode->setSourceRect(QRectF(source.x() * pictureSize.width(), source.y() * pictureSize.height(),
                                        source.width() * pictureSize.width(), source.height() * pictureSize.height()));
    } else if (auto *videoNode = dynamic_cast<VideoNode *>(node)) {
        videoNode->setTexturedRectGeometry(geometry.renderedRect, geometry.sourceRect);
    }
    return node;
}

QSGNode *VideoItemPrivate::drawPicture(QSGNode *oldNode, VideoBuffer &picture)
{
    QQuickWindow *window = q->window();
    if (isSoftwareSceneGraph(window)) {
        auto *node = dynamic_cast<QSGImageNode *>(oldNode);
        if (!node) {
            delete oldNode;
            node = window->createImageNode();
            node->setOwnsTexture(true);
            node->setFiltering(QSGTexture::Linear);
        }
        picture.convertTo(softwarePicture);
        node->setTexture(window->createTextureFromImage(softwarePicture));
        // The texture shares the image: detach now so that the next picture does not overwrite it.
        softwarePicture = QImage();
        return node;
    }
    auto *node = dynamic_cast<VideoNode *>(oldNode);
    if (!node) {
        delete oldNode;
        node = new VideoNode;
    }
    // The slot is released right after this: its storage goes back to the writer.
    node->takePicture(picture);
    return node;
}

VideoItem::VideoItem(QQuickItem *parent)
    : QQuickItem(parent)
    , d(new VideoItemPrivate(this))
{
    setFlag(ItemHasContents, true);
    VideoController::instance()->initialize();
    d->info = new VideoInfo(this);
    d->guiCalls = new GuiThreadCall(this);
    d->pacer = std::make_unique<VideoPacer>(d->ring, d->pacerInputs());
    d->watchdog.setInterval(kWatchdogMs);
    connect(&d->watchdog, &QTimer::timeout, this, [this] { d->onWatchdog(); });

    const Settings *settings = SettingManager::instance()->settings();
    d->grabber = std::make_unique<SnapshotGrabber>(d->videoId,
                                                   SnapshotGrabber::snapshotFolderFor(settings->snapshotPath()));
    d->recordFolder = SnapshotGrabber::recordFolder();
    VideoPreviewer::instance()->previewVideo(d->videoId);

    d->probe = new RtspDelayProbe(this);
    connect(d->probe, &RtspDelayProbe::delayMeasured, this, [this](int delay) {
        d->networkDelay = delay;
        emit networkDelayChanged();
    });
    d->probe->start();
}

VideoItem::~VideoItem()
{
    _cleanup();
    qDebug() << "~VideoItem" << loggableUrl(d->url);
}

QString VideoItem::videoId() const { return d->videoId; }
QString VideoItem::videoUrl() const { return d->url; }
VideoItem::VideoStatus VideoItem::status() const { return d->status; }
VideoItem::FillMode VideoItem::fillMode() const { return FillMode(d->fillMode); }
QRectF VideoItem::contentRect() const { return d->contentRect; }
bool VideoItem::sourceValid() const { return d->sourceValid.load(); }
bool VideoItem::enableDecode() const { return d->decodeEnabled.load(); }
bool VideoItem::enableKeyFrame() const { return d->keyFramesOnly.load(); }
VideoItem::HardwareType VideoItem::hardwareType() const { return HardwareType(d->hardwareType.load()); }
double VideoItem::speed() const { return d->speed; }
int VideoItem::frameRate() const { return d->frameRate.load(); }
int VideoItem::decodeFrameRate() const { return d->decodeFrameRate.load(); }
int VideoItem::networkDelay() const { return d->networkDelay; }
VideoInfo *VideoItem::videoInfo() const { return d->info; }
quint64 VideoItem::drawnFrameCount() const { return d->drawnFrames.load(); }
quint64 VideoItem::missedFrameCount() const { return d->pacer ? d->pacer->consumeTimeouts() : 0; }

void VideoItem::setVideoUrl(const QString &url)
{
    if (url == d->url)
        return;
    d->url = url;
    d->probe->setUrl(url);
    d->grabber->dropFileRequest();
    startPlay();
    emit videoUrlChanged();
}

void VideoItem::setFillMode(FillMode mode)
{
    if (d->fillMode == mode)
        return;
    d->fillMode = mode;
    d->geometryDirty = true;
    _update_content_rect();
    update();
    emit fillModeChanged();
}

void VideoItem::setEnableDecode(bool on)
{
    if (d->decodeEnabled.load() == on)
        return;
    d->decodeEnabled.store(on);
    if (d->channelId > 0)
        libZelkaExPlayer_SetEnableDecode(0, d->channelId, on ? 1 : 0);
    d->ring.wake();
    update();
    emit enableDecodeChanged();
}

void VideoItem::setEnableKeyFrame(bool on)
{
    if (d->keyFramesOnly.load() == on)
        return;
    d->keyFramesOnly.store(on);
    if (d->channelId > 0)
        libZelkaExPlayer_SetDecodeType(0, d->channelId, on ? 1 : 0);
    update();
    emit enableKeyFrameChanged();
}

int VideoItem::speedCode(double speed)
{
    for (const SpeedEntry &entry : kSpeedCodes) {
        if (qFuzzyCompare(speed, entry.speed))
            return entry.code;
    }
    return ZELKA_SPEED_NORMAL;
}

void VideoItem::setSpeed(double speed)
{
    d->speed = speed;
    if (d->channelId > 0)
        libZelkaExPlayer_SetPlaySpeed(0, d->channelId, speedCode(speed));
    emit speedChanged();
}

void VideoItem::startPlay()
{
    stopPlay();
    // An empty URL is how a tile stops: nothing to open.
    if (d->url.isEmpty() || d->cleanedUp)
        return;
    d->stopping.store(false);
    d->writerFrameSize = QSize();
    d->publishedCacheCount = -1;
    d->publishedVideoCodec = 0;
    d->publishedCodeRate = 0;
    d->publishedPacketLoss = 0.0f;
    d->publishedAudioCodec = 0;
    d->publishedSampleRate = 0;
    d->ring.open();
    d->setStatus(Opening);
    d->info->setDuration(0);
    d->info->setProgress(0);

    const Settings *settings = SettingManager::instance()->settings();
    const int connectType = (settings->playerConnectionType() + 1) % 256;
    const QByteArray url = d->url.toLatin1();
    const int id = libZelkaExPlayer_OpenStream(0, protocolOf(d->url), url.constData(), connectType, kMediaFlags,
                                               &VideoItemPrivate::playCallback, d.data(), kReconnect, kPace,
                                               kQueueBytes, "", "", 0, 0);
    qDebug() << "startPlay" << loggableUrl(d->url) << id;
    if (id <= 0)
        return;
    d->channelId = id;
    const int decodeType = settings->playerProDecodeType();
    const int renderFormat = (decodeType == 0 || decodeType == 2) ? kRenderFormatYv12 : kRenderFormatOther;
    libZelkaExPlayer_SetEnableDecode(0, id, d->decodeEnabled.load() ? 1 : 0);
    libZelkaExPlayer_StartPlayStream(0, id, 0, renderFormat, decodeType % 256);
    libZelkaExPlayer_SetPlayFrameCache(0, id, kRingFrames);
    libZelkaExPlayer_SetDecodeType(0, id, d->keyFramesOnly.load() ? 1 : 0);
    d->watchdog.start();
    d->setStatus(Opened);
}

void VideoItem::stopPlay()
{
    d->stopping.store(true);
    d->watchdog.stop();
    if (d->channelId <= 0)
        return;
    // Wakes a writer waiting for a slot and the pacer before the library joins its thread.
    d->ring.close();
    libZelkaExPlayer_StopPlayStream(0, d->channelId);
    libZelkaExPlayer_CloseStream(0, d->channelId);
    d->ring.releaseStorage();
    d->decodeFrameRate.store(0);
    d->networkDelay = kNoDelay;
    d->channelId = -1;
    d->sourceValid.store(false);
    d->status = Closed;
    emit sourceValidChanged();
    emit statusChanged();
    emit decodeFrameRateChanged();
    emit networkDelayChanged();
}

void VideoItem::setProgress(double progress)
{
    if (d->channelId < 0 || d->info->duration() == 0)
        return;
    const qulonglong duration = d->info->duration();
    if (d->status == Closed) {
        startPlay();
        const auto position = static_cast<int64_t>(progress * double(duration));
        qDebug() << "setProgress" << position;
        if (d->channelId > 0)
            libZelkaExPlayer_SeekFile(0, d->channelId, position);
        return;
    }
    libZelkaExPlayer_SeekFile(0, d->channelId, static_cast<int64_t>(progress * double(duration)));
}

QSGNode *VideoItem::updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *)
{
    if (!d->sourceValid.load() || d->stopping.load() || !d->decodeEnabled.load()) {
        d->ring.discardPresented();
        return oldNode;
    }
    QSGNode *node = oldNode;
    if (VideoBuffer *picture = d->ring.beginRead()) {
        if (!picture->isEmpty()) {
            const QSize size = picture->size();
            node = d->drawPicture(oldNode, *picture);
            d->placePicture(node, size);
            d->drawnFrames.fetch_add(1);
        }
        d->ring.endRead();
        return node;
    }
    // No new picture: the item may have moved, resized or changed its fill mode.
    if (node)
        d->placePicture(node, pictureSizeOf(node));
    return node;
}

void VideoItem::releaseResources()
{
    _cleanup();
}

void VideoItem::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    _update_content_rect();
    update();
}

void VideoItem::_update_native_size(QSize size)
{
    const QSizeF native(size);
    if (native == d->nativeSize)
        return;
    d->nativeSize = native;
    d->geometryDirty = true;
    setImplicitSize(native.width(), native.height());
    _update_content_rect();
    emit sourceRectChanged();
}

void VideoItem::_update_content_rect()
{
    const QRectF absolute(x(), y(), width(), height());
    if (!d->geometryDirty && absolute == d->lastItemRect)
        return;
    const QRectF previous = d->contentRect;
    d->geometryDirty = false;
    d->lastItemRect = absolute;
    _update_geometry();
    if (!fuzzyEqualRects(previous, d->contentRect))
        emit contentRectChanged();
}

void VideoItem::_update_geometry()
{
    d->contentRect = VideoGeometry::compute(size(), d->nativeSize, d->fillMode).contentRect;
}

void VideoItem::_cleanup()
{
    if (d->cleanedUp)
        return;
    d->cleanedUp = true;
    stopPlay();
    VideoPreviewer::instance()->removePreviewVideo(d->videoId);
    // The pictures' GPU textures belong to the node, which the scene graph releases
    // on its render thread; the item keeps none of its own.
    d->pacer->stop();
    d->ring.releaseStorage();
}

void VideoItem::snapshot(QString filename, bool save)
{
    d->grabber->request(filename, save);
}

QString VideoItem::snapshotPath()
{
    QDir().mkpath(d->grabber->folder());
    return d->grabber->folder();
}

void VideoItem::startRecording(QString filename)
{
    if (d->channelId < 0)
        return;
    const QByteArray folder = d->recordFolder.toLocal8Bit();
    const QByteArray file = filename.toLocal8Bit();
    libZelkaExPlayer_StartRecording(0, d->channelId, folder.constData(), file.constData(), 1024, 3600, 0, 1);
}

void VideoItem::stopRecording()
{
    if (d->channelId < 0)
        return;
    libZelkaExPlayer_StopRecording(0, d->channelId);
}

QString VideoItem::recordingPath()
{
    QDir().mkpath(d->recordFolder);
    return d->recordFolder;
}
