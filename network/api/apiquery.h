#pragma once

#include <QString>
#include <QStringList>

// The query text of one server call: keys in the order added, every value fully
// percent-encoded so that "#", "&" or "+" in a name cannot cut or change the query.
class ApiQuery
{
public:
    ApiQuery &add(const QString &key, const QString &value);
    ApiQuery &add(const QString &key, int value);
    ApiQuery &addFlag(const QString &key, bool value);
    QString toString() const;

    // One value for a path that ends in "=".
    static QString encode(const QString &value);

private:
    QStringList m_items;
};
