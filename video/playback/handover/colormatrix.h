#pragma once

#include <QImage>
#include <QMatrix4x4>
#include <QSize>

// How a picture's limited-range Y'CbCr turns into RGB. Streams that do not name their
// matrix (the player library reports none) are taken by size, as players commonly do:
// BT.709 for HD pictures, BT.601 for standard definition. The GPU and the CPU
// conversions both take their coefficients from here, so that they agree.
class ColorMatrix
{
public:
    enum Standard { Bt601, Bt709 };

    explicit ColorMatrix(Standard standard = Bt601);
    // HD: 1280 or more wide, or more than 576 lines.
    static ColorMatrix forPicture(QSize size);

    Standard standard() const { return m_standard; }

    // rgb = matrix * (y, u, v, 1), components of 0..1 as textures sample them.
    QMatrix4x4 toMatrix4x4() const;

    // Converts I420 planes (rows of strides[plane] bytes) into an RGB32 image of size,
    // reusing image's storage when it already has that size and format.
    void convertI420(QSize size, const uchar *const planes[3], const int strides[3], QImage &image) const;

    // The player library hands over tight I420 blocks of even sizes; an odd one has no
    // agreed chroma layout.
    static bool isTightI420Size(QSize size);
    // An RGB32 image of a tight I420 block in its picture's matrix; null for a missing
    // picture or an odd size.
    static QImage imageFromTightI420(const uchar *i420, QSize size);

private:
    QRgb toRgb(int y, int u, int v) const;

    Standard m_standard;
    // 16.16 fixed point: luma scale, red from Cr, green from Cb and Cr, blue from Cb.
    int m_luma;
    int m_redCr;
    int m_greenCb;
    int m_greenCr;
    int m_blueCb;
};
