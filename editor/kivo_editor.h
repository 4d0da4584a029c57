// KIVOEditor: the editor's main window. It shows the 3D view and the tool box, reads and
// validates what the designer typed, and hands every change to the map document; the file
// actions guard unsaved changes.
#pragma once

#include "editor/map_document.h"

#include <OgreColourValue.h>
#include <OgreVector.h>

#include <QDateTime>
#include <QMainWindow>
#include <QStringList>

#include <array>
#include <memory>
#include <string>

class CRecentFiles;
class CRecovery;
class OgreWidget;
struct SRecoveryCopy;
class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QTimer;

class KIVOEditor : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr const char* kMessageTitle = "KIVO Editor";
    static constexpr const char* kMapFilter = "KIVOMap (*.kivom)";

    // The program's window: the 3D view starts Ogre when it is first shown.
    explicit KIVOEditor(QWidget* parent = nullptr);
    // A window without a 3D view, editing in an Ogre that is already running (tests).
    KIVOEditor(const std::string& sceneManagerName, const std::string& cameraName,
               QWidget* parent = nullptr);
    ~KIVOEditor() override;

    CMapDocument* document() const { return mDocument.get(); }

public slots:
    void radioButtonGrid();
    void buttonGridAddBox();
    void menuBar(QAction* action);
    void buttonEditMoveSelection();
    void loadMaterialsToComboLists();
    void buttonGridSelectGrid();
    void buttonBoxSetMaterial();
    void buttonBoxVertexMove();
    void buttonBoxDeleteSelection();
    void buttonRemoveGrid();
    void buttonCreateGrid();
    void buttonI0() { toggleVertexButton(0); }
    void buttonI1() { toggleVertexButton(1); }
    void buttonI2() { toggleVertexButton(2); }
    void buttonI3() { toggleVertexButton(3); }
    void buttonI4() { toggleVertexButton(4); }
    void updateFromScene();
    void buttonCopySelection();
    void buttonMoveSelectionForward();
    void buttonMoveSelectionBackward();
    void buttonMoveSelectionLeft();
    void buttonMoveSelectionRight();
    void buttonMoveSelectionUp();
    void buttonMoveSelectionDown();

    // Lights, waypoints, points and monsters (kivo_editor_objects.cpp).
    void buttonLightsCreate();
    void buttonLightsEdit();
    void buttonLightsDelete();
    void selectLight();
    void unselectLights();
    void editLightValues();
    void setAmbientLight();
    void buttonWaypointsCreate();
    void buttonWaypointsRemove();
    void buttonWaypointsNeighbourAdd();
    void buttonWaypointsNeighbourRemove();
    void buttonWaypointsSetWeight();
    void updateListWaypointNeighbours();
    void buttonOtherCreatePoint();
    void buttonOtherDeletePoint();
    void buttonOtherMonsterCreate();
    void buttonOtherMonsterDelete();
    void listOtherMonsterUpdate();
    // The map check into its dock; true when it found no error (warnings may remain).
    bool checkMap();
    // The same, quietly: the dock's list follows the map (a short pause after each change).
    bool refreshMapCheck();
    // Offers each recovery copy that an editor left behind; restoring one opens it as unsaved
    // changes of its map (the program's window does this once its 3D view runs).
    void offerRecoveryCopies();
    // The camera looks at the selected boxes (F), or at the whole level (Home).
    void frameSelection();
    void frameAll();
    // Saves the map to a temporary file and starts the game on it in a single-player round.
    void playMap();

