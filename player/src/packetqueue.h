#pragma once

#include <cstddef>
#include <deque>

#include "queueitem.h"

namespace zelkaplayer {

// Bounded FIFO between a channel's reader and its decoding thread. Not locked
// itself: the channel's one mutex guards it.
class PacketQueue
{
public:
    void setLimits(size_t maxBytes, size_t maxVideoPackets);
    bool hasRoom() const;
    bool empty() const { return m_items.empty(); }
    int videoPackets() const { return static_cast<int>(m_videoPackets); }

    void push(QueueItem item);
    QueueItem pop();
    // Drops the packets and stale markers; the latest stream set-up stays.
    void dropPackets();

private:
    static size_t packetBytes(const QueueItem &item);

    std::deque<QueueItem> m_items;
    size_t m_bytes = 0;
    size_t m_videoPackets = 0;
    size_t m_maxBytes = 8 * 1024 * 1024;
    size_t m_maxVideoPackets = 64;
};

} // namespace zelkaplayer
