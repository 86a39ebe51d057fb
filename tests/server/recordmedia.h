#pragma once

#include "mediafixtures.h"

#include <QList>
#include <QString>

// Media that lasts as long as a record or a device playback span asks: the playing
// position written on a plain picture, 320x180, 5 pictures a second, a key frame each
// second, no sound. One clip is encoded as long as the longest length needed (in whole
// ten minutes) and every length is cut from it by stream copy, so a new length costs a
// remux, not an encode. Cuts come as MP4 (index first) and as FLV with a key-frame
// index: both seek by byte ranges over HTTP. Files live in the media cache.
class RecordMedia
{
public:
    static constexpr int kMaxSeconds = 4 * 3600;

    explicit RecordMedia(MediaFixtures &fixtures);

    // Makes the MP4 and FLV cuts of these lengths ahead, so no request waits for them.
    bool prepare(const QList<int> &lengths, QString *error);
    // Cache file names of a cut `seconds` long, made when missing; empty above
    // kMaxSeconds or when ffmpeg fails. Lengths below one second give one second, so a
    // record of no length still opens.
    QString mp4(int seconds);
    QString flv(int seconds);

private:
    enum class Container { Mp4, Flv };

    static int clipSeconds(int seconds);
    static QString cutName(int seconds, Container container);
    static MediaFixtures::Recipe cutRecipe(const QString &base, int seconds, Container container);
    QString cut(int seconds, Container container);
    QString baseFor(int seconds, QString *error);
    bool makeCuts(const QList<int> &lengths, QString *error);

    MediaFixtures &m_fixtures;
};
