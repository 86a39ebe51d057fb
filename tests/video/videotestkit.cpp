#include "videotestkit.h"

#include "testmedia.h"
#include "videoitem.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSGRendererInterface>
#include <QTest>
#include <QUrl>

#include <cstdlib>

namespace VideoTestKit {

namespace {

QStringList h264Arguments()
{
    return {"-c:v", "libx264", "-preset", "veryfast", "-crf", "12", "-bf", "0", "-g", "25", "-keyint_min", "25",
            "-sc_threshold", "0", "-pix_fmt", "yuv420p"};
}

int channelDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

} // namespace

QString colourBars(int width, int height, int seconds)
{
    const QString size = QStringLiteral("%1x%2").arg(width).arg(height);
    return TestMedia::ensure(QStringLiteral("bars_%1_%2s.mp4").arg(size).arg(seconds),
                             QStringList{"-f", "lavfi", "-i",
                                         QStringLiteral("smptebars=size=%1:rate=25:duration=%2").arg(size).arg(seconds)}
                                 + h264Arguments());
}

QString shortClip()
{
    return TestMedia::ensure("testsrc2_320x240_1s.mp4",
                             QStringList{"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=1"}
                                 + h264Arguments());
}

QString tenSecondClip()
{
    return TestMedia::h264TenSeconds();
}

QString keyFrameEveryFourSeconds()
{
    QStringList arguments = h264Arguments();
    arguments[arguments.indexOf("-g") + 1] = "100";
    arguments[arguments.indexOf("-keyint_min") + 1] = "100";
    return TestMedia::ensure("testsrc2_320x240_13s_gop4s.mp4",
                             QStringList{"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=13"} + arguments);
}

QString fileUrl(const QString &path)
{
    return QUrl::fromLocalFile(path).toString();
}

QImage referencePicture(const QString &file, const QString &colorMatrix)
{
    const QByteArray probe = TestMedia::run("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                                        "stream=width,height", "-of", "csv=p=0", file});
    const QList<QByteArray> parts = probe.trimmed().split(',');
    if (parts.size() != 2)
        return {};
    const int width = parts[0].toInt();
    const int height = parts[1].toInt();
    const QByteArray rgb =
        TestMedia::firstPicture(file, "rgb24", QStringLiteral("scale=in_color_matrix=") + colorMatrix);
    if (rgb.size() != qsizetype(width) * height * 3)
        return {};
    QImage image(reinterpret_cast<const uchar *>(rgb.constData()), width, height, width * 3, QImage::Format_RGB888);
    return image.convertToFormat(QImage::Format_RGB32);
}

PictureDifference compare(const QImage &drawn, const QImage &reference)
{
    PictureDifference result;
    if (drawn.size() != reference.size() || reference.isNull())
        return result;
    const QImage a = drawn.convertToFormat(QImage::Format_RGB32);
    const QImage b = reference.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    qint64 farOff = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto *rowA = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *rowB = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            sum += std::abs(qRed(rowA[x]) - qRed(rowB[x])) + std::abs(qGreen(rowA[x]) - qGreen(rowB[x]))
                + std::abs(qBlue(rowA[x]) - qBlue(rowB[x]));
            farOff += channelDistance(rowA[x], rowB[x]) > 48 ? 1 : 0;
        }
    }
    const double pixels = double(a.width()) * a.height();
    result.meanDifference = sum / (pixels * 3);
    result.farOffShare = double(farOff) / pixels;
    return result;
}

bool waitFor(const std::function<bool()> &predicate, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!predicate()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

Scene::Scene(QSize size)
    : m_window(new QQuickWindow)
{
    m_window->setColor(Qt::black);
    m_window->resize(size);
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window.get()))
        qWarning("video test window was not exposed");
}

Scene::~Scene() = default;

VideoItem *Scene::addItem(QSizeF size)
{
    auto *item = new VideoItem(m_window->contentItem());
    item->setSize(size.isEmpty() ? QSizeF(m_window->size()) : size);
    return item;
}

bool Scene::isSoftware() const
{
    return m_window->rendererInterface()->graphicsApi() == QSGRendererInterface::Software;
}

QImage Scene::grab() const
{
    return m_window->grabWindow();
}

} // namespace VideoTestKit
