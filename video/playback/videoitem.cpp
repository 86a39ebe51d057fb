#include "videoitem.h"

#include "framereceiver.h"
#include "framering.h"
#include "guithreadcall.h"
#include "nopicturewatchdog.h"
#include "playbackcore.h"
#include "rtspdelayprobe.h"
#include "secretmask.h"
#include "settingmanager.h"
#include "settings.h"
#include "snapshotgrabber.h"
#include "streamchannel.h"
#include "streamcloser.h"
#include "streamstate.h"
#include "videobuffer.h"
#include "videocontroller.h"
#include "videogeometry.h"
#include "videoinfo.h"
#include "videopacer.h"
#include "videopainter.h"
#include "videopreviewer.h"

#include <QDebug>
#include <QDir>
#include <QUrl>
#include <QUuid>

#include <atomic>
#include <memory>

namespace {

constexpr int kNoDelay = 0;
constexpr int kUnreachableDelay = 3000;

// Stream addresses may carry a camera's user name and password or a play token; logs
// never do.
QString loggableUrl(const QString &url)
{
    return SecretMask::url(QUrl(url));
}

} // namespace

class VideoItemPrivate : public FrameReceiver::Listener
{
public:
    explicit VideoItemPrivate(VideoItem *item);

    // What the library reported, on the GUI thread.
    bool isCurrentChannel(int channelId) const override;
    void streamReached() override;
    void streamEnded() override;
    void timeReached(int hour, int minute, int second) override;
    void hardwareTypeKnown() override;
    void frameRateChanged() override;
    void decodeFrameRateChanged() override;
    void pictureSizeChanged(QSize size) override;

    void setStatus(VideoItem::VideoStatus status);
    void onNoPictures();
    void releasePictures();

    VideoItem *q;
    QString videoId;
    // Shared with the channels this item opened until the library closed them.
    std::shared_ptr<PlaybackCore> core;
    std::atomic<quint64> drawnFrames{0};

    // GUI thread.
    StreamChannel channel;
    QString url;
    VideoItem::VideoStatus status = VideoItem::UnknownStatus;
    int fillMode = VideoItem::Stretch;
    QSizeF nativeSize{-1, -1};
    QRectF lastItemRect;
    QRectF contentRect;
    bool geometryDirty = true;
    int networkDelay = kUnreachableDelay;
    RtspDelayProbe *probe = nullptr;
    NoPictureWatchdog *watchdog = nullptr;
    QString recordFolder;
    VideoInfo *info = nullptr;
    GuiThreadCall *guiCalls = nullptr;
    double speed = 1.0;
    bool cleanedUp = false;
    // The source's validity as QML reads it: set by the same GUI call that gives the
    // statistics the picture size, so that no reader sees a valid source without it
    // (the decode thread's flag turns earlier).
    bool sourceShown = false;

    // Scene-graph thread.
    VideoPainter painter;
};

VideoItemPrivate::VideoItemPrivate(VideoItem *item)
    : q(item)
    , videoId(QUuid::createUuid().toString(QUuid::Id128))
{
}

bool VideoItemPrivate::isCurrentChannel(int channelId) const
{
    return channel.isOpen() && channel.id() == channelId;
}

void VideoItemPrivate::streamReached()
{
    if (status == VideoItem::Opening)
        setStatus(VideoItem::Opened);
}

void VideoItemPrivate::streamEnded()
{
    setStatus(VideoItem::Closed);
    emit q->finished();
}

void VideoItemPrivate::timeReached(int hour, int minute, int second)
{
    emit q->timeUpdate(hour, minute, second);
}

void VideoItemPrivate::hardwareTypeKnown()
{
    emit q->hardwareTypeChanged();
}

void VideoItemPrivate::frameRateChanged()
{
    emit q->frameRateChanged();
}

void VideoItemPrivate::decodeFrameRateChanged()
{
    emit q->decodeFrameRateChanged();
}

void VideoItemPrivate::pictureSizeChanged(QSize size)
{
    q->_update_native_size(size);
    sourceShown = true;
    emit q->sourceValidChanged();
    q->update();
}

void VideoItemPrivate::setStatus(VideoItem::VideoStatus value)
{
    status = value;
    emit q->statusChanged();
}

