#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "packetqueue.h"

namespace zelkaplayer {

// Everything a channel's caller, reader thread and decoding thread share. One
// mutex guards the queue and the control fields; every change wakes all waiters,
// and every wait has a predicate that includes the stop flag.
class ChannelState
{
public:
    using Clock = std::chrono::steady_clock;

    // Caller side.
    void requestStop();
    void setPlaying(bool playing);
    void setSpeedCode(int code);
    void requestSeek(int64_t seconds);
    void setDecodeEnabled(bool enabled);

    // Reader side.
    void setQueueLimits(size_t maxBytes, size_t maxVideoPackets);
    // Waits for room (finite media) or makes room by dropping everything queued
    // (live streams: old pictures are worth less than new ones). False when stopping.
    bool pushPacket(QueueItem item, bool live);
    void pushMarker(QueueItem item);
    // The pending seek target in seconds, if any, cleared.
    bool takeSeek(int64_t &seconds);
    bool hasPendingSeek();
    // Waits out a reconnect delay; false when stopping.
    bool waitBeforeRetry(std::chrono::milliseconds delay);
    // Waits out a pause in reading a stream nobody decodes, cut short when decoding
    // is switched on; false when stopping.
    bool pauseUnseenReading(std::chrono::milliseconds pause);
    // At the end of finite media: waits for a seek or the stop; true on a seek.
    bool waitForSeek();
    void markReaderFinished();
    // Waits up to timeout for the reader to finish; false when it is still stuck.
    bool waitForReaderFinished(std::chrono::milliseconds timeout);

    // Decoding side.
    // Waits for the next item while playing; false when stopping. seekGeneration
    // tells which seek requests the item already reflects.
    bool nextItem(QueueItem &item, uint64_t &seekGeneration);
    // Waits until due or until the control changes; false when the control
    // changed in a way that voids the pending picture (stop, pause, seek).
    enum class WaitResult { Due, SpeedChanged, Voided };
    WaitResult waitUntilDue(Clock::time_point due, int speedCodeInUse, uint64_t seekGeneration);
    int speedCode();
    int queuedVideoPackets();

    bool stopping() const { return m_stopFlag.load(std::memory_order_acquire); }
    bool mayDeliver() const { return !stopping() && m_playingFlag.load(std::memory_order_acquire); }

    static int interruptCallback(void *state);

    // Switches read per packet (decodeEnabled is set through setDecodeEnabled).
    std::atomic<bool> decodeEnabled{true};
    std::atomic<bool> keyFramesOnly{false};
    std::atomic<uint64_t> bytesReceived{0};

private:
    bool voidsPicture(uint64_t seekGeneration) const;
    // Waits out delay unless stopping (or, if asked, decoding is switched on); false
    // when stopping.
    bool waitOut(std::chrono::milliseconds delay, bool endOnDecodeEnabled);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    PacketQueue m_queue;
    bool m_stopping = false;
    bool m_playing = false;
    int m_speedCode = 0;
    bool m_seekPending = false;
    bool m_readerFinished = false;
    uint64_t m_seekGeneration = 0;
    int64_t m_seekSeconds = 0;
    std::atomic<bool> m_stopFlag{false};
    std::atomic<bool> m_playingFlag{false};
};

} // namespace zelkaplayer
