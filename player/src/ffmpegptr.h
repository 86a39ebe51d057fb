#pragma once

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace zelkaplayer {

// Owning handles for FFmpeg objects, released with FFmpeg's own free functions.
struct PacketFree { void operator()(AVPacket *p) const { av_packet_free(&p); } };
struct FrameFree { void operator()(AVFrame *f) const { av_frame_free(&f); } };
struct CodecContextFree { void operator()(AVCodecContext *c) const { avcodec_free_context(&c); } };
struct CodecParametersFree { void operator()(AVCodecParameters *p) const { avcodec_parameters_free(&p); } };
struct ParserClose { void operator()(AVCodecParserContext *p) const { av_parser_close(p); } };
struct SwsFree { void operator()(SwsContext *s) const { sws_freeContext(s); } };
struct DictionaryFree { void operator()(AVDictionary *d) const { av_dict_free(&d); } };

using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using CodecParametersPtr = std::unique_ptr<AVCodecParameters, CodecParametersFree>;
using ParserPtr = std::unique_ptr<AVCodecParserContext, ParserClose>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFree>;

inline PacketPtr makePacket() { return PacketPtr(av_packet_alloc()); }
inline FramePtr makeFrame() { return FramePtr(av_frame_alloc()); }

} // namespace zelkaplayer
