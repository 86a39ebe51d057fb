// The still-picture decoder: one H.264/H.265 picture into BGRA at the caller's size.
#include <QFile>
#include <QTest>

#include <cstdlib>

#include "libZelkaExPlayer.h"
#include "testmedia.h"

namespace {

constexpr int kH264 = 27;
constexpr int kH265 = 173;
constexpr int kBgra = 28;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Decodes body the way the snapshot item does; the result code goes to *result.
QByteArray decodeStill(const QByteArray &body, int codecId, int width, int height, int *result)
{
    void *handle = nullptr;
    QByteArray picture(width * height * 4, char(0x5a));
    if (ZELKADecoder_Init(&handle) != 0 || !handle) {
        *result = -100;
        return {};
    }
    const int setup = ZELKADecoder_SetVideoDecoderParam(handle, width, height, codecId, kBgra, 1, 0, 0);
    *result = setup != 0 ? setup
                         : ZELKADecoder_DecodeVideo3(handle, reinterpret_cast<const unsigned char *>(body.constData()),
                                                     int(body.size()), reinterpret_cast<unsigned char *>(picture.data()),
                                                     width, height);
    ZELKADecoder_Deinit(&handle);
    return handle ? QByteArray() : picture;
}

struct Difference
{
    double mean = -1;
    int max = -1;
};

Difference compare(const QByteArray &a, const QByteArray &b)
{
    Difference d;
    if (a.size() != b.size() || a.isEmpty())
        return d;
    double sum = 0;
    d.max = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const int diff = std::abs(int(uchar(a[i])) - int(uchar(b[i])));
        sum += diff;
        d.max = std::max(d.max, diff);
    }
    d.mean = sum / double(a.size());
    return d;
}

} // namespace

class TestStillDecoder : public QObject
{
    Q_OBJECT

private slots:
    void matchesFfmpegBgra_data()
    {
        QTest::addColumn<QString>("codec");
        QTest::addColumn<int>("codecId");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("h264 352x288") << "h264" << kH264 << 352 << 288;
        QTest::newRow("h265 352x288") << "hevc" << kH265 << 352 << 288;
        QTest::newRow("h264 cropped 198x102") << "h264" << kH264 << 198 << 102;
    }

    void matchesFfmpegBgra()
    {
        QFETCH(QString, codec);
        QFETCH(int, codecId);
        QFETCH(int, width);
        QFETCH(int, height);
        const QString bodyFile = TestMedia::stillBody(codec, width, height);
        QVERIFY(!bodyFile.isEmpty());
        const QByteArray expected = TestMedia::firstPicture(bodyFile, "bgra");
        QCOMPARE(expected.size(), qsizetype(width * height * 4));

        int result = 0;
        const QByteArray picture = decodeStill(readAll(bodyFile), codecId, width, height, &result);
        QCOMPARE(result, 0);
        const Difference d = compare(picture, expected);
        QVERIFY2(d.mean >= 0 && d.mean < 1.0 && d.max <= 8,
                 qPrintable(QStringLiteral("mean %1 max %2").arg(d.mean).arg(d.max)));
        for (qsizetype i = 3; i < picture.size(); i += 4)
            QCOMPARE(uchar(picture[i]), uchar(255));
    }

    void scalesToTheCallersSize()
    {
        const QString bodyFile = TestMedia::stillBody("h264", 352, 288);
        const QByteArray expected = TestMedia::firstPicture(bodyFile, "bgra", "scale=176:144");
        int result = 0;
        const QByteArray picture = decodeStill(readAll(bodyFile), kH264, 176, 144, &result);
        QCOMPARE(result, 0);
        QCOMPARE(picture.size(), qsizetype(176 * 144 * 4));
        const Difference d = compare(picture, expected);
        QVERIFY2(d.mean >= 0 && d.mean < 3.0, qPrintable(QString::number(d.mean)));
    }

