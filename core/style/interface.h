#pragma once

#include <QObject>
#include <QScopedPointer>
#include <QString>

class InterfacePrivate;

// The page switches of "ui_config.ini": which pages the main window offers, and
// which start checked.
class Interface : public QObject
{
    Q_OBJECT

public:
    // Reads "config/ui_config.ini" beside the executable.
    explicit Interface(QObject *parent = nullptr);
    // Reads the given file; tests point it at a file of their own.
    Interface(const QString &iniPath, QObject *parent);
    ~Interface() override;

    static QString defaultFilePath();

    Q_INVOKABLE bool visible(const QString &pageName) const;
    Q_INVOKABLE bool checked(const QString &pageName) const;

private:
    QScopedPointer<InterfacePrivate> d;
};
