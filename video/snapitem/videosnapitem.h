#pragma once

#include <QQuickItem>
#include <QScopedPointer>
#include <QString>

class VideoSnapItemPrivate;

// Shows a channel's snapshot: fetches the server's raw H.264/H.265 body, reads its size
// from the parameter sets, decodes it off the GUI thread and draws it as a texture.
// Until a picture arrives, and for an empty address, a placeholder is drawn.
class VideoSnapItem : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(QString snapUrl READ snapUrl WRITE setSnapUrl NOTIFY snapUrlChanged)
    Q_PROPERTY(bool snapValid READ snapValid NOTIFY snapValidChanged)
    Q_PROPERTY(FillMode fillMode READ fillMode WRITE setFillMode NOTIFY fillModeChanged)

public:
    enum FillMode { Stretch = 0, PreserveAspectFit = 1 };
    Q_ENUM(FillMode)

    explicit VideoSnapItem(QQuickItem *parent = nullptr);
    ~VideoSnapItem() override;

    QString snapUrl() const;
    // Every assignment fetches again, also of the same address.
    void setSnapUrl(const QString &url);
    bool snapValid() const;
    FillMode fillMode() const;
    void setFillMode(FillMode mode);

    Q_INVOKABLE void updateSnap();

signals:
    void snapUrlChanged();
    void snapValidChanged();
    void fillModeChanged();

protected:
    QSGNode *updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *data) override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;

private slots:
    // Called from the decode thread's queued post once a result waits in the queue.
    void applyDecodedPicture();

private:
    void setSnapValid(bool valid);

    QScopedPointer<VideoSnapItemPrivate> d;
    friend class VideoSnapItemPrivate;
};
