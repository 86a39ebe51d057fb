#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>
#include <QTest>

#include "bitreader.h"
#include "bitwriter.h"
#include "capturedstreams.h"
#include "h26xparser.h"
#include "snapbodies.h"
#include "syntheticunits.h"

using namespace SyntheticUnits;

Q_DECLARE_METATYPE(SyntheticUnits::H264Sps)
Q_DECLARE_METATYPE(SyntheticUnits::H265Sps)

namespace {

video_info_t parse(const QByteArray &body)
{
    return getVideoInfo(reinterpret_cast<const uint8_t *>(body.constData()), int(body.size()));
}

video_info_t parseQuietly(const QByteArray &body)
{
    CapturedStreams quiet;
    return parse(body);
}

int codecOf(const SnapBodies::Recipe &recipe)
{
    return recipe.codec == QLatin1String("h264") ? H264Codec : H265Codec;
}

// Start of each NAL unit (just past its start code) in an Annex B body.
QList<int> unitStarts(const QByteArray &body)
{
    QList<int> starts;
    for (int i = 0; i + 3 <= body.size(); ++i) {
        if (body[i] == 0 && body[i + 1] == 0 && body[i + 2] == 1)
            starts.append(i + 3);
    }
    return starts;
}

QByteArray unitOfType(const QByteArray &body, int h264Type, int h265Type)
{
    const QList<int> starts = unitStarts(body);
    for (int n = 0; n < starts.size(); ++n) {
        const auto header = uint8_t(body[starts[n]]);
        if ((h264Type >= 0 && (header & 0x1F) == h264Type) || (h265Type >= 0 && ((header >> 1) & 0x3F) == h265Type)) {
            int end = n + 1 < starts.size() ? starts[n + 1] - 3 : int(body.size());
            while (end > starts[n] && body[end - 1] == 0)
                --end;
            return body.mid(starts[n], end - starts[n]);
        }
    }
    return {};
}

} // namespace

class TestH26xParser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    // Bit reader and unescaping.
    void bitReaderFields();
    void bitReaderStaysAtTheEnd();
    void unescaping_data();
    void unescaping();

    // Encoder output of both codecs.
    void encodedBodies_data();
    void encodedBodies();
    void realSpsCarriesEmulationPrevention();

    // Exact field values and rare syntax.
    void h264Syntax_data();
    void h264Syntax();
    void h265Syntax_data();
    void h265Syntax();
    void sizesOutsideTheLimitAreRefused_data();
    void sizesOutsideTheLimitAreRefused();

    // The scan over the body.
    void scanRules();
    void shortInputsAndMessages();

    // Damaged input.
    void truncatedBodiesNeverGiveAWrongSize();
    void truncatedSpsBeforeAPpsFails();
    void garbageIsRefused();

private:
    QList<SnapBodies::Recipe> m_recipes;
};

void TestH26xParser::initTestCase()
{
    m_recipes = SnapBodies::parserRecipes();
    QString error;
    QVERIFY2(SnapBodies::ensure(m_recipes, &error), qPrintable(error));
}

