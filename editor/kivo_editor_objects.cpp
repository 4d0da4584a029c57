// KIVOEditor: the Lights, Waypoints and Other tabs, the map check dock and the play-test.
#include "editor/kivo_editor.h"

#include "world/level_ogre.h"
#include "world/map_check.h"
#include "world/safe_file.h"
#include "world/scene.h"

#include <OgreLogManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>

namespace {

const int kPercent = 100;
const int kStatusMs = 5000;
const char* const kLightNodePrefix = "lightNode";
const char* const kPlayTestName = "Tester";
const char* const kPlayTestMap = "playtest.kivom";

std::vector<std::string> selectedNames(const QListWidget* list)
{
    std::vector<std::string> names;
    for (const QListWidgetItem* item : list->selectedItems())
        names.push_back(item->text().toStdString());
    return names;
}

// Fills the list with the names, keeping the entries that were selected selected, without
// telling anyone (a selection change would clear the scene's box selection).
void refill(QListWidget* list, const std::vector<std::string>& names)
{
    const QSignalBlocker blocker(list);
    const std::vector<std::string> selected = selectedNames(list);
    list->clear();
    for (const std::string& name : names) {
        auto* item = new QListWidgetItem(QString::fromStdString(name), list);
        item->setSelected(std::find(selected.begin(), selected.end(), name) != selected.end());
    }
}

float number(const QLineEdit* field)
{
    return QLocale::c().toFloat(field->text());
}

// The weight field as a whole number; text that is no number gives 0.
int weightOf(const QLineEdit* field)
{
    return field->text().toInt();
}

} // namespace

void KIVOEditor::connectObjectSlots()
{
    const std::pair<const char*, void (KIVOEditor::*)()> buttons[] = {
        {"buttonLightsCreate", &KIVOEditor::buttonLightsCreate},
        {"buttonLightsAdd", &KIVOEditor::buttonLightsEdit},
        {"buttonLightDelete", &KIVOEditor::buttonLightsDelete},
        {"buttonWaypointsCreate", &KIVOEditor::buttonWaypointsCreate},
        {"buttonWaypointsRemove", &KIVOEditor::buttonWaypointsRemove},
        {"buttonWaypointsNeighbourCreate", &KIVOEditor::buttonWaypointsNeighbourAdd},
        {"buttonWaypointsNeighbourRemove", &KIVOEditor::buttonWaypointsNeighbourRemove},
        {"buttonWaypointsSetWeight", &KIVOEditor::buttonWaypointsSetWeight},
        {"buttonOtherCreateStartPoint", &KIVOEditor::buttonOtherCreatePoint},
        {"buttonOtherDeleteStartPoint", &KIVOEditor::buttonOtherDeletePoint},
        {"buttonOtherCreateMonster", &KIVOEditor::buttonOtherMonsterCreate},
        {"buttonOtherDeleteMonster", &KIVOEditor::buttonOtherMonsterDelete},
    };
    for (const auto& [name, slot] : buttons)
        connect(findChild<QPushButton*>(QString::fromLatin1(name)), &QPushButton::clicked, this,
                slot);
    connect(listLights, &QListWidget::itemSelectionChanged, this, &KIVOEditor::selectLight);
    connect(listWaypoints, &QListWidget::itemSelectionChanged, this,
            &KIVOEditor::updateListWaypointNeighbours);
    connect(listOtherMonster, &QListWidget::itemSelectionChanged, this,
            &KIVOEditor::listOtherMonsterUpdate);
    listOtherMonster->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (int i = 0; i < 3; ++i) {
        connect(spinDiffuse[i], qOverload<int>(&QSpinBox::valueChanged), this,
                &KIVOEditor::editLightValues);
        connect(spinSpecular[i], qOverload<int>(&QSpinBox::valueChanged), this,
                &KIVOEditor::editLightValues);
        connect(spinAmbient[i], qOverload<int>(&QSpinBox::valueChanged), this,
                &KIVOEditor::setAmbientLight);
    }
    connect(spinBoxLightsAttenuation, qOverload<int>(&QSpinBox::valueChanged), this,
            &KIVOEditor::editLightValues);
    // A light's range must be positive: the attenuation divides by it.
    spinBoxLightsAttenuation->setMinimum(1);
    horizontalSliderLightsAttenuation->setMinimum(1);
}

