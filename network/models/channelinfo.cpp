#include "channelinfo.h"

class ChannelInfoPrivate
{
public:
    bool hasSubChannels = false;
    ZELKA_CHANNELINFO_FIELDS(ZELKA_RECORD_STORE)
    QList<ChannelInfo *> subChannelList;
};

#define ZELKA_CHANNELINFO_ACCESSORS(Type, name, Name, key) ZELKA_RECORD_ACCESSORS(ChannelInfo, Type, name, Name)
ZELKA_CHANNELINFO_FIELDS(ZELKA_CHANNELINFO_ACCESSORS)

ChannelInfo::ChannelInfo(const QJsonObject &json, QObject *parent)
    : QObject(parent)
    , d(new ChannelInfoPrivate)
{
    ZELKA_CHANNELINFO_FIELDS(ZELKA_RECORD_READ)
}

ChannelInfo::~ChannelInfo()
{
    for (ChannelInfo *channel : std::as_const(d->subChannelList))
        channel->deleteLater();
    d->subChannelList.clear();
}

bool ChannelInfo::hasSubChannels() const
{
    return d->hasSubChannels;
}

void ChannelInfo::setHasSubChannels(bool value)
{
    Zelka::assignIfChanged(this, d->hasSubChannels, value, &ChannelInfo::hasSubChannelsChanged);
}

QList<ChannelInfo *> ChannelInfo::subChannelList() const
{
    return d->subChannelList;
}

void ChannelInfo::setSubChannelList(const QList<ChannelInfo *> &list)
{
    for (ChannelInfo *channel : std::as_const(d->subChannelList))
        channel->deleteLater();
    d->subChannelList = list;
    emit subChannelListChanged();
}
