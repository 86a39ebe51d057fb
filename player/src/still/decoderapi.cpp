// The still-picture decoder calls of libZelkaExPlayer.
#include <new>

#include "libZelkaExPlayer.h"
#include "playererrors.h"
#include "stillpicturedecoder.h"

using zelkaplayer::StillPictureDecoder;

extern "C" {

int ZELKADecoder_Init(void **handle)
{
    if (!handle)
        return zelkaplayer::kErrorArgument;
    *handle = new (std::nothrow) StillPictureDecoder();
    return *handle ? 0 : zelkaplayer::kErrorResource;
}

int ZELKADecoder_SetVideoDecoderParam(void *handle, int width, int height, int codecId, int outputFormat,
                                      int threads, int, int)
{
    if (!handle || width < 1 || height < 1)
        return zelkaplayer::kErrorArgument;
    return static_cast<StillPictureDecoder *>(handle)->configure(codecId, outputFormat, threads)
        ? 0
        : zelkaplayer::kErrorArgument;
}

int ZELKADecoder_DecodeVideo3(void *handle, const unsigned char *data, int size, unsigned char *picture, int width,
                              int height)
{
    if (!handle)
        return zelkaplayer::kErrorArgument;
    return static_cast<StillPictureDecoder *>(handle)->decode(data, size, picture, width, height);
}

int ZELKADecoder_Deinit(void **handle)
{
    if (!handle)
        return zelkaplayer::kErrorArgument;
    delete static_cast<StillPictureDecoder *>(*handle);
    *handle = nullptr;
    return 0;
}

} // extern "C"
