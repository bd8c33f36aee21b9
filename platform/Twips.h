#pragma once

class QWidget;

// Twips are 1/1440 inch: 15 a pixel at 96 dots per inch.
double twipsPerPixelX(const QWidget* widget = nullptr);
double twipsPerPixelY(const QWidget* widget = nullptr);
