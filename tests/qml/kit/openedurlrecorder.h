#pragma once

#include <QObject>
#include <QStringList>
#include <QUrl>

// Takes the place of the desktop's URL opener ("openedUrls"): every address that the
// client hands to Qt.openUrlExternally (QDesktopServices::openUrl) with a watched
// scheme is recorded instead of opened.
class OpenedUrlRecorder : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList urls READ urls NOTIFY urlsChanged)
    Q_PROPERTY(int count READ count NOTIFY urlsChanged)

public:
    // Watches http, https, file, ftp and mailto; more with watch().
    explicit OpenedUrlRecorder(QObject *parent = nullptr);
    ~OpenedUrlRecorder() override;

    QStringList urls() const;
    int count() const;

    Q_INVOKABLE void watch(const QString &scheme);
    Q_INVOKABLE void clear();

public slots:
    // Called by QDesktopServices; answers that the address was opened.
    void open(const QUrl &url);

signals:
    void urlsChanged();

private:
    QStringList m_schemes;
    QStringList m_urls;
};
