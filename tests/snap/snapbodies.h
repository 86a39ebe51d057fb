#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

// Snapshot bodies (parameter sets and one key picture, Annex B) made with the ffmpeg
// command line on first use and cached beside the tests' working directories (a
// temporary folder, ZELKA_SNAP_MEDIA_DIR). Parallel test processes
// write private names and rename them into place.
namespace SnapBodies {

struct Recipe
{
    QString name;      // file name in the cache
    QString codec;     // "h264" or "h265"
    int width = 0;
    int height = 0;
    QString pixelFormat = QStringLiteral("yuv420p");
    QString source = QStringLiteral("testsrc2"); // lavfi source, e.g. "color=c=red"
    QStringList encoderOptions;                   // extra encoder arguments
};

Recipe recipe(const QString &codec, int width, int height, const QString &pixelFormat = QStringLiteral("yuv420p"),
              const QStringList &encoderOptions = {}, const QString &source = QStringLiteral("testsrc2"));

// The parser's coverage: several sizes and profiles of both codecs, odd crops, 4:2:2,
// 4:4:4, 10 bits, interlaced coding and HRD parameters.
QList<Recipe> parserRecipes();

// Makes the missing files, all ffmpeg runs at once. False with a message on failure.
bool ensure(const QList<Recipe> &recipes, QString *error);
QString path(const Recipe &recipe);
QByteArray contents(const Recipe &recipe);

// The first picture as ffmpeg decodes the body, as 32-bit BGRA (QImage::Format_ARGB32).
QImage decodedByFfmpeg(const Recipe &recipe);

} // namespace SnapBodies