void KIVOEditor::refillLists()
{
    mUpdatingFromScene = true;
    refill(listGrid, mDocument->gridNames());
    refill(listLights, mDocument->lightNames());
    refill(listWaypoints, mDocument->waypointNames());
    refill(listOtherMonster, mDocument->monsterNames());
    const std::vector<std::string> waypoint = selectedNames(listWaypoints);
    refill(listWaypointNeighbour,
           waypoint.empty() ? std::vector<std::string>() : mDocument->neighbourNames(waypoint[0]));
    if (mDocument->isLoaded()) {
        const Ogre::ColourValue ambient = toOgre(mDocument->level().ambient());
        const float components[] = {ambient.r, ambient.g, ambient.b};
        for (int i = 0; i < 3; ++i)
            spinAmbient[i]->setValue(static_cast<int>(components[i] * kPercent));
    }
    mUpdatingFromScene = false;
}

Ogre::ColourValue KIVOEditor::colourOf(const std::array<QSpinBox*, 3>& spins) const
{
    return Ogre::ColourValue(spins[0]->value() / 100.0f, spins[1]->value() / 100.0f,
                             spins[2]->value() / 100.0f, 1.0f);
}

// ---------------------------------------------------------------------------------------------
// Lights

void KIVOEditor::buttonLightsCreate()
{
    if (lineEditLightsName->text().isEmpty() || lineEditLightsX->text().isEmpty() ||
        lineEditLightsY->text().isEmpty() || lineEditLightsZ->text().isEmpty()) {
        warn(QStringLiteral("Can't create Light!\nPlease fill in all input widgets!"));
        return;
    }
    const CMapDocument::SLight light{
        Ogre::Vector3(number(lineEditLightsX), number(lineEditLightsY), number(lineEditLightsZ)),
        colourOf(spinDiffuse), colourOf(spinSpecular),
        static_cast<float>(spinBoxLightsAttenuation->value())};
    if (mDocument->addLight(lineEditLightsName->text().toStdString(), light) !=
        CMapDocument::ELightResult::Created)
        warn(QStringLiteral("Light name  already exists!\nPlease choose another!"));
}

void KIVOEditor::buttonLightsEdit()
{
    const std::vector<std::string> names = selectedNames(listLights);
    if (lineEditLightsName->text().isEmpty() || lineEditLightsX->text().isEmpty() ||
        lineEditLightsY->text().isEmpty() || lineEditLightsZ->text().isEmpty() || names.empty()) {
        warn(QStringLiteral(
            "Can't edit Light!\n Please fill in all input widgets and select at least one light!"));
        return;
    }
    mDocument->editLights(names, {Ogre::Vector3(number(lineEditLightsX), number(lineEditLightsY),
                                                number(lineEditLightsZ)),
                                  colourOf(spinDiffuse), colourOf(spinSpecular),
                                  static_cast<float>(spinBoxLightsAttenuation->value())});
}

void KIVOEditor::buttonLightsDelete()
{
    unselectLights();
    mDocument->deleteLights(selectedNames(listLights));
}

void KIVOEditor::unselectLights()
{
    const CScene* scene = mDocument->scene();
    if (!scene)
        return;
    Ogre::SceneManager* manager = scene->getSceneManager();
    for (const std::string& name : mDocument->lightNames()) {
        if (manager->hasSceneNode(kLightNodePrefix + name))
            manager->getSceneNode(kLightNodePrefix + name)->showBoundingBox(false);
    }
}

void KIVOEditor::selectLight()
{
    unselectLights();
    const CScene* scene = mDocument->scene();
    const std::vector<std::string> names = selectedNames(listLights);
    if (!scene || names.empty())
        return;
    Ogre::SceneManager* manager = scene->getSceneManager();
    for (const std::string& name : names) {
        if (manager->hasSceneNode(kLightNodePrefix + name))
            manager->getSceneNode(kLightNodePrefix + name)->showBoundingBox(true);
    }
    CMapDocument::SLight light;
    if (!mDocument->findLight(names.back(), light))
        return;
    // Filling the controls from the light changes nothing in the scene.
    mUpdatingFromScene = true;
    lineEditLightsName->setText(QString::fromStdString(names.back()));
    QLineEdit* fields[] = {lineEditLightsX, lineEditLightsY, lineEditLightsZ};
    for (int i = 0; i < 3; ++i)
        fields[i]->setText(QString::number(light.position[i], 'g', 6));
    const float diffuse[] = {light.diffuse.r, light.diffuse.g, light.diffuse.b};
    const float specular[] = {light.specular.r, light.specular.g, light.specular.b};
    for (int i = 0; i < 3; ++i) {
        spinDiffuse[i]->setValue(static_cast<int>(diffuse[i] * kPercent));
        spinSpecular[i]->setValue(static_cast<int>(specular[i] * kPercent));
    }
    spinBoxLightsAttenuation->setValue(static_cast<int>(light.range));
    mUpdatingFromScene = false;
}

