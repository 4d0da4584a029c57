// The maps opened or saved last, newest first, kept in the editor's settings (QSettings:
// $XDG_CONFIG_HOME/kivo/kivo-editor.conf), and the "Open Recent" menu that shows them. A map
// that is gone shows greyed out until it is back or the list is cleared.
#pragma once

#include <QObject>
#include <QStringList>

class QMenu;

class CRecentFiles : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMaxFiles = 8;

    // Fills the menu afresh each time it opens.
    explicit CRecentFiles(QMenu* menu);

    QStringList files() const;
    // Puts the map first (once, by its absolute path), dropping the oldest beyond kMaxFiles.
    void add(const QString& path);
    void clear();

signals:
    void chosen(const QString& path);

private:
    void fillMenu();

    QMenu* mMenu;
};
