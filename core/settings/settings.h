#pragma once

#include <QList>
#include <QObject>
#include <QScopedPointer>
#include <QStringList>

class SettingsPrivate;

// The client's persistent configuration record; SettingManager fills and stores it.
class Settings : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString graphicsBackend READ graphicsBackend WRITE setGraphicsBackend NOTIFY graphicsBackendChanged)
    Q_PROPERTY(int multiSampleSize READ multiSampleSize WRITE setMultiSampleSize NOTIFY multiSampleSizeChanged)
    Q_PROPERTY(bool remember READ remember WRITE setRemember NOTIFY rememberChanged)
    Q_PROPERTY(bool autoLogin READ autoLogin WRITE setAutoLogin NOTIFY autoLoginChanged)
    Q_PROPERTY(QString host READ host WRITE setHost NOTIFY hostChanged)
    Q_PROPERTY(QStringList hosts READ hosts WRITE setHosts NOTIFY hostsChanged)
    Q_PROPERTY(QString port READ port WRITE setPort NOTIFY portChanged)
    Q_PROPERTY(QString username READ username WRITE setUsername NOTIFY usernameChanged)
    Q_PROPERTY(QString password READ password WRITE setPassword NOTIFY passwordChanged)
    Q_PROPERTY(QString playerProtocol READ playerProtocol WRITE setPlayerProtocol NOTIFY playerProtocolChanged)
    Q_PROPERTY(int playerProDecodeType READ playerProDecodeType WRITE setPlayerProDecodeType NOTIFY playerProDecodeTypeChanged)
    Q_PROPERTY(int playerConnectionType READ playerConnectionType WRITE setPlayerConnectionType NOTIFY playerConnectionTypeChanged)
    Q_PROPERTY(bool enableDebug READ enableDebug WRITE setEnableDebug NOTIFY enableDebugChanged)
    Q_PROPERTY(int ptzSpeed READ ptzSpeed WRITE setPtzSpeed NOTIFY ptzSpeedChanged)
    Q_PROPERTY(QString layout READ layout WRITE setLayout NOTIFY layoutChanged)
    Q_PROPERTY(QString snapshotPath READ snapshotPath WRITE setSnapshotPath NOTIFY snapshotPathChanged)
    Q_PROPERTY(QString recordPath READ recordPath WRITE setRecordPath NOTIFY recordPathChanged)
    Q_PROPERTY(QStringList layoutList READ layoutList WRITE setLayoutList NOTIFY layoutListChanged)
    Q_PROPERTY(bool carouselOnStart READ carouselOnStart WRITE setCarouselOnStart NOTIFY carouselOnStartChanged)
    Q_PROPERTY(QList<int> carouselList READ carouselList WRITE setCarouselList NOTIFY carouselListChanged)
    Q_PROPERTY(int carouselInterval READ carouselInterval WRITE setCarouselInterval NOTIFY carouselIntervalChanged)

public:
    explicit Settings(QObject *parent = nullptr);
    ~Settings() override;

    QString graphicsBackend() const;
    void setGraphicsBackend(const QString &value);
    int multiSampleSize() const;
    void setMultiSampleSize(int value);
    bool remember() const;
    void setRemember(bool value);
    bool autoLogin() const;
    void setAutoLogin(bool value);
    QString host() const;
    void setHost(const QString &value);
    QStringList hosts() const;
    void setHosts(const QStringList &value);
    QString port() const;
    void setPort(const QString &value);
    QString username() const;
    void setUsername(const QString &value);
    QString password() const;
    void setPassword(const QString &value);
    QString playerProtocol() const;
    void setPlayerProtocol(const QString &value);
    int playerProDecodeType() const;
    void setPlayerProDecodeType(int value);
    int playerConnectionType() const;
    void setPlayerConnectionType(int value);
    bool enableDebug() const;
    void setEnableDebug(bool value);
    int ptzSpeed() const;
    void setPtzSpeed(int value);
    QString layout() const;
    void setLayout(const QString &value);
    QString snapshotPath() const;
    void setSnapshotPath(const QString &value);
    QString recordPath() const;
    void setRecordPath(const QString &value);
    QStringList layoutList() const;
    void setLayoutList(const QStringList &value);
    bool carouselOnStart() const;
    void setCarouselOnStart(bool value);
    QList<int> carouselList() const;
    void setCarouselList(const QList<int> &value);
    int carouselInterval() const;
    void setCarouselInterval(int value);

signals:
    void graphicsBackendChanged();
    void multiSampleSizeChanged();
    void rememberChanged();
    void autoLoginChanged();
    void hostChanged();
    void hostsChanged();
    void portChanged();
    void usernameChanged();
    void passwordChanged();
    void playerProtocolChanged();
    void playerProDecodeTypeChanged();
    void playerConnectionTypeChanged();
    void enableDebugChanged();
    void ptzSpeedChanged();
    void layoutChanged();
    void snapshotPathChanged();
    void recordPathChanged();
    void layoutListChanged();
    void carouselOnStartChanged();
    void carouselListChanged();
    void carouselIntervalChanged();

private:
    QScopedPointer<SettingsPrivate> d;
};
