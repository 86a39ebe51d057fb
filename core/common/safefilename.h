#pragma once

#include <QString>

// File names built from server or user texts (titles, channel names) must stay inside
// their folder: path separators, control characters and leading dots become '-';
// ordinary names come back unchanged.
namespace SafeFileName {

QString fromText(const QString &text);

} // namespace SafeFileName