void TestH26xParser::bitReaderFields()
{
    BitWriter w;
    w.u(3, 5);
    w.ue(0);
    w.ue(1);
    w.ue(254);
    w.se(-7);
    w.se(8);
    w.u(32, 0xDEADBEEF);
    w.u(1, 1); // te with range 1 reads one inverted bit
    w.ue(6);   // te with range 7 reads ue
    w.stop();
    const QByteArray bytes = w.bytes();
    bs_t b;
    bs_init(&b, reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    QCOMPARE(bs_read_u(&b, 3), 5u);
    QCOMPARE(bs_read_ue(&b), 0u);
    QCOMPARE(bs_read_ue(&b), 1u);
    QCOMPARE(bs_read_ue(&b), 254u);
    QCOMPARE(bs_read_se(&b), -7);
    QCOMPARE(bs_read_se(&b), 8);
    QCOMPARE(bs_get_bits_long(&b, 32), 0xDEADBEEFu);
    QCOMPARE(bs_read_te(&b, 1), 0u);
    QCOMPARE(bs_read_te(&b, 7), 6u);
    QCOMPARE(bs_read_te(&b, 0), 0u);
    QCOMPARE(bs_read_u1(&b), 1u); // the stop bit
    QVERIFY(!bs_byte_aligned(&b));
}

void TestH26xParser::bitReaderStaysAtTheEnd()
{
    const uint8_t data[] = {0x00, 0x00, 0x00, 0x00, 0x00};
    bs_t b;
    bs_init(&b, data, sizeof data);
    QCOMPARE(bs_read_ue(&b), UINT32_MAX); // 40 zero bits: longer than any valid code
    QVERIFY(bs_eof(&b));
    QCOMPARE(b.p, b.end);
    QCOMPARE(bs_read_u(&b, 32), 0u);
    QCOMPARE(bs_get_bits_long(&b, 32), 0u);
    QCOMPARE(bs_read_te(&b, 1), 1u); // 1 - (no bit)
    bs_skip(&b, 1000);
    QCOMPARE(b.p, b.end);

    const uint8_t partial[] = {0xFF};
    bs_init(&b, partial, sizeof partial);
    bs_skip(&b, 4);
    QCOMPARE(bs_get_bits_long(&b, 8), 0xF0u); // bits past the end count as zero
    QVERIFY(bs_eof(&b));
}

void TestH26xParser::unescaping_data()
{
    QTest::addColumn<QByteArray>("nal");
    QTest::addColumn<int>("headerSize");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("rbsp");

    QTest::newRow("emulation prevention removed") << QByteArray::fromHex("67000003010000030002") << 1 << 16 << 7
                                                  << QByteArray::fromHex("00000100000002");
    QTest::newRow("two zeros then a low byte") << QByteArray::fromHex("6700000201") << 1 << 16 << -1 << QByteArray();
    QTest::newRow("03 followed by a high byte") << QByteArray::fromHex("670000030401") << 1 << 16 << -1 << QByteArray();
    QTest::newRow("trailing 03 dropped") << QByteArray::fromHex("4201aa000003") << 2 << 16 << 3 << QByteArray::fromHex("aa0000");
    QTest::newRow("capacity exceeded") << QByteArray::fromHex("67aabbccdd") << 1 << 3 << -1 << QByteArray();
    QTest::newRow("header only") << QByteArray::fromHex("4201") << 2 << 16 << 0 << QByteArray();
}

void TestH26xParser::unescaping()
{
    QFETCH(QByteArray, nal);
    QFETCH(int, headerSize);
    QFETCH(int, capacity);
    QFETCH(int, result);
    QFETCH(QByteArray, rbsp);
    QByteArray out(capacity, '\xEE');
    int nalSize = int(nal.size());
    int rbspSize = capacity;
    QCOMPARE(nal_to_rbsp(headerSize, reinterpret_cast<const uint8_t *>(nal.constData()), &nalSize,
                         reinterpret_cast<uint8_t *>(out.data()), &rbspSize),
             result);
    if (result >= 0) {
        QCOMPARE(rbspSize, result);
        QCOMPARE(out.left(rbspSize), rbsp);
    }
}

void TestH26xParser::encodedBodies_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < m_recipes.size(); ++i)
        QTest::newRow(qPrintable(m_recipes[i].name)) << i;
}

void TestH26xParser::encodedBodies()
{
    QFETCH(int, index);
    const SnapBodies::Recipe &recipe = m_recipes[index];
    const QByteArray body = SnapBodies::contents(recipe);
    QVERIFY(!body.isEmpty());
    const video_info_t info = parseQuietly(body);
    QCOMPARE(info.codec, codecOf(recipe));
    QCOMPARE(info.width, recipe.width);
    QCOMPARE(info.height, recipe.height);
}

