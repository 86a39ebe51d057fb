#pragma once

#include <QHashFunctions>
#include <QMetaType>

// One tile of one map type: the type's layer in the map source, zoom level, column, row.
struct TileKey
{
    int layer = -1;
    int z = 0;
    int x = 0;
    int y = 0;

    friend bool operator==(const TileKey &a, const TileKey &b)
    {
        return a.layer == b.layer && a.z == b.z && a.x == b.x && a.y == b.y;
    }
    friend bool operator!=(const TileKey &a, const TileKey &b) { return !(a == b); }
    friend size_t qHash(const TileKey &key, size_t seed = 0) { return qHashMulti(seed, key.layer, key.z, key.x, key.y); }

    // The tile one level up that covers this one; a level-0 tile is its own parent.
    TileKey parent() const { return z == 0 ? *this : TileKey{layer, z - 1, x >> 1, y >> 1}; }
};
Q_DECLARE_METATYPE(TileKey)
