#pragma once

#include <QList>
#include <QObject>
#include <QScopedPointer>

#include "deviceinfo.h"

class DeviceManagerPrivate;

// Holds the server's current device tree for the pages.
class DeviceManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QList<DeviceInfo *> deviceList READ deviceList NOTIFY deviceListChanged)

public:
    static DeviceManager *instance();

    explicit DeviceManager(QObject *parent = nullptr);
    ~DeviceManager() override;

    QList<DeviceInfo *> deviceList() const;
    // Releases the devices it replaces (deferred) and always notifies.
    void setDeviceList(const QList<DeviceInfo *> &list);
    void cleanupDeviceList();

signals:
    void deviceListChanged();

private:
    QScopedPointer<DeviceManagerPrivate> d;
};
