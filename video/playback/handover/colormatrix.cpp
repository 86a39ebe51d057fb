#include "colormatrix.h"

#include <algorithm>
#include <cmath>

namespace {

// Limited range: luma spans 16..235, chroma 16..240 around 128.
constexpr double kLumaScale = 255.0 / 219.0;
constexpr double kChromaScale = 255.0 / 224.0;
constexpr double kLumaOffset = 16.0 / 255.0;
constexpr double kChromaOffset = 128.0 / 255.0;

struct Coefficients
{
    double redCr;
    double greenCb;
    double greenCr;
    double blueCb;
};

// The conversion follows from the weights of red and blue in luma.
Coefficients coefficientsOf(ColorMatrix::Standard standard)
{
    const double kr = standard == ColorMatrix::Bt709 ? 0.2126 : 0.299;
    const double kb = standard == ColorMatrix::Bt709 ? 0.0722 : 0.114;
    const double kg = 1.0 - kr - kb;
    return {2.0 * (1.0 - kr) * kChromaScale, 2.0 * kb * (1.0 - kb) / kg * kChromaScale,
            2.0 * kr * (1.0 - kr) / kg * kChromaScale, 2.0 * (1.0 - kb) * kChromaScale};
}

int fixedPoint(double value)
{
    return int(std::lround(value * 65536.0));
}

uchar clampToByte(int value)
{
    return static_cast<uchar>(std::clamp(value, 0, 255));
}

} // namespace

ColorMatrix::ColorMatrix(Standard standard)
    : m_standard(standard)
{
    const Coefficients c = coefficientsOf(standard);
    m_luma = fixedPoint(kLumaScale);
    m_redCr = fixedPoint(c.redCr);
    m_greenCb = fixedPoint(c.greenCb);
    m_greenCr = fixedPoint(c.greenCr);
    m_blueCb = fixedPoint(c.blueCb);
}

ColorMatrix ColorMatrix::forPicture(QSize size)
{
    const bool hd = size.width() >= 1280 || size.height() > 576;
    return ColorMatrix(hd ? Bt709 : Bt601);
}

QMatrix4x4 ColorMatrix::toMatrix4x4() const
{
    const Coefficients c = coefficientsOf(m_standard);
    const double y0 = -kLumaScale * kLumaOffset;
    return QMatrix4x4(float(kLumaScale), 0.0f, float(c.redCr), float(y0 - c.redCr * kChromaOffset),
                      float(kLumaScale), float(-c.greenCb), float(-c.greenCr),
                      float(y0 + (c.greenCb + c.greenCr) * kChromaOffset),
                      float(kLumaScale), float(c.blueCb), 0.0f, float(y0 - c.blueCb * kChromaOffset),
                      0.0f, 0.0f, 0.0f, 1.0f);
}

QRgb ColorMatrix::toRgb(int y, int u, int v) const
{
    const int luma = (y - 16) * m_luma;
    const int cb = u - 128;
    const int cr = v - 128;
    const int r = (luma + m_redCr * cr + 32768) >> 16;
    const int g = (luma - m_greenCb * cb - m_greenCr * cr + 32768) >> 16;
    const int b = (luma + m_blueCb * cb + 32768) >> 16;
    return qRgb(clampToByte(r), clampToByte(g), clampToByte(b));
}

void ColorMatrix::convertI420(QSize size, const uchar *const planes[3], const int strides[3], QImage &image) const
{
    if (size.isEmpty()) {
        image = QImage();
        return;
    }
    if (image.size() != size || image.format() != QImage::Format_RGB32)
        image = QImage(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        const uchar *luma = planes[0] + qsizetype(y) * strides[0];
        const uchar *cb = planes[1] + qsizetype(y / 2) * strides[1];
        const uchar *cr = planes[2] + qsizetype(y / 2) * strides[2];
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            out[x] = toRgb(luma[x], cb[x / 2], cr[x / 2]);
    }
}

bool ColorMatrix::isTightI420Size(QSize size)
{
    return size.width() >= 2 && size.height() >= 2 && size.width() % 2 == 0 && size.height() % 2 == 0;
}

QImage ColorMatrix::imageFromTightI420(const uchar *i420, QSize size)
{
    if (!i420 || !isTightI420Size(size))
        return QImage();
    const int lumaBytes = size.width() * size.height();
    const int chromaBytes = lumaBytes / 4;
    const uchar *planes[] = {i420, i420 + lumaBytes, i420 + lumaBytes + chromaBytes};
    const int strides[] = {size.width(), size.width() / 2, size.width() / 2};
    QImage image;
    forPicture(size).convertI420(size, planes, strides, image);
    return image;
}