void TestH26xParser::realSpsCarriesEmulationPrevention()
{
    // The x264 SPS with timing information holds 00 00 03: read without unescaping it
    // gives a wrong size or none, so this is the case most camera bodies are.
    int escaped = 0;
    for (const SnapBodies::Recipe &recipe : std::as_const(m_recipes)) {
        if (recipe.codec != QLatin1String("h264"))
            continue;
        const QByteArray sps = unitOfType(SnapBodies::contents(recipe), 7, -1);
        QVERIFY(!sps.isEmpty());
        escaped += sps.contains(QByteArray::fromHex("000003")) ? 1 : 0;
    }
    QVERIFY2(escaped > 0, "no generated H.264 SPS needed emulation prevention");

    H264Sps sps; // timing fields 00000001 force escaping in a hand-made SPS as well
    sps.vui = true;
    sps.timing = true;
    sps.cropBottom = 4;
    QVERIFY(h264SpsUnit(sps).contains(QByteArray::fromHex("000003")));
    const video_info_t info = parse(h264Body(sps));
    QCOMPARE(info.codec, int(H264Codec));
    QCOMPARE(info.width, 1920);
    QCOMPARE(info.height, 1080);
}

void TestH26xParser::h264Syntax_data()
{
    QTest::addColumn<H264Sps>("sps");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    H264Sps base;
    base.cropBottom = 4;
    QTest::newRow("baseline 1080p crop") << base << 1920 << 1080;

    H264Sps high = base;
    high.profileIdc = 100;
    high.scalingMatrix = true;
    QTest::newRow("high with scaling matrices") << high << 1920 << 1080;

    H264Sps high444 = high;
    high444.profileIdc = 244;
    high444.chromaFormatIdc = 3;
    high444.cropBottom = 8; // crop unit 1 in 4:4:4
    high444.cropRight = 3;
    QTest::newRow("high 4:4:4, twelve lists") << high444 << 1917 << 1080;

    H264Sps cavlc444 = base;
    cavlc444.profileIdc = 44; // carries chroma information below profile 100
    cavlc444.chromaFormatIdc = 3;
    cavlc444.cropBottom = 8;
    QTest::newRow("cavlc 4:4:4 intra") << cavlc444 << 1920 << 1080;

    H264Sps interlaced = base;
    interlaced.frameMbsOnly = false;
    interlaced.heightInMapUnitsMinus1 = 33; // 34 field pairs of macroblock rows
    interlaced.cropBottom = 2;              // 4 lines per unit
    QTest::newRow("field coding") << interlaced << 1920 << 1080;

    H264Sps poc1 = base;
    poc1.pocType = 1;
    poc1.pocCycle = 5;
    QTest::newRow("picture order count type 1") << poc1 << 1920 << 1080;

    H264Sps vui = base;
    vui.vui = true;
    vui.aspectRatioIdc = 255;
    vui.timing = true;
    vui.nalHrd = true;
    vui.vclHrd = true;
    vui.bitstreamRestriction = true;
    QTest::newRow("vui with both hrd sets") << vui << 1920 << 1080;

    H264Sps reservedAspect = base;
    reservedAspect.vui = true;
    reservedAspect.aspectRatioIdc = 100; // reserved: the VUI reading stops there
    QTest::newRow("reserved aspect ratio") << reservedAspect << 1920 << 1080;

    H264Sps small = base;
    small.widthInMbsMinus1 = 10;
    small.heightInMapUnitsMinus1 = 8;
    small.cropLeft = 1;
    small.cropRight = 1;
    small.cropTop = 1;
    small.cropBottom = 0;
    QTest::newRow("176x144 cropped on three sides") << small << 172 << 142;
}

void TestH26xParser::h264Syntax()
{
    QFETCH(H264Sps, sps);
    QFETCH(int, width);
    QFETCH(int, height);
    const video_info_t info = parse(h264Body(sps));
    QCOMPARE(info.codec, int(H264Codec));
    QCOMPARE(info.width, width);
    QCOMPARE(info.height, height);
}

