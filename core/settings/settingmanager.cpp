#include "settingmanager.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

bool g_applicationNeedRestart = false;

const QString kConfigFileName = QStringLiteral("config.ini");
const QString kDefaultConfigDirectory = QStringLiteral("./config/");

QList<int> toIntList(const QVariant &value)
{
    // A one-element list comes back from the INI reader as plain text.
    QList<int> list;
    const QStringList texts = value.toStringList();
    for (const QString &text : texts)
        list.append(text.toInt());
    return list;
}

QVariantList toVariantList(const QList<int> &list)
{
    QVariantList values;
    for (int v : list)
        values.append(v);
    return values;
}

} // namespace

class SettingManagerPivate
{
public:
    explicit SettingManagerPivate(const QString &directory)
        : configDirectory(directory)
        , filePath(QDir(directory).filePath(kConfigFileName))
        , file(filePath, QSettings::IniFormat)
    {
    }

    bool parseHostAndPort(const QString &entry);
    bool hostEntryMayBeReplaced() const;
    void readHosts();
    void writeHosts();
    void prepareOwnerOnlyFile();

    Settings *settings = nullptr;
    QString configDirectory;
    const QString filePath;
    QSettings file;
    int hostIndex = -1;

    // An entry that is not "host:port" is kept as it stands unless the operator
    // sets a host or port; writing it back as ":" would lose the address.
    bool hostEntryParsed = false;
    QString hostAtParse;
    QString portAtParse;
};

bool SettingManagerPivate::parseHostAndPort(const QString &entry)
{
    const QStringList parts = entry.split(QLatin1Char(':'));
    hostEntryParsed = parts.size() == 2;
    if (hostEntryParsed) {
        settings->setHost(parts.at(0));
        settings->setPort(parts.at(1));
    }
    hostAtParse = settings->host();
    portAtParse = settings->port();
    return hostEntryParsed;
}

bool SettingManagerPivate::hostEntryMayBeReplaced() const
{
    const QStringList hosts = settings->hosts();
    if (hostIndex < 0 || hostIndex >= hosts.size())
        return false;
    if (hostEntryParsed || hosts.at(hostIndex).isEmpty())
        return true;
    return settings->host() != hostAtParse || settings->port() != portAtParse;
}

void SettingManagerPivate::readHosts()
{
    // Written quoted; a hand-edited, unquoted list comes back already split.
    const QVariant value = file.value(QStringLiteral("Host"));
    const QString text = value.typeId() == QMetaType::QStringList ? value.toStringList().join(QLatin1Char(','))
                                                                  : value.toString();
    const QStringList hosts = text.split(QLatin1Char(','));
    settings->setHosts(hosts);
    if (!hosts.isEmpty()) {
        hostIndex = 0;
        parseHostAndPort(hosts.at(0));
    }
}

void SettingManagerPivate::writeHosts()
{
    if (hostEntryMayBeReplaced()) {
        QStringList hosts = settings->hosts();
        hosts[hostIndex] = settings->host() + QLatin1Char(':') + settings->port();
        settings->setHosts(hosts);
    }
    file.setValue(QStringLiteral("Host"), settings->hosts().join(QLatin1Char(',')));
}

void SettingManagerPivate::prepareOwnerOnlyFile()
{
    // The file holds the password: create it owner-only before the first write, and
    // tighten an existing one; the atomic rewrite keeps the permissions it finds.
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QFile config(filePath);
    if (!config.exists()) {
        if (config.open(QIODevice::WriteOnly, ownerOnly))
            config.close();
        return;
    }
    if (config.permissions() != ownerOnly)
        config.setPermissions(ownerOnly);
}

SettingManager *SettingManager::instance()
{
    static SettingManager manager(kDefaultConfigDirectory);
    return &manager;
}

SettingManager::SettingManager(const QString &configDirectory, QObject *parent)
    : QObject(parent)
    , d(new SettingManagerPivate(configDirectory))
{
    d->settings = new Settings(this);
    d->file.setAtomicSyncRequired(true);
}

SettingManager::~SettingManager()
{
    writeSettings();
}

Settings *SettingManager::settings() const
{
    return d->settings;
}

QString SettingManager::configFilePath() const
{
    return d->filePath;
}

