#pragma once

#include "libZelkaExPlayer.h"

#include <QString>

// The player library's channel of one playback item (GUI thread): opens and starts a
// URL, passes the item's switches, speed, seeks and recordings on, and closes it.
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
    // The library's speed code for a playback speed (normal for any speed it lacks).
    static int speedCode(double speed);

    // Opens and starts url; returns the library's answer, the channel id (above 0) or
    // 0 and below when it refused the URL, which leaves no channel open.
    int open(const QString &url, const StartOptions &options, ZELKA_PLAYER_CALLBACK callback, void *user);
    // Stops and closes the channel; no callback of it runs after this returns.
    void close();
    bool isOpen() const { return m_id > 0; }
    int id() const { return m_id; }

    void setDecodeEnabled(bool on);
    void setKeyFramesOnly(bool on);
    void setSpeed(double speed);
    void seek(int64_t seconds);
    void startRecording(const QString &folder, const QString &fileName);
    void stopRecording();

private:
    int m_id = -1;
};
