// The editor window's behaviour: file actions with their guards and the grid and box tools
// (read, validate, call the document). The view's input is in kivo_editor_view.cpp.
#include "editor/kivo_editor.h"

#include "editor/box_picker.h"
#include "editor/map_document.h"
#include "editor/ogre_widget.h"
#include "editor/recent_files.h"
#include "editor/recovery.h"
#include "editor/selection_rule.h"
#include "world/box.h"
#include "world/box_materials.h"
#include "world/level_ogre.h"
#include "world/monster.h"
#include "world/paths.h"
#include "world/scene.h"
#include "world/waypoint.h"

#include <OgreCamera.h>
#include <OgreLight.h>
#include <OgreMaterialManager.h>
#include <OgreSceneNode.h>

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>

namespace {

const char* const kTitle = "KIVOEditor";
const char* const kFolderKey = "lastFolder";
const int kStatusMs = 5000;

float number(const QLineEdit* field)
{
    return QLocale::c().toFloat(field->text());
}

Ogre::Vector3 vector(const std::array<QLineEdit*, 3>& fields)
{
    return Ogre::Vector3(number(fields[0]), number(fields[1]), number(fields[2]));
}

CMapDocument::AxisFlags flags(const std::array<QCheckBox*, 3>& checks)
{
    return {checks[0]->isChecked(), checks[1]->isChecked(), checks[2]->isChecked()};
}

bool anyEmpty(std::initializer_list<const QLineEdit*> fields)
{
    for (const QLineEdit* field : fields) {
        if (field->text().isEmpty())
            return true;
    }
    return false;
}

std::vector<std::string> selectedNames(const QListWidget* list)
{
    std::vector<std::string> names;
    for (const QListWidgetItem* item : list->selectedItems())
        names.push_back(item->text().toStdString());
    return names;
}

} // namespace

KIVOEditor::KIVOEditor(QWidget* parent) : QMainWindow(parent)
{
    mOgreWidget = new OgreWidget;
    mView = mOgreWidget;
    setUpDocument(OgreWidget::kSceneManagerName, OgreWidget::kCameraName);
    connect(mOgreWidget, &OgreWidget::ready, this, &KIVOEditor::loadMaterialsToComboLists);
    // Asked once the window shows and maps can be opened.
    connect(mOgreWidget, &OgreWidget::ready, this,
            [this] { QTimer::singleShot(0, this, &KIVOEditor::offerRecoveryCopies); });
}

KIVOEditor::KIVOEditor(const std::string& sceneManagerName, const std::string& cameraName,
                       QWidget* parent)
    : QMainWindow(parent)
{
    mView = new QWidget;
    mView->setFocusPolicy(Qt::StrongFocus);
    setUpDocument(sceneManagerName, cameraName);
    loadMaterialsToComboLists();
}

KIVOEditor::~KIVOEditor()
{
    // The scene goes before the view's Ogre root; the window hears nothing of its end.
    mDocument->undoStack().disconnect(this);
    mDocument.reset();
}

void KIVOEditor::setUpDocument(const std::string& sceneManagerName, const std::string& cameraName)
{
    mDocument = std::make_unique<CMapDocument>(sceneManagerName, cameraName);
    buildWidgets();
    buildMenus();
    buildCheckDock();
    buildSessionTools();
    connectSlots();
    mView->installEventFilter(this);
    connect(&mDocument->undoStack(), &QUndoStack::indexChanged, this, &KIVOEditor::updateFromScene);
    connect(&mDocument->undoStack(), &QUndoStack::cleanChanged, this, &KIVOEditor::updateTitle);
    radioButtonGrid();
    updateTitle();
}

void KIVOEditor::connectSlots()
{
    connect(radioButtonGridCreate, &QRadioButton::toggled, this, &KIVOEditor::radioButtonGrid);
    connect(radioButtonGridAdd, &QRadioButton::toggled, this, &KIVOEditor::radioButtonGrid);
    const std::pair<QPushButton*, void (KIVOEditor::*)()> buttons[] = {
        {buttonGridCreate, &KIVOEditor::buttonCreateGrid},
        {buttonGridAddBox_, &KIVOEditor::buttonGridAddBox},
        {buttonSelectGrid, &KIVOEditor::buttonGridSelectGrid},
        {buttonCopySelection_, &KIVOEditor::buttonCopySelection},
        {buttonGridDelete, &KIVOEditor::buttonRemoveGrid},
        {buttonGridI[0], &KIVOEditor::buttonI0},
        {buttonGridI[1], &KIVOEditor::buttonI1},
        {buttonGridI[2], &KIVOEditor::buttonI2},
        {buttonGridI[3], &KIVOEditor::buttonI3},
        {buttonGridI[4], &KIVOEditor::buttonI4},
        {buttonBoxVertexMove_, &KIVOEditor::buttonBoxVertexMove},
        {buttonEditSetMaterial, &KIVOEditor::buttonBoxSetMaterial},
        {buttonEditDeleteSelection, &KIVOEditor::buttonBoxDeleteSelection},
        {buttonEditMoveSelection_, &KIVOEditor::buttonEditMoveSelection},
        {buttonSelectionForward, &KIVOEditor::buttonMoveSelectionForward},
        {buttonSelectionBackward, &KIVOEditor::buttonMoveSelectionBackward},
        {buttonSelectionLeft, &KIVOEditor::buttonMoveSelectionLeft},
        {buttonSelectionRight, &KIVOEditor::buttonMoveSelectionRight},
        {buttonSelectionUp, &KIVOEditor::buttonMoveSelectionUp},
        {buttonSelectionDown, &KIVOEditor::buttonMoveSelectionDown},
    };
    for (const auto& [widget, slot] : buttons)
        connect(widget, &QPushButton::clicked, this, slot);
    connectObjectSlots();
}

