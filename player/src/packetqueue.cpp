#include "packetqueue.h"

namespace zelkaplayer {

namespace {
// Audio-only inputs and markers are bounded by count as well.
constexpr size_t kMaxItems = 4096;
}

void PacketQueue::setLimits(size_t maxBytes, size_t maxVideoPackets)
{
    m_maxBytes = maxBytes;
    m_maxVideoPackets = maxVideoPackets;
}

bool PacketQueue::hasRoom() const
{
    return m_bytes < m_maxBytes && m_videoPackets < m_maxVideoPackets && m_items.size() < kMaxItems;
}

size_t PacketQueue::packetBytes(const QueueItem &item)
{
    return item.packet ? static_cast<size_t>(item.packet->size) : 0;
}

void PacketQueue::push(QueueItem item)
{
    m_bytes += packetBytes(item);
    if (item.kind == QueueItem::Kind::Packet && item.video)
        ++m_videoPackets;
    m_items.push_back(std::move(item));
}

QueueItem PacketQueue::pop()
{
    QueueItem item = std::move(m_items.front());
    m_items.pop_front();
    m_bytes -= packetBytes(item);
    if (item.kind == QueueItem::Kind::Packet && item.video)
        --m_videoPackets;
    return item;
}

void PacketQueue::dropPackets()
{
    std::deque<QueueItem> kept;
    for (QueueItem &item : m_items) {
        if (item.kind == QueueItem::Kind::Opened)
            kept.push_back(std::move(item));
    }
    m_items.swap(kept);
    m_bytes = 0;
    m_videoPackets = 0;
}

} // namespace zelkaplayer
