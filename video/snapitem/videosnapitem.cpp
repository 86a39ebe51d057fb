#include "videosnapitem.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QQuickWindow>
#include <QSGImageNode>
#include <QUrl>

#include <atomic>
#include <mutex>

#include "httpmanager.h"
#include "networkmanager.h"
#include "propertyhelpers.h"
#include "settingmanager.h"
#include "snapdecodequeue.h"

namespace {

const char *const kPlaceholderPicture = ":/zelka/res/img/homepage/no_snap.png";
const QSize kPlaceholderSize(320, 180);
// Snapshot bodies are a few hundred kilobytes; anything far larger is not one.
constexpr qint64 kMaxBodyBytes = 32 * 1024 * 1024;

// Loaded once; QImage shares the pixels between items.
QImage placeholderPicture()
{
    static const QImage picture = [] {
        QImage loaded(QString::fromLatin1(kPlaceholderPicture));
        if (loaded.isNull()) {
            loaded = QImage(kPlaceholderSize, QImage::Format_ARGB32_Premultiplied);
            loaded.fill(Qt::transparent);
        }
        return loaded;
    }();
    return picture;
}

// Where the picture goes inside the item: the whole item, or for PreserveAspectFit the
// item's width at the picture's aspect ratio from the top edge.
QRectF pictureRect(const QRectF &bounds, VideoSnapItem::FillMode mode, const QSize &pictureSize)
{
    if (mode != VideoSnapItem::PreserveAspectFit || pictureSize.width() <= 0 || pictureSize.height() <= 0)
        return bounds;
    QRectF rect = bounds;
    rect.setHeight(pictureSize.height() * bounds.width() / pictureSize.width());
    return rect;
}

} // namespace

class VideoSnapItemPrivate
{
public:
    explicit VideoSnapItemPrivate(VideoSnapItem *item);

    void updateSnap();
    void handleReply(QNetworkReply *reply, quint64 generation);
    void applyDecodedPicture();
    void showPlaceholder();
    void updateImplicitSize();
    QImage currentImage();

    VideoSnapItem *q;
    QString snapUrl;
    QImage image; // the decoded picture; null while the placeholder is shown
    bool snapValid = false;
    VideoSnapItem::FillMode fillMode = VideoSnapItem::Stretch;
    std::mutex mutex; // guards image between the GUI and the scene-graph thread
    std::atomic<bool> imageChanged{false};
    // Each address assignment starts a generation; replies and decodes of an older one
    // are dropped so that a late answer never replaces the current address's picture.
    quint64 generation = 0;
    SnapDecodeQueue decodeQueue;
};

VideoSnapItemPrivate::VideoSnapItemPrivate(VideoSnapItem *item)
    : q(item)
    // Posted by name: the call is built and delivered inside Qt, and the picture itself
    // crosses over in the queue under its lock (takeResult), so nothing of this file's
    // making travels through Qt's event queue.
    , decodeQueue([item] { QMetaObject::invokeMethod(item, "applyDecodedPicture", Qt::QueuedConnection); })
{
}

void VideoSnapItemPrivate::updateSnap()
{
    if (snapUrl.isEmpty()) {
        showPlaceholder();
        return;
    }
    const Settings *settings = SettingManager::instance()->settings();
    const QUrl url(QStringLiteral("http://") + settings->host() + QLatin1Char(':') + settings->port() + snapUrl,
                   QUrl::TolerantMode);
    QNetworkReply *reply = NetworkManager::instance()->httpManager()->networkManager()->get(QNetworkRequest(url));
    reply->setParent(q);
    const quint64 fetchGeneration = generation;
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > kMaxBodyBytes)
            reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, q,
                     [this, reply, fetchGeneration] { handleReply(reply, fetchGeneration); });
}

void VideoSnapItemPrivate::handleReply(QNetworkReply *reply, quint64 fetchGeneration)
{
    reply->deleteLater();
    if (fetchGeneration != generation || reply->error() != QNetworkReply::NoError)
        return;
    const QByteArray body = reply->readAll();
    if (body.size() > kMaxBodyBytes)
        return;
    const video_info_t info = getVideoInfo(reinterpret_cast<const uint8_t *>(body.constData()), static_cast<int>(body.size()));
    if (info.codec == UnknownCodec || info.width <= 0 || info.height <= 0)
        return;
    decodeQueue.submit({body, info, fetchGeneration});
}

void VideoSnapItemPrivate::applyDecodedPicture()
{
    std::optional<SnapDecodeQueue::Result> result = decodeQueue.takeResult();
    if (!result || result->generation != generation)
        return;
    if (result->picture.isNull()) {
        // The previous picture stays on screen but no longer counts as this address's.
        q->setSnapValid(false);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        image = result->picture;
    }
    imageChanged = true;
    updateImplicitSize();
    q->setSnapValid(true);
    q->update();
}

void VideoSnapItemPrivate::showPlaceholder()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        image = QImage();
    }
    imageChanged = true;
    updateImplicitSize();
    q->setSnapValid(false);
    q->update();
}

QImage VideoSnapItemPrivate::currentImage()
{
    std::lock_guard<std::mutex> lock(mutex);
    return image;
}

void VideoSnapItemPrivate::updateImplicitSize()
{
    const QRectF rect = pictureRect(q->boundingRect(), fillMode, currentImage().size());
    q->setImplicitSize(rect.width(), rect.height());
}

VideoSnapItem::VideoSnapItem(QQuickItem *parent)
    : QQuickItem(parent)
    , d(new VideoSnapItemPrivate(this))
{
    setFlag(ItemHasContents, true);
}

VideoSnapItem::~VideoSnapItem()
{
    // No queued result may be posted once the item is going away.
    d->decodeQueue.stop();
}

QString VideoSnapItem::snapUrl() const
{
    return d->snapUrl;
}

void VideoSnapItem::setSnapUrl(const QString &url)
{
    d->snapUrl = url;
    ++d->generation;
    emit snapUrlChanged();
    setSnapValid(false);
    d->updateSnap();
    update();
}

bool VideoSnapItem::snapValid() const
{
    return d->snapValid;
}

void VideoSnapItem::setSnapValid(bool valid)
{
    Zelka::assignIfChanged(this, d->snapValid, valid, &VideoSnapItem::snapValidChanged);
}

VideoSnapItem::FillMode VideoSnapItem::fillMode() const
{
    return d->fillMode;
}

void VideoSnapItem::setFillMode(FillMode mode)
{
    if (!Zelka::assignIfChanged(this, d->fillMode, mode, &VideoSnapItem::fillModeChanged))
        return;
    d->updateImplicitSize();
    update();
}

void VideoSnapItem::updateSnap()
{
    d->updateSnap();
}

void VideoSnapItem::applyDecodedPicture()
{
    d->applyDecodedPicture();
}

void VideoSnapItem::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size()) {
        d->updateImplicitSize();
        update();
    }
}

QSGNode *VideoSnapItem::updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *)
{
    auto *node = static_cast<QSGImageNode *>(oldNode);
    const bool firstUpdate = !node;
    if (firstUpdate) {
        node = window()->createImageNode();
        node->setFiltering(QSGTexture::Linear);
        node->setOwnsTexture(true);
    }
    QImage picture;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        picture = d->image;
        if (firstUpdate || d->imageChanged) {
            // The node owns its texture and releases the one it replaces.
            node->setTexture(window()->createTextureFromImage(picture.isNull() ? placeholderPicture() : picture));
            d->imageChanged = false;
        }
    }
    node->setRect(pictureRect(boundingRect(), d->fillMode, picture.size()));
    return node;
}
