#pragma once

#include <QImage>
#include <QQuickWindow>
#include <QString>

#include <functional>
#include <memory>

class VideoItem;

// Media, a window to show items in, and picture checks for the video item tests.
namespace VideoTestKit {

// Still SMPTE colour bars in H.264 (no B-frames, a key frame per second).
QString colourBars(int width, int height, int seconds);
// 1 s of the moving test pattern, 320x240 at 25 fps: 25 frames.
QString shortClip();
// 10 s, 320x240, 25 fps: 250 frames.
QString tenSecondClip();
// 13 s of the moving test pattern, 320x240 at 25 fps, a key frame every 4 s (as some
// cameras send them): key pictures at 0, 4, 8 and 12 s.
QString keyFrameEveryFourSeconds();
QString fileUrl(const QString &path);

// The picture ffmpeg decodes from the file's first frame, as RGB32, converted with the
// given Y'CbCr matrix (ffmpeg's names: "bt601", "bt709").
QImage referencePicture(const QString &file, const QString &colorMatrix = QStringLiteral("bt601"));

struct PictureDifference
{
    double meanDifference = -1; // mean absolute difference per colour channel, 0..255
    double farOffShare = 1;     // share of pixels with a channel more than 48 off
};
PictureDifference compare(const QImage &drawn, const QImage &reference);

// Polls the event loop until predicate holds or timeoutMs passed.
bool waitFor(const std::function<bool()> &predicate, int timeoutMs);

// A shown window of the given size whose content item holds the video items.
class Scene
{
public:
    explicit Scene(QSize size = QSize(320, 240));
    ~Scene();

    QQuickWindow *window() const { return m_window.get(); }
    // A new item filling the window (or of the given size), not yet playing.
    VideoItem *addItem(QSizeF size = QSizeF());
    bool isSoftware() const;
    QImage grab() const;

private:
    std::unique_ptr<QQuickWindow> m_window;
};

} // namespace VideoTestKit
