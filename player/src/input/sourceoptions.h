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
    // How RTSP carries the RTP packets: interleaved on the RTSP connection, or on UDP ports.
    enum class RtspTransport { Tcp, Udp };

    SourceOptions(int protocol, const std::string &url, int connectType, int mediaMask, const std::string &userName,
                  const std::string &password);

    Kind kind() const { return m_kind; }
    bool isNetwork() const { return m_kind != Kind::File; }
    const std::string &url() const { return m_url; }
    // The URL without credentials and query (a token may travel there), for log lines.
    std::string printableUrl() const;
    // The RTSP transport the caller asked for.
    RtspTransport rtspTransport() const { return m_transport; }
    // A fresh dictionary for avformat_open_input (the call consumes it); an RTSP input
    // asks for the given transport only.
    AVDictionary *inputOptions(RtspTransport transport) const;
    const char *allowedProtocols() const;

    static Kind kindOf(int protocol, const std::string &url);
    static std::string withCredentials(const std::string &url, const std::string &userName,
                                       const std::string &password);
    static std::string localPath(const std::string &fileUrl);
    static RtspTransport otherTransport(RtspTransport transport);
    static const char *nameOf(RtspTransport transport);

private:
    Kind m_kind;
    std::string m_url;
    RtspTransport m_transport;
    int m_mediaMask;
};

} // namespace zelkaplayer
