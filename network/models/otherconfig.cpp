#include "otherconfig.h"

class OtherConfigPrivate
{
public:
    ZELKA_OTHERCONFIG_HEAD_FIELDS(ZELKA_RECORD_STORE)
    ZELKA_OTHERCONFIG_TAIL_FIELDS(ZELKA_RECORD_STORE)
};

#define ZELKA_OTHERCONFIG_ACCESSORS(Type, name, Name, key) ZELKA_RECORD_ACCESSORS(OtherConfig, Type, name, Name)
ZELKA_OTHERCONFIG_HEAD_FIELDS(ZELKA_OTHERCONFIG_ACCESSORS)
ZELKA_OTHERCONFIG_TAIL_FIELDS(ZELKA_OTHERCONFIG_ACCESSORS)

const QString OtherConfig::defaultTitle = QStringLiteral("ZelkaVSS客户端");

OtherConfig::OtherConfig(QObject *parent)
    : QObject(parent)
    , d(new OtherConfigPrivate)
{
}

OtherConfig::~OtherConfig() = default;

void OtherConfig::fromJson(const QJsonObject &json)
{
    ZELKA_OTHERCONFIG_HEAD_FIELDS(ZELKA_RECORD_READ)
    if (title().isEmpty())
        setTitle(defaultTitle);
    ZELKA_OTHERCONFIG_TAIL_FIELDS(ZELKA_RECORD_READ)
}