void VideoItemPrivate::onNoPictures()
{
    if (!core->state.sourceValid.load() || status == VideoItem::Paused)
        return;
    core->state.decodeFrameRate.store(0);
    networkDelay = kUnreachableDelay;
    info->setCodeRate(0);
    emit q->decodeFrameRateChanged();
    emit q->networkDelayChanged();
}

// The ring's pictures are freed on a worker: returning 3 MB blocks to the system takes
// the GUI thread longer than anything else a tile does when it stops.
void VideoItemPrivate::releasePictures()
{
    std::vector<VideoBuffer> pictures = core->ring.releaseStorage();
    if (!pictures.empty())
        StreamCloser::instance().dispose(std::make_shared<std::vector<VideoBuffer>>(std::move(pictures)));
}

VideoItem::VideoItem(QQuickItem *parent)
    : QQuickItem(parent)
    , d(new VideoItemPrivate(this))
{
    setFlag(ItemHasContents, true);
    VideoController::instance()->initialize();
    d->info = new VideoInfo(this);
    d->guiCalls = new GuiThreadCall(this);

    const Settings *settings = SettingManager::instance()->settings();
    d->core = std::make_shared<PlaybackCore>(d->videoId, SnapshotGrabber::snapshotFolderFor(settings->snapshotPath()),
                                             [this] { update(); });
    d->core->relay.attach(d->guiCalls);
    d->watchdog = new NoPictureWatchdog(d->core->state, this);
    connect(d->watchdog, &NoPictureWatchdog::noPictures, this, [this] { d->onNoPictures(); });
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
    // Nothing the core's threads post reaches this item any more; the core itself (its
    // pacing thread, frame ring and snapshot grabber) goes on a worker once the last
    // of this item's channels is closed.
    d->core->relay.cut();
    StreamCloser::instance().dispose(std::move(d->core));
    qDebug() << "~VideoItem" << loggableUrl(d->url);
}

QString VideoItem::videoId() const { return d->videoId; }
QString VideoItem::videoUrl() const { return d->url; }
VideoItem::VideoStatus VideoItem::status() const { return d->status; }
VideoItem::FillMode VideoItem::fillMode() const { return FillMode(d->fillMode); }
QRectF VideoItem::contentRect() const { return d->contentRect; }
bool VideoItem::sourceValid() const { return d->sourceShown; }
bool VideoItem::enableDecode() const { return d->core->state.decodeEnabled.load(); }
bool VideoItem::enableKeyFrame() const { return d->core->state.keyFramesOnly.load(); }
VideoItem::HardwareType VideoItem::hardwareType() const { return HardwareType(d->core->state.hardwareType.load()); }
double VideoItem::speed() const { return d->speed; }
int VideoItem::frameRate() const { return d->core->state.frameRate.load(); }
int VideoItem::decodeFrameRate() const { return d->core->state.decodeFrameRate.load(); }
int VideoItem::networkDelay() const { return d->networkDelay; }
VideoInfo *VideoItem::videoInfo() const { return d->info; }
quint64 VideoItem::receivedFrameCount() const { return d->core->state.receivedPictures.load(); }
quint64 VideoItem::drawnFrameCount() const { return d->drawnFrames.load(); }
quint64 VideoItem::missedFrameCount() const { return d->core->missedReleases(); }

void VideoItem::setVideoUrl(const QString &url)
{
    if (url == d->url)
        return;
    // A file snapshot still waiting for a picture of the old stream would show another
    // stream under its name; one asked before any stream waits for the first picture.
    if (!d->url.isEmpty())
        d->core->grabber.dropFileRequest();
    d->url = url;
    d->probe->setUrl(url);
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
    if (d->core->state.decodeEnabled.load() == on)
        return;
    // Pictures kept from before the pause would play first, seconds late: the picture
    // on screen stays until the next key frame is decoded.
    if (on)
        d->core->ring.discardWaiting();
    d->core->state.decodeEnabled.store(on);
    d->channel.setDecodeEnabled(on);
    d->probe->setPaused(!on);
    d->core->ring.wake();
    update();
    emit enableDecodeChanged();
}

void VideoItem::setEnableKeyFrame(bool on)
{
    if (d->core->state.keyFramesOnly.load() == on)
        return;
    d->core->state.keyFramesOnly.store(on);
    d->channel.setKeyFramesOnly(on);
    update();
    emit enableKeyFrameChanged();
}

