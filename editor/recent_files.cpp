// The recent maps list and its menu.
#include "editor/recent_files.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace {

const char* const kKey = "recentFiles";

} // namespace

CRecentFiles::CRecentFiles(QMenu* menu) : QObject(menu), mMenu(menu)
{
    // Filled only as it opens: an entry's own action must outlive the opening it starts.
    connect(menu, &QMenu::aboutToShow, this, &CRecentFiles::fillMenu);
}

QStringList CRecentFiles::files() const
{
    QStringList files = QSettings().value(kKey).toStringList();
    files.removeAll(QString());
    return files.mid(0, kMaxFiles);
}

void CRecentFiles::add(const QString& path)
{
    const QString file = QFileInfo(path).absoluteFilePath();
    QStringList files = this->files();
    files.removeAll(file);
    files.prepend(file);
    QSettings().setValue(kKey, files.mid(0, kMaxFiles));
}

void CRecentFiles::clear()
{
    QSettings().remove(kKey);
}

void CRecentFiles::fillMenu()
{
    mMenu->clear();
    const QStringList files = this->files();
    int number = 1;
    for (const QString& file : files) {
        // "&1 name.kivom", with the whole path as the tip; Alt and the number choose it.
        QAction* action = mMenu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(
            QFileInfo(file).fileName().replace(QLatin1Char('&'), QStringLiteral("&&"))));
        action->setToolTip(file);
        action->setStatusTip(file);
        action->setEnabled(QFileInfo(file).isFile());
        connect(action, &QAction::triggered, this, [this, file] { emit chosen(file); });
    }
    if (files.isEmpty())
        mMenu->addAction(QStringLiteral("No recent maps"))->setEnabled(false);
    mMenu->addSeparator();
    QAction* clearList = mMenu->addAction(QStringLiteral("Clear list"));
    clearList->setObjectName(QStringLiteral("actionClearRecent"));
    clearList->setEnabled(!files.isEmpty());
    connect(clearList, &QAction::triggered, this, &CRecentFiles::clear);
}
