#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// One I420 picture in memory of its own: three planes whose rows start on 4-byte
// boundaries, so that any width (854, 1366, ...) uploads without shearing. The
// storage is kept across pictures of the same size: filling never allocates then.
class VideoBuffer
{
public:
    enum Plane { Y = 0, U = 1, V = 2, PlaneCount = 3 };

    QSize size() const { return m_size; }
    bool isEmpty() const { return m_size.isEmpty(); }

    // Copies a tightly packed I420 picture (Y rows of width bytes, then U and V
    // rows of (width + 1) / 2 bytes) row by row into this buffer.
    bool assignTightI420(const uchar *data, int width, int height);
    // Exchanges the pictures and their storage, copying nothing.
    void swap(VideoBuffer &other) noexcept;
    void clear();

    QSize planeSize(int plane) const;
    int stride(int plane) const { return m_strides[plane]; }
    const QByteArray &planeData(int plane) const { return m_planes[plane]; }

    // Conversion to RGB for renderers without shaders, with the picture's colour matrix
    // (as the shader converts); reuses image's storage when it already has the right size.
    void convertTo(QImage &image) const;

    static int tightI420Bytes(int width, int height);

private:
    void reshape(QSize size);
    uchar *row(int plane, int y);

    QSize m_size;
    int m_strides[PlaneCount] = {0, 0, 0};
    QByteArray m_planes[PlaneCount];
};
