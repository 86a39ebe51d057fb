#include "openedurlrecorder.h"

#include <QDesktopServices>

OpenedUrlRecorder::OpenedUrlRecorder(QObject *parent)
    : QObject(parent)
{
    for (const char *scheme : {"http", "https", "file", "ftp", "mailto"})
        watch(QString::fromLatin1(scheme));
}

OpenedUrlRecorder::~OpenedUrlRecorder()
{
    for (const QString &scheme : std::as_const(m_schemes))
        QDesktopServices::unsetUrlHandler(scheme);
}

QStringList OpenedUrlRecorder::urls() const
{
    return m_urls;
}

int OpenedUrlRecorder::count() const
{
    return int(m_urls.size());
}

void OpenedUrlRecorder::watch(const QString &scheme)
{
    if (m_schemes.contains(scheme))
        return;
    m_schemes.append(scheme);
    QDesktopServices::setUrlHandler(scheme, this, "open");
}

void OpenedUrlRecorder::clear()
{
    if (m_urls.isEmpty())
        return;
    m_urls.clear();
    emit urlsChanged();
}

void OpenedUrlRecorder::open(const QUrl &url)
{
    m_urls.append(url.toString());
    emit urlsChanged();
}
