#include "snapshotgrabber.h"

#include <QCoreApplication>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <atomic>
#include <mutex>

#include "colormatrix.h"
#include "previewpicture.h"
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
    // The same colours as the item draws on screen.
    return ColorMatrix::imageFromTightI420(i420, size);
}

// Written beside the final name and renamed when complete: whoever watches the folder
// never sees a half-written picture, and a failed write leaves nothing behind.
// Encoded in memory first: Qt's PNG writer leaks a row when the device fails under it.
bool SnapshotGrabber::writeImage(const QImage &image, const QString &path)
{
    QByteArray encoded;
    QBuffer buffer(&encoded);
    const QByteArray format = QFileInfo(path).suffix().toLatin1();
    if (format.isEmpty() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, format.constData()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(encoded) != encoded.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
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
    QString saved;
    const QImage image = save && readable ? imageFromI420(i420, size) : QImage();
    if (!image.isNull()) {
        QDir().mkpath(d->folder);
        const QString path = d->folder + QLatin1Char('/') + SafeFileName::fromText(fileName);
        if (writeImage(image, path))
            saved = path;
    }
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->lastSavedFile = saved;
    }
    // The store keeps the picture as it came and converts it when it is asked for.
    VideoPreviewer::instance()->update(d->videoId,
                                       readable ? PreviewPicture::fromI420(i420, size) : PreviewPicture());
}

QString SnapshotGrabber::lastSavedFile() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->lastSavedFile;
}
