// Measures the blocks FFmpeg allocates for a stream's parameter sets (H.264 and H.265),
// as its parser and its decoder do for every parameter set a stream sends, and compares
// them with the client's mapping bound (AllocatorTuning::kMappingThreshold): a block at or
// above the bound is mapped and unmapped on its own every time, which the bound was
// chosen to avoid. The records are FFmpeg's private structures and may grow with any
// upgrade. Prints one JSON object; exits with 1 when a record no longer fits, or when no
// record was seen at all (then the measurement itself no longer works).
//   zelka_paramset_probe [--bound BYTES]   (another bound than the client's, to compare)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

#include "allocatortuning.h"

namespace {

// The largest aligned block asked for while armed. FFmpeg's av_malloc takes its blocks
// from posix_memalign; this program's own definition, exported, comes first for every
// library, and hands each call on to glibc's.
bool g_armed = false;
size_t g_largest = 0;
size_t g_largestAlignment = 0;

using PosixMemalign = int (*)(void **, size_t, size_t);

PosixMemalign glibcPosixMemalign()
{
    static const auto next = reinterpret_cast<PosixMemalign>(dlsym(RTLD_NEXT, "posix_memalign"));
    return next;
}

} // namespace

extern "C" int posix_memalign(void **pointer, size_t alignment, size_t size)
{
    if (g_armed && size > g_largest) {
        g_largest = size;
        g_largestAlignment = alignment;
    }
    return glibcPosixMemalign()(pointer, alignment, size);
}

namespace {

// The chunk glibc asks its heap or the system for, for a block of SIZE bytes aligned to
// ALIGNMENT (malloc.c: request2size, and _int_memalign's room to align in): what its
// mapping bound is compared with.
size_t chunkFor(size_t size, size_t alignment)
{
    constexpr size_t kSizeSz = sizeof(size_t), kAlignMask = 2 * sizeof(size_t) - 1, kMinSize = 4 * sizeof(size_t);
    const auto request2size = [](size_t request) {
        const size_t rounded = (request + kSizeSz + kAlignMask) & ~kAlignMask;
        return rounded < kMinSize ? kMinSize : rounded;
    };
    if (alignment <= 2 * sizeof(size_t))
        return request2size(size);
    return request2size(request2size(size) + alignment + kMinSize);
}

// Annex B parameter sets of one encoded 640x360 picture (the encoder's global header).
std::string parameterSets(const char *encoderName)
{
    const AVCodec *encoder = avcodec_find_encoder_by_name(encoderName);
    if (!encoder)
        return {};
    AVCodecContext *context = avcodec_alloc_context3(encoder);
    context->width = 640;
    context->height = 360;
    context->pix_fmt = AV_PIX_FMT_YUV420P;
    context->time_base = AVRational{1, 25};
    context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(context->priv_data, "preset", "ultrafast", 0);
    if (std::strcmp(encoderName, "libx265") == 0)
        av_opt_set(context->priv_data, "x265-params", "log-level=none", 0);
    std::string sets;
    if (avcodec_open2(context, encoder, nullptr) == 0 && context->extradata_size > 0)
        sets.assign(reinterpret_cast<const char *>(context->extradata), size_t(context->extradata_size));
    avcodec_free_context(&context);
    return sets;
}

// The largest block FFmpeg's parser and decoder of CODEC take for the parameter sets SETS
// (a decoder reads them at its opening, the parser as a stream's first packet).
size_t largestRecord(AVCodecID codec, const std::string &sets)
{
    const AVCodec *decoder = avcodec_find_decoder(codec);
    AVCodecContext *context = avcodec_alloc_context3(decoder);
    context->extradata = static_cast<uint8_t *>(av_mallocz(sets.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    std::memcpy(context->extradata, sets.data(), sets.size());
    context->extradata_size = int(sets.size());
    AVCodecParserContext *parser = av_parser_init(codec);
    g_largest = 0;
    g_armed = true;
    const bool opened = avcodec_open2(context, decoder, nullptr) == 0;
    if (parser) {
        parser->flags |= PARSER_FLAG_COMPLETE_FRAMES;
        uint8_t *out = nullptr;
        int outSize = 0;
        std::string padded = sets + std::string(AV_INPUT_BUFFER_PADDING_SIZE, '\0');
        av_parser_parse2(parser, context, &out, &outSize, reinterpret_cast<const uint8_t *>(padded.data()),
                         int(sets.size()), AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
    }
    g_armed = false;
    av_parser_close(parser);
    avcodec_free_context(&context);
    return opened ? g_largest : 0;
}

} // namespace

int main(int argc, char **argv)
{
    size_t bound = size_t(AllocatorTuning::kMappingThreshold);
    if (argc == 3 && std::strcmp(argv[1], "--bound") == 0)
        bound = size_t(std::strtoul(argv[2], nullptr, 10));
    av_log_set_level(AV_LOG_QUIET);
    struct Codec {
        const char *name;
        const char *encoder;
        AVCodecID id;
    } codecs[] = {{"h264", "libx264", AV_CODEC_ID_H264}, {"hevc", "libx265", AV_CODEC_ID_HEVC}};
    bool fits = true;
    std::printf("{\"mapping_threshold\": %zu", bound);
    for (const Codec &codec : codecs) {
        const std::string sets = parameterSets(codec.encoder);
        const size_t largest = sets.empty() ? 0 : largestRecord(codec.id, sets);
        const size_t chunk = largest ? chunkFor(largest, g_largestAlignment) : 0;
        // No block seen, or none of a record's size: the measurement no longer sees the
        // records (another allocation path, a missing encoder), which must not pass as a fit.
        const bool seen = largest >= 4096;
        fits = fits && seen && chunk < bound;
        std::printf(", \"%s\": {\"largest_block\": %zu, \"chunk\": %zu, \"seen\": %s}", codec.name, largest, chunk,
                    seen ? "true" : "false");
    }
    std::printf(", \"fits\": %s}\n", fits ? "true" : "false");
    if (!fits)
        std::fprintf(stderr, "FFmpeg's parameter-set records no longer fit under the mapping bound of %zu bytes "
                             "(or could not be measured): see AllocatorTuning::kMappingThreshold\n", bound);
    return fits ? 0 : 1;
}
