#include "snapshotgrabber.h"

#include <QCoreApplication>
#include <QDir>

#include <atomic>
#include <mutex>

#include "colormatrix.h"
#include "safefilename.h"
#include "videopreviewer.h"

class SnapshotGrabberPrivate
{
public:
    QString videoId;
    QString folder;
    std::atomic<bool> pending{true};
    mutable std::mutex mutex;
    QString fileName;      // guarded by mutex
    bool save = false;     // guarded by mutex
    QString lastSavedFile; // guarded by mutex
};

SnapshotGrabber::SnapshotGrabber(const QString &videoId, const QString &snapshotFolder)
    : d(new SnapshotGrabberPrivate)
{
    d->videoId = videoId;
    d->folder = snapshotFolder;
}

SnapshotGrabber::~SnapshotGrabber() = default;

QString SnapshotGrabber::snapshotFolderFor(const QString &configuredPath)
{
    const QString base = configuredPath.isEmpty() ? QCoreApplication::applicationDirPath() : configuredPath;
    return base + QStringLiteral("/snapshot/video");
}

QString SnapshotGrabber::recordFolder()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/record/video");
}

QString SnapshotGrabber::folder() const
{
    return d->folder;
}

void SnapshotGrabber::request(const QString &fileName, bool save)
{
    if (fileName.isEmpty())
        return;
    std::lock_guard<std::mutex> lock(d->mutex);
    d->fileName = fileName;
    d->save = save;
    d->pending.store(true);
}

void SnapshotGrabber::dropFileRequest()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->save = false;
}

bool SnapshotGrabber::isPending() const
{
    return d->pending.load();
}

QImage SnapshotGrabber::imageFromI420(const uchar *i420, QSize size)
{
    // The player library hands over even sizes; an odd one has no agreed chroma layout.
    if (!i420 || size.width() < 2 || size.height() < 2 || size.width() % 2 || size.height() % 2)
        return QImage();
    // The same colours as the item draws on screen.
    const int lumaBytes = size.width() * size.height();
    const int chromaBytes = lumaBytes / 4;
    const uchar *planes[] = {i420, i420 + lumaBytes, i420 + lumaBytes + chromaBytes};
    const int strides[] = {size.width(), size.width() / 2, size.width() / 2};
    QImage image;
    ColorMatrix::forPicture(size).convertI420(size, planes, strides, image);
    return image;
}

void SnapshotGrabber::takePicture(const uchar *i420, QSize size, bool readable)
{
    if (!d->pending.load())
        return;
    QString fileName;
    bool save = false;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        fileName = d->fileName;
        save = d->save;
        d->save = false;
        d->pending.store(false);
    }
    const QImage image = readable && i420 ? imageFromI420(i420, size) : QImage();
    QString saved;
    if (save && !image.isNull()) {
        QDir().mkpath(d->folder);
        const QString path = d->folder + QLatin1Char('/') + SafeFileName::fromText(fileName);
        if (image.save(path))
            saved = path;
    }
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->lastSavedFile = saved;
    }
    VideoPreviewer::instance()->update(d->videoId, image.copy());
}

QString SnapshotGrabber::lastSavedFile() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->lastSavedFile;
}