protected:
    // Seams for the dialogs, so tests can answer them.
    virtual void warn(const QString& text);
    virtual QString chooseOpenFile(const QString& folder);
    virtual QString chooseSaveFile(const QString& folder);
    // Save, Discard or Cancel for unsaved changes.
    virtual int askToSave();
    // Save a map with the listed errors anyway?
    virtual bool confirmSaveWithProblems(const QString& problems);
    // Restore, Discard or keep for later (anything else) a recovery copy.
    virtual int askToRestore(const QString& mapName, const QDateTime& written);
    // Starts the game program detached; false when it could not be started.
    virtual bool startGame(const QString& program, const QStringList& arguments);

    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWidgets();
    void buildMenus();
    void connectSlots();
    void setUpDocument(const std::string& sceneManagerName, const std::string& cameraName);
    void mapLoaded();
    void updateTitle();
    bool saveTo(const QString& path);
    bool maySkipUnsavedChanges();
    QString lastFolder() const;
    QString saveFolder() const;
    void rememberFolder(const QString& path);
    void openPath(const QString& path);

    // History dock, recent maps, live check, recovery copies (kivo_editor_session.cpp).
    void buildSessionTools();
    void documentChanged();
    void writeRecoveryCopy();
    bool restore(SRecoveryCopy& copy);
    void frame(bool selectionOnly);

    void toggleVertexButton(int index);
    void nudge(QLineEdit* field, const Ogre::Vector3& direction);
    void showSelectedPosition();
    void reportDeletion(const CMapDocument::SDeletion& deletion);
    void connectObjectSlots();
    void buildCheckDock();
    void refillLists();
    void selectProblemBoxes(QListWidgetItem* item);
    Ogre::ColourValue colourOf(const std::array<QSpinBox*, 3>& spins) const;

    // The view's input (ignored until a map is loaded).
    bool viewMousePress(QMouseEvent* event);
    bool viewMouseMove(QMouseEvent* event);
    bool viewMouseRelease(QMouseEvent* event);
    bool viewWheel(QWheelEvent* event);
    bool viewKeyPress(QKeyEvent* event);
    QPointF normalised(const QPointF& position) const;

    std::unique_ptr<CMapDocument> mDocument;
    OgreWidget* mOgreWidget = nullptr;
    QWidget* mView = nullptr;

    // Camera control of the view.
    bool mPanning = false;
    bool mRotating = false;
    bool mFirstRotateMove = false;
    QPointF mLastNormalised;
    QPointF mLastAbsolute;

    // The widget tree; every widget carries its object name, which tests look up.
    QTabWidget* tabToolbox = nullptr;
    QAction* actionNeu = nullptr;
    QAction* actionOpen = nullptr;
    QAction* actionSave = nullptr;
    QAction* actionSave_as = nullptr;
    QAction* actionExit = nullptr;
    QAction* actionUndo = nullptr;
    QAction* actionRedo = nullptr;

    QLineEdit *lineGridXBoxes, *lineGridYBoxes, *lineGridPosX, *lineGridPosY, *lineGridPosZ;
    QLineEdit *lineGridName, *lineGridSize;
    QComboBox* comboBoxGridMaterial;
    QRadioButton *radioButtonGridCreate, *radioButtonGridAdd;
    QPushButton *buttonGridCreate, *buttonGridAddBox_, *buttonSelectGrid, *buttonCopySelection_;
    QPushButton* buttonGridDelete;
    QListWidget* listGrid;

    std::array<QPushButton*, 5> buttonGridI;
    QRadioButton *radioButtonEditTop, *radioButtonEditBottom, *radioButtonEditBoth;
    QCheckBox* checkBoxEditNearPoints;
    std::array<QLineEdit*, 3> lineBoxVertexMove;
    std::array<QCheckBox*, 3> checkBoxVertexAbsolute;
    QPushButton* buttonBoxVertexMove_;
    QComboBox* comboBoxEditMaterial;
    QCheckBox* checkBoxEditFitTexture;
    QPushButton *buttonEditSetMaterial, *buttonEditDeleteSelection;
    std::array<QLineEdit*, 3> lineEditMove;
    std::array<QCheckBox*, 3> checkEditMoveAbsolute;
    QPushButton* buttonEditMoveSelection_;
    QPushButton *buttonSelectionForward, *buttonSelectionBackward, *buttonSelectionLeft;
    QPushButton *buttonSelectionRight, *buttonSelectionUp, *buttonSelectionDown;

    QListWidget* listLights;
    QLineEdit *lineEditLightsName, *lineEditLightsX, *lineEditLightsY, *lineEditLightsZ;
    std::array<QSlider*, 3> sliderDiffuse, sliderSpecular, sliderAmbient;
    std::array<QSpinBox*, 3> spinDiffuse, spinSpecular, spinAmbient;
    QSlider* horizontalSliderLightsAttenuation;
    QSpinBox* spinBoxLightsAttenuation;

    QListWidget *listWaypoints, *listWaypointNeighbour;
    QLineEdit* lineEditWaypointsWeight;

    QRadioButton *radioButtonOtherStartPoints, *radioButtonOtherFinishPoints;
    QListWidget* listOtherMonster;
    QComboBox* comboBoxOtherMonster;
    QLineEdit* lineEditOtherMonster;

    CRecentFiles* mRecentFiles = nullptr;
    std::unique_ptr<CRecovery> mRecovery;
    QTimer* mRecoveryTimer = nullptr;
    QTimer* mCheckTimer = nullptr;

    QListWidget* listMapProblems = nullptr;
    QAction* actionCheckMap = nullptr;
    QAction* actionPlayMap = nullptr;
    bool mUpdatingFromScene = false; // controls filled from the scene change nothing
};
