#include "channelprobe.h"

#include <set>
#include <thread>

// Every player test links this file: the ThreadSanitizer settings live here.
#if defined(__SANITIZE_THREAD__)
// Test media are made by ffmpeg child processes, started after threads exist.
extern "C" const char *__tsan_default_options()
{
    return "die_after_fork=0";
}
#endif

namespace {
std::mutex closedMutex;
std::set<int> closedIds;
std::atomic<int> lateCallbacks{0};

bool wasClosed(int id)
{
    std::lock_guard<std::mutex> lock(closedMutex);
    return closedIds.count(id) > 0;
}
} // namespace

ChannelProbe::~ChannelProbe()
{
    close();
}

int ChannelProbe::protocolOf(const QString &url)
{
    if (url.startsWith("rtmp:"))
        return ZELKA_PROTOCOL_RTMP;
    if (url.startsWith("http:"))
        return ZELKA_PROTOCOL_HTTP;
    if (url.startsWith("rtsp:"))
        return ZELKA_PROTOCOL_RTSP;
    return ZELKA_PROTOCOL_FILE;
}

int ChannelProbe::open(const QString &url, const Options &options)
{
    close();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.clear();
        m_firstPicture.clear();
    }
    m_openedAt = Clock::now();
    const int protocol = options.protocol >= 0 ? options.protocol : protocolOf(url);
    const QByteArray latin = url.toLatin1();
    m_id = libZelkaExPlayer_OpenStream(0, protocol, latin.constData(), options.connectType, options.mediaMask,
                                       &ChannelProbe::callback, this, options.reconnect, options.pace, 0x800000, "",
                                       "", 0, 0);
    if (m_id <= 0)
        return m_id;
    libZelkaExPlayer_SetEnableDecode(0, m_id, 1);
    if (options.start)
        libZelkaExPlayer_StartPlayStream(0, m_id, 0, ZELKA_RENDER_YV12, 0);
    libZelkaExPlayer_SetPlayFrameCache(0, m_id, 3);
    libZelkaExPlayer_SetDecodeType(0, m_id, 0);
    return m_id;
}

void ChannelProbe::close()
{
    if (m_id <= 0)
        return;
    libZelkaExPlayer_StopPlayStream(0, m_id);
    libZelkaExPlayer_CloseStream(0, m_id);
    std::lock_guard<std::mutex> lock(closedMutex);
    closedIds.insert(m_id);
    m_id = 0;
}

int ChannelProbe::callback(ZELKA_CALLBACK_TYPE type, int channelId, void *user, int mediaType, int64_t data,
                           ZELKA_FRAME_INFO *info)
{
    if (wasClosed(channelId)) {
        ++lateCallbacks;
        return 0;
    }
    static_cast<ChannelProbe *>(user)->record(type, mediaType, data, info);
    return 0;
}

int ChannelProbe::slowdown()
{
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
    return 4;
#else
    return 1;
#endif
}

int ChannelProbe::callbacksAfterClose()
{
    return lateCallbacks.load();
}

void ChannelProbe::record(ZELKA_CALLBACK_TYPE type, int mediaType, int64_t data, const ZELKA_FRAME_INFO *info)
{
    Event event;
    event.type = type;
    event.media = mediaType;
    event.at = Clock::now();
    if (info) {
        event.seconds = info->seconds;
        event.width = info->width;
        event.height = info->height;
        event.codecId = info->codecId;
        event.sampleRate = info->sampleRate;
        event.frameRate = info->frameRate;
        event.cachedFrames = info->cachedFrames;
    }
    if (type == CALLBACK_FRAME_TIME && data) {
        const auto *time = reinterpret_cast<const ZELKA_FRAME_TIME *>(data);
        event.hour = time->hour;
        event.minute = time->minute;
        event.second = time->second;
    }
    const bool picture = type == CALLBACK_MEDIA_FRAME && mediaType == ZELKA_MEDIA_VIDEO && data;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (picture && m_firstPicture.isEmpty() && info)
            m_firstPicture = QByteArray(reinterpret_cast<const char *>(data), info->width * info->height * 3 / 2);
        m_events.push_back(event);
    }
    m_changed.notify_all();
    if (picture && m_onPicture)
        m_onPicture(*this);
    if (const int delay = m_callbackDelayMs.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
}

bool ChannelProbe::waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    // The condition reads through the locking accessors, so it runs unlocked; the
    // event count taken before it tells whether anything arrived meanwhile.
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        size_t seen = 0;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            seen = m_events.size();
        }
        if (condition())
            return true;
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_changed.wait_until(lock, deadline, [&] { return m_events.size() != seen; })) {
            lock.unlock();
            return condition();
        }
    }
}

bool ChannelProbe::waitForFrames(int frames, int timeoutMs)
{
    return waitFor([&] { return this->frames() >= frames; }, timeoutMs);
}

bool ChannelProbe::waitForEvent(int type, int timeoutMs)
{
    return waitFor([&] { return count(type) > 0; }, timeoutMs);
}

std::vector<ChannelProbe::Event> ChannelProbe::events() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

int ChannelProbe::frames() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    int frames = 0;
    for (const Event &event : m_events)
        frames += event.type == CALLBACK_MEDIA_FRAME && event.media == ZELKA_MEDIA_VIDEO;
    return frames;
}

int ChannelProbe::count(int type) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    int n = 0;
    for (const Event &event : m_events)
        n += event.type == type;
    return n;
}

std::vector<uint32_t> ChannelProbe::seconds(int type) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<uint32_t> values;
    for (const Event &event : m_events) {
        if (event.type == type)
            values.push_back(event.seconds);
    }
    return values;
}

void ChannelProbe::forgetFirstPicture()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_firstPicture.clear();
}

QByteArray ChannelProbe::firstPicture() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_firstPicture;
}

ChannelProbe::Event ChannelProbe::firstFrame() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const Event &event : m_events) {
        if (event.type == CALLBACK_MEDIA_FRAME && event.media == ZELKA_MEDIA_VIDEO)
            return event;
    }
    return {};
}

double ChannelProbe::firstFrameMs() const
{
    const Event first = firstFrame();
    if (first.type == 0)
        return -1;
    return std::chrono::duration<double, std::milli>(first.at - m_openedAt).count();
}
