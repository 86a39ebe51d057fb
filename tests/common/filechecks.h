#pragma once

#include <QFile>

// Owner read/write and nothing for group or others. (The "User" bits of Qt's
// permissions mirror the owner's for our own files, so they are not compared.)
inline bool isOwnerOnly(const QString &path)
{
    const QFileDevice::Permissions p = QFile::permissions(path);
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    return (p & others) == 0 && (p & QFileDevice::ReadOwner) && (p & QFileDevice::WriteOwner);
}
