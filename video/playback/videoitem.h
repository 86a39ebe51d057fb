#pragma once

#include <QQuickItem>
#include <QRectF>
#include <QScopedPointer>

class VideoInfo;
class VideoItemPrivate;

// Plays one stream through the player library and draws its pictures.
class VideoItem : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(QString videoId READ videoId NOTIFY videoIdChanged)
    Q_PROPERTY(QString videoUrl READ videoUrl WRITE setVideoUrl NOTIFY videoUrlChanged)
    Q_PROPERTY(VideoStatus status READ status NOTIFY statusChanged)
    Q_PROPERTY(FillMode fillMode READ fillMode WRITE setFillMode NOTIFY fillModeChanged)
    Q_PROPERTY(QRectF contentRect READ contentRect NOTIFY contentRectChanged)
    Q_PROPERTY(bool sourceValid READ sourceValid NOTIFY sourceValidChanged)
    Q_PROPERTY(bool enableDecode READ enableDecode WRITE setEnableDecode NOTIFY enableDecodeChanged)
    Q_PROPERTY(bool enableKeyFrame READ enableKeyFrame WRITE setEnableKeyFrame NOTIFY enableKeyFrameChanged)
    Q_PROPERTY(HardwareType hardwareType READ hardwareType NOTIFY hardwareTypeChanged)
    Q_PROPERTY(double speed READ speed WRITE setSpeed NOTIFY speedChanged)
    Q_PROPERTY(int frameRate READ frameRate NOTIFY frameRateChanged)
    Q_PROPERTY(int decodeFrameRate READ decodeFrameRate NOTIFY decodeFrameRateChanged)
    Q_PROPERTY(int networkDelay READ networkDelay NOTIFY networkDelayChanged)
    Q_PROPERTY(VideoInfo *videoInfo READ videoInfo NOTIFY videoInfoChanged)

public:
    enum VideoStatus { Opening = 1, Opened = 2, Paused = 3, Closed = 4, UnknownStatus = 5 };
    Q_ENUM(VideoStatus)
    enum HardwareType { Unknown = 0, Cpu = 1, Gpu_Dxva = 2, Gpu_Nvidia = 3 };
    Q_ENUM(HardwareType)
    enum FillMode { Stretch = 0, PreserveAspectFit = 1, PreserveAspectCrop = 2 };
    Q_ENUM(FillMode)

    explicit VideoItem(QQuickItem *parent = nullptr);
    ~VideoItem() override;

    QString videoId() const;
    QString videoUrl() const;
    void setVideoUrl(const QString &url);
    VideoStatus status() const;
    FillMode fillMode() const;
    void setFillMode(FillMode mode);
    QRectF contentRect() const;
    bool sourceValid() const;
    bool enableDecode() const;
    void setEnableDecode(bool on);
    bool enableKeyFrame() const;
    void setEnableKeyFrame(bool on);
    HardwareType hardwareType() const;
    double speed() const;
    void setSpeed(double speed);
    int frameRate() const;
    int decodeFrameRate() const;
    int networkDelay() const;
    VideoInfo *videoInfo() const;

    // Diagnostics for tests and benchmarks: pictures taken from the library, pictures
    // handed to the scene graph, and releases the renderer did not take within the
    // pacing bound.
    quint64 receivedFrameCount() const;
    quint64 drawnFrameCount() const;
    quint64 missedFrameCount() const;

    Q_INVOKABLE void startPlay();
    Q_INVOKABLE void stopPlay();
    Q_INVOKABLE void setProgress(double progress);

    // Local snapshots and recordings: the next picture to a file (and the preview
    // store), the library's recording of the stream, and their folders. stopRecording()
    // is false when nothing was recording, no picture came (no file is left) or the
    // recording could not be written completely; callers that ignore it lose nothing.
    Q_INVOKABLE void snapshot(QString filename, bool save = true);
    Q_INVOKABLE QString snapshotPath();
    Q_INVOKABLE void startRecording(QString filename);
    Q_INVOKABLE bool stopRecording();
    Q_INVOKABLE QString recordingPath();

    // The player library's speed code for a playback speed (0: normal).
    static int speedCode(double speed);

signals:
    void videoIdChanged();
    void videoUrlChanged();
    void statusChanged();
    void fillModeChanged();
    void contentRectChanged();
    void sourceValidChanged();
    void enableDecodeChanged();
    void enableKeyFrameChanged();
    void hardwareTypeChanged();
    void speedChanged();
    void frameRateChanged();
    void decodeFrameRateChanged();
    void networkDelayChanged();
    void videoInfoChanged();
    void timeUpdate(int hour, int minute, int seconds);
    void finished();
    void sourceRectChanged();
    void videoSinkChanged();

protected:
    QSGNode *updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *data) override;
    void releaseResources() override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;

private slots:
    void _update_native_size(QSize size);
    void _update_content_rect();
    void _update_geometry();
    void _cleanup();

private:
    friend class VideoItemPrivate;
    QScopedPointer<VideoItemPrivate> d;
};
