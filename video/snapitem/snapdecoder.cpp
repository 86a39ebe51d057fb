#include "snapdecoder.h"

#include "libZelkaExPlayer.h"

namespace {

constexpr int kCodecIdH264 = 27;
constexpr int kCodecIdH265 = 173;
constexpr int kOutputBgra = 28;
constexpr int kDecoderThreads = 1;

// Releases the decoder on every way out.
class DecoderHandle
{
public:
    DecoderHandle() { m_ready = ZELKADecoder_Init(&m_handle) >= 0 && m_handle; }
    ~DecoderHandle()
    {
        if (m_handle)
            ZELKADecoder_Deinit(&m_handle);
    }
    DecoderHandle(const DecoderHandle &) = delete;
    DecoderHandle &operator=(const DecoderHandle &) = delete;

    bool isReady() const { return m_ready; }
    void *get() const { return m_handle; }

private:
    void *m_handle = nullptr;
    bool m_ready = false;
};

} // namespace

QImage decodeSnapPicture(const QByteArray &body, const video_info_t &info)
{
    if (info.codec == UnknownCodec || !isAcceptedSnapSize(info.width, info.height) || body.isEmpty())
        return {};
    QImage picture(info.width, info.height, QImage::Format_ARGB32);
    if (picture.isNull() || picture.bytesPerLine() != info.width * 4)
        return {};
    DecoderHandle decoder;
    if (!decoder.isReady())
        return {};
    const int codecId = info.codec == H264Codec ? kCodecIdH264 : kCodecIdH265;
    if (ZELKADecoder_SetVideoDecoderParam(decoder.get(), info.width, info.height, codecId, kOutputBgra,
                                          kDecoderThreads, 0, 0)
        < 0)
        return {};
    const int result = ZELKADecoder_DecodeVideo3(decoder.get(), reinterpret_cast<const unsigned char *>(body.constData()),
                                                 static_cast<int>(body.size()), picture.bits(), info.width, info.height);
    if (result < 0)
        return {};
    return picture;
}
