#include "recordmedia.h"

#include "mediafixtures.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

constexpr int kFramesPerSecond = 5;
constexpr int kBaseStepSeconds = 600;

QString frames(int seconds)
{
    return QString::number(seconds * kFramesPerSecond);
}

QString baseName(int seconds)
{
    return QStringLiteral("record-base-%1s.mp4").arg(seconds);
}

// The position as hh:mm:ss.zzz in the middle of the picture, so a seek shows where it went.
MediaFixtures::Recipe baseRecipe(int seconds)
{
    const QString clock = QStringLiteral("drawtext=fontfile=%1:text='%{pts\\:hms}':fontsize=32:fontcolor=white:"
                                         "x=(w-tw)/2:y=(h-th)/2")
                              .arg(QLatin1String(MediaFixtures::kFontFile));
    const QString rate = QString::number(kFramesPerSecond);
    return {baseName(seconds),
            {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("color=c=0x1d3a6b:s=320x180:r=%1").arg(rate), QStringLiteral("-frames:v"), frames(seconds),
             QStringLiteral("-vf"), clock, QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
             QStringLiteral("veryfast"), QStringLiteral("-crf"), QStringLiteral("40"), QStringLiteral("-g"), rate,
             QStringLiteral("-keyint_min"), rate, QStringLiteral("-sc_threshold"), QStringLiteral("0"), QStringLiteral("-bf"),
             QStringLiteral("0"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), QStringLiteral("-an"),
             QStringLiteral("-movflags"), QStringLiteral("+faststart"), QStringLiteral("-f"), QStringLiteral("mp4")}};
}

} // namespace

RecordMedia::RecordMedia(MediaFixtures &fixtures)
    : m_fixtures(fixtures)
{
}

int RecordMedia::clipSeconds(int seconds)
{
    return std::max(1, seconds);
}

QString RecordMedia::cutName(int seconds, Container container)
{
    return container == Container::Mp4 ? QStringLiteral("record-%1s.mp4").arg(seconds)
                                       : QStringLiteral("record-%1s.flv").arg(seconds);
}

bool RecordMedia::prepare(const QList<int> &lengths, QString *error)
{
    QList<int> clips;
    for (int seconds : lengths) {
        if (seconds <= kMaxSeconds && !clips.contains(clipSeconds(seconds)))
            clips.append(clipSeconds(seconds));
    }
    return clips.isEmpty() || makeCuts(clips, error);
}

QString RecordMedia::mp4(int seconds)
{
    return cut(seconds, Container::Mp4);
}

QString RecordMedia::flv(int seconds)
{
    return cut(seconds, Container::Flv);
}

QString RecordMedia::cut(int seconds, Container container)
{
    QString error;
    if (seconds > kMaxSeconds || !makeCuts({clipSeconds(seconds)}, &error))
        return {};
    return cutName(clipSeconds(seconds), container);
}

// The shortest base in the cache that is long enough, else a new one rounded up to
// whole ten minutes, so that a few more seconds do not mean another encode.
QString RecordMedia::baseFor(int seconds, QString *error)
{
    static const QRegularExpression pattern(QStringLiteral("^record-base-(\\d+)s\\.mp4$"));
    int best = 0;
    const QStringList names = QDir(m_fixtures.directory()).entryList({QStringLiteral("record-base-*s.mp4")}, QDir::Files);
    for (const QString &name : names) {
        const int length = pattern.match(name).captured(1).toInt();
        if (length >= seconds && (best == 0 || length < best))
            best = length;
    }
    if (best == 0)
        best = (seconds + kBaseStepSeconds - 1) / kBaseStepSeconds * kBaseStepSeconds;
    return m_fixtures.make({baseRecipe(best)}, error) ? m_fixtures.path(baseName(best)) : QString();
}

bool RecordMedia::makeCuts(const QList<int> &lengths, QString *error)
{
    QList<int> missing;
    for (int seconds : lengths) {
        if (!QFileInfo::exists(m_fixtures.path(cutName(seconds, Container::Mp4)))
            || !QFileInfo::exists(m_fixtures.path(cutName(seconds, Container::Flv))))
            missing.append(seconds);
    }
    if (missing.isEmpty())
        return true;
    if (!QDir().mkpath(m_fixtures.directory())) {
        *error = QStringLiteral("cannot create ") + m_fixtures.directory();
        return false;
    }
    const QString base = baseFor(*std::max_element(missing.begin(), missing.end()), error);
    if (base.isEmpty())
        return false;
    QList<MediaFixtures::Recipe> cuts;
    for (int seconds : missing)
        cuts += {cutRecipe(base, seconds, Container::Mp4), cutRecipe(base, seconds, Container::Flv)};
    return m_fixtures.make(cuts, error); // skips the halves that exist
}

// Stream copy of the first `seconds` of the base: whole key-frame intervals, exact length.
MediaFixtures::Recipe RecordMedia::cutRecipe(const QString &base, int seconds, Container container)
{
    const QStringList format = container == Container::Mp4
                                   ? QStringList{QStringLiteral("-movflags"), QStringLiteral("+faststart"), QStringLiteral("-f"),
                                                 QStringLiteral("mp4")}
                                   : QStringList{QStringLiteral("-flvflags"), QStringLiteral("add_keyframe_index"),
                                                 QStringLiteral("-f"), QStringLiteral("flv")};
    return {cutName(seconds, container),
            QStringList{QStringLiteral("-i"), base, QStringLiteral("-frames:v"), frames(seconds), QStringLiteral("-c"),
                        QStringLiteral("copy")}
                + format};
}
