#pragma once

#include <QObject>
#include <QScopedPointer>

class VideoControllerPrivate;

// Sets the player library up once per process.
class VideoController : public QObject
{
    Q_OBJECT
public:
    static VideoController *instance();
    ~VideoController() override;

    Q_INVOKABLE void initialize();
    Q_INVOKABLE void release();
    bool isInitialized() const;

signals:
    void updateVideo(QString url);

private:
    VideoController();
    QScopedPointer<VideoControllerPrivate> d;
};
