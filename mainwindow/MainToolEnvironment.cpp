#include "mainwindow/MainToolEnvironment.h"

#include "document/EditingState.h"
#include "mainwindow/ColourWell.h"
#include "mainwindow/ControlPanel.h"
#include "platform/PictureBox.h"
#include "platform/PixelArt.h"
#include "platform/StatusBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QScrollArea>

MainToolEnvironment::MainToolEnvironment(EditingState& state, ControlPanel& panel, StatusBar& statusBar,
                                         PictureBox& view)
    : m_state(state), m_panel(panel), m_statusBar(statusBar), m_view(view)
{
}

void MainToolEnvironment::showCell(const QString& text)
{
    m_statusBar.setPanelText(3, text);
}

void MainToolEnvironment::showColour(const QPixmap& swatch, const QString& text, const QString& tip)
{
    m_statusBar.setPanelIcon(2, swatch);
    m_statusBar.setPanelText(2, text);
    m_statusBar.setPanelToolTip(2, tip);
}

bool MainToolEnvironment::useForegroundBackgroundForReplace() const
{
    return m_panel.chkUseFGBG->isChecked();
}

void MainToolEnvironment::setViewCursor(ViewCursor cursor)
{
    if (cursor == ViewCursor::Eyedropper) {
        m_view.setCursor(
            PixelArt::cursor(QStringLiteral(":/cursors/eyedropper.png"), 9, 23, m_view.devicePixelRatioF()));
    } else {
        m_view.setCursor(Qt::CrossCursor);
    }
}

void MainToolEnvironment::pickColour(Well well, Colour c)
{
    switch (well) {
    case Well::Foreground:
        m_state.FGColor = c;
        m_panel.picFG->setFill(c);
        break;
    case Well::Background:
        m_state.BGColor = c;
        m_panel.picBG->setFill(c);
        break;
    case Well::Replace1:
        m_state.R1Color = c;
        m_panel.picR1->setFill(c);
        break;
    case Well::Replace2:
        m_state.R2Color = c;
        m_panel.picR2->setFill(c);
        break;
    }
}

void MainToolEnvironment::popupStep(int shift, float x, float y)
{
    if (m_popupStep)
        m_popupStep(shift, x, y);
}

void MainToolEnvironment::redrawPopup()
{
    if (m_redrawPopup)
        m_redrawPopup();
}

bool MainToolEnvironment::pointerOverView() const
{
    // Not while another window holds the input (the import window): the pointer the view
    // saw last is not there for it any more.
    const QWidget* modal = QApplication::activeModalWidget();
    return m_view.pointerInClient() && (!modal || modal == m_view.window());
}

void MainToolEnvironment::keepInView(const QRect& viewArea)
{
    for (QWidget* w = m_view.parentWidget(); w; w = w->parentWidget()) {
        if (auto* scroller = qobject_cast<QScrollArea*>(w)) {
            const QRect r = viewArea.translated(m_view.clientOrigin());
            scroller->ensureVisible(r.center().x(), r.center().y(), r.width() / 2 + 1, r.height() / 2 + 1);
            return;
        }
    }
}

void MainToolEnvironment::setPopup(std::function<void(int, float, float)> step, std::function<void()> redraw)
{
    m_popupStep = std::move(step);
    m_redrawPopup = std::move(redraw);
}