// ---------------------------------------------------------------------------------------------
// Dialog seams

void KIVOEditor::warn(const QString& text)
{
    QMessageBox::warning(this, kMessageTitle, text);
}

QString KIVOEditor::chooseOpenFile(const QString& folder)
{
    QFileDialog dialog(this, QStringLiteral("Open"), folder, kMapFilter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Both map folders one click away: the user's own and the shipped maps.
    const QString own = QString::fromStdString(paths::userMapDir());
    const QString shipped = QString::fromStdString(paths::shippedMapDir());
    dialog.setSidebarUrls({QUrl::fromLocalFile(own), QUrl::fromLocalFile(shipped)});
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString KIVOEditor::chooseSaveFile(const QString& folder)
{
    QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("Save as"), folder, kMapFilter);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QLatin1String(paths::kMapExtension);
    return path;
}

int KIVOEditor::askToSave()
{
    return QMessageBox::question(
        this, kMessageTitle, QStringLiteral("The map has unsaved changes.\nSave them first?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
}

// ---------------------------------------------------------------------------------------------
// Files

QString KIVOEditor::lastFolder() const
{
    return QSettings().value(kFolderKey, QString::fromStdString(paths::userMapDir())).toString();
}

QString KIVOEditor::saveFolder() const
{
    // A map from a folder the user may write to is saved beside itself; a new map, or one of
    // the installed maps, goes to the user's own map folder.
    const QFileInfo current(QString::fromStdString(mDocument->fileName()));
    if (!mDocument->fileName().empty() && QFileInfo(current.absolutePath()).isWritable())
        return current.absolutePath();
    return QString::fromStdString(paths::userMapDir());
}

void KIVOEditor::rememberFolder(const QString& path)
{
    QSettings().setValue(kFolderKey, QFileInfo(path).absolutePath());
}

void KIVOEditor::updateTitle()
{
    const std::string& file = mDocument->fileName();
    QString title = QString::fromLatin1(kTitle);
    if (mDocument->isLoaded())
        title += QStringLiteral(" - ") +
                 (file.empty() ? QStringLiteral("untitled")
                               : QFileInfo(QString::fromStdString(file)).fileName()) +
                 QStringLiteral("[*]");
    setWindowTitle(title);
    setWindowModified(mDocument->isModified());
}

bool KIVOEditor::saveTo(const QString& path)
{
    if (!path.isEmpty() && !checkMap()) {
        QStringList errors;
        for (int i = 0; i < listMapProblems->count(); ++i) {
            if (listMapProblems->item(i)->text().startsWith(QStringLiteral("Error")))
                errors << listMapProblems->item(i)->text();
        }
        if (!confirmSaveWithProblems(errors.join(QLatin1Char('\n'))))
            return false;
    }
    if (path.isEmpty() || !mDocument->saveMap(path.toStdString())) {
        const QString reason = QString::fromStdString(mDocument->saveError());
        warn(QStringLiteral("Can't save map file!") +
             (reason.isEmpty() ? QString() : QStringLiteral("\n") + reason));
        return false;
    }
    actionSave->setEnabled(true);
    updateTitle();
    mRecentFiles->add(path);
    statusBar()->showMessage(QStringLiteral("Saved ") + path, kStatusMs);
    return true;
}

bool KIVOEditor::maySkipUnsavedChanges()
{
    if (!mDocument->isModified())
        return true;
    switch (askToSave()) {
    case QMessageBox::Save:
        if (mDocument->fileName().empty()) {
            const QString path = chooseSaveFile(saveFolder());
            if (path.isEmpty())
                return false;
            rememberFolder(path);
            return saveTo(path);
        }
        return saveTo(QString::fromStdString(mDocument->fileName()));
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void KIVOEditor::mapLoaded()
{
    mPanning = mRotating = mFirstRotateMove = false;
    updateFromScene();
    tabToolbox->setEnabled(true);
    actionSave->setEnabled(true);
    actionSave_as->setEnabled(true);
    updateTitle();
}

void KIVOEditor::menuBar(QAction* action)
{
    if (action == actionExit) {
        close();
    } else if (action == actionNeu) {
        if (mOgreWidget && !mOgreWidget->isReady())
            return;
        if (!maySkipUnsavedChanges())
            return;
        mDocument->newMap();
        mapLoaded();
    } else if (action == actionOpen) {
        if ((mOgreWidget && !mOgreWidget->isReady()) || !maySkipUnsavedChanges())
            return;
        const QString path = chooseOpenFile(lastFolder());
        if (!path.isEmpty())
            openPath(path);
    } else if (action == actionSave_as) {
        const QString path = chooseSaveFile(saveFolder());
        if (path.isEmpty())
            return;
        rememberFolder(path);
        saveTo(path);
    } else if (action == actionSave) {
        saveTo(QString::fromStdString(mDocument->fileName()));
    }
}

void KIVOEditor::openPath(const QString& path)
{
    rememberFolder(path);
    if (!mDocument->openMap(path.toStdString())) {
        warn(QStringLiteral("Can't open map file!"));
        return;
    }
    mRecentFiles->add(path);
    mapLoaded();
}

void KIVOEditor::closeEvent(QCloseEvent* event)
{
    if (maySkipUnsavedChanges()) {
        mRecoveryTimer->stop();
        mRecovery->remove(); // saved or given up: nothing is left to recover
        event->accept();
    } else {
        event->ignore();
    }
}

void KIVOEditor::updateFromScene()
{
    refillLists();
    updateTitle();
}

// ---------------------------------------------------------------------------------------------
// Grid tab

void KIVOEditor::radioButtonGrid()
{
    // Creating needs the counts; adding needs a grid chosen in the list. The name stays open
    // in both modes: "Copy Selection" takes it too.
    const bool create = radioButtonGridCreate->isChecked();
    lineGridXBoxes->setEnabled(create);
    lineGridYBoxes->setEnabled(create);
    buttonGridCreate->setEnabled(create);
    buttonGridAddBox_->setEnabled(!create);
}

void KIVOEditor::loadMaterialsToComboLists()
{
    if (!Ogre::MaterialManager::getSingletonPtr())
        return;
    QStringList names;
    for (const std::string& material : boxMaterials()) {
        if (CMapDocument::materialExists(material))
            names << QString::fromStdString(material);
    }
    for (QComboBox* combo : {comboBoxGridMaterial, comboBoxEditMaterial}) {
        while (combo->count() > 1)
            combo->removeItem(1);
        combo->addItems(names);
    }
}

void KIVOEditor::buttonCreateGrid()
{
    if (anyEmpty({lineGridXBoxes, lineGridYBoxes, lineGridPosX, lineGridPosY, lineGridPosZ,
                  lineGridName, lineGridSize})) {
        warn(QStringLiteral("Can't create grid!\n Please fill all input widgets!"));
        return;
    }
    const auto result = mDocument->createGrid(
        lineGridName->text().toStdString(), comboBoxGridMaterial->currentText().toStdString(),
        lineGridXBoxes->text().toInt(), lineGridYBoxes->text().toInt(),
        Ogre::Vector3(number(lineGridPosX), number(lineGridPosY), number(lineGridPosZ)),
        number(lineGridSize));
    if (result == CMapDocument::EGridResult::InvalidInput)
        warn(QStringLiteral("Can't create grid!\n Please fill all input widgets!"));
    else if (result == CMapDocument::EGridResult::NameTaken)
        warn(QStringLiteral("This name already exist!\n Please choose another!"));
}

void KIVOEditor::buttonGridAddBox()
{
    const QList<QListWidgetItem*> grids = listGrid->selectedItems();
    if (grids.size() != 1 || anyEmpty({lineGridPosX, lineGridPosY, lineGridPosZ, lineGridSize}) ||
        !mDocument->addBox(
            grids[0]->text().toStdString(), comboBoxGridMaterial->currentText().toStdString(),
            Ogre::Vector3(number(lineGridPosX), number(lineGridPosY), number(lineGridPosZ)),
            number(lineGridSize))) {
        warn(QStringLiteral("Can't add box to selected grid!\n Please fill in all input widgets "
                            "and select a grid!"));
    }
}

void KIVOEditor::buttonGridSelectGrid()
{
    if (selectionChangeFor(QGuiApplication::keyboardModifiers(), false) ==
        ESelectionChange::Replace)
        mDocument->clearSelection();
    mDocument->selectGrids(selectedNames(listGrid));
    showSelectedPosition();
}

void KIVOEditor::buttonRemoveGrid()
{
    reportDeletion(mDocument->deleteGrids(selectedNames(listGrid)));
}

void KIVOEditor::buttonCopySelection()
{
    if (lineGridName->text().isEmpty()) {
        warn(QStringLiteral("Can't create grid!\n Please fill all input widgets!"));
        return;
    }
    const auto result = mDocument->copySelection(lineGridName->text().toStdString(),
                                                 comboBoxGridMaterial->currentText().toStdString());
    if (result == CMapDocument::EGridResult::InvalidInput)
        warn(QStringLiteral("Can't create grid!\n Please fill all input widgets!"));
    else if (result == CMapDocument::EGridResult::NameTaken)
        warn(QStringLiteral("This name already exist!\n Please choose another!"));
}

// ---------------------------------------------------------------------------------------------
// Edit tab

void KIVOEditor::reportDeletion(const CMapDocument::SDeletion& deletion)
{
    statusBar()->showMessage(
        QStringLiteral("Deleted %1 boxes, %2 start and %3 finish points, %4 waypoints, %5 monsters")
            .arg(deletion.boxes)
            .arg(deletion.startPoints)
            .arg(deletion.finishPoints)
            .arg(deletion.waypoints)
            .arg(deletion.monsters),
        kStatusMs);
}

void KIVOEditor::buttonBoxDeleteSelection()
{
    reportDeletion(mDocument->deleteSelection());
}

void KIVOEditor::buttonBoxSetMaterial()
{
    if (!mDocument->setMaterial(comboBoxEditMaterial->currentText().toStdString(),
                                checkBoxEditFitTexture->isChecked()))
        warn(QStringLiteral("Material doesn't exist!"));
}

void KIVOEditor::toggleVertexButton(int index)
{
    // A chosen vertex shows as a flat button.
    buttonGridI[index]->setFlat(buttonGridI[index]->isChecked());
}

void KIVOEditor::buttonBoxVertexMove()
{
    CMapDocument::VertexFlags chosen{};
    const bool top = radioButtonEditTop->isChecked() || radioButtonEditBoth->isChecked();
    const bool bottom = radioButtonEditBottom->isChecked() || radioButtonEditBoth->isChecked();
    for (int i = 0; i < 5; ++i) {
        const bool on = buttonGridI[i]->isChecked();
        if (top)
            chosen[i] = on;
        if (bottom && i < 4)
            chosen[i + 5] = on; // the bottom corner below top corner i
    }
    if (std::none_of(chosen.begin(), chosen.end(), [](bool on) { return on; })) {
        warn(QStringLiteral("Please select at least one vertex!"));
        return;
    }
    if (anyEmpty({lineBoxVertexMove[0], lineBoxVertexMove[1], lineBoxVertexMove[2]})) {
        warn(QStringLiteral("Please fill in a height value for the vertex manipulation!"));
        return;
    }
    mDocument->moveVertices(chosen, vector(lineBoxVertexMove), flags(checkBoxVertexAbsolute),
                            checkBoxEditNearPoints->isChecked());
}

void KIVOEditor::buttonEditMoveSelection()
{
    mDocument->moveSelection(vector(lineEditMove), flags(checkEditMoveAbsolute));
}

void KIVOEditor::nudge(QLineEdit* field, const Ogre::Vector3& direction)
{
    mDocument->nudgeSelection(direction * std::abs(number(field)));
}

void KIVOEditor::buttonMoveSelectionForward()
{
    nudge(lineEditMove[2], Ogre::Vector3::NEGATIVE_UNIT_Z);
}

void KIVOEditor::buttonMoveSelectionBackward()
{
    nudge(lineEditMove[2], Ogre::Vector3::UNIT_Z);
}

void KIVOEditor::buttonMoveSelectionLeft()
{
    nudge(lineEditMove[0], Ogre::Vector3::NEGATIVE_UNIT_X);
}

void KIVOEditor::buttonMoveSelectionRight()
{
    nudge(lineEditMove[0], Ogre::Vector3::UNIT_X);
}

void KIVOEditor::buttonMoveSelectionUp()
{
    nudge(lineEditMove[1], Ogre::Vector3::UNIT_Y);
}

void KIVOEditor::buttonMoveSelectionDown()
{
    nudge(lineEditMove[1], Ogre::Vector3::NEGATIVE_UNIT_Y);
}

void KIVOEditor::showSelectedPosition()
{
    const std::vector<std::string>& selected = mDocument->selectedBoxNames();
    const SLevelBox* box = selected.empty() ? nullptr : mDocument->level().findBox(selected.back());
    if (!box)
        return;
    const Ogre::Vector3 position = toOgre(box->position);
    for (int i = 0; i < 3; ++i) {
        const QString text = QString::number(position[i], 'g', 6);
        lineEditMove[i]->setText(text);
        lineBoxVertexMove[i]->setText(text);
    }
}
