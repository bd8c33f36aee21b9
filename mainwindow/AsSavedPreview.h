#pragma once

#include "files/SavedLook.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <cstdint>

class ControlPanel;
class PictureBox;
class PortraitCanvas;
class PortraitDocument;
class QRadioButton;
class QTimer;
struct EditingState;

// "See it as saved": while P is held over the view, the view shows the portrait as
// the chosen quality stores it (decoded from a real in-memory encode), on its as-saved
// layer, under the grid, the cell cursor and the popup; releasing the key shows the
// portrait again. The look is worked out once per portrait and output setting, not on
// pointer moves. The four quality options' tooltips give the size each level would
// write: worked out when first asked for, then refreshed shortly after the portrait
// changes.
class AsSavedPreview : public QObject {
    Q_OBJECT
public:
    static constexpr Qt::Key HoldKey = Qt::Key_P;
    // Changes arriving closer together than this are sized once.
    static constexpr int SizeDelayMs = 200;

    AsSavedPreview(const PortraitDocument& document, PortraitCanvas& canvas, const EditingState& state,
                   PictureBox& view, ControlPanel& panel, QObject* parent = nullptr);

    bool isShowing() const { return m_showing; }
    void show();
    void hide();
    // Sizes the four levels now and writes them into the tooltips.
    void refreshSizes();
    // An output setting changed: the sizes at once, and the held look too.
    void outputChanged();
    QTimer* sizeTimer() const { return m_sizeTimer; }
    // How many times the look was encoded and decoded.
    int looksWorkedOut() const { return m_looks; }

    static QString sizeTip(int quality, qint64 bytes);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keyIsForUs(QObject* receiver) const;
    bool isQualityOption(const QObject* watched) const;
    void render();

    const PortraitDocument& m_document;
    PortraitCanvas& m_canvas;
    const EditingState& m_state;
    PictureBox& m_view;
    ControlPanel& m_panel;
    SavedLook m_look;
    QTimer* m_sizeTimer;
    bool m_showing = false;
    bool m_sizesKnown = false;
    int m_looks = 0;
    // The last look, and what it was worked out from: the portrait (its image's cache key
    // changes with every write), the quality and the colour detail.
    QImage m_lookPicture;
    qint64 m_lookKey = 0;
    std::int32_t m_lookQuality = 0;
    bool m_lookDetail = false;
};
