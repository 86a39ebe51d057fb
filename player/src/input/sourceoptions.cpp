#include "sourceoptions.h"

#include <cctype>

#include "libZelkaExPlayer.h"

namespace zelkaplayer {

namespace {
// Socket timeout: a silent server is given up after this and reconnected.
constexpr const char *kSocketTimeoutUs = "5000000";
// Live probing: a few packets are enough to know the codec and size.
constexpr const char *kLiveProbeBytes = "32768";
constexpr const char *kLiveAnalyzeUs = "1";

bool startsWithNoCase(const std::string &text, const char *prefix)
{
    for (size_t i = 0; prefix[i]; ++i) {
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    }
    return true;
}

std::string percentEncoded(const std::string &text)
{
    static const char *hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// FFmpeg finds its protocols and the RTSP demuxer by a lower-case scheme only.
std::string withLowerCaseScheme(const std::string &url)
{
    const size_t schemeEnd = url.find("://");
    if (schemeEnd == std::string::npos)
        return url;
    std::string result = url;
    for (size_t i = 0; i < schemeEnd; ++i) {
        const unsigned char c = static_cast<unsigned char>(url[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return url; // not a scheme
        result[i] = static_cast<char>(std::tolower(c));
    }
    return result;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}
} // namespace

SourceOptions::SourceOptions(int protocol, const std::string &url, int connectType, int mediaMask,
                             const std::string &userName, const std::string &password)
    : m_kind(kindOf(protocol, url))
    , m_transport(connectType == ZELKA_CONNECT_UDP ? RtspTransport::Udp : RtspTransport::Tcp)
    , m_mediaMask(mediaMask)
{
    m_url = m_kind == Kind::File ? localPath(url) : withCredentials(withLowerCaseScheme(url), userName, password);
}

SourceOptions::Kind SourceOptions::kindOf(int protocol, const std::string &url)
{
    if (startsWithNoCase(url, "rtsp:"))
        return Kind::Rtsp;
    if (startsWithNoCase(url, "rtmp"))
        return Kind::Rtmp;
    if (startsWithNoCase(url, "http:") || startsWithNoCase(url, "https:"))
        return Kind::Http;
    if (startsWithNoCase(url, "file:") || url.find("://") == std::string::npos)
        return Kind::File;
    switch (protocol) {
    case 1: return Kind::Rtmp;
    case 2: return Kind::Http;
    case 3: return Kind::File;
    default: return Kind::Rtsp;
    }
}

std::string SourceOptions::withCredentials(const std::string &url, const std::string &userName,
                                           const std::string &password)
{
    const size_t schemeEnd = url.find("://");
    if (userName.empty() || schemeEnd == std::string::npos)
        return url;
    const size_t hostStart = schemeEnd + 3;
    const size_t authorityEnd = url.find('/', hostStart);
    const size_t at = url.find('@', hostStart);
    if (at != std::string::npos && (authorityEnd == std::string::npos || at < authorityEnd))
        return url; // the URL carries its own credentials
    std::string credentials = percentEncoded(userName);
    if (!password.empty())
        credentials += ":" + percentEncoded(password);
    return url.substr(0, hostStart) + credentials + "@" + url.substr(hostStart);
}

std::string SourceOptions::printableUrl() const
{
    if (m_kind == Kind::File)
        return m_url;
    std::string url = m_url.substr(0, m_url.find_first_of("?#"));
    const size_t schemeEnd = url.find("://");
    if (schemeEnd == std::string::npos)
        return url;
    const size_t hostStart = schemeEnd + 3;
    const size_t at = url.find('@', hostStart);
    if (at != std::string::npos && at < url.find('/', hostStart))
        url.erase(hostStart, at + 1 - hostStart);
    return url;
}

SourceOptions::RtspTransport SourceOptions::otherTransport(RtspTransport transport)
{
    return transport == RtspTransport::Tcp ? RtspTransport::Udp : RtspTransport::Tcp;
}

const char *SourceOptions::nameOf(RtspTransport transport)
{
    return transport == RtspTransport::Udp ? "udp" : "tcp";
}

std::string SourceOptions::localPath(const std::string &fileUrl)
{
    if (!startsWithNoCase(fileUrl, "file:"))
        return fileUrl;
    std::string path = fileUrl.substr(5);
    if (path.rfind("//", 0) == 0) {
        const size_t slash = path.find('/', 2);
        path = slash == std::string::npos ? std::string() : path.substr(slash); // drop "//host"
    }
    std::string decoded;
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '%' && i + 2 < path.size() && hexValue(path[i + 1]) >= 0 && hexValue(path[i + 2]) >= 0) {
            decoded += static_cast<char>(hexValue(path[i + 1]) * 16 + hexValue(path[i + 2]));
            i += 2;
        } else {
            decoded += path[i];
        }
    }
    return decoded;
}

// URLs come from the server: a stream may only reach the protocols of its kind
// (an HLS playlist cannot pull in local files, an RTSP URL cannot become a pipe).
const char *SourceOptions::allowedProtocols() const
{
    switch (m_kind) {
    case Kind::Rtsp: return "rtsp,rtsps,rtp,srtp,udp,tcp,tls";
    case Kind::Rtmp: return "rtmp,rtmps,rtmpt,rtmpts,tcp,tls,http,https";
    case Kind::Http: return "http,https,tcp,tls,crypto,httpproxy";
    case Kind::File: return "file";
    }
    return "file";
}

AVDictionary *SourceOptions::inputOptions(RtspTransport transport) const
{
    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", allowedProtocols(), 0);
    if (m_kind == Kind::File)
        return options;
    av_dict_set(&options, "probesize", kLiveProbeBytes, 0);
    av_dict_set(&options, "analyzeduration", kLiveAnalyzeUs, 0);
    av_dict_set(&options, "fpsprobesize", "0", 0);
    // The session set-up is a chain of small messages: do not let Nagle's algorithm
    // meet delayed acknowledgements on each of them (40 ms a step).
    av_dict_set(&options, "tcp_nodelay", "1", 0);
    if (m_kind == Kind::Rtsp) {
        // "timeout" is the socket timeout for RTSP only (for RTMP it means listen mode).
        av_dict_set(&options, "timeout", kSocketTimeoutUs, 0);
        av_dict_set(&options, "rtsp_transport", nameOf(transport), 0);
        if (!(m_mediaMask & 2))
            av_dict_set(&options, "allowed_media_types", "video", 0);
    } else {
        av_dict_set(&options, "rw_timeout", kSocketTimeoutUs, 0);
    }
    return options;
}

} // namespace zelkaplayer
