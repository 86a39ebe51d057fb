#pragma once

#include <QImage>
#include <QObject>
#include <QScopedPointer>

class PreviewPicture;
class PreviewProvider;
class VideoPreviewerPrivate;

// The last still picture of each registered playback item, for the image provider
// "VideoPreview". Pictures arrive from the items' library threads.
class VideoPreviewer : public QObject
{
    Q_OBJECT

public:
    static VideoPreviewer *instance();

    explicit VideoPreviewer(QObject *parent = nullptr);
    ~VideoPreviewer() override;

    // A new provider on the shared pictures, for the engine, which owns it.
    PreviewProvider *previewProvider() const;

    Q_INVOKABLE void previewVideo(QString videoId);
    Q_INVOKABLE void removePreviewVideo(QString videoId);

    void update(const QString &id, const QImage &image);
    // A stream picture, kept in its compact form until it is asked for.
    void update(const QString &id, const PreviewPicture &picture);
    QImage getPreview(const QString &id);

signals:
    void updateVideoPreview(QString imageId);

private:
    QScopedPointer<VideoPreviewerPrivate> d;
};
