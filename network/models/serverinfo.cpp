#include "serverinfo.h"

class ServerInfoPrivate
{
public:
    ZELKA_SERVERINFO_FIELDS(ZELKA_RECORD_STORE)
};

#define ZELKA_SERVERINFO_ACCESSORS(Type, name, Name, key) ZELKA_RECORD_ACCESSORS(ServerInfo, Type, name, Name)
ZELKA_SERVERINFO_FIELDS(ZELKA_SERVERINFO_ACCESSORS)

ServerInfo::ServerInfo(QObject *parent)
    : QObject(parent)
    , d(new ServerInfoPrivate)
{
}

ServerInfo::~ServerInfo() = default;

void ServerInfo::fromJson(const QJsonObject &json)
{
    ZELKA_SERVERINFO_FIELDS(ZELKA_RECORD_READ)
}
