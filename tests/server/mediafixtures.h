#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

// Test media made by the ffmpeg command line from its test patterns, cached in one
// directory ($ZELKA_MEDIA_CACHE, else a per-user folder under the temp directory) so
// that only the first run pays for it. Nothing is downloaded or committed.
class MediaFixtures
{
public:
    static constexpr int kRecordSeconds = 10;
    static constexpr char kFontFile[] = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";

    MediaFixtures();

    bool ensure(QString *error);           // makes what is missing; blocks until done
    // A picture showing `text` (letters and digits), made on first use; the plain
    // test picture when the text does not qualify or cannot be drawn.
    QString captchaPicture(const QString &text);
    QString directory() const;
    QString path(const QString &name) const;
    QByteArray contents(const QString &name); // read once, then held in memory

    struct Recipe
    {
        QString name;     // file, or folder for HLS
        QStringList args; // ffmpeg arguments before the output
        bool folder = false;
    };
    // Runs ffmpeg side by side for the recipes whose results are missing; blocks until done.
    bool make(const QList<Recipe> &list, QString *error);

private:
    static QList<Recipe> recipes();

    QString m_directory;
    QHash<QString, QByteArray> m_loaded;
};
