#include <QSignalSpy>
#include <QTest>

#include "codecnames.h"
#include "videoinfo.h"

class TestCodecNames : public QObject
{
    Q_OBJECT

private slots:
    void names_data()
    {
        QTest::addColumn<bool>("video");
        QTest::addColumn<int>("codecId");
        QTest::addColumn<QString>("name");
        QTest::newRow("mjpeg") << true << 7 << "mjpeg";
        QTest::newRow("mpeg4") << true << 12 << "mpeg4";
        QTest::newRow("h264") << true << 27 << "h264";
        QTest::newRow("h265") << true << 173 << "h265";
        QTest::newRow("video 28") << true << 28 << QStringLiteral("未知编码");
        QTest::newRow("pcmu") << false << 0x10006 << "pcmu";
        QTest::newRow("pcma") << false << 0x10007 << "pcma";
        QTest::newRow("g726") << false << 0x1100B << "g726";
        QTest::newRow("mp3") << false << 0x15001 << "mp3";
        QTest::newRow("aac") << false << 0x15002 << "mp4a";
        QTest::newRow("audio h264 id") << false << 27 << QStringLiteral("未知编码");
    }

    void names()
    {
        QFETCH(bool, video);
        QFETCH(int, codecId);
        QFETCH(QString, name);
        QCOMPARE(video ? CodecNames::video(codecId) : CodecNames::audio(codecId), name);
    }

    void statisticsNotifyOnlyOnChange()
    {
        VideoInfo info;
        QSignalSpy codec(&info, &VideoInfo::videoCodecChanged);
        info.setVideoCodec(CodecNames::video(27));
        info.setVideoCodec(CodecNames::video(27));
        QCOMPARE(codec.count(), 1);
        QSignalSpy rate(&info, &VideoInfo::codeRateChanged);
        info.setCodeRate(qulonglong(511.9f)); // the library's kbit/s, truncated
        QCOMPARE(info.codeRate(), 511ull);
        info.setCodeRate(511);
        QCOMPARE(rate.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCodecNames)
#include "tst_codecnames.moc"
