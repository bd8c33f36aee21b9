#pragma once

#include <QFont>
#include <QString>

// The program's small interface font: Verdana where installed, else DejaVu Sans, at 6.75 pt.
namespace UiFont {
inline constexpr qreal PointSize = 6.75;

// Both families in order of preference, for Qt to resolve.
QFont font();
// The one of the two families that is installed, for a store that keeps a single name.
QString family();
} // namespace UiFont
