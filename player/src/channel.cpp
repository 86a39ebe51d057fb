#include "channel.h"

#include <pthread.h>

namespace zelkaplayer {

namespace {
// FFmpeg notices the stop flag within 100 ms in every call it can interrupt.
constexpr auto kReaderGrace = std::chrono::milliseconds(300);
}

Channel::Channel(int id, const OpenParameters &parameters)
    : m_id(id)
    , m_reader(SourceOptions(parameters.protocol, parameters.url, parameters.connectType, parameters.mediaMask,
                             parameters.userName, parameters.password),
               parameters.reconnect, parameters.mediaMask, m_state, m_recorder)
    , m_player(id, parameters.callback, parameters.user, parameters.pace, m_state)
{
    m_state.setQueueLimits(parameters.queueBytes,
                           videoPacketBound(SourceOptions::kindOf(parameters.protocol, parameters.url)));
}

Channel::~Channel()
{
    close();
}

// Local files are read ahead about two seconds. Network streams get room for
// about six seconds of jitter; a live stream that falls further behind drops its
// backlog and goes on from the next key frame (old pictures are worth nothing).
size_t Channel::videoPacketBound(SourceOptions::Kind kind)
{
    return kind != SourceOptions::Kind::File ? 150 : 50;
}

void Channel::start()
{
    // Both threads keep the channel alive: a close from inside a callback cannot
    // join the decoding thread, and a reader stuck in a call that cannot be
    // interrupted (a host name lookup, opening a FIFO) is left to finish on its own.
    // Named so that profiles and the benchmarks tell a channel's threads apart.
    m_readerThread = std::thread([self = shared_from_this()] {
        pthread_setname_np(pthread_self(), "zelka-reader");
        self->m_reader.run();
        self->m_state.markReaderFinished();
    });
    m_playerThread = std::thread([self = shared_from_this()] {
        pthread_setname_np(pthread_self(), "zelka-decoder");
        self->m_player.run();
    });
}

void Channel::close()
{
    m_state.requestStop();
    m_recorder.stop();
    if (m_readerThread.joinable()) {
        // It calls nobody back, so it need not be waited for beyond this.
        if (m_state.waitForReaderFinished(kReaderGrace))
            m_readerThread.join();
        else
            m_readerThread.detach();
    }
    if (!m_playerThread.joinable())
        return;
    if (m_playerThread.get_id() == std::this_thread::get_id())
        m_playerThread.detach(); // closed from its own callback: it ends when that returns
    else
        m_playerThread.join();
}

bool Channel::startRecording(const std::string &path, int64_t maxBytes, int64_t maxSeconds)
{
    return m_recorder.start(path, maxBytes, maxSeconds);
}

} // namespace zelkaplayer
