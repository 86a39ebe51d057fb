#include "deviceinfo.h"

#include "channelinfo.h"

class DeviceInfoPrivate
{
public:
    ZELKA_DEVICEINFO_FIELDS(ZELKA_RECORD_STORE)
    QList<ChannelInfo *> channelList;
};

#define ZELKA_DEVICEINFO_ACCESSORS(Type, name, Name, key) ZELKA_RECORD_ACCESSORS(DeviceInfo, Type, name, Name)
ZELKA_DEVICEINFO_FIELDS(ZELKA_DEVICEINFO_ACCESSORS)

DeviceInfo::DeviceInfo(const QJsonObject &json, QObject *parent)
    : QObject(parent)
    , d(new DeviceInfoPrivate)
{
    ZELKA_DEVICEINFO_FIELDS(ZELKA_RECORD_READ)
}

DeviceInfo::~DeviceInfo()
{
    for (ChannelInfo *channel : std::as_const(d->channelList))
        channel->deleteLater();
    d->channelList.clear();
}

QList<ChannelInfo *> DeviceInfo::channelList() const
{
    return d->channelList;
}

void DeviceInfo::setChannelList(const QList<ChannelInfo *> &list)
{
    for (ChannelInfo *channel : std::as_const(d->channelList))
        channel->deleteLater();
    d->channelList = list;
    emit channelListChanged();
}
