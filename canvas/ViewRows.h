#pragma once

#include <QRgb>

// The row operations the view is built from, n pixels each.
namespace ViewRows {
// A plain copy.
void copy(QRgb* d, const QRgb* s, int n);
// The overlay's pixel where it is not the key colour, else the source's made opaque.
void compose(QRgb* d, const QRgb* s, const QRgb* overlay, int n, QRgb key);
} // namespace ViewRows
