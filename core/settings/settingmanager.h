#pragma once

#include <QObject>
#include <QScopedPointer>

#include "settings.h"

class SettingManagerPivate;

// Owns "config.ini" and the one Settings record the whole client reads.
class SettingManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Settings *settings READ settings NOTIFY settingsChanged)

public:
    // The singleton works on "./config/" under the working directory.
    static SettingManager *instance();

    // Tests construct their own store on a folder of their choice.
    explicit SettingManager(const QString &configDirectory, QObject *parent = nullptr);
    ~SettingManager() override;

    Settings *settings() const;
    QString configFilePath() const;

public slots:
    void readSettings();
    void writeSettings();
    void refreshHost();
    void setConfigPath(const QString &path);
    bool applicationNeedRestart();
    void setApplicationNeedRestart(bool restart);

signals:
    void settingsChanged();

private:
    QScopedPointer<SettingManagerPivate> d;
};
