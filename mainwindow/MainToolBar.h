#pragma once

#include "tools/ToolId.h"

#include <QToolBar>

class QAction;
class QActionGroup;

// The main window's toolbar: 13 buttons (two of them separators) laid from x = 0,
// each button 23 x 22 with a 16 x 16 image, separators 8 pixels wide. Every button
// carries a tag; clicks come out as buttonClick(tag) after the pressed state changed.
class MainToolBar : public QToolBar {
    Q_OBJECT
public:
    static constexpr int ButtonWidth = 23;
    static constexpr int ButtonHeight = 22;
    static constexpr int SeparatorWidth = 8;

    explicit MainToolBar(QWidget* parent = nullptr);

    // 1-based, separators included.
    QAction* button(int index) const;
    QAction* buttonByTag(const QString& tag) const;
    QAction* toolButton(ToolId tool) const;
    QString tagOf(const QAction* action) const;
    int buttonCount() const { return int(actions().size()); }

    bool gridPressed() const;

signals:
    void buttonClick(const QString& tag);

private:
    QAction* addTaggedButton(const QString& tag, const QString& tooltip, const QString& image);
    void addFixedSeparator();

    QActionGroup* m_tools;
};