void KIVOEditor::editLightValues()
{
    if (mUpdatingFromScene || !mDocument->isLoaded())
        return;
    const std::vector<std::string> names = selectedNames(listLights);
    if (!names.empty())
        mDocument->setLightColours(names, colourOf(spinDiffuse), colourOf(spinSpecular),
                                   static_cast<float>(spinBoxLightsAttenuation->value()));
}

void KIVOEditor::setAmbientLight()
{
    if (!mUpdatingFromScene && mDocument->isLoaded())
        mDocument->setAmbientLight(colourOf(spinAmbient));
}

// ---------------------------------------------------------------------------------------------
// Waypoints

void KIVOEditor::buttonWaypointsCreate()
{
    mDocument->createWaypoints(weightOf(lineEditWaypointsWeight));
    refillLists();
}

void KIVOEditor::buttonWaypointsRemove()
{
    const CMapDocument::SDeletion removed = mDocument->removeWaypoints();
    if (removed.monsters > 0)
        statusBar()->showMessage(QStringLiteral("Removed %1 waypoint(s) and %2 monster(s) starting "
                                                "there")
                                     .arg(removed.waypoints)
                                     .arg(removed.monsters),
                                 kStatusMs);
}

void KIVOEditor::buttonWaypointsNeighbourAdd()
{
    mDocument->linkWaypoints(selectedNames(listWaypoints));
    refillLists();
}

void KIVOEditor::buttonWaypointsNeighbourRemove()
{
    const std::vector<std::string> waypoint = selectedNames(listWaypoints);
    const std::vector<std::string> neighbour = selectedNames(listWaypointNeighbour);
    if (waypoint.empty() || neighbour.empty())
        return;
    mDocument->unlinkWaypoints(waypoint[0], neighbour[0]);
    refillLists();
}

void KIVOEditor::buttonWaypointsSetWeight()
{
    mDocument->setWaypointWeight(weightOf(lineEditWaypointsWeight));
}

void KIVOEditor::updateListWaypointNeighbours()
{
    mDocument->clearSelection();
    listWaypointNeighbour->clear();
    const std::vector<std::string> waypoint = selectedNames(listWaypoints);
    int weight = 0;
    if (waypoint.empty() || !mDocument->waypointWeight(waypoint[0], weight))
        return;
    mDocument->toggleSelection(waypoint[0]);
    lineEditWaypointsWeight->setText(QString::number(weight));
    for (const std::string& name : mDocument->neighbourNames(waypoint[0]))
        listWaypointNeighbour->addItem(QString::fromStdString(name));
}

// ---------------------------------------------------------------------------------------------
// Start and finish points, monsters

void KIVOEditor::buttonOtherCreatePoint()
{
    mDocument->createPoints(radioButtonOtherStartPoints->isChecked());
}

void KIVOEditor::buttonOtherDeletePoint()
{
    mDocument->deletePoints(radioButtonOtherStartPoints->isChecked());
}

void KIVOEditor::buttonOtherMonsterCreate()
{
    if (lineEditOtherMonster->text().isEmpty() ||
        !mDocument->createMonster(comboBoxOtherMonster->currentIndex(),
                                  lineEditOtherMonster->text().toStdString()))
        warn(QStringLiteral(
            "Can't create Monster!\n The name may already exist or no Waypoint-Box is selected!"));
}

void KIVOEditor::buttonOtherMonsterDelete()
{
    mDocument->deleteMonsters(selectedNames(listOtherMonster));
}

void KIVOEditor::listOtherMonsterUpdate()
{
    mDocument->selectMonsterStarts(selectedNames(listOtherMonster));
}

// ---------------------------------------------------------------------------------------------
// Map check and play-test

void KIVOEditor::buildCheckDock()
{
    auto* dock = new QDockWidget(QStringLiteral("Map check"), this);
    dock->setObjectName(QStringLiteral("dockMapCheck"));
    listMapProblems = new QListWidget(dock);
    listMapProblems->setObjectName(QStringLiteral("listMapProblems"));
    listMapProblems->setToolTip(QStringLiteral("Double-click a problem to select its boxes"));
    dock->setWidget(listMapProblems);
    addDockWidget(Qt::BottomDockWidgetArea, dock);
    dock->hide(); // shown by the check, so the view keeps its size until there is something to say
    connect(listMapProblems, &QListWidget::itemDoubleClicked, this,
            &KIVOEditor::selectProblemBoxes);

    QMenu* menu = QMainWindow::menuBar()->addMenu(QStringLiteral("Map"));
    menu->setObjectName(QStringLiteral("menuMap"));
    actionCheckMap = menu->addAction(QStringLiteral("Check map"));
    actionCheckMap->setObjectName(QStringLiteral("actionCheckMap"));
    actionCheckMap->setShortcut(QKeySequence(QStringLiteral("Ctrl+K")));
    actionPlayMap = menu->addAction(QStringLiteral("Play this map"));
    actionPlayMap->setObjectName(QStringLiteral("actionPlayMap"));
    actionPlayMap->setShortcut(QKeySequence(Qt::Key_F5));
    connect(actionCheckMap, &QAction::triggered, this, [this, dock] {
        checkMap();
        dock->show();
    });
    connect(actionPlayMap, &QAction::triggered, this, &KIVOEditor::playMap);
}

