#include "snapbodies.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <memory>
#include <vector>

namespace SnapBodies {

namespace {

constexpr int kFfmpegTimeoutMs = 120000;

QString cacheDir()
{
    return QStringLiteral(ZELKA_SNAP_MEDIA_DIR);
}

QString sanitized(QString text)
{
    for (QChar &c : text) {
        if (!c.isLetterOrNumber())
            c = QLatin1Char('_');
    }
    return text;
}

QStringList encoderArguments(const Recipe &recipe)
{
    if (recipe.codec == QLatin1String("h264"))
        return QStringList{QStringLiteral("-c:v"), QStringLiteral("libx264")} + recipe.encoderOptions
               + QStringList{QStringLiteral("-f"), QStringLiteral("h264")};
    QStringList x265Params = {QStringLiteral("log-level=error")};
    QStringList options = recipe.encoderOptions;
    const int paramsAt = options.indexOf(QStringLiteral("-x265-params"));
    if (paramsAt >= 0 && paramsAt + 1 < options.size()) {
        x265Params.append(options.at(paramsAt + 1));
        options.remove(paramsAt, 2);
    }
    return QStringList{QStringLiteral("-c:v"), QStringLiteral("libx265"), QStringLiteral("-x265-params"),
                       x265Params.join(QLatin1Char(':'))}
           + options + QStringList{QStringLiteral("-f"), QStringLiteral("hevc")};
}

QStringList ffmpegArguments(const Recipe &recipe, const QString &output)
{
    // "testsrc2" takes its options after "=", "color=c=red" after one more ":".
    const QChar separator = recipe.source.contains(QLatin1Char('=')) ? QLatin1Char(':') : QLatin1Char('=');
    const QString input = recipe.source + separator
                          + QStringLiteral("size=%1x%2:rate=25").arg(recipe.width).arg(recipe.height);
    return QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                       QStringLiteral("-nostdin"), QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                       QStringLiteral("-i"), input, QStringLiteral("-frames:v"), QStringLiteral("1"),
                       // some sources round odd sizes down; the scaler keeps them
                       QStringLiteral("-vf"), QStringLiteral("scale=%1:%2").arg(recipe.width).arg(recipe.height),
                       QStringLiteral("-pix_fmt"), recipe.pixelFormat}
           + encoderArguments(recipe) + QStringList{output};
}

} // namespace

Recipe recipe(const QString &codec, int width, int height, const QString &pixelFormat, const QStringList &encoderOptions,
              const QString &source)
{
    Recipe made;
    made.codec = codec;
    made.width = width;
    made.height = height;
    made.pixelFormat = pixelFormat;
    made.encoderOptions = encoderOptions;
    made.source = source;
    made.name = sanitized(QStringLiteral("%1_%2x%3_%4_%5_%6").arg(codec).arg(width).arg(height).arg(pixelFormat,
                                                                                                  source, encoderOptions.join(QLatin1Char('_'))))
                + QLatin1Char('.') + codec;
    return made;
}

QList<Recipe> parserRecipes()
{
    const QString h264 = QStringLiteral("h264");
    const QString h265 = QStringLiteral("h265");
    const QString yuv420 = QStringLiteral("yuv420p");
    const QStringList profile = {QStringLiteral("-profile:v")};
    return {
        recipe(h264, 1920, 1080, yuv420, profile + QStringList{QStringLiteral("high")}),
        recipe(h264, 1280, 720, yuv420, profile + QStringList{QStringLiteral("main")}),
        recipe(h264, 704, 576, yuv420, profile + QStringList{QStringLiteral("baseline")}),
        recipe(h264, 640, 360),
        recipe(h264, 642, 362),
        recipe(h264, 350, 202, QStringLiteral("yuv422p")),
        recipe(h264, 333, 197, QStringLiteral("yuv444p")),
        recipe(h264, 640, 360, yuv420, {QStringLiteral("-flags"), QStringLiteral("+ildct+ilme")}),
        recipe(h264, 640, 360, yuv420,
               {QStringLiteral("-b:v"), QStringLiteral("1M"), QStringLiteral("-maxrate"), QStringLiteral("1M"),
                QStringLiteral("-bufsize"), QStringLiteral("1M"), QStringLiteral("-x264-params"), QStringLiteral("nal-hrd=cbr")}),
        recipe(h265, 1920, 1080),
        recipe(h265, 1280, 720),
        recipe(h265, 704, 576),
        recipe(h265, 640, 360),
        recipe(h265, 642, 362),
        recipe(h265, 333, 197, QStringLiteral("yuv444p")),
        recipe(h265, 350, 202, QStringLiteral("yuv422p10le")),
        recipe(h265, 1280, 720, QStringLiteral("yuv420p10le")),
    };
}

QString path(const Recipe &recipe)
{
    return cacheDir() + QLatin1Char('/') + recipe.name;
}

bool ensure(const QList<Recipe> &recipes, QString *error)
{
    if (!QDir().mkpath(cacheDir())) {
        *error = QStringLiteral("cannot create ") + cacheDir();
        return false;
    }
    struct Run
    {
        Recipe recipe;
        QString partial;
        std::unique_ptr<QProcess> process;
    };
    std::vector<Run> runs;
    for (const Recipe &recipe : recipes) {
        if (QFileInfo::exists(path(recipe)))
            continue;
        Run run{recipe, path(recipe) + QStringLiteral(".part%1").arg(QCoreApplication::applicationPid()),
                std::make_unique<QProcess>()};
        run.process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        run.process->start(QStringLiteral("ffmpeg"), ffmpegArguments(recipe, run.partial));
        runs.push_back(std::move(run));
    }
    bool ok = true;
    for (Run &run : runs) {
        const bool finished = run.process->waitForFinished(kFfmpegTimeoutMs);
        if (!finished || run.process->exitStatus() != QProcess::NormalExit || run.process->exitCode() != 0) {
            *error = QStringLiteral("ffmpeg failed to make ") + run.recipe.name;
            ok = false;
            continue;
        }
        if (!QFile::rename(run.partial, path(run.recipe)))
            QFile::remove(run.partial); // another process was first; its file is as good
    }
    return ok;
}

QByteArray contents(const Recipe &recipe)
{
    QFile file(path(recipe));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage decodedByFfmpeg(const Recipe &recipe)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-nostdin"),
                  QStringLiteral("-f"), recipe.codec == QLatin1String("h264") ? QStringLiteral("h264") : QStringLiteral("hevc"),
                  QStringLiteral("-i"), path(recipe), QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-f"),
                  QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"), QStringLiteral("bgra"), QStringLiteral("-")});
    if (!ffmpeg.waitForFinished(kFfmpegTimeoutMs) || ffmpeg.exitCode() != 0)
        return {};
    const QByteArray pixels = ffmpeg.readAllStandardOutput();
    if (pixels.size() != qsizetype(recipe.width) * recipe.height * 4)
        return {};
    QImage picture(recipe.width, recipe.height, QImage::Format_ARGB32);
    for (int y = 0; y < recipe.height; ++y)
        memcpy(picture.scanLine(y), pixels.constData() + qsizetype(y) * recipe.width * 4, size_t(recipe.width) * 4);
    return picture;
}

} // namespace SnapBodies
