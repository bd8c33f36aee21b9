#pragma once

#include <QDialog>
#include <QPixmap>
#include <QTimer>

class QLabel;

// The About window: title, credit and version scrolling up over a background picture,
// darkening as they reach its light upper part. Loaded for each opening.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 312;
    static constexpr int ClientHeight = 213;
    static constexpr int ScrollTwips = 25;
    static constexpr int StartTopTwips = 60;

    explicit frmAbout(const QString& version, QWidget* parent = nullptr);

    void Form_Load();
    void tmrScroll_Timer();

    QLabel* lblText() const { return m_text; }
    QTimer& tmrScroll() { return m_timer; }
    int labelTopTwips() const { return m_topTwips; }
    int ScrollStep() const { return m_scrollStep; }
    int greyLevel() const { return m_grey; }

    static int greyLevelAt(int scrollStep);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void placeLabel();

    QString m_version;
    QPixmap m_background;
    QLabel* m_text;
    QTimer m_timer;
    int m_topTwips = StartTopTwips;
    int m_scrollStep = 0;
    int m_grey = 255;
};