bool KIVOEditor::refreshMapCheck()
{
    listMapProblems->clear();
    if (!mDocument->isLoaded())
        return true;
    bool errors = false;
    for (const SMapProblem& problem : checkMapDesign(mDocument->level())) {
        auto* item = new QListWidgetItem(
            (problem.warning ? QStringLiteral("Warning: ") : QStringLiteral("Error: ")) +
                QString::fromStdString(problem.text),
            listMapProblems);
        QStringList boxes;
        for (const std::string& box : problem.boxes)
            boxes << QString::fromStdString(box);
        item->setData(Qt::UserRole, boxes);
        errors = errors || !problem.warning;
    }
    if (listMapProblems->count() == 0)
        listMapProblems->addItem(QStringLiteral("No problems found."));
    return !errors;
}

bool KIVOEditor::checkMap()
{
    const bool errors = !refreshMapCheck();
    if (errors)
        findChild<QDockWidget*>(QStringLiteral("dockMapCheck"))->show();
    // The list also goes to the editor's log, where a bug report or a script can read it.
    if (Ogre::LogManager* log = Ogre::LogManager::getSingletonPtr()) {
        for (int i = 0; i < listMapProblems->count(); ++i)
            log->logMessage("Map check: " + listMapProblems->item(i)->text().toStdString());
    }
    statusBar()->showMessage(errors ? QStringLiteral("The map check found errors")
                                    : QStringLiteral("The map check found no errors"),
                             kStatusMs);
    return !errors;
}

void KIVOEditor::selectProblemBoxes(QListWidgetItem* item)
{
    const QStringList boxes = item->data(Qt::UserRole).toStringList();
    if (boxes.isEmpty())
        return;
    mDocument->clearSelection();
    for (const QString& box : boxes)
        mDocument->toggleSelection(box.toStdString());
    showSelectedPosition();
}

bool KIVOEditor::confirmSaveWithProblems(const QString& problems)
{
    return QMessageBox::warning(this, kMessageTitle,
                                QStringLiteral("The map check found errors:\n") + problems +
                                    QStringLiteral("\n\nSave the map anyway?"),
                                QMessageBox::Save | QMessageBox::Cancel,
                                QMessageBox::Save) == QMessageBox::Save;
}

bool KIVOEditor::startGame(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments, QDir::currentPath());
}

void KIVOEditor::playMap()
{
    if (!mDocument->isLoaded())
        return;
    QString program = qEnvironmentVariable("KIVO_GAME");
    if (program.isEmpty())
        program = QCoreApplication::applicationDirPath() + QStringLiteral("/kivo");
    if (!QFileInfo(program).isExecutable()) {
        warn(QStringLiteral("Can't start the game: ") + program);
        return;
    }
    // A private folder per play-test: the copy of the map and the best times the game writes
    // beside it. The shell that runs the game removes the folder when the game ends, whether
    // the editor is still open or not.
    QTemporaryDir folder(QDir::temp().filePath(QStringLiteral("kivo-playtest-XXXXXX")));
    std::string reason = folder.isValid() ? std::string() : folder.errorString().toStdString();
    const QString map = folder.filePath(QString::fromLatin1(kPlayTestMap));
    if (!folder.isValid() || !replaceFile(map.toStdString(), mDocument->mapText(), &reason)) {
        warn(QStringLiteral("Can't write the map for the play-test!\n") +
             QString::fromStdString(reason));
        return;
    }
    const QString script = QStringLiteral("\"$1\" --play \"$3\" --name \"$4\"; status=$?; "
                                          "rm -rf -- \"$2\"; exit $status");
    if (!startGame(QStringLiteral("/bin/sh"),
                   {QStringLiteral("-c"), script, QStringLiteral("kivo-playtest"), program,
                    folder.path(), map, QString::fromLatin1(kPlayTestName)})) {
        warn(QStringLiteral("Can't start the game: ") + program);
        return;
    }
    folder.setAutoRemove(false);
    statusBar()->showMessage(QStringLiteral("Play-test started"), kStatusMs);
}
