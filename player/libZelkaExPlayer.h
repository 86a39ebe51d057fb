/*
 * libZelkaExPlayer: stream player and still-picture decoder on FFmpeg.
 *
 * Plain C interface. Every call returns int; calls that take a leading handle
 * argument expect 0 there. Channel ids returned by libZelkaExPlayer_OpenStream
 * are above 0 and are never reused within a process.
 *
 * Threads: OpenStream returns at once; each channel connects, reads and decodes
 * on threads of its own. All callbacks of one channel come from one thread, one
 * after another, and may block for a while. No callback of a channel runs after
 * libZelkaExPlayer_CloseStream has returned for it.
 */
#ifndef LIBZELKAEXPLAYER_H
#define LIBZELKAEXPLAYER_H

#include <stdint.h>

#if defined(__GNUC__)
#define ZELKA_PLAYER_API __attribute__((visibility("default")))
#else
#define ZELKA_PLAYER_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Callback kinds. */
typedef enum __ZELKA_CALLBACK_TYPE_ENUM {
    CALLBACK_STREAM_END = 103,  /* finite media played to its end (once per end) */
    CALLBACK_PROGRESS = 104,    /* info->position: whole seconds from the start */
    CALLBACK_MEDIA_FRAME = 105, /* media type 1: data is a tight I420 picture, or 0 (width and height 0)
                                   once per opened input while decoding is off: the stream was reached;
                                   2: audio stream info */
    CALLBACK_DURATION = 112,    /* info->duration: whole seconds (finite media only) */
    CALLBACK_FRAME_TIME = 115   /* data points at a ZELKA_FRAME_TIME */
} ZELKA_CALLBACK_TYPE;

/* Protocol argument of OpenStream (the URL's scheme wins when they disagree). */
enum {
    ZELKA_PROTOCOL_RTSP = 0,
    ZELKA_PROTOCOL_RTMP = 1,
    ZELKA_PROTOCOL_HTTP = 2,
    ZELKA_PROTOCOL_FILE = 3
};

/* Connection type of OpenStream: RTSP carries RTP over TCP unless UDP is asked for. */
enum {
    ZELKA_CONNECT_TCP = 1,
    ZELKA_CONNECT_UDP = 2
};

/* Media types of CALLBACK_MEDIA_FRAME and CALLBACK_PROGRESS. */
enum {
    ZELKA_MEDIA_VIDEO = 1,
    ZELKA_MEDIA_AUDIO = 2
};

/* Speed codes of SetPlaySpeed; any other code plays at normal speed. */
enum {
    ZELKA_SPEED_NORMAL = 0,
    ZELKA_SPEED_1_2 = 3,
    ZELKA_SPEED_1_4 = 4,
    ZELKA_SPEED_1_8 = 5,
    ZELKA_SPEED_1_16 = 6,
    ZELKA_SPEED_2 = 7,
    ZELKA_SPEED_4 = 8,
    ZELKA_SPEED_8 = 9,
    ZELKA_SPEED_16 = 10
};

/* Render format FOURCC "YV12"; every render format gets the same I420 block (Y, U, V). */
#define ZELKA_RENDER_YV12 0x32315659

/* Frame record handed to every callback (64 bytes). */
typedef struct ZELKA_FRAME_INFO {
    uint32_t codecId;         /*  0: FFmpeg codec id (27 H.264, 173 H.265, ...) */
    uint8_t decoder;          /*  4: 0 software */
    uint8_t frameRate;        /*  5: stream frame rate, 0 when unknown */
    uint16_t reserved6;       /*  6 */
    uint16_t width;           /*  8: picture width (even) */
    uint16_t height;          /* 10: picture height (even) */
    uint32_t sampleRate;      /* 12: audio sample rate, Hz */
    uint8_t reserved16[20];   /* 16 */
    uint32_t seconds;         /* 36: duration (112) or position (104) in seconds */
    float codeRate;           /* 40: received kbit/s over the last second */
    float packetLossRate;     /* 44: fraction 0..1 (0: not measured) */
    uint32_t cachedFrames;    /* 48: video frames waiting inside the library */
    uint8_t decodeFrameRate;  /* 52: frames delivered over the last second */
    uint8_t reserved53[11];   /* 53 */
} ZELKA_FRAME_INFO;

/* Data of CALLBACK_FRAME_TIME: local wall-clock time of the frame for live
   streams, position in the media for files and video on demand. */
