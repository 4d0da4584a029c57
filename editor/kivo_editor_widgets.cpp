// The editor window's widget tree: the view, the five tool tabs, their captions, tips and
// validators, the coupled sliders and spin boxes, and the menus.
#include "editor/kivo_editor.h"

#include "editor/map_document.h"
#include "editor/ogre_widget.h"
#include "editor/recent_files.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleValidator>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QUndoStack>
#include <QVBoxLayout>

namespace {

const int kWindowWidth = 1012;
const int kWindowHeight = 901;
const int kToolboxWidth = 330;
const int kColourMax = 100;       // colour components in hundredths
const int kAttenuationMax = 1000; // light range
const int kAttenuationDefault = 100;
// A new light is white with a softer highlight, so the first light lights the level.
const int kDiffuseDefault = 100;
const int kSpecularDefault = 50;
const char* const kChooseMaterial = "choose material...";
const char* const kMonsterKinds[] = {"EvilMarbleMonster", "Obstacle", "VenomMarble",
                                     "MovingObstacle",    "Slime",    "TheBall"};

template <typename T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* button(const char* name, const QString& caption, const QString& tip = QString())
{
    auto* result = named(new QPushButton(caption), name);
    if (!tip.isEmpty())
        result->setToolTip(tip);
    return result;
}

QLineEdit* numberField(const char* name, const QString& text = QString())
{
    auto* field = named(new QLineEdit(text), name);
    auto* validator = new QDoubleValidator(field);
    validator->setLocale(QLocale::c());
    validator->setNotation(QDoubleValidator::StandardNotation);
    field->setValidator(validator);
    return field;
}

QLineEdit* nameField(const char* name, const QString& text = QString())
{
    auto* field = named(new QLineEdit(text), name);
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z0-9]*")), field));
    return field;
}

// A slider and a spin box that follow each other both ways.
void coupled(QGridLayout* grid, int row, const QString& caption, QSlider*& slider, QSpinBox*& spin,
             const QString& sliderName, const QString& spinName, int maximum, int value = 0)
{
    slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(sliderName);
    spin = new QSpinBox;
    spin->setObjectName(spinName);
    slider->setRange(0, maximum);
    spin->setRange(0, maximum);
    slider->setValue(value);
    spin->setValue(value);
    QObject::connect(slider, &QSlider::valueChanged, spin, &QSpinBox::setValue);
    QObject::connect(spin, qOverload<int>(&QSpinBox::valueChanged), slider, &QSlider::setValue);
    grid->addWidget(new QLabel(caption), row, 0);
    grid->addWidget(slider, row, 1);
    grid->addWidget(spin, row, 2);
}

void colourGroup(QVBoxLayout* parent, const QString& title, const QString& prefix,
                 std::array<QSlider*, 3>& sliders, std::array<QSpinBox*, 3>& spins, int value = 0)
{
    auto* group = new QGroupBox(title);
    auto* grid = new QGridLayout(group);
    const char* components[] = {"Red", "Green", "Blue"};
    for (int i = 0; i < 3; ++i) {
        coupled(grid, i, components[i], sliders[i], spins[i],
                "horizontalSliderLights" + prefix + components[i],
                "spinBoxLights" + prefix + components[i], kColourMax, value);
    }
    parent->addWidget(group);
}

// Three number fields in a row, each with its check box below.
void axisRow(QGridLayout* grid, int row, std::array<QLineEdit*, 3>& fields,
             std::array<QCheckBox*, 3>& checks, const char* const fieldNames[3],
             const char* const checkNames[3], const QString captions[3])
{
    for (int i = 0; i < 3; ++i) {
        fields[i] = numberField(fieldNames[i]);
        checks[i] = named(new QCheckBox(captions[i]), checkNames[i]);
        grid->addWidget(fields[i], row, i);
        grid->addWidget(checks[i], row + 1, i);
    }
}

} // namespace

