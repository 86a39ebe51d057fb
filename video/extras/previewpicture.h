#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// One picture of the preview store as it keeps it: a stream picture in the stream's own
// compact form (tight I420, 1.5 bytes a pixel: 3.1 MB at 1080p against 8.3 MB as RGB32),
// turned into an image only when someone asks for it; or an image handed in as such.
// Copies share their bytes.
class PreviewPicture
{
public:
    PreviewPicture() = default;
    explicit PreviewPicture(const QImage &image);
    // A copy of a tight I420 picture (Y, then U and V of half width and height); null
    // for a missing picture or a size that is not even.
    static PreviewPicture fromI420(const uchar *i420, QSize size);

    bool isNull() const { return m_i420.isEmpty() && m_image.isNull(); }
    QSize size() const;
    // The picture in RGB32, in the colours the item shows it.
    QImage toImage() const;
    // Bytes the store holds for it.
    qsizetype byteCount() const;

private:
    QSize m_size;
    QByteArray m_i420;
    QImage m_image;
};
