#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// Texts for the log and for the pages with the credentials left out: the user-info
// part of an address and the values of the query keys "password" and "token" (any
// case) read "***".
class SecretMask
{
public:
    static QString url(const QUrl &url);
    // Free text: every rendering of the given addresses is replaced by its masked form
    // first (the network layer prints them decoded, blanks included), then any
    // address or "key=value" left in the text is masked as well.
    static QString text(const QString &text, const QList<QUrl> &urls = {});

    static bool isSecretKey(const QString &key);
};
