#pragma once

#include <string>

#include "ffmpegptr.h"

namespace zelkaplayer {

// How one URL is opened: its kind, the URL FFmpeg gets, and the input options
// (transport, socket timeouts, probing).
class SourceOptions
{
public:
    enum class Kind { Rtsp, Rtmp, Http, File };

    SourceOptions(int protocol, const std::string &url, int connectType, int mediaMask, const std::string &userName,
                  const std::string &password);

    Kind kind() const { return m_kind; }
    bool isNetwork() const { return m_kind != Kind::File; }
    const std::string &url() const { return m_url; }
    // A fresh dictionary for avformat_open_input (the call consumes it).
    AVDictionary *inputOptions() const;
    const char *allowedProtocols() const;

    static Kind kindOf(int protocol, const std::string &url);
    static std::string withCredentials(const std::string &url, const std::string &userName,
                                       const std::string &password);
    static std::string localPath(const std::string &fileUrl);

private:
    Kind m_kind;
    std::string m_url;
    int m_connectType;
    int m_mediaMask;
};

} // namespace zelkaplayer
