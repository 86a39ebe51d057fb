#include "mediafixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <memory>
#include <unistd.h>

namespace {

// Bump when a recipe changes, so stale caches are not reused.
constexpr char kVersion[] = "v1";

QStringList videoSource(const QString &pattern, const QString &size)
{
    return {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("%1=size=%2:rate=25").arg(pattern, size)};
}

QStringList audioSource()
{
    return {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("sine=frequency=440:sample_rate=48000")};
}

QStringList h264Clip(int seconds)
{
    return videoSource(QStringLiteral("testsrc2"), QStringLiteral("640x360")) + audioSource()
           + QStringList{QStringLiteral("-t"), QString::number(seconds), QStringLiteral("-c:v"), QStringLiteral("libx264"),
                         QStringLiteral("-preset"), QStringLiteral("veryfast"), QStringLiteral("-g"), QStringLiteral("25"),
                         QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), QStringLiteral("-c:a"), QStringLiteral("aac"),
                         QStringLiteral("-b:a"), QStringLiteral("64k")};
}

QStringList stillPicture(const QString &pattern, const QString &size)
{
    return videoSource(pattern, size) + QStringList{QStringLiteral("-frames:v"), QStringLiteral("1")};
}

} // namespace

MediaFixtures::MediaFixtures()
{
    QString base = qEnvironmentVariable("ZELKA_MEDIA_CACHE");
    if (base.isEmpty())
        base = QDir::tempPath() + QStringLiteral("/zelka-test-media-") + QString::number(getuid());
    m_directory = base + QLatin1Char('/') + QLatin1String(kVersion);
}

QList<MediaFixtures::Recipe> MediaFixtures::recipes()
{
    const QStringList one = {QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p")};
    const QString testsrc = QStringLiteral("testsrc2");
    QList<Recipe> list = {
        // Snapshot bodies: parameter sets followed by one IDR picture, Annex-B.
        {QStringLiteral("snap.h264"), videoSource(testsrc, QStringLiteral("640x360")) + one
             + QStringList{QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-f"), QStringLiteral("h264")}},
        {QStringLiteral("snap.h265"), videoSource(testsrc, QStringLiteral("640x360")) + one
             + QStringList{QStringLiteral("-c:v"), QStringLiteral("libx265"), QStringLiteral("-x265-params"),
                           QStringLiteral("log-level=error"), QStringLiteral("-f"), QStringLiteral("hevc")}},
        {QStringLiteral("record.mp4"), h264Clip(kRecordSeconds)
             + QStringList{QStringLiteral("-movflags"), QStringLiteral("+faststart"), QStringLiteral("-f"), QStringLiteral("mp4")}},
        {QStringLiteral("record.flv"), h264Clip(kRecordSeconds) + QStringList{QStringLiteral("-f"), QStringLiteral("flv")}},
        {QStringLiteral("hls"), h264Clip(kRecordSeconds)
             + QStringList{QStringLiteral("-f"), QStringLiteral("hls"), QStringLiteral("-hls_time"), QStringLiteral("2"),
                           QStringLiteral("-hls_playlist_type"), QStringLiteral("vod"), QStringLiteral("-hls_segment_filename"),
                           QStringLiteral("%1/seg%03d.ts")}, true},
        {QStringLiteral("advert1.jpg"), stillPicture(QStringLiteral("smptebars"), QStringLiteral("640x360"))
             + QStringList{QStringLiteral("-f"), QStringLiteral("mjpeg")}},
        {QStringLiteral("advert2.jpg"), stillPicture(testsrc, QStringLiteral("640x360")) + QStringList{QStringLiteral("-f"), QStringLiteral("mjpeg")}},
        {QStringLiteral("advert3.jpg"), stillPicture(QStringLiteral("rgbtestsrc"), QStringLiteral("640x360"))
             + QStringList{QStringLiteral("-f"), QStringLiteral("mjpeg")}},
        {QStringLiteral("record-snap.jpg"), stillPicture(testsrc, QStringLiteral("320x180")) + QStringList{QStringLiteral("-f"), QStringLiteral("mjpeg")}},
        {QStringLiteral("captcha.png"), stillPicture(QStringLiteral("smptebars"), QStringLiteral("120x45"))
             + QStringList{QStringLiteral("-f"), QStringLiteral("image2"), QStringLiteral("-c:v"), QStringLiteral("png")}},
    };
    return list;
}

bool MediaFixtures::ensure(QString *error)
{
    if (!QDir().mkpath(m_directory)) {
        *error = QStringLiteral("cannot create ") + m_directory;
        return false;
    }
    return make(recipes(), error);
}

QString MediaFixtures::captchaPicture(const QString &text)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9]{1,8}$"));
    const QString fallback = QStringLiteral("captcha.png");
    if (!plain.match(text).hasMatch())
        return fallback;
    const QString name = QStringLiteral("captcha-%1.png").arg(text);
    const Recipe recipe{name,
                        {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("color=c=white:s=120x45"),
                         QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-vf"),
                         QStringLiteral("drawtext=fontfile=%1:text=%2:fontsize=30:fontcolor=0x1d3a6b:x=(w-text_w)/2:y=(h-text_h)/2")
                             .arg(QLatin1String(kFontFile), text),
                         QStringLiteral("-f"), QStringLiteral("image2"), QStringLiteral("-c:v"), QStringLiteral("png")}};
    QString error;
    return make({recipe}, &error) ? name : fallback;
}

bool MediaFixtures::make(const QList<Recipe> &list, QString *error)
{
    struct Job
    {
        Recipe recipe;
        QString partial;
        std::unique_ptr<QProcess> process;
    };
    std::vector<Job> jobs;
    const QString unique = QStringLiteral(".part%1").arg(QCoreApplication::applicationPid());
    for (const Recipe &recipe : list) {
        if (QFileInfo::exists(path(recipe.name)))
            continue;
        Job job{recipe, path(recipe.name) + unique, std::make_unique<QProcess>()};
        QStringList args = {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                            QStringLiteral("-nostdin"), QStringLiteral("-y")};
        if (recipe.folder) {
            QDir(job.partial).removeRecursively();
            QDir().mkpath(job.partial);
            QStringList recipeArgs = recipe.args;
            recipeArgs.replaceInStrings(QStringLiteral("%1"), job.partial);
            args += recipeArgs + QStringList{job.partial + QStringLiteral("/index.m3u8")};
        } else {
            args += recipe.args + QStringList{job.partial};
        }
        job.process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        job.process->start(QStringLiteral("ffmpeg"), args);
        jobs.push_back(std::move(job));
    }
    bool ok = true;
    for (Job &job : jobs) {
        const bool finished = job.process->waitForFinished(120000);
        const bool made = finished && job.process->exitStatus() == QProcess::NormalExit && job.process->exitCode() == 0;
        if (!made) {
            *error = QStringLiteral("ffmpeg failed to make ") + job.recipe.name;
            ok = false;
        }
        // Another test process may have won the race; its result is as good as ours.
        if (!made || !QDir().rename(job.partial, path(job.recipe.name))) {
            if (job.recipe.folder)
                QDir(job.partial).removeRecursively();
            else
                QFile::remove(job.partial);
        }
    }
    return ok;
}

QString MediaFixtures::directory() const
{
    return m_directory;
}

QString MediaFixtures::path(const QString &name) const
{
    return m_directory + QLatin1Char('/') + name;
}

QByteArray MediaFixtures::contents(const QString &name)
{
    auto it = m_loaded.constFind(name);
    if (it != m_loaded.constEnd())
        return it.value();
    QFile file(path(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    m_loaded.insert(name, data);
    return data;
}
