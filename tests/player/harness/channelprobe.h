#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "libZelkaExPlayer.h"

// One player channel opened the way the video item opens it, recording every
// callback. Waits are condition-variable waits with a bound; no event loop is
// needed. A callback for a channel that was already closed is counted (and its
// user pointer is never touched).
class ChannelProbe
{
public:
    using Clock = std::chrono::steady_clock;

    struct Event
    {
        int type = 0;
        int media = 0;
        uint32_t seconds = 0;
        int width = 0;
        int height = 0;
        uint32_t codecId = 0;
        uint32_t sampleRate = 0;
        int frameRate = 0;
        uint32_t cachedFrames = 0;
        int hour = -1, minute = -1, second = -1;
        Clock::time_point at;
    };

    struct Options
    {
        int protocol = -1; // -1: from the URL's scheme
        int connectType = ZELKA_CONNECT_TCP;
        int mediaMask = 3;
        bool reconnect = true;
        bool pace = true;
        bool start = true; // StartPlayStream right after opening
    };

    ChannelProbe() = default;
    ~ChannelProbe();
    ChannelProbe(const ChannelProbe &) = delete;
    ChannelProbe &operator=(const ChannelProbe &) = delete;

    int open(const QString &url, const Options &options);
    int open(const QString &url) { return open(url, Options()); }
    void close();
    int id() const { return m_id; }

    bool waitFor(const std::function<bool()> &condition, int timeoutMs);
    bool waitForFrames(int frames, int timeoutMs);
    bool waitForEvent(int type, int timeoutMs);

    std::vector<Event> events() const;
    int frames() const;
    int count(int type) const;
    std::vector<uint32_t> seconds(int type) const;
    QByteArray firstPicture() const;
    // The next picture becomes the first one again.
    void forgetFirstPicture();
    Event firstFrame() const;
    // Milliseconds from open() to the first picture, or -1.
    double firstFrameMs() const;

    // Runs on the callback thread for every picture (after it is recorded).
    void setOnPicture(std::function<void(ChannelProbe &)> hook) { m_onPicture = std::move(hook); }
    void setCallbackDelayMs(int ms) { m_callbackDelayMs = ms; }

    static int callbacksAfterClose();
    // Sanitizer builds run several times slower: time limits of start-up figures scale by this.
    static int slowdown();
    static int protocolOf(const QString &url);

private:
    static int callback(ZELKA_CALLBACK_TYPE type, int channelId, void *user, int mediaType, int64_t data,
                        ZELKA_FRAME_INFO *info);
    void record(ZELKA_CALLBACK_TYPE type, int mediaType, int64_t data, const ZELKA_FRAME_INFO *info);

    int m_id = 0;
    Clock::time_point m_openedAt;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Event> m_events;
    QByteArray m_firstPicture;
    std::function<void(ChannelProbe &)> m_onPicture;
    std::atomic<int> m_callbackDelayMs{0};
};
