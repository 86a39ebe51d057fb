#include "channelregistry.h"

#include <climits>

namespace zelkaplayer {

ChannelRegistry &ChannelRegistry::instance()
{
    static ChannelRegistry registry;
    return registry;
}

int ChannelRegistry::add(const OpenParameters &parameters)
{
    // Started under the lock: a close of this id cannot overtake the start.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lastId = m_lastId == INT_MAX ? 1 : m_lastId + 1;
    const int id = m_lastId;
    auto channel = std::make_shared<Channel>(id, parameters);
    channel->start();
    m_channels[id] = std::move(channel);
    return id;
}

std::shared_ptr<Channel> ChannelRegistry::find(int id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_channels.find(id);
    return it == m_channels.end() ? nullptr : it->second;
}

std::shared_ptr<Channel> ChannelRegistry::take(int id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_channels.find(id);
    if (it == m_channels.end())
        return nullptr;
    std::shared_ptr<Channel> channel = std::move(it->second);
    m_channels.erase(it);
    return channel;
}

std::vector<std::shared_ptr<Channel>> ChannelRegistry::takeAll()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::shared_ptr<Channel>> channels;
    for (auto &entry : m_channels)
        channels.push_back(std::move(entry.second));
    m_channels.clear();
    return channels;
}

} // namespace zelkaplayer