void TestH26xParser::h265Syntax_data()
{
    QTest::addColumn<H265Sps>("sps");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    H265Sps base;
    base.conformanceWindow = true;
    base.confBottom = 4;
    QTest::newRow("1920x1088 window 4") << base << 1920 << 1080;

    H265Sps layers = base;
    layers.maxSubLayersMinus1 = 3;
    layers.subLayerProfiles = true;
    layers.subLayerLevels = true;
    QTest::newRow("sub-layer profiles and levels") << layers << 1920 << 1080;

    H265Sps levelsOnly = base;
    levelsOnly.maxSubLayersMinus1 = 6;
    levelsOnly.subLayerLevels = true;
    QTest::newRow("sub-layer levels only") << levelsOnly << 1920 << 1080;

    H265Sps rext = base;
    rext.profileIdc = 4;
    rext.chromaFormatIdc = 3;
    rext.confBottom = 8;
    rext.confRight = 3;
    QTest::newRow("range extensions 4:4:4") << rext << 1917 << 1080;

    H265Sps chroma422 = base;
    chroma422.profileIdc = 4;
    chroma422.chromaFormatIdc = 2;
    chroma422.confRight = 1;
    chroma422.confBottom = 8; // vertical unit 1 in 4:2:2
    QTest::newRow("4:2:2") << chroma422 << 1918 << 1080;

    H265Sps plain;
    plain.width = 1280;
    plain.height = 720;
    QTest::newRow("no window") << plain << 1280 << 720;
}

void TestH26xParser::h265Syntax()
{
    QFETCH(H265Sps, sps);
    QFETCH(int, width);
    QFETCH(int, height);
    const video_info_t info = parseQuietly(h265Body(sps));
    QCOMPARE(info.codec, int(H265Codec));
    QCOMPARE(info.width, width);
    QCOMPARE(info.height, height);
}

void TestH26xParser::sizesOutsideTheLimitAreRefused_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("codec");

    H264Sps wide;
    wide.widthInMbsMinus1 = 512; // 8208 pixels
    QTest::newRow("h264 wider than 8192") << h264Body(wide) << int(H264Codec);
    H264Sps huge;
    huge.widthInMbsMinus1 = 0xFFFFFFFEull; // (2^32 - 1) * 16 overflows 32 bits
    huge.heightInMapUnitsMinus1 = 0xFFFFFFFEull;
    QTest::newRow("h264 32-bit overflow") << h264Body(huge) << int(H264Codec);
    H264Sps overCropped;
    overCropped.cropLeft = 500;
    overCropped.cropRight = 500;
    QTest::newRow("h264 crop wider than the picture") << h264Body(overCropped) << int(H264Codec);
    H264Sps wrapping;
    wrapping.cropTop = 0x80000000ull; // wraps to a small positive height in 32 bits
    QTest::newRow("h264 crop wrapping in 32 bits") << h264Body(wrapping) << int(H264Codec);

    H265Sps tall;
    tall.height = 8200;
    QTest::newRow("h265 taller than 8192") << h265Body(tall) << int(H265Codec);
    H265Sps zero;
    zero.width = 0;
    QTest::newRow("h265 zero width") << h265Body(zero) << int(H265Codec);
    H265Sps negative;
    negative.conformanceWindow = true;
    negative.confLeft = 0xFFFFFFF0ull;
    QTest::newRow("h265 window beyond the picture") << h265Body(negative) << int(H265Codec);
    H265Sps wrap265;
    wrap265.conformanceWindow = true;
    wrap265.confTop = 0x80000000ull + 100;
    QTest::newRow("h265 window wrapping in 32 bits") << h265Body(wrap265) << int(H265Codec);
}

void TestH26xParser::sizesOutsideTheLimitAreRefused()
{
    QFETCH(QByteArray, body);
    QFETCH(int, codec);
    const video_info_t info = parseQuietly(body);
    QCOMPARE(info.codec, codec);
    QCOMPARE(info.width, 0);
    QCOMPARE(info.height, 0);
}

