#pragma once

#include <QImage>
#include <QScopedPointer>
#include <QSize>
#include <QString>

class SnapshotGrabberPrivate;

// The next decoded picture of a playback item, as a file in the snapshot folder and
// as the item's picture in the preview store. Requests come from the GUI thread,
// pictures from the player library's thread; one lock keeps a grab from seeing a
// half-written request.
class SnapshotGrabber
{
public:
    // The first picture of an item goes to the preview store without a request.
    SnapshotGrabber(const QString &videoId, const QString &snapshotFolder);
    ~SnapshotGrabber();

    // The folder of local snapshots: the configured path (or the application folder)
    // plus "/snapshot/video"; of recordings: the application folder plus "/record/video".
    static QString snapshotFolderFor(const QString &configuredPath);
    static QString recordFolder();

    QString folder() const;

    // An empty name is ignored; a later request replaces a pending one.
    void request(const QString &fileName, bool save);
    // A new stream: a pending file snapshot would show another stream under its name.
    void dropFileRequest();
    bool isPending() const;

    // Called with each decoded picture (tight I420, even width x height) while pending.
    // Pictures the item cannot read back (GPU-held) give an empty image.
    void takePicture(const uchar *i420, QSize size, bool readable);

    // The file written by the last grab, empty when none was asked or it failed.
    QString lastSavedFile() const;

    // An RGB32 image of a tight I420 picture, in the colours the item shows it.
    static QImage imageFromI420(const uchar *i420, QSize size);

    // Writes image to path (format from its suffix) without a partial file at any time.
    static bool writeImage(const QImage &image, const QString &path);

private:
    QScopedPointer<SnapshotGrabberPrivate> d;
};
