#include "streamchannel.h"

#include "framereceiver.h"
#include "libZelkaExPlayer.h"
#include "streamcloser.h"

#include <QByteArray>
#include <QFile>
#include <QUrl>
#include <QtGlobal>

namespace {

constexpr int kMediaFlags = 7;
constexpr int kReconnect = 1;
constexpr int kPace = 1;
constexpr int kQueueBytes = 0x800000;
constexpr int kRenderFormatYv12 = ZELKA_RENDER_YV12;
constexpr int kRenderFormatOther = 22;
constexpr int kRecordMegabytes = 1024;
constexpr int kRecordSeconds = 3600;

struct SpeedEntry
{
    double speed;
    int code;
};
constexpr SpeedEntry kSpeedCodes[] = {{1.0 / 16, ZELKA_SPEED_1_16}, {1.0 / 8, ZELKA_SPEED_1_8},
                                      {1.0 / 4, ZELKA_SPEED_1_4},   {1.0 / 2, ZELKA_SPEED_1_2},
                                      {2.0, ZELKA_SPEED_2},         {4.0, ZELKA_SPEED_4},
                                      {8.0, ZELKA_SPEED_8},         {16.0, ZELKA_SPEED_16}};

} // namespace

// Schemes are case-insensitive: "RTSP://" and "HTTP://" are what some cameras hand out.
int StreamChannel::protocolOf(const QString &url)
{
    if (url.startsWith(QLatin1String("http:"), Qt::CaseInsensitive))
        return ZELKA_PROTOCOL_HTTP;
    if (url.startsWith(QLatin1String("rtmp:"), Qt::CaseInsensitive))
        return ZELKA_PROTOCOL_RTMP;
    if (url.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return ZELKA_PROTOCOL_FILE;
    return ZELKA_PROTOCOL_RTSP;
}

// ASCII addresses go out byte for byte. Local files reach the library as UTF-8 (it
// decodes the percent escapes of a file: URL itself, and a plain path is taken as it
// stands); network addresses with other characters are percent-encoded as UTF-8.
QByteArray StreamChannel::playerAddress(const QString &url)
{
    bool ascii = true;
    for (const QChar c : url)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii)
        return url.toLatin1();
    if (url.startsWith(QLatin1String("file:"), Qt::CaseInsensitive) || !url.contains(QLatin1String("://")))
        return QFile::encodeName(url);
    return QUrl(url, QUrl::TolerantMode).toEncoded();
}

int StreamChannel::speedCode(double speed)
{
    for (const SpeedEntry &entry : kSpeedCodes) {
        if (qFuzzyCompare(speed, entry.speed))
            return entry.code;
    }
    return ZELKA_SPEED_NORMAL;
}

int StreamChannel::open(const QString &url, const StartOptions &options, std::shared_ptr<FrameReceiver> receiver)
{
    const QByteArray address = playerAddress(url);
    const int id = libZelkaExPlayer_OpenStream(0, protocolOf(url), address.constData(), options.connectType,
                                               kMediaFlags, &FrameReceiver::playCallback, receiver.get(), kReconnect,
                                               kPace, kQueueBytes, "", "", 0, 0);
    if (id <= 0)
        return id;
    m_id = id;
    m_receiver = std::move(receiver);
    const int decodeType = options.decodeType;
    const int renderFormat = (decodeType == 0 || decodeType == 2) ? kRenderFormatYv12 : kRenderFormatOther;
    libZelkaExPlayer_SetEnableDecode(0, id, options.decodeEnabled ? 1 : 0);
    libZelkaExPlayer_StartPlayStream(0, id, 0, renderFormat, decodeType % 256);
    libZelkaExPlayer_SetPlayFrameCache(0, id, options.frameCache);
    libZelkaExPlayer_SetDecodeType(0, id, options.keyFramesOnly ? 1 : 0);
    return id;
}

void StreamChannel::close()
{
    if (!isOpen())
        return;
    m_receiver->detach();
    FrameReceiver *receiver = m_receiver.get();
    StreamCloser::instance().close(m_id, std::move(m_receiver), [receiver] { receiver->wakeWriter(); });
    m_id = -1;
}

void StreamChannel::setDecodeEnabled(bool on)
{
    if (isOpen())
        libZelkaExPlayer_SetEnableDecode(0, m_id, on ? 1 : 0);
}

void StreamChannel::setKeyFramesOnly(bool on)
{
    if (isOpen())
        libZelkaExPlayer_SetDecodeType(0, m_id, on ? 1 : 0);
}

void StreamChannel::setSpeed(double speed)
{
    if (isOpen())
        libZelkaExPlayer_SetPlaySpeed(0, m_id, speedCode(speed));
}

void StreamChannel::seek(int64_t seconds)
{
    if (isOpen())
        libZelkaExPlayer_SeekFile(0, m_id, seconds);
}

void StreamChannel::startRecording(const QString &folder, const QString &fileName)
{
    if (!isOpen())
        return;
    const QByteArray folderBytes = folder.toLocal8Bit();
    const QByteArray fileBytes = fileName.toLocal8Bit();
    libZelkaExPlayer_StartRecording(0, m_id, folderBytes.constData(), fileBytes.constData(), kRecordMegabytes,
                                    kRecordSeconds, 0, 1);
}

bool StreamChannel::stopRecording()
{
    return isOpen() && libZelkaExPlayer_StopRecording(0, m_id) == 0;
}
