#include "interface.h"

#include <QCoreApplication>
#include <QHash>
#include <QSettings>

class InterfacePrivate
{
public:
    void read(const QString &iniPath);
    void readEntry(const QString &pageName, const QString &value);

    QHash<QString, bool> visible;
    QHash<QString, bool> checked;
};

namespace {

bool isTrueWord(const QString &word)
{
    return word == QLatin1String("true");
}

} // namespace

void InterfacePrivate::read(const QString &iniPath)
{
    QSettings file(iniPath, QSettings::IniFormat);
    const QStringList groups = file.childGroups();
    for (const QString &group : groups) {
        file.beginGroup(group);
        const QStringList keys = file.childKeys();
        for (const QString &key : keys)
            readEntry(key, file.value(key).toString());
        file.endGroup();
    }
}

void InterfacePrivate::readEntry(const QString &pageName, const QString &value)
{
    // "visible" or "visible:checked"; anything longer is not a switch.
    const QStringList words = value.split(QLatin1Char(':'), Qt::KeepEmptyParts);
    if (words.size() > 2)
        return;
    visible.insert(pageName, isTrueWord(words.at(0)));
    checked.insert(pageName, words.size() == 2 && isTrueWord(words.at(1)));
}

Interface::Interface(QObject *parent)
    : Interface(defaultFilePath(), parent)
{
}

Interface::Interface(const QString &iniPath, QObject *parent)
    : QObject(parent)
    , d(new InterfacePrivate)
{
    d->read(iniPath);
}

Interface::~Interface() = default;

QString Interface::defaultFilePath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/config/ui_config.ini");
}

bool Interface::visible(const QString &pageName) const
{
    return d->visible.value(pageName, false);
}

bool Interface::checked(const QString &pageName) const
{
    return d->checked.value(pageName, false);
}