typedef struct ZELKA_FRAME_TIME {
    int64_t milliseconds;     /*  0: the same time in milliseconds */
    uint8_t reserved8[27];    /*  8 */
    uint8_t hour;             /* 35 */
    uint8_t minute;           /* 36 */
    uint8_t second;           /* 37 */
    uint8_t reserved38[2];    /* 38 */
} ZELKA_FRAME_TIME;

/* Returns 0. data: address of the picture / record as a 64-bit integer, or 0. */
typedef int (*ZELKA_PLAYER_CALLBACK)(enum __ZELKA_CALLBACK_TYPE_ENUM type, int channelId, void *user,
                                     int mediaType, int64_t data, ZELKA_FRAME_INFO *info);

/* Player calls. Results: 0 success, below 0 failure (OpenStream: channel id above 0). */
ZELKA_PLAYER_API int libZelkaExPlayer_Initialize(int maxChannelsHint);
ZELKA_PLAYER_API int libZelkaExPlayer_Deinitialize(void);

/*
 * mediaMask: bit 0 video, bit 1 audio. reconnect: live streams reconnect after a
 * drop. pace: files and video on demand are played at their timestamps' pace
 * (0 decodes as fast as possible). queueBytes: bound of the packet queue (0 for
 * the default of 8 MiB). userName/password: credentials put into the URL when it
 * has none.
 */
ZELKA_PLAYER_API int libZelkaExPlayer_OpenStream(int handle, int protocol, const char *url, int connectType,
                                                 int mediaMask, ZELKA_PLAYER_CALLBACK callback, void *user,
                                                 int reconnect, int pace, int queueBytes, const char *userName,
                                                 const char *password, int reserved1, int reserved2);
ZELKA_PLAYER_API int libZelkaExPlayer_StartPlayStream(int handle, int id, int reserved, int renderFormat,
                                                      int decodeType);
ZELKA_PLAYER_API int libZelkaExPlayer_StopPlayStream(int handle, int id);
ZELKA_PLAYER_API int libZelkaExPlayer_CloseStream(int handle, int id);
/* The caller's own frame cache depth; the library's queue is reported in cachedFrames. */
ZELKA_PLAYER_API int libZelkaExPlayer_SetPlayFrameCache(int handle, int id, int frames);
ZELKA_PLAYER_API int libZelkaExPlayer_SetEnableDecode(int handle, int id, int enable);
ZELKA_PLAYER_API int libZelkaExPlayer_SetDecodeType(int handle, int id, int keyFramesOnly);
ZELKA_PLAYER_API int libZelkaExPlayer_SetPlaySpeed(int handle, int id, int speedCode);
ZELKA_PLAYER_API int libZelkaExPlayer_SeekFile(int handle, int id, int64_t seconds);
/* Records into folder/fileName (fragmented MP4, remuxed; audio MP4 cannot carry, such
   as G.711, re-encoded to AAC) from the next video key frame until StopRecording. A live
   stream that drops and comes back, or a file that holds maxMegabytes or maxSeconds
   (0: no limit), goes on at a key frame in the next file beside it: the same name with
   "_1", "_2"... before the extension (names in use are skipped). No file is made before
   the first key frame. Fails when the folder cannot be written. */
ZELKA_PLAYER_API int libZelkaExPlayer_StartRecording(int handle, int id, const char *folder, const char *fileName,
                                                     int maxMegabytes, int maxSeconds, int reserved1,
                                                     int reserved2);
/* 0 when the recording holds pictures and all of it was written; below 0 when nothing
   was recording, no key frame came (and no file is left), or a write failed (what was
   written stays playable). */
ZELKA_PLAYER_API int libZelkaExPlayer_StopRecording(int handle, int id);

/* Still-picture decoder: one H.264 or H.265 Annex B picture into BGRA. */
ZELKA_PLAYER_API int ZELKADecoder_Init(void **handle);
/* codecId: 27 H.264, 173 H.265; outputFormat: 28 (BGRA); threads: decoder threads (0 or 1: one). */
ZELKA_PLAYER_API int ZELKADecoder_SetVideoDecoderParam(void *handle, int width, int height, int codecId,
                                                       int outputFormat, int threads, int reserved1, int reserved2);
/* Writes exactly width*height*4 bytes (B, G, R, A) into picture, scaled to that size.
   Returns 0 on success, below 0 on failure; on failure picture is left untouched. */
ZELKA_PLAYER_API int ZELKADecoder_DecodeVideo3(void *handle, const unsigned char *data, int size,
                                               unsigned char *picture, int width, int height);
ZELKA_PLAYER_API int ZELKADecoder_Deinit(void **handle);

#ifdef __cplusplus
}
#endif

#endif /* LIBZELKAEXPLAYER_H */
