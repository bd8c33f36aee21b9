#pragma once

#include <QImage>
#include <QObject>

class PortraitDocument;
class QAction;
class QWidget;

// Whole-portrait moves, each one change of the document (one undo step): mirror left to
// right (Ctrl+Shift+M), flip top to bottom (Ctrl+Shift+F), and shift by one cell with
// the arrow keys (Ctrl+Shift+Left/Right/Up/Down), what leaves one edge coming back at the
// other. Nothing happens while a stroke or a pick is still open.
class PortraitTransforms : public QObject {
    Q_OBJECT
public:
    PortraitTransforms(QWidget* window, PortraitDocument& document);

    void mirror();
    void flip();
    // By whole cells; any distance, wrapping round.
    void shift(int dx, int dy);

    static QImage mirrored(const QImage& portrait);
    static QImage flipped(const QImage& portrait);
    static QImage shifted(const QImage& portrait, int dx, int dy);

    QAction* mirrorAction() const { return m_mirror; }
    QAction* flipAction() const { return m_flip; }

private:
    void replace(const QImage& portrait);

    PortraitDocument& m_document;
    QAction* m_mirror;
    QAction* m_flip;
};
