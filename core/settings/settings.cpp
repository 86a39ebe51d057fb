#include "settings.h"

#include "propertyhelpers.h"

class SettingsPrivate
{
public:
    QString graphicsBackend;
    int multiSampleSize = 0;
    bool remember = false;
    bool autoLogin = false;
    QString host;
    QStringList hosts;
    QString port;
    QString username;
    QString password;
    QString playerProtocol;
    int playerProDecodeType = 0;
    int playerConnectionType = 0;
    bool enableDebug = false;
    int ptzSpeed = 0;
    QString layout;
    QString snapshotPath;
    QString recordPath;
    QStringList layoutList;
    bool carouselOnStart = false;
    QList<int> carouselList;
    int carouselInterval = 0;
};

Settings::Settings(QObject *parent)
    : QObject(parent)
    , d(new SettingsPrivate)
{
}

Settings::~Settings() = default;

QString Settings::graphicsBackend() const
{
    return d->graphicsBackend;
}

void Settings::setGraphicsBackend(const QString &value)
{
    Zelka::assignIfChanged(this, d->graphicsBackend, value, &Settings::graphicsBackendChanged);
}

int Settings::multiSampleSize() const
{
    return d->multiSampleSize;
}

void Settings::setMultiSampleSize(int value)
{
    Zelka::assignIfChanged(this, d->multiSampleSize, value, &Settings::multiSampleSizeChanged);
}

bool Settings::remember() const
{
    return d->remember;
}

void Settings::setRemember(bool value)
{
    Zelka::assignIfChanged(this, d->remember, value, &Settings::rememberChanged);
}

bool Settings::autoLogin() const
{
    return d->autoLogin;
}

void Settings::setAutoLogin(bool value)
{
    Zelka::assignIfChanged(this, d->autoLogin, value, &Settings::autoLoginChanged);
}

QString Settings::host() const
{
    return d->host;
}

void Settings::setHost(const QString &value)
{
    Zelka::assignIfChanged(this, d->host, value, &Settings::hostChanged);
}

QStringList Settings::hosts() const
{
    return d->hosts;
}

void Settings::setHosts(const QStringList &value)
{
    Zelka::assignIfChanged(this, d->hosts, value, &Settings::hostsChanged);
}

QString Settings::port() const
{
    return d->port;
}

void Settings::setPort(const QString &value)
{
    Zelka::assignIfChanged(this, d->port, value, &Settings::portChanged);
}

QString Settings::username() const
{
    return d->username;
}

void Settings::setUsername(const QString &value)
{
    Zelka::assignIfChanged(this, d->username, value, &Settings::usernameChanged);
}

QString Settings::password() const
{
    return d->password;
}

void Settings::setPassword(const QString &value)
{
    Zelka::assignIfChanged(this, d->password, value, &Settings::passwordChanged);
}

QString Settings::playerProtocol() const
{
    return d->playerProtocol;
}

void Settings::setPlayerProtocol(const QString &value)
{
    Zelka::assignIfChanged(this, d->playerProtocol, value, &Settings::playerProtocolChanged);
}

int Settings::playerProDecodeType() const
{
    return d->playerProDecodeType;
}

void Settings::setPlayerProDecodeType(int value)
{
    Zelka::assignIfChanged(this, d->playerProDecodeType, value, &Settings::playerProDecodeTypeChanged);
}

int Settings::playerConnectionType() const
{
    return d->playerConnectionType;
}

void Settings::setPlayerConnectionType(int value)
{
    Zelka::assignIfChanged(this, d->playerConnectionType, value, &Settings::playerConnectionTypeChanged);
}

bool Settings::enableDebug() const
{
    return d->enableDebug;
}

void Settings::setEnableDebug(bool value)
{
    Zelka::assignIfChanged(this, d->enableDebug, value, &Settings::enableDebugChanged);
}

int Settings::ptzSpeed() const
{
    return d->ptzSpeed;
}

void Settings::setPtzSpeed(int value)
{
    Zelka::assignIfChanged(this, d->ptzSpeed, value, &Settings::ptzSpeedChanged);
}

QString Settings::layout() const
{
    return d->layout;
}

void Settings::setLayout(const QString &value)
{
    Zelka::assignIfChanged(this, d->layout, value, &Settings::layoutChanged);
}

QString Settings::snapshotPath() const
{
    return d->snapshotPath;
}

void Settings::setSnapshotPath(const QString &value)
{
    Zelka::assignIfChanged(this, d->snapshotPath, value, &Settings::snapshotPathChanged);
}

QString Settings::recordPath() const
{
    return d->recordPath;
}

void Settings::setRecordPath(const QString &value)
{
    Zelka::assignIfChanged(this, d->recordPath, value, &Settings::recordPathChanged);
}

QStringList Settings::layoutList() const
{
    return d->layoutList;
}

void Settings::setLayoutList(const QStringList &value)
{
    Zelka::assignIfChanged(this, d->layoutList, value, &Settings::layoutListChanged);
}

bool Settings::carouselOnStart() const
{
    return d->carouselOnStart;
}

void Settings::setCarouselOnStart(bool value)
{
    Zelka::assignIfChanged(this, d->carouselOnStart, value, &Settings::carouselOnStartChanged);
}

QList<int> Settings::carouselList() const
{
    return d->carouselList;
}

void Settings::setCarouselList(const QList<int> &value)
{
    Zelka::assignIfChanged(this, d->carouselList, value, &Settings::carouselListChanged);
}

int Settings::carouselInterval() const
{
    return d->carouselInterval;
}

void Settings::setCarouselInterval(int value)
{
    Zelka::assignIfChanged(this, d->carouselInterval, value, &Settings::carouselIntervalChanged);
}
