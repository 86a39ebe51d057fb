#pragma once

#include <QJsonArray>
#include <QJsonValue>
#include <QList>
#include <QString>

// Server JSON to property values with the toolkit's conversions and zero defaults:
// a missing or mistyped key gives 0, false, 0.0, an empty text or an empty list.
namespace JsonConvert {

template <typename T>
T to(const QJsonValue &value);

template <>
inline int to<int>(const QJsonValue &value)
{
    return value.toInt(0);
}

template <>
inline bool to<bool>(const QJsonValue &value)
{
    return value.toBool(false);
}

template <>
inline double to<double>(const QJsonValue &value)
{
    return value.toDouble(0.0);
}

template <>
inline QString to<QString>(const QJsonValue &value)
{
    return value.toString();
}

template <>
inline QList<int> to<QList<int>>(const QJsonValue &value)
{
    QList<int> list;
    const QJsonArray array = value.toArray();
    for (const QJsonValue &element : array)
        list.append(element.toInt(0));
    return list;
}

} // namespace JsonConvert
