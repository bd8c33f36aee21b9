#include "mainwindow/MainToolBar.h"

#include "platform/PixelArt.h"

#include <QAction>
#include <QActionGroup>
#include <QLayout>
#include <QToolButton>
#include <utility>

namespace {
const char* const TagProperty = "tag";
}

MainToolBar::MainToolBar(QWidget* parent) : QToolBar(parent), m_tools(new QActionGroup(this))
{
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setContentsMargins(0, 0, 0, 0);
    layout()->setContentsMargins(0, 0, 0, 0);
    layout()->setSpacing(0);
    setStyleSheet(QStringLiteral("QToolBar { border: 0px; padding: 0px; spacing: 0px; }"
                                 "QToolBar::separator { width: %1px; margin: 0px; }"
                                 "QToolButton { margin: 0px; padding: 0px; }")
                      .arg(SeparatorWidth));
    m_tools->setExclusive(true);

    addTaggedButton("New", tr("New Portrait"), "new");
    addTaggedButton("Open", tr("Open Portrait"), "open");
    addTaggedButton("Save", tr("Save Portrait"), "save");
    addTaggedButton("Import", tr("Import Bitmap"), "import");
    addFixedSeparator();
    for (auto [id, tip, image] : {std::tuple{ToolId::Brush, QT_TR_NOOP("Brush Tool"), "brush"},
                                  std::tuple{ToolId::Selector, QT_TR_NOOP("Grab Color"), "selector"},
                                  std::tuple{ToolId::Fill, QT_TR_NOOP("Fill Tool"), "fill"},
                                  std::tuple{ToolId::Replace, QT_TR_NOOP("Replace Colors"), "replace"},
                                  std::tuple{ToolId::Gamma, QT_TR_NOOP("Adjust Gamma"), "gamma"}}) {
        QAction* tool = addTaggedButton(Tools::tagOf(id), tr(tip), image);
        tool->setCheckable(true);
        m_tools->addAction(tool);
    }
    toolButton(ToolId::Brush)->setChecked(true);
    QAction* grid = addTaggedButton("Grid", tr("Toggle Grid"), "grid");
    grid->setCheckable(true);
    grid->setChecked(true);
    addFixedSeparator();
    addTaggedButton("About", tr("About Pictoria.."), "about");

    // Keyboard shortcuts reach the same buttons, so their pressed states follow. Ctrl+S
    // saves in place and Ctrl+Shift+S asks (the window's own actions); the button asks.
    const std::pair<QString, QKeySequence> shortcuts[] = {
        {"New", QKeySequence(Qt::CTRL | Qt::Key_N)},
        {"Open", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"Import", QKeySequence(Qt::CTRL | Qt::Key_I)},
        {Tools::tagOf(ToolId::Brush), QKeySequence(Qt::Key_B)},
        {Tools::tagOf(ToolId::Selector), QKeySequence(Qt::Key_I)},
        {Tools::tagOf(ToolId::Fill), QKeySequence(Qt::Key_F)},
        {Tools::tagOf(ToolId::Replace), QKeySequence(Qt::Key_R)},
        {Tools::tagOf(ToolId::Gamma), QKeySequence(Qt::Key_G)},
        {"Grid", QKeySequence(Qt::CTRL | Qt::Key_G)}};
    for (const auto& [tag, keys] : shortcuts)
        buttonByTag(tag)->setShortcut(keys);

    connect(this, &QToolBar::actionTriggered, this, [this](QAction* action) {
        const QString tag = tagOf(action);
        if (!tag.isEmpty())
            emit buttonClick(tag);
    });
}

QAction* MainToolBar::addTaggedButton(const QString& tag, const QString& tooltip, const QString& image)
{
    QAction* action = addAction(PixelArt::icon(QStringLiteral(":/toolbar/%1.png").arg(image)), QString());
    action->setToolTip(tooltip);
    action->setProperty(TagProperty, tag);
    if (auto* button = qobject_cast<QToolButton*>(widgetForAction(action)))
        button->setFixedSize(ButtonWidth, ButtonHeight);
    return action;
}

void MainToolBar::addFixedSeparator()
{
    addSeparator();
}

QAction* MainToolBar::button(int index) const
{
    const QList<QAction*> all = actions();
    return index >= 1 && index <= all.size() ? all[index - 1] : nullptr;
}

QAction* MainToolBar::buttonByTag(const QString& tag) const
{
    for (QAction* a : actions())
        if (tagOf(a) == tag)
            return a;
    return nullptr;
}

QString MainToolBar::tagOf(const QAction* action) const
{
    return action ? action->property(TagProperty).toString() : QString();
}

QAction* MainToolBar::toolButton(ToolId tool) const
{
    return buttonByTag(Tools::tagOf(tool));
}

bool MainToolBar::gridPressed() const
{
    const QAction* grid = button(11);
    return grid && grid->isChecked();
}
