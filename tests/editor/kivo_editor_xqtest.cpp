// The editor window with its real 3D view under Xvfb: the camera controls of the mouse, wheel
// and keys, every warning of the tools on its condition with the map unchanged, and the question
// about unsaved changes.
#include "editor/kivo_editor.h"
#include "editor/map_document.h"
#include "test_env.h"
#include "world/box.h"
#include "world/box_grid.h"
#include "world/scene.h"

#include <OgreNode.h>
#include <OgreSceneNode.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
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
        for (const char* field : {"lineGridPosX", "lineGridPosY", "lineGridPosZ"})
            type(field, QStringLiteral("0"));
        find<QComboBox>("comboBoxGridMaterial")->setCurrentText(QStringLiteral("stone"));
        find<QRadioButton>("radioButtonGridCreate")->setChecked(true);
        click("buttonGridCreate");
    }

private slots:
    void initTestCase()
    {
        folder = std::make_unique<testenv::TempDir>();
        // The editor's settings go below this test's own folders, where the program keeps them.
        QCoreApplication::setOrganizationName(QStringLiteral("kivo"));
        QCoreApplication::setApplicationName(QStringLiteral("kivo-editor"));
        folder->linkGameFiles();
        testenv::writeFile(testenv::userFile(testenv::kConfig, "ogre.cfg"),
                           "Render System=OpenGL Rendering Subsystem\n\n"
                           "[OpenGL Rendering Subsystem]\nFull Screen=No\n");
        editor = std::make_unique<CAnsweredEditor>();
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
        view = editor->findChild<QWidget*>(QStringLiteral("graphicsView"));
        QTest::qWait(200);
    }
    void cleanupTestCase()
    {
        editor.reset();
        folder.reset();
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
            {[&] { click("buttonGridI4"), click("buttonBoxVertexMove"); },
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