    void failsOnDamagedOrForeignBodies_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("codecId");
        const QByteArray h264 = readAll(TestMedia::stillBody("h264", 352, 288));
        const QByteArray h265 = readAll(TestMedia::stillBody("hevc", 352, 288));
        QTest::newRow("h264 cut in half") << h264.left(h264.size() / 2) << kH264;
        QTest::newRow("h264 cut short by 100 bytes") << h264.left(h264.size() - 100) << kH264;
        QTest::newRow("h265 cut in half") << h265.left(h265.size() / 2) << kH265;
        QTest::newRow("parameter sets only") << h264.left(40) << kH264;
        QTest::newRow("jpeg-like bytes") << QByteArray("\xff\xd8\xff\xe0 not a video at all", 24) << kH264;
        QTest::newRow("h265 body told to be h264") << h265 << kH264;
    }

    void failsOnDamagedOrForeignBodies()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, codecId);
        QVERIFY(!body.isEmpty());
        int result = 0;
        const QByteArray picture = decodeStill(body, codecId, 352, 288, &result);
        QVERIFY2(result < 0, qPrintable(QString::number(result)));
        // The caller's buffer is left as it was: no half picture.
        QCOMPARE(picture, QByteArray(352 * 288 * 4, char(0x5a)));
    }

    void decodesAgainWithTheSameHandle()
    {
        const QByteArray body = readAll(TestMedia::stillBody("h264", 352, 288));
        void *handle = nullptr;
        QCOMPARE(ZELKADecoder_Init(&handle), 0);
        QCOMPARE(ZELKADecoder_SetVideoDecoderParam(handle, 352, 288, kH264, kBgra, 1, 0, 0), 0);
        QByteArray first(352 * 288 * 4, 0), second(352 * 288 * 4, 0);
        QCOMPARE(ZELKADecoder_DecodeVideo3(handle, reinterpret_cast<const uchar *>(body.constData()), int(body.size()),
                                           reinterpret_cast<uchar *>(first.data()), 352, 288),
                 0);
        QVERIFY(ZELKADecoder_DecodeVideo3(handle, reinterpret_cast<const uchar *>(body.constData()), 10,
                                          reinterpret_cast<uchar *>(second.data()), 352, 288)
                < 0);
        QCOMPARE(ZELKADecoder_DecodeVideo3(handle, reinterpret_cast<const uchar *>(body.constData()), int(body.size()),
                                           reinterpret_cast<uchar *>(second.data()), 352, 288),
                 0);
        QCOMPARE(first, second);
        QCOMPARE(ZELKADecoder_Deinit(&handle), 0);
        QVERIFY(!handle);
    }

    void refusesBadArguments()
    {
        unsigned char pixel[4] = {};
        const unsigned char data[4] = {0, 0, 0, 1};
        QVERIFY(ZELKADecoder_Init(nullptr) < 0);
        QVERIFY(ZELKADecoder_Deinit(nullptr) < 0);
        void *handle = nullptr;
        QCOMPARE(ZELKADecoder_Deinit(&handle), 0); // a null handle is released quietly
        QCOMPARE(ZELKADecoder_Init(&handle), 0);
        QVERIFY(ZELKADecoder_DecodeVideo3(handle, data, 4, pixel, 1, 1) < 0); // not set up
        QVERIFY(ZELKADecoder_SetVideoDecoderParam(handle, 1, 1, 12345, kBgra, 1, 0, 0) < 0);
        QVERIFY(ZELKADecoder_SetVideoDecoderParam(handle, 1, 1, kH264, 0 /* yuv420p */, 1, 0, 0) < 0);
        QCOMPARE(ZELKADecoder_SetVideoDecoderParam(handle, 1, 1, kH264, kBgra, 1, 0, 0), 0);
        QVERIFY(ZELKADecoder_DecodeVideo3(handle, nullptr, 4, pixel, 1, 1) < 0);
        QVERIFY(ZELKADecoder_DecodeVideo3(handle, data, 0, pixel, 1, 1) < 0);
        QVERIFY(ZELKADecoder_DecodeVideo3(handle, data, 4, nullptr, 1, 1) < 0);
        QVERIFY(ZELKADecoder_DecodeVideo3(handle, data, 4, pixel, 0, 1) < 0);
        QVERIFY(ZELKADecoder_DecodeVideo3(handle, data, 4, pixel, 100000, 100000) < 0);
        QVERIFY(ZELKADecoder_DecodeVideo3(nullptr, data, 4, pixel, 1, 1) < 0);
        QCOMPARE(ZELKADecoder_Deinit(&handle), 0);
    }
};

QTEST_GUILESS_MAIN(TestStillDecoder)
#include "tst_stilldecoder.moc"
