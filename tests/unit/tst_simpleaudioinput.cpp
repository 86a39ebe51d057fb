#include <QAudioDevice>
#include <QAudioSource>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QTest>

#include <cstring>

#include "eventwait.h"
#include "simpleaudioinput.h"

namespace {

QAudioFormat formatOf(QAudioFormat::SampleFormat sampleFormat, int channels)
{
    QAudioFormat format;
    format.setSampleFormat(sampleFormat);
    format.setChannelCount(channels);
    format.setSampleRate(8000);
    return format;
}

QByteArray int16Samples(std::initializer_list<qint16> values)
{
    QByteArray bytes;
    for (qint16 v : values)
        bytes.append(reinterpret_cast<const char *>(&v), sizeof v);
    return bytes;
}

} // namespace

class TestSimpleAudioInput : public QObject
{
    Q_OBJECT

private slots:
    void peakLevelEdges()
    {
        const QAudioFormat stereo16 = formatOf(QAudioFormat::Int16, 2);
        QCOMPARE(SimpleAudioInput::peakLevel(nullptr, 0, stereo16), 0.0);
        const QByteArray silence(64, '\0');
        QCOMPARE(SimpleAudioInput::peakLevel(silence.constData(), silence.size(), stereo16), 0.0);
        const QByteArray negative = int16Samples({-1000, -32768, -5, -7});
        QCOMPARE(SimpleAudioInput::peakLevel(negative.constData(), negative.size(), stereo16), 0.0);

        // 10 bytes of 16-bit stereo: two whole frames; the trailing half frame is not measured.
        QByteArray tenBytes = int16Samples({100, 200, 300, 16384});
        tenBytes += int16Samples({32767});
        const double level = SimpleAudioInput::peakLevel(tenBytes.constData(), tenBytes.size(), stereo16);
        QVERIFY(qAbs(level - 0.5) < 0.001);

        const float loud[] = {0.25f, -0.9f, 0.75f};
        QCOMPARE(SimpleAudioInput::peakLevel(reinterpret_cast<const char *>(loud), sizeof loud,
                                             formatOf(QAudioFormat::Float, 1)),
                 0.75);
    }

    void unmeasurableFormatsGiveZero()
    {
        const QByteArray bytes(32, '\x7f');
        QCOMPARE(SimpleAudioInput::peakLevel(bytes.constData(), bytes.size(), formatOf(QAudioFormat::Unknown, 2)), 0.0);
        QCOMPARE(SimpleAudioInput::peakLevel(bytes.constData(), bytes.size(), formatOf(QAudioFormat::Int16, 0)), 0.0);
    }

    // Every tile holds an input; none may open the audio system before talk-back starts.
    void noSourceUntilStarted()
    {
        SimpleAudioInput input;
        QVERIFY(input.findChildren<QAudioSource *>().isEmpty());
        input.stop(); // stopping an input never started is harmless
        QVERIFY(input.findChildren<QAudioSource *>().isEmpty());
        input.start();
        QCOMPARE(input.findChildren<QAudioSource *>().size(), 1);
        QCOMPARE(input.findChildren<QAudioSource *>().first()->objectName(), QStringLiteral("microphoneSource"));
        QVERIFY(input.format().isValid() || QMediaDevices::audioInputs().isEmpty());
        input.stop();
        input.start(); // the same source again
        QCOMPARE(input.findChildren<QAudioSource *>().size(), 1);
        input.stop();
    }

    void capturesChunksFromTheDefaultMicrophone()
    {
        // CTest runs this under tests/common/with-pulseaudio.sh, whose silent source must be
        // the default; run alone, the test needs a microphone of the machine's.
        const QByteArray nullSource = qgetenv("ZELKA_TEST_MICROPHONE");
        if (nullSource.isEmpty() && QMediaDevices::audioInputs().isEmpty())
            QSKIP("no audio input device; run under tests/common/with-pulseaudio.sh");
        if (!nullSource.isEmpty())
            QCOMPARE(QMediaDevices::defaultAudioInput().id(), nullSource);
        SimpleAudioInput input;
        QSignalSpy chunks(&input, &SimpleAudioInput::hasData);
        QSignalSpy levels(&input, &SimpleAudioInput::levelChanged);
        input.start();
        QTRY_VERIFY_WITH_TIMEOUT(chunks.count() >= 2, kEventWaitMs);
        input.stop();
        QVERIFY(levels.count() >= chunks.count());
        QVERIFY(!chunks.first().first().toByteArray().isEmpty());
        QCOMPARE(input.level(), 0.0); // a null source is silent

        // Stopped means no more chunks; a second start captures again.
        QTest::qWait(200);
        const int afterStop = chunks.count();
        QTest::qWait(300);
        QCOMPARE(chunks.count(), afterStop);
        input.start();
        QTRY_VERIFY_WITH_TIMEOUT(chunks.count() > afterStop, kEventWaitMs);
    }
};

QTEST_GUILESS_MAIN(TestSimpleAudioInput)
#include "tst_simpleaudioinput.moc"
