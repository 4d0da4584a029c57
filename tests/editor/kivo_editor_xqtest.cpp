// The editor window with its real 3D view under Xvfb: the camera controls of the mouse, wheel
// and keys, every warning of the tools on its condition with the map unchanged, and the question
// about unsaved changes; and the designer's session: the undo history, the recent maps, the
// defaults of new lights and of the material lists, the selection rules of clicks and grids,
// the frame keys, the map check that follows each change, and a running editor's recovery copy.
#include "editor/kivo_editor.h"
#include "editor/map_document.h"
#include "editor/ogre_widget.h"
#include "editor/recovery.h"
#include "test_env.h"
#include "world/box.h"
#include "world/box_grid.h"
#include "world/scene.h"

#include <OgreCamera.h>
#include <OgreNode.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QUndoView>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// The window with its dialogs answered by the test.
class CAnsweredEditor : public KIVOEditor
{
public:
    QStringList warnings;
    int questions = 0;
    int answer = QMessageBox::Discard;
    QString saveAnswer;
    QString offeredFolder;

protected:
    void warn(const QString& text) override { warnings << text; }
    QString chooseSaveFile(const QString& folder) override
    {
        offeredFolder = folder;
        return saveAnswer;
    }
    int askToSave() override
    {
        ++questions;
        return answer;
    }
    bool confirmSaveWithProblems(const QString&) override { return true; }
    int askToRestore(const QString&, const QDateTime&) override { return QMessageBox::Cancel; }
};

} // namespace

class KIVOEditorTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testenv::TempDir> folder;
    std::unique_ptr<CAnsweredEditor> editor;
    QWidget* view = nullptr;

    CMapDocument& document() { return *editor->document(); }
    Ogre::SceneNode* outer() { return document().scene()->getCameraPointNode(1); }
    Ogre::Node* inner() { return outer()->getChild(0); }
    template <typename T> T* find(const char* name)
    {
        T* widget = editor->findChild<T*>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    void click(const char* button) { find<QPushButton>(button)->click(); }
    void trigger(const char* action) { find<QAction>(action)->trigger(); }
    void type(const char* field, const QString& text)
    {
        auto* edit = find<QLineEdit>(field);
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    // A new map with the 2 x 2 grid "base" of stone, made through the Grid tab.
    void newMapWithGrid()
    {
        trigger("actionNeu");
        for (const char* field : {"lineGridXBoxes", "lineGridYBoxes"})
            type(field, QStringLiteral("2"));
        type("lineGridPosY", QStringLiteral("0"));
        find<QComboBox>("comboBoxGridMaterial")->setCurrentText(QStringLiteral("stone"));
        find<QRadioButton>("radioButtonGridCreate")->setChecked(true);
        grid("base", 0, 0);
    }
    // A grid of the counts and material in the fields, named name, at (x, 0, z).
    void grid(const char* name, int x, int z)
    {
        find<QLineEdit>("lineGridName")->setText(QString::fromLatin1(name));
        find<QLineEdit>("lineGridPosX")->setText(QString::number(x));
        find<QLineEdit>("lineGridPosZ")->setText(QString::number(z));
        click("buttonGridCreate");
    }
    Ogre::Camera* camera()
    {
        Ogre::SceneManager* manager = document().scene()->getSceneManager();
        manager->getRootSceneNode()->_update(true, false);
        return manager->getCamera(OgreWidget::kCameraName);
    }
    // Where the top centre of the box is seen in the view.
    QPoint pixelOf(const std::string& box)
    {
        const CBox* found = document().scene()->findBox(box);
        const Ogre::Vector3 top = found->getPosition() + found->getVertices()[CBox::kTopCentre];
        const Ogre::Vector3 at =
            camera()->getProjectionMatrix() * (camera()->getViewMatrix() * top);
        return QPoint(int((at.x + 1) / 2 * view->width()), int((1 - at.y) / 2 * view->height()));
    }
    bool inView(const std::string& box)
    {
        return camera()->isVisible(document().scene()->findBox(box)->getPosition());
    }
    // The entries of a list or a combo box from the first on, one per line.
    QString entries(const QAbstractItemModel* model, int first = 0)
    {
        QStringList texts;
        for (int i = first; i < model->rowCount(); ++i)
            texts << model->index(i, 0).data().toString();
        return texts.join('\n');
    }
    QString problems() { return entries(find<QListWidget>("listMapProblems")->model()); }

private slots:
    void initTestCase()
    {
        folder = std::make_unique<testenv::TempDir>();
        // The editor's settings go below this test's own folders, where the program keeps them.
        QCoreApplication::setOrganizationName(QStringLiteral("kivo"));
        QCoreApplication::setApplicationName(QStringLiteral("kivo-editor"));
        folder->linkGameFiles();
        qputenv(CRecovery::kIntervalVariable, "1");
        testenv::writeFile(testenv::userFile(testenv::kConfig, "ogre.cfg"),
                           "Render System=OpenGL Rendering Subsystem\n\n"
                           "[OpenGL Rendering Subsystem]\nFull Screen=No\n");
        editor = std::make_unique<CAnsweredEditor>();
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
        editor->activateWindow(); // shortcuts need the active window
        QVERIFY(QTest::qWaitForWindowActive(editor.get()));
        view = editor->findChild<QWidget*>(QStringLiteral("graphicsView"));
        QTest::qWait(200);
    }
    void cleanupTestCase()
    {
        editor.reset();
        folder.reset();
    }

    void newLightsStartWhiteAndTheFieldsKeepTheLastValues()
    {
        newMapWithGrid();
        for (const char* field : {"lineEditLightsX", "lineEditLightsY", "lineEditLightsZ"})
            type(field, QStringLiteral("1"));
        click("buttonLightsCreate");
        CMapDocument::SLight light;
        QVERIFY(document().findLight("light0", light));
        QCOMPARE(light.diffuse, Ogre::ColourValue::White);
        QCOMPARE(light.specular, Ogre::ColourValue(0.5f, 0.5f, 0.5f));
        QCOMPARE(light.range, 100.0f);

        find<QSpinBox>("spinBoxLightsDiffuseGreen")->setValue(40);
        trigger("actionNeu");
        QCOMPARE(find<QSpinBox>("spinBoxLightsDiffuseGreen")->value(), 40);
        QCOMPARE(find<QLineEdit>("lineEditLightsX")->text(), QStringLiteral("1"));

        // Only box materials are offered, all of them.
        const QString materials =
            QStringLiteral("finishbox\ngrass\nice\nmetal\nstartbox\nstone\nwood");
        QCOMPARE(entries(find<QComboBox>("comboBoxGridMaterial")->model(), 1), materials);
        QCOMPARE(entries(find<QComboBox>("comboBoxEditMaterial")->model(), 1), materials);
    }

    void clicksAndGridsReplaceTheSelectionCtrlAddsOrToggles()
    {
        newMapWithGrid();
        grid("far", 3, 0); // box5 to box8
        trigger("actionFrameAll");
        QTest::qWait(50);
        using Names = std::vector<std::string>;
        const struct
        {
            const char* box; // null: the "Select grid" button with "far" chosen
            Qt::KeyboardModifiers modifiers;
            Names selected;
        } rows[] = {
            {"box2", Qt::NoModifier, {"box2"}},
            {"box3", Qt::ControlModifier, {"box2", "box3"}},
            {"box2", Qt::ControlModifier, {"box3"}},
            {nullptr, Qt::ControlModifier, {"box3", "box5", "box6", "box7", "box8"}},
            {nullptr, Qt::NoModifier, {"box5", "box6", "box7", "box8"}},
            {"box4", Qt::NoModifier, {"box4"}},
        };
        auto* grids = find<QListWidget>("listGrid");
        grids->findItems(QStringLiteral("far"), Qt::MatchExactly).at(0)->setSelected(true);
        for (const auto& row : rows) {
            if (row.box)
                QTest::mouseClick(view, Qt::LeftButton, row.modifiers, pixelOf(row.box));
            else
                QTest::mouseClick(find<QPushButton>("buttonSelectGrid"), Qt::LeftButton,
                                  row.modifiers);
            Names selected = document().selectedBoxNames();
            std::sort(selected.begin(), selected.end());
            QVERIFY2(selected == row.selected, row.box ? row.box : "Select grid");
        }
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3)); // beside every box
        QVERIFY(document().selectedBoxNames().empty());
    }

    void frameKeysBringTheSelectionOrTheWholeLevelIntoView()
    {
        newMapWithGrid();
        grid("far", 60, -60);
        QVERIFY(!inView("box5"));
        document().toggleSelection("box5");
        view->setFocus();
        QTest::keyClick(view, Qt::Key_F);
        QVERIFY(inView("box5") && !inView("box1"));
        QTest::keyClick(view, Qt::Key_Home);
        QVERIFY(inView("box1") && inView("box8"));
    }

    void theHistoryDockGoesToTheClickedStep()
    {
        newMapWithGrid();
        const std::string oneGrid = document().mapText();
        grid("second", 5, 0);
        grid("third", 10, 0);
        auto* history = find<QUndoView>("undoView");
        QCOMPARE(history->model()->rowCount(), 4); // the map as opened and three steps
        QTest::mouseClick(history->viewport(), Qt::LeftButton, Qt::NoModifier,
                          history->visualRect(history->model()->index(1, 0)).center());
        QCOMPARE(document().undoStack().index(), 1);
        QCOMPARE(document().mapText(), oneGrid);
    }

    // The check runs by itself a moment after each change; the dock is not pushed open.
    void theMapCheckFollowsEachChangeAndKnowsBoxMaterials()
    {
        newMapWithGrid();
        QTRY_VERIFY(problems().contains("no start point"));
        document().toggleSelection("box2");
        QVERIFY(document().setMaterial("ball", false));
        QTRY_VERIFY(
            problems().contains("1 box has the material \"ball\", which is not made for boxes"));
        document().undoStack().undo();
        QTRY_VERIFY(!problems().contains("not made for boxes"));
    }

    // A running editor's copy is never offered to another.
    void aRunningEditorKeepsItsRecoveryCopyToItself()
    {
        newMapWithGrid();
        const QDir copies(qEnvironmentVariable(testenv::kState) + QStringLiteral("/kivo/recovery"));
        QTRY_COMPARE(copies.entryList({QStringLiteral("*.kivom")}).size(), 1);
        QVERIFY(CRecovery::leftBehind().empty());
    }

    void openRecentListsTheLastEightMapsNewestFirst()
    {
        newMapWithGrid();
        for (int i = 1; i <= 9; ++i) {
            editor->saveAnswer =
                QString::fromStdString(folder->file("map" + std::to_string(i) + ".kivom"));
            trigger("actionSave_as");
        }
        QFile::remove(QString::fromStdString(folder->file("map8.kivom")));
        auto* menu = find<QMenu>("menuRecent");
        emit menu->aboutToShow();
        QString shown; // the entries, "-" behind a greyed one
        for (QAction* action : menu->actions()) {
            if (action->isSeparator())
                break;
            shown += action->text() + (action->isEnabled() ? " " : "- ");
        }
        QCOMPARE(shown, QStringLiteral("&1 map9.kivom &2 map8.kivom- &3 map7.kivom &4 map6.kivom "
                                       "&5 map5.kivom &6 map4.kivom &7 map3.kivom &8 map2.kivom "));

        menu->actions().at(2)->trigger();
        QCOMPARE(QString::fromStdString(document().fileName()),
                 QString::fromStdString(folder->file("map7.kivom")));
        emit menu->aboutToShow();
        QCOMPARE(menu->actions().at(0)->text(), QStringLiteral("&1 map7.kivom"));
    }

    // The camera looks from (0, 10, 10) at the origin.
    void wheelRightDragAndKeysMoveTheCamera()
    {
        newMapWithGrid();
        const Ogre::Vector3 start = inner()->getPosition();
        QWheelEvent forward(QPointF(50, 50), view->mapToGlobal(QPointF(50, 50)), QPoint(),
                            QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &forward);
        QVERIFY(inner()->getPosition().distance(start - start.normalisedCopy() * 1.2f) < 1e-4f);

        // A right drag across a tenth of the view pans one unit; the release ends it.
        const Ogre::Vector3 before = outer()->getPosition();
        const QPoint middle(view->width() / 2, view->height() / 2);
        const QPoint right(int(0.6 * view->width()), view->height() / 2);
        QTest::mousePress(view, Qt::RightButton, Qt::NoModifier, middle);
        QTest::mouseMove(view, right);
        QTest::mouseRelease(view, Qt::RightButton, Qt::NoModifier, right);
        QTest::mouseMove(view, middle);
        QVERIFY(qAbs(outer()->getPosition().x - before.x - 1.0f) < 0.05f);

        view->setFocus();
        const Ogre::Vector3 here = outer()->getPosition();
        QTest::keyClick(view, Qt::Key_W);
        QTest::keyClick(view, Qt::Key_D);
        QCOMPARE(outer()->getPosition(), here + Ogre::Vector3(1, 0, -1));
        QTest::keyClick(view, Qt::Key_Y);
        QCOMPARE(inner()->getPosition(), Ogre::Vector3(0, 10, 10));
    }

    void everyToolFailureIsReportedAndChangesNothing()
    {
        const QString fill = QStringLiteral("Can't create grid!\n Please fill all input widgets!");
        const QString taken = QStringLiteral("This name already exist!\n Please choose another!");
        const struct
        {
            std::function<void()> act;
            QString message;
        } cases[] = {
            {[&] { type("lineGridPosY", QString()), click("buttonGridCreate"); }, fill},
            {[&] { click("buttonGridCreate"); }, taken},
            {[&] {
                 find<QRadioButton>("radioButtonGridAdd")->setChecked(true);
                 click("buttonGridAddBox");
             },
             QStringLiteral("Can't add box to selected grid!\n Please fill in all input widgets "
                            "and select a grid!")},
            {[&] { click("buttonEditSetMaterial"); }, QStringLiteral("Material doesn't exist!")},
            {[&] { click("buttonBoxVertexMove"); },
             QStringLiteral("Please select at least one vertex!")},
            {[&] {
                 type("lineBoxVertexMoveY", QString());
                 click("buttonGridI4"), click("buttonBoxVertexMove");
             },
             QStringLiteral("Please fill in a height value for the vertex manipulation!")},
            {[&] { type("lineEditLightsY", QString()), click("buttonLightsCreate"); },
             QStringLiteral("Can't create Light!\nPlease fill in all input widgets!")},
            {[&] { click("buttonLightsCreate"); },
             QStringLiteral("Light name  already exists!\nPlease choose another!")},
            {[&] { click("buttonLightsAdd"); },
             QStringLiteral("Can't edit Light!\n Please fill in all input widgets and select at "
                            "least one light!")},
            {[&] {
                 document().toggleSelection("box1"); // no waypoint on it
                 type("lineEditOtherMonster", QStringLiteral("evil"));
                 click("buttonOtherCreateMonster");
             },
             QStringLiteral("Can't create Monster!\n The name may already exist or no "
                            "Waypoint-Box is selected!")},
            {[&] { trigger("actionSave"); }, QStringLiteral("Can't save map file!")},
        };
        for (const auto& row : cases) {
            newMapWithGrid();
            for (const char* field : {"lineEditLightsX", "lineEditLightsY", "lineEditLightsZ"})
                type(field, QStringLiteral("1"));
            click("buttonLightsCreate"); // the light "light0"
            find<QListWidget>("listGrid")->clearSelection();
            const std::string before = document().mapText();
            editor->warnings.clear();
            row.act();
            QCOMPARE(editor->warnings, QStringList{row.message});
            QCOMPARE(document().mapText(), before);
        }
    }

    // A change refills the lists; what was selected in them and in the view stays selected.
    void aChangeKeepsTheSelection()
    {
        newMapWithGrid();
        const auto& boxes = document().scene()->findGrid("base")->getBoxes();
        QVERIFY(document().toggleSelection(boxes[0]->getName()));
        click("buttonWaypointsCreate");
        auto* waypoints = find<QListWidget>("listWaypoints");
        QCOMPARE(waypoints->count(), 1);
        waypoints->item(0)->setSelected(true); // selects the waypoint's box alone
        QVERIFY(document().toggleSelection(boxes[3]->getName()));
        const std::vector<std::string> selected = document().selectedBoxNames();
        QCOMPARE(int(selected.size()), 2);
        for (const char* field : {"lineEditLightsX", "lineEditLightsY", "lineEditLightsZ"})
            type(field, QStringLiteral("1"));
        click("buttonLightsCreate");
        QVERIFY(document().selectedBoxNames() == selected);
        QVERIFY(waypoints->item(0)->isSelected());
    }

    // A new map goes to the user's own map folder; a saved map keeps its folder.
    void saveAsOffersTheUsersMapFolderForNewMaps()
    {
        newMapWithGrid();
        editor->saveAnswer.clear(); // the dialog cancelled
        trigger("actionSave_as");
        QCOMPARE(editor->offeredFolder, qEnvironmentVariable("XDG_DATA_HOME") + "/kivo/maps");
        editor->saveAnswer = QString::fromStdString(folder->file("mine.kivom"));
        trigger("actionSave_as");
        trigger("actionSave_as");
        QCOMPARE(editor->offeredFolder, QString::fromStdString(folder->path()));
    }

    // Last: it closes the window.
    void unsavedChangesAreAskedAboutExactlyWhenThereAreSome()
    {
        trigger("actionNeu");
        editor->questions = 0;
        trigger("actionNeu");
        QCOMPARE(editor->questions, 0);
        newMapWithGrid();
        editor->answer = QMessageBox::Cancel;
        trigger("actionNeu");
        QCOMPARE(editor->questions, 1);
        QVERIFY(document().scene()->findGrid("base"));
        QVERIFY(!editor->close());
        QCOMPARE(editor->questions, 2);

        // Saving answers the question; afterwards nothing is asked until the next change.
        editor->answer = QMessageBox::Save;
        editor->saveAnswer = folder->file("saved.kivom").c_str();
        trigger("actionNeu");
        QCOMPARE(editor->questions, 3);
        QVERIFY(!document().scene()->findGrid("base"));
        QCOMPARE(
            QString::fromStdString(testenv::readFile(folder->file("saved.kivom"))).count("box="),
            4);
        QVERIFY(editor->close());
        QCOMPARE(editor->questions, 3);
    }
};

QTEST_MAIN(KIVOEditorTest)
#include "kivo_editor_xqtest.moc"