void KIVOEditor::buildWidgets()
{
    setObjectName(QStringLiteral("KIVOEditorClass"));
    resize(kWindowWidth, kWindowHeight);
    auto* central = named(new QWidget, "centralWidget");
    auto* layout = new QHBoxLayout(central);
    mView->setObjectName(QStringLiteral("graphicsView"));
    layout->addWidget(mView, 1);
    tabToolbox = named(new QTabWidget, "tabToolbox");
    tabToolbox->setFixedWidth(kToolboxWidth);
    layout->addWidget(tabToolbox);
    setCentralWidget(central);
    named(statusBar(), "statusBar");

    // --- Grid ----------------------------------------------------------------------------
    {
        auto* tab = named(new QWidget, "tabGrid");
        auto* column = new QVBoxLayout(tab);
        auto* create = new QGroupBox(QStringLiteral("Create grid / add box"));
        auto* grid = new QGridLayout(create);
        lineGridXBoxes = numberField("lineGridXBoxes");
        lineGridXBoxes->setValidator(new QIntValidator(1, 10000, lineGridXBoxes));
        lineGridYBoxes = numberField("lineGridYBoxes");
        lineGridYBoxes->setValidator(new QIntValidator(1, 10000, lineGridYBoxes));
        lineGridPosX = numberField("lineGridPosX");
        lineGridPosY = numberField("lineGridPosY");
        lineGridPosZ = numberField("lineGridPosZ");
        lineGridName = nameField("lineGridName", QStringLiteral("base"));
        comboBoxGridMaterial = named(new QComboBox, "comboBoxGridMaterial");
        comboBoxGridMaterial->addItem(kChooseMaterial);
        lineGridSize = numberField("lineGridSize", QStringLiteral("1.0"));
        const std::pair<const char*, QWidget*> rows[] = {
            {"X boxes", lineGridXBoxes},        {"Y boxes", lineGridYBoxes},
            {"X position", lineGridPosX},       {"Y position", lineGridPosY},
            {"Z position", lineGridPosZ},       {"Name", lineGridName},
            {"Material", comboBoxGridMaterial}, {"Size of a box", lineGridSize}};
        int row = 0;
        for (const auto& [caption, widget] : rows) {
            grid->addWidget(new QLabel(caption), row, 0);
            grid->addWidget(widget, row++, 1);
        }
        radioButtonGridCreate =
            named(new QRadioButton(QStringLiteral("Create grid")), "radioButtonGridCreate");
        radioButtonGridAdd =
            named(new QRadioButton(QStringLiteral("Add box to grid")), "radioButtonGridAdd");
        radioButtonGridCreate->setChecked(true);
        grid->addWidget(radioButtonGridCreate, row, 0);
        grid->addWidget(radioButtonGridAdd, row++, 1);
        buttonGridCreate = button("buttonGridCreate", "Create grid", "Create a new grid.");
        buttonGridAddBox_ =
            button("buttonGridAddBox", "Add box to grid", "Add a box to the selected grid.");
        grid->addWidget(buttonGridCreate, row, 0);
        grid->addWidget(buttonGridAddBox_, row, 1);
        column->addWidget(create);

        auto* listGroup = new QGroupBox(QStringLiteral("Grid list"));
        auto* listLayout = new QVBoxLayout(listGroup);
        listGrid = named(new QListWidget, "listGrid");
        listGrid->setSelectionMode(QAbstractItemView::ExtendedSelection);
        listLayout->addWidget(listGrid);
        buttonSelectGrid = button("buttonSelectGrid", "Select grid", "Select all boxes of a grid.");
        buttonSelectGrid->setToolTip(
            QStringLiteral("Select all boxes of the chosen grids; with Ctrl, add them to the "
                           "selection."));
        buttonCopySelection_ = button("buttonCopySelection", "Copy selection",
                                      "Copy the selected boxes into a new grid of this name.");
        buttonGridDelete =
            button("buttonGridDelete", "Delete selected grids", "Delete all boxes of a grid.");
        for (QPushButton* b : {buttonSelectGrid, buttonCopySelection_, buttonGridDelete})
            listLayout->addWidget(b);
        column->addWidget(listGroup);
        tabToolbox->addTab(tab, QStringLiteral("Grid"));
    }

    // --- Edit ----------------------------------------------------------------------------
    {
        auto* tab = named(new QWidget, "tabEdit");
        auto* column = new QVBoxLayout(tab);
        auto* vertices =
            named(new QGroupBox(QStringLiteral("Box vertex manipulation")), "gpVertexManipulation");
        auto* grid = new QGridLayout(vertices);
        // Seen from above with forward (-z) at the top: the corners 1 0 / 2 3, the centre 4.
        const int places[5][2] = {{0, 2}, {0, 0}, {2, 0}, {2, 2}, {1, 1}};
        for (int i = 0; i < 5; ++i) {
            const QString name = QStringLiteral("buttonGridI%1").arg(i);
            buttonGridI[i] = new QPushButton(QStringLiteral("I%1").arg(i));
            buttonGridI[i]->setObjectName(name);
            buttonGridI[i]->setCheckable(true);
            grid->addWidget(buttonGridI[i], places[i][0], places[i][1]);
        }
        radioButtonEditTop = named(new QRadioButton(QStringLiteral("Top")), "radioButtonEditTop");
        radioButtonEditBottom =
            named(new QRadioButton(QStringLiteral("Bottom")), "radioButtonEditBottom");
        radioButtonEditBoth =
            named(new QRadioButton(QStringLiteral("Both")), "radioButtonEditBoth");
        radioButtonEditTop->setChecked(true);
        grid->addWidget(radioButtonEditTop, 3, 0);
        grid->addWidget(radioButtonEditBottom, 3, 1);
        grid->addWidget(radioButtonEditBoth, 3, 2);
        checkBoxEditNearPoints =
            named(new QCheckBox(QStringLiteral("Edit all points near the selected points")),
                  "checkBoxEditNearPoints");
        grid->addWidget(checkBoxEditNearPoints, 4, 0, 1, 3);
        const char* fields[] = {"lineBoxVertexMoveX", "lineBoxVertexMoveY", "lineBoxVertexMoveZ"};
        const char* checks[] = {"checkBoxVertexAbsoluteX", "checkBoxVertexAbsoluteY",
                                "checkBoxVertexAbsoluteZ"};
        const QString captions[] = {"X abs", "Y abs", "Z abs"};
        axisRow(grid, 5, lineBoxVertexMove, checkBoxVertexAbsolute, fields, checks, captions);
        buttonBoxVertexMove_ = button("buttonBoxVertexMove", "Move");
        grid->addWidget(buttonBoxVertexMove_, 7, 0, 1, 3);
        column->addWidget(vertices);

        auto* box = named(new QGroupBox(QStringLiteral("Edit box")), "gpEditBox");
        auto* boxLayout = new QGridLayout(box);
        comboBoxEditMaterial = named(new QComboBox, "comboBoxEditMaterial");
        comboBoxEditMaterial->addItem(kChooseMaterial);
        checkBoxEditFitTexture =
            named(new QCheckBox(QStringLiteral("Fit texture")), "checkBoxEditFitTexture");
        buttonEditSetMaterial = button("buttonEditSetMaterial", "Set material");
        buttonEditDeleteSelection = button("buttonEditDeleteSelection", "Delete selection");
        boxLayout->addWidget(comboBoxEditMaterial, 0, 0);
        boxLayout->addWidget(checkBoxEditFitTexture, 0, 1);
        boxLayout->addWidget(buttonEditSetMaterial, 1, 0);
        boxLayout->addWidget(buttonEditDeleteSelection, 1, 1);
        column->addWidget(box);

        auto* move = named(new QGroupBox(QStringLiteral("Move selection")), "gpEditSelection");
        auto* moveLayout = new QGridLayout(move);
        const char* moveFields[] = {"lineEditMoveX", "lineEditMoveY", "lineEditMoveZ"};
        const char* moveChecks[] = {"checkEditMoveAbsoluteX", "checkEditMoveAbsoluteY",
                                    "checkEditMoveAbsoluteZ"};
        const QString absolute[] = {"Absolute", "Absolute", "Absolute"};
        axisRow(moveLayout, 0, lineEditMove, checkEditMoveAbsolute, moveFields, moveChecks,
                absolute);
        buttonEditMoveSelection_ = button("buttonEditMoveSelection", "Move");
        moveLayout->addWidget(buttonEditMoveSelection_, 2, 0, 1, 3);
        buttonSelectionForward = button("buttonSelectionForward", QString::fromUtf8("\u2191"));
        buttonSelectionBackward = button("buttonSelectionBackward", QString::fromUtf8("\u2193"));
        buttonSelectionLeft = button("buttonSelectionLeft", QString::fromUtf8("\u2190"));
        buttonSelectionRight = button("buttonSelectionRight", QString::fromUtf8("\u2192"));
        buttonSelectionUp = button("buttonSelectionUp", QStringLiteral("Up"));
        buttonSelectionDown = button("buttonSelectionDown", QStringLiteral("Down"));
        moveLayout->addWidget(buttonSelectionForward, 3, 1);
        moveLayout->addWidget(buttonSelectionLeft, 4, 0);
        moveLayout->addWidget(buttonSelectionRight, 4, 2);
        moveLayout->addWidget(buttonSelectionBackward, 5, 1);
        moveLayout->addWidget(buttonSelectionUp, 3, 2);
        moveLayout->addWidget(buttonSelectionDown, 5, 2);
        moveLayout->addWidget(new QLabel(QStringLiteral("Steps by the\nvalues above")), 3, 0);
        column->addWidget(move);
        column->addStretch();
        tabToolbox->addTab(tab, QStringLiteral("Edit"));
    }

    // --- Lights --------------------------------------------------------------------------
    {
        auto* tab = named(new QWidget, "tabLights");
        auto* column = new QVBoxLayout(tab);
        listLights = named(new QListWidget, "listLights");
        listLights->setSelectionMode(QAbstractItemView::ExtendedSelection);
        column->addWidget(listLights);
        auto* fields = new QGridLayout;
        lineEditLightsName = nameField("lineEditLightsName", QStringLiteral("light0"));
        lineEditLightsX = numberField("lineEditLightsX");
        lineEditLightsY = numberField("lineEditLightsY");
        lineEditLightsZ = numberField("lineEditLightsZ");
        const std::pair<const char*, QLineEdit*> rows[] = {{"Name", lineEditLightsName},
                                                           {"X position", lineEditLightsX},
                                                           {"Y position", lineEditLightsY},
                                                           {"Z position", lineEditLightsZ}};
        int row = 0;
        for (const auto& [caption, field] : rows) {
            fields->addWidget(new QLabel(caption), row, 0);
            fields->addWidget(field, row++, 1);
        }
        column->addLayout(fields);
        colourGroup(column, QStringLiteral("Diffuse"), QStringLiteral("Diffuse"), sliderDiffuse,
                    spinDiffuse, kDiffuseDefault);
        colourGroup(column, QStringLiteral("Specular"), QStringLiteral("Specular"), sliderSpecular,
                    spinSpecular, kSpecularDefault);
        auto* attenuation = new QGroupBox(QStringLiteral("Attenuation"));
        auto* attenuationGrid = new QGridLayout(attenuation);
        coupled(attenuationGrid, 0, QStringLiteral("Range"), horizontalSliderLightsAttenuation,
                spinBoxLightsAttenuation, "horizontalSliderLightsAttenuation",
                "spinBoxLightsAttenuation", kAttenuationMax, kAttenuationDefault);
        column->addWidget(attenuation);
        column->addWidget(button("buttonLightsCreate", "Create light"));
        column->addWidget(button("buttonLightsAdd", "Edit selected lights"));
        column->addWidget(button("buttonLightDelete", "Delete selected lights"));
        colourGroup(column, QStringLiteral("Ambient light"), QStringLiteral("Ambient"),
                    sliderAmbient, spinAmbient);
        tabToolbox->addTab(tab, QStringLiteral("Lights"));
    }

    // --- Waypoints -----------------------------------------------------------------------
    {
        auto* tab = named(new QWidget, "tabWaypoints");
        auto* column = new QVBoxLayout(tab);
        listWaypoints = named(new QListWidget, "listWaypoints");
        column->addWidget(listWaypoints);
        column->addWidget(button("buttonWaypointsCreate", "Create waypoint"));
        column->addWidget(button("buttonWaypointsRemove", "Remove waypoint"));
        column->addWidget(new QLabel(QStringLiteral("Neighbours")));
        listWaypointNeighbour = named(new QListWidget, "listWaypointNeighbour");
        column->addWidget(listWaypointNeighbour);
        column->addWidget(button("buttonWaypointsNeighbourCreate", "Add neighbour",
                                 "Link the chosen waypoint with the waypoints of the selected "
                                 "boxes."));
        column->addWidget(button("buttonWaypointsNeighbourRemove", "Remove neighbour"));
        lineEditWaypointsWeight = named(new QLineEdit, "lineEditWaypointsWeight");
        lineEditWaypointsWeight->setValidator(new QIntValidator(lineEditWaypointsWeight));
        column->addWidget(lineEditWaypointsWeight);
        column->addWidget(button("buttonWaypointsSetWeight", "Set weight"));
        tabToolbox->addTab(tab, QStringLiteral("Waypoints"));
    }

    // --- Other ---------------------------------------------------------------------------
    {
        auto* tab = named(new QWidget, "tabOther");
        auto* column = new QVBoxLayout(tab);
        auto* points = new QGroupBox(QStringLiteral("Start and finish points"));
        auto* pointsLayout = new QGridLayout(points);
        radioButtonOtherStartPoints =
            named(new QRadioButton(QStringLiteral("Start points")), "radioButtonOtherStartPoints");
        radioButtonOtherFinishPoints = named(new QRadioButton(QStringLiteral("Finish points")),
                                             "radioButtonOtherFinishPoints");
        radioButtonOtherStartPoints->setChecked(true);
        pointsLayout->addWidget(radioButtonOtherStartPoints, 0, 0);
        pointsLayout->addWidget(radioButtonOtherFinishPoints, 0, 1);
        pointsLayout->addWidget(button("buttonOtherCreateStartPoint", "Create"), 1, 0);
        pointsLayout->addWidget(button("buttonOtherDeleteStartPoint", "Delete selected points"), 1,
                                1);
        column->addWidget(points);
        auto* monsters = new QGroupBox(QStringLiteral("Monster"));
        auto* monsterLayout = new QVBoxLayout(monsters);
        listOtherMonster = named(new QListWidget, "listOtherMonster");
        comboBoxOtherMonster = named(new QComboBox, "comboBoxOtherMonster");
        for (const char* kind : kMonsterKinds)
            comboBoxOtherMonster->addItem(kind);
        lineEditOtherMonster = nameField("lineEditOtherMonster");
        monsterLayout->addWidget(listOtherMonster);
        monsterLayout->addWidget(comboBoxOtherMonster);
        monsterLayout->addWidget(lineEditOtherMonster);
        monsterLayout->addWidget(button("buttonOtherCreateMonster", "Create"));
        monsterLayout->addWidget(button("buttonOtherDeleteMonster", "Delete"));
        column->addWidget(monsters);
        column->addStretch();
        tabToolbox->addTab(tab, QStringLiteral("Other"));
    }
    tabToolbox->setEnabled(false);
}