void TestH26xParser::scanRules()
{
    H264Sps sps;
    sps.cropBottom = 4;
    const QByteArray spsUnit = h264SpsUnit(sps);

    // A three-byte start code is found as well as a four-byte one.
    const QByteArray threeByte = QByteArray::fromHex("000001") + spsUnit + QByteArray::fromHex("000001") + h264PpsUnit()
                                 + QByteArray::fromHex("000001") + h264IdrUnit();
    QCOMPARE(parse(threeByte).width, 1920);

    // Extra zero bytes before a start code belong to the stream, not to the SPS.
    const QByteArray padded = startCode() + spsUnit + QByteArray(3, '\0') + startCode() + h264PpsUnit() + startCode()
                              + h264IdrUnit();
    QCOMPARE(parse(padded).height, 1080);

    // A later SPS replaces an earlier one.
    H264Sps other;
    other.widthInMbsMinus1 = 79;
    other.heightInMapUnitsMinus1 = 44;
    QCOMPARE(parse(body({h264SpsUnit(other), spsUnit, h264PpsUnit(), h264IdrUnit()})).width, 1920);

    // Units after the key picture are not looked at.
    QCOMPARE(parseQuietly(body({h264PpsUnit(), h264IdrUnit(), spsUnit})).codec, int(UnknownCodec));
    H265Sps h265;
    QCOMPARE(parseQuietly(body({h265VpsUnit(), h265PpsUnit(), h265IdrUnit(), h265SpsUnit(h265)})).codec, int(UnknownCodec));

    // An H.264 SPS without a PPS is not enough.
    QCOMPARE(parseQuietly(body({spsUnit, h264IdrUnit()})).codec, int(UnknownCodec));

    // A parameter set of 512 bytes or more counts as absent.
    const QByteArray longSps = spsUnit + QByteArray(520 - spsUnit.size(), '\x55');
    QCOMPARE(parseQuietly(body({longSps, h264PpsUnit(), h264IdrUnit()})).codec, int(UnknownCodec));

    // H.265 needs all three of VPS, SPS and PPS.
    QCOMPARE(parseQuietly(body({h265SpsUnit(h265), h265PpsUnit(), h265IdrUnit()})).codec, int(UnknownCodec));
}

void TestH26xParser::shortInputsAndMessages()
{
    const QByteArray zeros = "getVideoInfo vps = 00 00 00 00  sps = 00 00 00 00   pps = 00 00 00 00\n";
    for (int size : {0, 3, 4}) {
        CapturedStreams streams;
        const QByteArray input(size, '\0');
        QCOMPARE(getVideoInfo(size ? reinterpret_cast<const uint8_t *>(input.constData()) : nullptr, size).codec,
                 int(UnknownCodec));
        QCOMPARE(streams.standardOutput(), zeros);
        QCOMPARE(streams.standardError(), QByteArray("Unknow Video Frame!"));
    }

    H265Sps sps;
    CapturedStreams streams;
    const video_info_t info = parse(h265Body(sps));
    QCOMPARE(info.codec, int(H265Codec));
    QVERIFY(streams.standardOutput().startsWith("getVideoInfo vps = 40 01 0c 01  sps = 42 01 "));
    QVERIFY(streams.standardOutput().endsWith("   pps = 44 01 c1 72\n"));
    QVERIFY(streams.standardError().isEmpty());

    CapturedStreams h264Streams;
    QCOMPARE(parse(h264Body(H264Sps())).codec, int(H264Codec));
    QVERIFY(h264Streams.standardOutput().isEmpty()); // an H.264 body prints nothing
    QVERIFY(h264Streams.standardError().isEmpty());
}

