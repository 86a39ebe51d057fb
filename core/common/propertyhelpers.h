#pragma once

#include <QObject>

namespace Zelka {

// Setters of notifying properties store and emit only when the value changes.
template <typename Owner, typename T, typename Signal>
bool assignIfChanged(Owner *owner, T &field, const T &value, Signal changed)
{
    if (field == value)
        return false;
    field = value;
    emit (owner->*changed)();
    return true;
}

} // namespace Zelka
