#include "paintedparts.h"

#include <QRgb>

#include <algorithm>
#include <vector>

namespace {

// Whether any pixel of the picture within `area` has some alpha.
bool showsAnything(const QImage &picture, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qAlpha(line[x]) != 0)
                return true;
        }
    }
    return false;
}

} // namespace

QList<QRect> paintedParts(const QImage &picture, int cell)
{
    if (picture.isNull())
        return {};
    if (!picture.hasAlphaChannel() || cell <= 0)
        return {picture.rect()};
    const QImage pixels = picture.format() == QImage::Format_ARGB32_Premultiplied
                              || picture.format() == QImage::Format_ARGB32
                              ? picture
                              : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int columns = (pixels.width() + cell - 1) / cell;
    const int rows = (pixels.height() + cell - 1) / cell;
    QList<QRect> parts;
    // The rectangles that ended at the row above, open for a merge with this row's.
    std::vector<int> open;
    const auto painted = [&](int column, int row) {
        const QRect area(column * cell - 1, row * cell - 1, cell + 2, cell + 2);
        return showsAnything(pixels, area.intersected(pixels.rect()));
    };
    for (int row = 0; row < rows; ++row) {
        std::vector<int> openNow;
        for (int column = 0; column < columns;) {
            if (!painted(column, row)) {
                ++column;
                continue;
            }
            int end = column + 1;
            while (end < columns && painted(end, row))
                ++end;
            const QRect run = QRect(column * cell, row * cell, (end - column) * cell, cell).intersected(pixels.rect());
            const auto above = std::find_if(open.begin(), open.end(), [&](int index) {
                return parts[index].left() == run.left() && parts[index].right() == run.right();
            });
            if (above != open.end()) {
                parts[*above].setBottom(run.bottom());
                openNow.push_back(*above);
            } else {
                openNow.push_back(int(parts.size()));
                parts.append(run);
            }
            column = end + 1; // `end` is past the row or not painted
        }
        open.swap(openNow);
    }
    return parts;
}