void TestH26xParser::truncatedBodiesNeverGiveAWrongSize()
{
    QString failure;
    {
    CapturedStreams quiet;
    for (const SnapBodies::Recipe &recipe : std::as_const(m_recipes)) {
        const QByteArray body = SnapBodies::contents(recipe);
        // Only the prefixes that end inside the parameter sets are interesting.
        const int limit = qMin<int>(int(body.size()), 400);
        for (int length = 0; length < limit; ++length) {
            const video_info_t info = parse(body.left(length));
            const bool nothing = info.width == 0 && info.height == 0;
            const bool exact = info.width == recipe.width && info.height == recipe.height;
            if (failure.isEmpty() && (!(nothing || exact) || (info.codec != UnknownCodec && info.codec != codecOf(recipe))))
                failure = QStringLiteral("%1 cut at %2: codec %3 %4x%5")
                              .arg(recipe.name).arg(length).arg(info.codec).arg(info.width).arg(info.height);
        }
    }
    }
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestH26xParser::truncatedSpsBeforeAPpsFails()
{
    QString failure;
    {
    CapturedStreams quiet;
    for (const SnapBodies::Recipe &recipe : std::as_const(m_recipes)) {
        const QByteArray body = SnapBodies::contents(recipe);
        const bool h264 = recipe.codec == QLatin1String("h264");
        const QByteArray sps = unitOfType(body, h264 ? 7 : -1, h264 ? -1 : 33);
        const QByteArray pps = unitOfType(body, h264 ? 8 : -1, h264 ? -1 : 34);
        const QByteArray vps = h264 ? QByteArray() : unitOfType(body, -1, 32);
        if (sps.isEmpty() || pps.isEmpty())
            failure = recipe.name + QStringLiteral(": parameter sets not found");
        for (int length = 1; length < sps.size(); ++length) {
            const QByteArray cut = h264 ? SyntheticUnits::body({sps.left(length), pps, h264IdrUnit()})
                                        : SyntheticUnits::body({vps, sps.left(length), pps, h265IdrUnit()});
            const video_info_t info = parse(cut);
            const bool exact = info.width == recipe.width && info.height == recipe.height;
            // A cut H.264 SPS is read to its end, so only losing the stop byte may keep the
            // size; an H.265 SPS cut after its size elements keeps it rightly. Never a wrong one.
            const bool keptRightly = exact && (!h264 || length == sps.size() - 1);
            if (failure.isEmpty() && !(info.width == 0 && info.height == 0) && !keptRightly)
                failure = QStringLiteral("%1 SPS cut at %2 of %3: %4x%5")
                              .arg(recipe.name).arg(length).arg(sps.size()).arg(info.width).arg(info.height);
        }
    }
    }
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestH26xParser::garbageIsRefused()
{
    QString failure;
    {
    CapturedStreams quiet;
    QRandomGenerator random(20261207);
    const QList<QByteArray> headers = {QByteArray::fromHex("67"), QByteArray::fromHex("68"), QByteArray::fromHex("65"),
                                       QByteArray::fromHex("4001"), QByteArray::fromHex("4201"), QByteArray::fromHex("4401"),
                                       QByteArray::fromHex("2601")};
    for (int round = 0; round < 3000; ++round) {
        QByteArray body;
        const int units = random.bounded(1, 6);
        for (int u = 0; u < units; ++u) {
            body += random.bounded(2) ? startCode() : QByteArray::fromHex("000001");
            if (random.bounded(4) != 0)
                body += headers[random.bounded(int(headers.size()))];
            QByteArray noise(random.bounded(0, 64), '\0');
            for (char &c : noise)
                c = char(random.bounded(256));
            body += noise;
        }
        const video_info_t info = parse(body);
        const bool empty = info.width == 0 && info.height == 0;
        const bool inRange = info.width >= 1 && info.width <= 8192 && info.height >= 1 && info.height <= 8192;
        if (failure.isEmpty() && (!(empty || inRange) || info.codec < 0 || info.codec > 2))
            failure = QString::fromLatin1(body.toHex());
    }
    }
    QVERIFY2(failure.isEmpty(), qPrintable(failure));

    // A JPEG picture has no parameter sets.
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QBuffer jpeg;
    jpeg.open(QIODevice::WriteOnly);
    QVERIFY(picture.save(&jpeg, "JPG"));
    QCOMPARE(parse(jpeg.data()).codec, int(UnknownCodec));
}

QTEST_GUILESS_MAIN(TestH26xParser)
#include "tst_h26xparser.moc"
