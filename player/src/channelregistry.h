#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "channel.h"

namespace zelkaplayer {

// The process's open channels by id. Ids start at 1 and are not reused.
class ChannelRegistry
{
public:
    static ChannelRegistry &instance();

    int add(const OpenParameters &parameters);
    std::shared_ptr<Channel> find(int id);
    std::shared_ptr<Channel> take(int id);
    std::vector<std::shared_ptr<Channel>> takeAll();

private:
    std::mutex m_mutex;
    std::map<int, std::shared_ptr<Channel>> m_channels;
    int m_lastId = 0;
};

} // namespace zelkaplayer
