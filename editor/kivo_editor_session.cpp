// KIVOEditor: what keeps a designer's session safe and in view: the undo history dock, the
// live map check, the recovery copies of unsaved changes and the offer to restore them.
#include "editor/kivo_editor.h"

#include "editor/map_document.h"
#include "editor/recovered_changes_command.h"
#include "editor/recovery.h"

#include <QAction>
#include <QDockWidget>
#include <QFileInfo>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QUndoView>

namespace {

const int kHistoryWidth = 220;
// The check runs again once the designer pauses this long after a change.
const int kLiveCheckDelayMs = 300;
const int kStatusMs = 5000;

} // namespace

void KIVOEditor::buildSessionTools()
{
    auto* history = new QDockWidget(QStringLiteral("Undo history"), this);
    history->setObjectName(QStringLiteral("dockHistory"));
    auto* view = new QUndoView(&mDocument->undoStack(), history);
    view->setObjectName(QStringLiteral("undoView"));
    view->setEmptyLabel(QStringLiteral("<map as opened>"));
    view->setToolTip(QStringLiteral("Click a step to go back or forward to it"));
    history->setWidget(view);
    addDockWidget(Qt::RightDockWidgetArea, history);
    // The dock widens the window, so the view and the tools keep their size and place.
    resize(width() + kHistoryWidth, height());
    resizeDocks({history}, {kHistoryWidth}, Qt::Horizontal);

    QMenu* menu = QMainWindow::menuBar()->addMenu(QStringLiteral("View"));
    menu->setObjectName(QStringLiteral("menuView"));
    menu->addAction(history->toggleViewAction());
    menu->addAction(findChild<QDockWidget*>(QStringLiteral("dockMapCheck"))->toggleViewAction());
    menu->addSeparator();
    const struct
    {
        const char* name;
        const char* text;
        Qt::Key key;
        void (KIVOEditor::*slot)();
    } frames[] = {
        {"actionFrameSelection", "Frame selection", Qt::Key_F, &KIVOEditor::frameSelection},
        {"actionFrameAll", "Frame all", Qt::Key_Home, &KIVOEditor::frameAll}};
    for (const auto& frame : frames) {
        QAction* action = menu->addAction(QString::fromLatin1(frame.text));
        action->setObjectName(QString::fromLatin1(frame.name));
        action->setShortcut(QKeySequence(frame.key));
        connect(action, &QAction::triggered, this, frame.slot);
    }

    mCheckTimer = new QTimer(this);
    mCheckTimer->setSingleShot(true);
    mCheckTimer->setInterval(kLiveCheckDelayMs);
    connect(mCheckTimer, &QTimer::timeout, this, &KIVOEditor::refreshMapCheck);

    mRecovery = std::make_unique<CRecovery>();
    mRecoveryTimer = new QTimer(this);
    mRecoveryTimer->setSingleShot(true);
    mRecoveryTimer->setInterval(CRecovery::intervalMs());
    connect(mRecoveryTimer, &QTimer::timeout, this, &KIVOEditor::writeRecoveryCopy);

    connect(&mDocument->undoStack(), &QUndoStack::indexChanged, this, &KIVOEditor::documentChanged);
    connect(&mDocument->undoStack(), &QUndoStack::cleanChanged, this, [this](bool clean) {
        if (clean) {
            mRecoveryTimer->stop();
            mRecovery->remove();
        }
    });
}

void KIVOEditor::documentChanged()
{
    mCheckTimer->start();
    // At most one copy per interval: the first change after a copy starts the wait.
    if (mDocument->isModified() && !mRecoveryTimer->isActive())
        mRecoveryTimer->start();
}

void KIVOEditor::writeRecoveryCopy()
{
    if (!mDocument->isLoaded() || !mDocument->isModified()) {
        mRecovery->remove();
        return;
    }
    std::string reason;
    if (!mRecovery->write(mDocument->mapText(), QString::fromStdString(mDocument->fileName()),
                          reason))
        statusBar()->showMessage(QStringLiteral("Can't keep a recovery copy: ") +
                                     QString::fromStdString(reason),
                                 kStatusMs);
}

int KIVOEditor::askToRestore(const QString& mapName, const QDateTime& written)
{
    QMessageBox box(QMessageBox::Question, kMessageTitle,
                    QStringLiteral("The editor ended without saving the changes to %1.\n"
                                   "A recovery copy from %2 holds them. Restore it?")
                        .arg(mapName, QLocale().toString(written, QLocale::ShortFormat)),
                    QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("recoveryOffer"));
    QPushButton* restore = box.addButton(QStringLiteral("Restore"), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Discard);
    box.addButton(QStringLiteral("Keep for later"), QMessageBox::RejectRole);
    box.setDefaultButton(restore);
    box.exec();
    if (box.clickedButton() == restore)
        return QMessageBox::Ok;
    return box.standardButton(box.clickedButton());
}

void KIVOEditor::offerRecoveryCopies()
{
    std::vector<SRecoveryCopy> copies = CRecovery::leftBehind();
    for (SRecoveryCopy& copy : copies) {
        const QString name = copy.originalPath.isEmpty() ? QStringLiteral("an untitled map")
                                                         : QFileInfo(copy.originalPath).fileName();
        const int answer = askToRestore(name, copy.written);
        if (answer == QMessageBox::Discard) {
            CRecovery::discard(copy);
        } else if (answer == QMessageBox::Ok && restore(copy)) {
            CRecovery::discard(copy);
            break; // one map at a time: the others wait for the next start
        }
    }
}

bool KIVOEditor::restore(SRecoveryCopy& copy)
{
    std::string text;
    if (!CRecovery::read(copy, text)) {
        warn(QStringLiteral("Can't read the recovery copy ") + copy.map);
        return false;
    }
    // On top of the map as saved, so the restored changes are unsaved changes of that file.
    const QString original = copy.originalPath;
    const bool reopened = !original.isEmpty() && mDocument->openMap(original.toStdString());
    if (!reopened)
        mDocument->newMap();
    mDocument->undoStack().push(new CRecoveredChangesCommand(*mDocument, text));
    mapLoaded();
    writeRecoveryCopy(); // this editor keeps the changes safe from now on
    if (!original.isEmpty() && !reopened)
        warn(QStringLiteral("The map file %1 can't be opened any more.\nThe recovered map is "
                            "open as a new map: save it under a name.")
                 .arg(original));
    statusBar()->showMessage(QStringLiteral("Recovered changes restored"), kStatusMs);
    return true;
}
