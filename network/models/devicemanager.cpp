#include "devicemanager.h"

class DeviceManagerPrivate
{
public:
    void releaseAll()
    {
        for (DeviceInfo *device : std::as_const(deviceList))
            device->deleteLater();
    }

    QList<DeviceInfo *> deviceList;
};

DeviceManager *DeviceManager::instance()
{
    static DeviceManager manager;
    return &manager;
}

DeviceManager::DeviceManager(QObject *parent)
    : QObject(parent)
    , d(new DeviceManagerPrivate)
{
}

DeviceManager::~DeviceManager()
{
    // The devices have no parent; at process exit there is no event loop left to defer to.
    qDeleteAll(d->deviceList);
}

QList<DeviceInfo *> DeviceManager::deviceList() const
{
    return d->deviceList;
}

void DeviceManager::setDeviceList(const QList<DeviceInfo *> &list)
{
    d->releaseAll();
    d->deviceList = list;
    emit deviceListChanged();
}

void DeviceManager::cleanupDeviceList()
{
    d->releaseAll();
    d->deviceList.clear();
    emit deviceListChanged();
}
