#include "videopreviewer.h"

#include "previewprovider.h"
#include "previewtable.h"

class VideoPreviewerPrivate
{
public:
    std::shared_ptr<PreviewTable> table = std::make_shared<PreviewTable>();
};

VideoPreviewer *VideoPreviewer::instance()
{
    static VideoPreviewer previewer;
    return &previewer;
}

VideoPreviewer::VideoPreviewer(QObject *parent)
    : QObject(parent)
    , d(new VideoPreviewerPrivate)
{
}

VideoPreviewer::~VideoPreviewer() = default;

PreviewProvider *VideoPreviewer::previewProvider() const
{
    return new PreviewProvider(d->table);
}

void VideoPreviewer::previewVideo(QString videoId)
{
    std::lock_guard<std::mutex> lock(d->table->mutex);
    if (!videoId.isEmpty())
        d->table->ids.insert(videoId);
}

void VideoPreviewer::removePreviewVideo(QString videoId)
{
    // The picture goes with the id: every stream a tile opens registers an item of its
    // own, and a kept picture per closed stream adds up on a wall that runs for days.
    // Freed after the lock is let go.
    PreviewPicture released;
    std::lock_guard<std::mutex> lock(d->table->mutex);
    if (videoId.isEmpty())
        return;
    d->table->ids.remove(videoId);
    released = d->table->pictures.take(videoId);
}

void VideoPreviewer::update(const QString &id, const QImage &image)
{
    update(id, PreviewPicture(image));
}

void VideoPreviewer::update(const QString &id, const PreviewPicture &picture)
{
    if (id.isEmpty() || picture.isNull())
        return;
    std::lock_guard<std::mutex> lock(d->table->mutex);
    if (!d->table->ids.contains(id))
        return;
    d->table->pictures.insert(id, picture);
    emit updateVideoPreview(id);
}

QImage VideoPreviewer::getPreview(const QString &id)
{
    PreviewPicture picture;
    {
        std::lock_guard<std::mutex> lock(d->table->mutex);
        if (id.isEmpty() || !d->table->ids.contains(id))
            return QImage();
        picture = d->table->pictures.value(id);
    }
    // Converted outside the lock: the copy shares the stored bytes.
    return picture.toImage();
}
