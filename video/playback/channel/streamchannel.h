#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

class FrameReceiver;

// The player library's channel of one playback item (GUI thread): opens and starts a
// URL, passes the item's switches, speed, seeks and recordings on, and lets it go.
class StreamChannel
{
public:
    struct StartOptions
    {
        int connectType = 0;
        int decodeType = 0;
        int frameCache = 0;
        bool decodeEnabled = true;
        bool keyFramesOnly = false;
    };

    // The library's protocol argument for a URL's scheme.
    static int protocolOf(const QString &url);
    // The bytes the library is given for url (UTF-8 paths, percent-encoded addresses).
    static QByteArray playerAddress(const QString &url);
    // The library's speed code for a playback speed (normal for any speed it lacks).
    static int speedCode(double speed);

    // Opens and starts url with receiver taking the callbacks; returns the library's
    // answer, the channel id (above 0) or 0 and below when it refused the URL, which
    // leaves no channel open.
    int open(const QString &url, const StartOptions &options, std::shared_ptr<FrameReceiver> receiver);
    // Lets the channel go without waiting: no callback reaches the receiver after this
    // returns; the library stops and closes the channel on a worker (StreamCloser).
    void close();
    bool isOpen() const { return m_id > 0; }
    int id() const { return m_id; }

    void setDecodeEnabled(bool on);
    void setKeyFramesOnly(bool on);
    void setSpeed(double speed);
    void seek(int64_t seconds);
    void startRecording(const QString &folder, const QString &fileName);
    // False when nothing was recording, no picture came (no file is left) or a write failed.
    bool stopRecording();

private:
    int m_id = -1;
    std::shared_ptr<FrameReceiver> m_receiver;
};
