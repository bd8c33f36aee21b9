#pragma once

#include <QCoreApplication>
#include <QPoint>
#include <QString>
#include <cmath>

// Where the import window's outline and region lie for a pointer position over the
// picture. The outline is 50 x 58 with a 1-pixel border; the region is exactly its inside,
// 48 x 56, and is not clamped to the picture.
struct ImportRegion {
    static constexpr int OutlineWidth = 50;
    static constexpr int OutlineHeight = 58;
    static constexpr int Width = 48;
    static constexpr int Height = 56;

    QPoint outline; // top-left of the outline
    QPoint origin;  // top-left of the region

    static ImportRegion at(float x, float y)
    {
        // Half-way positions round to even, as the platform's float-to-integer conversion does.
        auto round = [](float v) { return int(std::nearbyint(v)); };
        return {{round(x - OutlineWidth / 2 + 1), round(y - OutlineHeight / 2 + 1)},
                {round(x - OutlineWidth / 2 + 2), round(y - OutlineHeight / 2 + 2)}};
    }

    // The end coordinates are one past the region.
    QString statusText() const
    {
        return QCoreApplication::translate("frmImport", "Image imported (%1, %2 to %3, %4).")
            .arg(origin.x())
            .arg(origin.y())
            .arg(origin.x() + Width)
            .arg(origin.y() + Height);
    }
};
