#include "mainwindow/RecentFiles.h"

#include "platform/StatusBar.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QToolButton>

RecentFiles::RecentFiles(QToolButton* openButton, StatusBar& status, std::function<void(const QString&)> open,
                         QObject* parent)
    : QObject(parent), m_status(status), m_open(std::move(open)), m_menu(new QMenu(openButton))
{
    m_menu->setObjectName(QStringLiteral("mnuRecent"));
    m_menu->setToolTipsVisible(true);
    // A click still opens the dialog; holding the button shows the list, and so does a
    // right click, without changing the toolbar's button sizes.
    openButton->setMenu(m_menu);
    openButton->setPopupMode(QToolButton::DelayedPopup);
    openButton->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(openButton, &QWidget::customContextMenuRequested, m_menu,
            [this, openButton] { m_menu->popup(openButton->mapToGlobal(QPoint(0, openButton->height()))); });
    rebuildMenu();
}

void RecentFiles::add(const QString& file)
{
    if (file.isEmpty())
        return;
    const QString path = QFileInfo(file).absoluteFilePath();
    m_files.removeAll(path);
    m_files.prepend(path);
    while (m_files.size() > MostFiles)
        m_files.removeLast();
    rebuildMenu();
}

void RecentFiles::setFiles(const QStringList& files)
{
    m_files.clear();
    for (const QString& file : files)
        if (!file.isEmpty() && !m_files.contains(file) && m_files.size() < MostFiles)
            m_files << file;
    rebuildMenu();
}

void RecentFiles::choose(int index)
{
    if (index < 0 || index >= m_files.size())
        return;
    const QString file = m_files[index];
    if (!QFileInfo(file).isFile()) {
        m_files.removeAt(index);
        rebuildMenu();
        m_status.setPanelText(1, tr("%1 is no longer there; it was taken off the recent portraits.")
                                     .arg(QDir::toNativeSeparators(file)));
        return;
    }
    m_open(file);
}

void RecentFiles::rebuildMenu()
{
    m_menu->clear();
    if (m_files.isEmpty()) {
        m_menu->addAction(tr("No recent portraits"))->setEnabled(false);
        return;
    }
    for (int i = 0; i < m_files.size(); ++i) {
        const QFileInfo info(m_files[i]);
        // "&1 face.jpg  (/home/me/portraits)": the digit is the entry's key.
        QString name = info.fileName();
        name.replace(u'&', QStringLiteral("&&"));
        QAction* entry = m_menu->addAction(QStringLiteral("&%1 %2  (%3)")
                                               .arg(i + 1 == 10 ? 0 : i + 1)
                                               .arg(name, QDir::toNativeSeparators(info.absolutePath())));
        entry->setToolTip(QDir::toNativeSeparators(m_files[i]));
        connect(entry, &QAction::triggered, this, [this, i] { choose(i); });
    }
}
