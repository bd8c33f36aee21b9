#pragma once

#include "files/SavedLook.h"

#include <QObject>
#include <QString>

class ControlPanel;
class PictureBox;
class PortraitCanvas;
class QRadioButton;
class QTimer;
struct EditingState;

// "See it as saved": while P is held over the view, the view shows the portrait as
// the chosen quality stores it (decoded from a real in-memory encode); releasing the
// key shows the portrait again. The four quality options' tooltips give the size each
// level would write: worked out when first asked for, then refreshed shortly after the
// portrait changes.
class AsSavedPreview : public QObject {
    Q_OBJECT
public:
    static constexpr Qt::Key HoldKey = Qt::Key_P;
    // Changes arriving closer together than this are sized once.
    static constexpr int SizeDelayMs = 200;

    AsSavedPreview(PortraitCanvas& canvas, const EditingState& state, PictureBox& view, ControlPanel& panel,
                   QObject* parent = nullptr);

    bool isShowing() const { return m_showing; }
    void show();
    void hide();
    // Sizes the four levels now and writes them into the tooltips.
    void refreshSizes();
    // An output setting changed: the sizes at once, and the held look too.
    void outputChanged();
    QTimer* sizeTimer() const { return m_sizeTimer; }

    static QString sizeTip(int quality, qint64 bytes);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keyIsForUs(QObject* receiver) const;
    bool isQualityOption(const QObject* watched) const;
    void render();

    PortraitCanvas& m_canvas;
    const EditingState& m_state;
    PictureBox& m_view;
    ControlPanel& m_panel;
    SavedLook m_look;
    QTimer* m_sizeTimer;
    bool m_showing = false;
    bool m_sizesKnown = false;
};