void SettingManager::readSettings()
{
    QSettings &file = d->file;
    Settings *s = d->settings;

    file.beginGroup(QStringLiteral("Global"));
    s->setMultiSampleSize(file.value(QStringLiteral("MultiSampleSize"), 0).toInt());
    s->setGraphicsBackend(file.value(QStringLiteral("GraphicsBackend")).toString());
    s->setRemember(file.value(QStringLiteral("Remeber"), false).toBool());
    s->setAutoLogin(file.value(QStringLiteral("AutoLogin"), false).toBool());
    d->readHosts();
    s->setUsername(file.value(QStringLiteral("Username")).toString());
    s->setPassword(QString::fromUtf8(QByteArray::fromBase64(file.value(QStringLiteral("Password")).toString().toLatin1())));
    s->setEnableDebug(file.value(QStringLiteral("EnableDebug"), false).toBool());
    s->setPtzSpeed(file.value(QStringLiteral("PtzSpeed"), 0).toInt());
    s->setLayout(file.value(QStringLiteral("Layout")).toString());
    s->setSnapshotPath(file.value(QStringLiteral("SnapshotPath")).toString());
    s->setRecordPath(file.value(QStringLiteral("RecordPath")).toString());
    file.endGroup();

    file.beginGroup(QStringLiteral("VideoConfig"));
    s->setPlayerProtocol(file.value(QStringLiteral("PlayerProtocol"), QStringLiteral("RTSP")).toString().toUpper());
    s->setPlayerProDecodeType(file.value(QStringLiteral("PlayerProDecodeType"), 0).toInt());
    s->setPlayerConnectionType(file.value(QStringLiteral("PlayerConnectionType"), 0).toInt());
    file.endGroup();

    file.beginGroup(QStringLiteral("Layout"));
    QStringList layouts;
    const int layoutCount = file.childKeys().size();
    for (int i = 1; i <= layoutCount; ++i)
        layouts.append(file.value(QStringLiteral("layout") + QString::number(i)).toString());
    s->setLayoutList(layouts);
    file.endGroup();

    file.beginGroup(QStringLiteral("Other"));
    s->setCarouselOnStart(file.value(QStringLiteral("CarouselOnStart"), false).toBool());
    s->setCarouselList(toIntList(file.value(QStringLiteral("CarouselList"))));
    s->setCarouselInterval(file.value(QStringLiteral("CarouselInterval"), 30).toInt());
    file.endGroup();
}

void SettingManager::writeSettings()
{
    QSettings &file = d->file;
    const Settings *s = d->settings;

    file.beginGroup(QStringLiteral("Global"));
    file.setValue(QStringLiteral("MultiSampleSize"), s->multiSampleSize());
    file.setValue(QStringLiteral("GraphicsBackend"), s->graphicsBackend());
    file.setValue(QStringLiteral("Remeber"), s->remember());
    file.setValue(QStringLiteral("AutoLogin"), s->autoLogin());
    d->writeHosts();
    file.setValue(QStringLiteral("Username"), s->username());
    file.setValue(QStringLiteral("Password"), QString::fromLatin1(s->password().toUtf8().toBase64()));
    file.setValue(QStringLiteral("EnableDebug"), s->enableDebug());
    file.setValue(QStringLiteral("PtzSpeed"), s->ptzSpeed());
    file.setValue(QStringLiteral("Layout"), s->layout());
    file.setValue(QStringLiteral("SnapshotPath"), s->snapshotPath());
    file.setValue(QStringLiteral("RecordPath"), s->recordPath());
    file.endGroup();

    file.beginGroup(QStringLiteral("VideoConfig"));
    file.setValue(QStringLiteral("PlayerProtocol"), s->playerProtocol());
    file.setValue(QStringLiteral("PlayerProDecodeType"), s->playerProDecodeType());
    file.setValue(QStringLiteral("PlayerConnectionType"), s->playerConnectionType());
    file.endGroup();

    file.beginGroup(QStringLiteral("Other"));
    file.setValue(QStringLiteral("CarouselOnStart"), s->carouselOnStart());
    file.setValue(QStringLiteral("CarouselList"), toVariantList(s->carouselList()));
    file.setValue(QStringLiteral("CarouselInterval"), s->carouselInterval());
    file.endGroup();

    d->prepareOwnerOnlyFile();
    file.sync();
}

void SettingManager::refreshHost()
{
    const Settings *s = d->settings;
    const int current = s->hosts().indexOf(s->host() + QLatin1Char(':') + s->port());
    int index = -1;
    if (current >= 0 && current + 1 < s->hosts().size()) {
        index = current + 1;
        d->hostIndex = index;
        d->parseHostAndPort(s->hosts().at(index));
    }
    qDebug() << "refreshHost" << index << s->host() << s->port();
}

void SettingManager::setConfigPath(const QString &path)
{
    d->configDirectory = path;
}

bool SettingManager::applicationNeedRestart()
{
    return g_applicationNeedRestart;
}

void SettingManager::setApplicationNeedRestart(bool restart)
{
    g_applicationNeedRestart = restart;
}