void KIVOEditor::buildMenus()
{
    QMenuBar* bar = named(QMainWindow::menuBar(), "menuBar");
    QMenu* file = named(bar->addMenu(QStringLiteral("File")), "menuFile");
    auto action = [this, file](const char* name, const char* text, const QKeySequence& keys) {
        QAction* result = named(file->addAction(QString::fromLatin1(text)), name);
        result->setShortcut(keys);
        return result;
    };
    actionNeu = action("actionNeu", "New", QKeySequence::New);
    actionOpen = action("actionOpen", "Open", QKeySequence::Open);
    QMenu* recent = named(file->addMenu(QStringLiteral("Open Recent")), "menuRecent");
    mRecentFiles = new CRecentFiles(recent);
    connect(mRecentFiles, &CRecentFiles::chosen, this, [this](const QString& path) {
        if ((!mOgreWidget || mOgreWidget->isReady()) && maySkipUnsavedChanges())
            openPath(path);
    });
    actionSave = action("actionSave", "Save", QKeySequence::Save);
    actionSave_as =
        action("actionSave_as", "Save as...", QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    file->addSeparator();
    actionExit = action("actionExit", "Exit", QKeySequence::Quit);
    actionSave->setEnabled(false);
    actionSave_as->setEnabled(false);
    connect(file, &QMenu::triggered, this, &KIVOEditor::menuBar);

    QMenu* edit = named(bar->addMenu(QStringLiteral("Edit")), "menuEdit");
    actionUndo =
        named(mDocument->undoStack().createUndoAction(this, QStringLiteral("Undo")), "actionUndo");
    actionUndo->setShortcut(QKeySequence::Undo);
    actionRedo =
        named(mDocument->undoStack().createRedoAction(this, QStringLiteral("Redo")), "actionRedo");
    actionRedo->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))});
    edit->addAction(actionUndo);
    edit->addAction(actionRedo);
}