int VideoItem::speedCode(double speed)
{
    return StreamChannel::speedCode(speed);
}

void VideoItem::setSpeed(double speed)
{
    d->speed = speed;
    d->channel.setSpeed(speed);
    emit speedChanged();
}

void VideoItem::startPlay()
{
    stopPlay();
    // An empty URL is how a tile stops: nothing to open.
    if (d->url.isEmpty() || d->cleanedUp)
        return;
    StreamState &state = d->core->state;
    state.stopping.store(false);
    const long long ringSession = d->core->ring.open();
    d->setStatus(Opening);
    d->info->setDuration(0);
    d->info->setProgress(0);

    const Settings *settings = SettingManager::instance()->settings();
    StreamChannel::StartOptions options;
    options.connectType = (settings->playerConnectionType() + 1) % 256;
    options.decodeType = settings->playerProDecodeType();
    options.frameCache = FrameRing::kSlotCount;
    options.decodeEnabled = state.decodeEnabled.load();
    options.keyFramesOnly = state.keyFramesOnly.load();
    const int id = d->channel.open(d->url, options,
                                   std::make_shared<FrameReceiver>(d->core, ringSession, *d, *d->info));
    qDebug() << "startPlay" << loggableUrl(d->url) << id;
    if (!d->channel.isOpen())
        return;
    // Opened follows once the library reached the stream.
    d->watchdog->arm();
}

void VideoItem::stopPlay()
{
    StreamState &state = d->core->state;
    state.stopping.store(true);
    d->watchdog->disarm();
    if (!d->channel.isOpen())
        return;
    // The library closes the channel on a worker; the GUI thread never waits for it nor
    // wakes the threads involved (the worker does). A picture still on its way is
    // refused by the ended session.
    d->core->ring.endSession();
    d->channel.close();
    d->releasePictures();
    state.decodeFrameRate.store(0);
    d->networkDelay = kNoDelay;
    state.sourceValid.store(false);
    d->sourceShown = false;
    d->status = Closed;
    emit sourceValidChanged();
    emit statusChanged();
    emit decodeFrameRateChanged();
    emit networkDelayChanged();
}

void VideoItem::setProgress(double progress)
{
    if (!d->channel.isOpen() || d->info->duration() == 0)
        return;
    const qulonglong duration = d->info->duration();
    const auto position = static_cast<int64_t>(progress * double(duration));
    if (d->status == Closed) {
        startPlay();
        qDebug() << "setProgress" << position;
    }
    d->channel.seek(position);
}

QSGNode *VideoItem::updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *)
{
    const StreamState &state = d->core->state;
    FrameRing &ring = d->core->ring;
    if (!state.sourceValid.load() || state.stopping.load() || !state.decodeEnabled.load()) {
        ring.discardPresented();
        return oldNode;
    }
    QSGNode *node = oldNode;
    if (VideoBuffer *picture = ring.beginRead()) {
        if (!picture->isEmpty()) {
            const QSize size = picture->size();
            node = d->painter.draw(window(), oldNode, *picture);
            VideoPainter::place(node, this->size(), d->fillMode, size);
            d->drawnFrames.fetch_add(1);
        }
        ring.endRead();
        return node;
    }
    // No new picture: the item may have moved, resized or changed its fill mode.
    if (node)
        VideoPainter::place(node, size(), d->fillMode, VideoPainter::pictureSizeOf(node));
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
    // on its render thread; the item keeps none of its own. The pacing thread, parked
    // by the ended session, is stopped and joined where the core goes (a worker).
    d->releasePictures();
}

void VideoItem::snapshot(QString filename, bool save)
{
    d->core->grabber.request(filename, save);
}

QString VideoItem::snapshotPath()
{
    const QString folder = d->core->grabber.folder();
    QDir().mkpath(folder);
    return folder;
}

void VideoItem::startRecording(QString filename)
{
    d->channel.startRecording(d->recordFolder, filename);
}

bool VideoItem::stopRecording()
{
    if (d->channel.stopRecording())
        return true;
    qWarning() << "stopRecording: no complete recording" << loggableUrl(d->url);
    return false;
}

QString VideoItem::recordingPath()
{
    QDir().mkpath(d->recordFolder);
    return d->recordFolder;
}
