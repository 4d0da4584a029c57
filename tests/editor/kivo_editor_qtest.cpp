// The editor window on Qt's offscreen platform over a headless Ogre: actions and their
// enabling, file dialogs and their cancelling, validators, every warning of the grid and box
// tools, and the question about unsaved changes.
#include "editor/kivo_editor.h"
#include "editor/map_document.h"
#include "headless_ogre.h"
#include "test_env.h"
#include "world/scene.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// The window with its dialogs answered by the test.
class CAnsweredEditor : public KIVOEditor
{
public:
    using KIVOEditor::KIVOEditor;

    QStringList warnings;
    int questions = 0;
    int answer = QMessageBox::Cancel;
    QString openAnswer;
    QString saveAnswer;
    QString folderOffered;

protected:
    void warn(const QString& text) override { warnings << text; }
    QString chooseOpenFile(const QString& folder) override
    {
        folderOffered = folder;
        return openAnswer;
    }
    QString chooseSaveFile(const QString& folder) override
    {
        folderOffered = folder;
        return saveAnswer;
    }
    int askToSave() override
    {
        ++questions;
        return answer;
    }
    bool confirmSaveWithProblems(const QString& problems) override
    {
        problemsShown << problems;
        return saveWithProblems;
    }
    bool startGame(const QString& program, const QStringList& arguments) override
    {
        gameStarts << (QStringList{program} + arguments);
        return true;
    }

public:
    QStringList problemsShown;
    bool saveWithProblems = true; // the designer's answer: save anyway
    QList<QStringList> gameStarts;
};

} // namespace

class KIVOEditorTest : public QObject
{
    Q_OBJECT

private:
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
    CScene& scene() { return *editor->document()->scene(); }
    void fillGrid(const QString& name)
    {
        for (const char* field : {"lineGridXBoxes", "lineGridYBoxes"})
            type(field, QStringLiteral("2"));
        for (const char* field : {"lineGridPosX", "lineGridPosY", "lineGridPosZ"})
            type(field, QStringLiteral("0"));
        type("lineGridName", name);
        find<QComboBox>("comboBoxGridMaterial")->setCurrentText(QStringLiteral("stone"));
    }

    std::unique_ptr<HeadlessOgre> ogre;
    std::unique_ptr<testenv::TempDir> folder;
    std::unique_ptr<CAnsweredEditor> editor;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        ogre = std::make_unique<HeadlessOgre>();
    }
    void init()
    {
        folder = std::make_unique<testenv::TempDir>();
        editor = std::make_unique<CAnsweredEditor>(HeadlessOgre::kSceneManagerName,
                                                   HeadlessOgre::kCameraName);
        editor->show();
    }
    void cleanup()
    {
        editor.reset();
        folder.reset();
    }
    void cleanupTestCase() { ogre.reset(); }

    void saveIsOfferedOnlyForALoadedMapAndNeedsAName()
    {
        QVERIFY(!find<QAction>("actionSave")->isEnabled());
        QVERIFY(!find<QAction>("actionSave_as")->isEnabled());
        QVERIFY(!find<QTabWidget>("tabToolbox")->isEnabled());
        trigger("actionNeu");
        QVERIFY(find<QAction>("actionSave")->isEnabled());
        QVERIFY(find<QAction>("actionSave_as")->isEnabled());
        QVERIFY(find<QTabWidget>("tabToolbox")->isEnabled());
        trigger("actionSave");
        QCOMPARE(editor->warnings, QStringList{QStringLiteral("Can't save map file!")});
    }

    void cancelledDialogsChangeNothing()
    {
        trigger("actionNeu");
        editor->saveAnswer = folder->file("first.kivom").c_str();
        trigger("actionSave_as");
        QCOMPARE(QString::fromStdString(editor->document()->fileName()), editor->saveAnswer);
        editor->saveAnswer.clear();
        editor->openAnswer.clear();
        trigger("actionSave_as");
        QCOMPARE(editor->folderOffered, QString(folder->path().c_str())); // remembered
        trigger("actionOpen");
        QCOMPARE(QString::fromStdString(editor->document()->fileName()),
                 QString(folder->file("first.kivom").c_str()));
        QVERIFY(editor->warnings.isEmpty());

        // A map that cannot be read leaves the open one as it was.
        fillGrid(QStringLiteral("kept"));
        click("buttonGridCreate");
        editor->answer = QMessageBox::Discard;
        editor->openAnswer = folder->file("missing.kivom").c_str();
        trigger("actionOpen");
        QCOMPARE(editor->warnings, QStringList{QStringLiteral("Can't open map file!")});
        QVERIFY(scene().findGrid("kept"));
    }

    void nameFieldsTakeLettersAndDigitsOnly()
    {
        trigger("actionNeu");
        for (const char* field : {"lineGridName", "lineEditLightsName", "lineEditOtherMonster"}) {
            type(field, QStringLiteral("ab_c 1-2!Z"));
            QCOMPARE(find<QLineEdit>(field)->text(), QStringLiteral("abc12Z"));
        }
        type("lineEditMoveX", QStringLiteral("-1x.5e"));
        QVERIFY(find<QLineEdit>("lineEditMoveX")->text().startsWith(QStringLiteral("-1.5")));
    }

    void everyToolFailureIsReported_data()
    {
        QTest::addColumn<int>("row");
        const char* rows[] = {"empty field",       "name taken",      "add without grid",
                              "copy without name", "copy name taken", "no material",
                              "no vertex",         "no height"};
        for (int i = 0; i < 8; ++i)
            QTest::newRow(rows[i]) << i;
    }
    void everyToolFailureIsReported()
    {
        QFETCH(int, row);
        const QString fill = QStringLiteral("Can't create grid!\n Please fill all input widgets!");
        const QString taken = QStringLiteral("This name already exist!\n Please choose another!");
        const struct
        {
            std::function<void()> act;
            QString message;
        } cases[] = {
            {[&] {
                 type("lineGridPosY", QString());
                 click("buttonGridCreate");
             },
             fill},
            {[&] { click("buttonGridCreate"); }, taken},
            {[&] {
                 find<QRadioButton>("radioButtonGridAdd")->setChecked(true);
                 find<QListWidget>("listGrid")->clearSelection();
                 click("buttonGridAddBox");
             },
             QStringLiteral("Can't add box to selected grid!\n Please fill in all input widgets "
                            "and select a grid!")},
            {[&] {
                 type("lineGridName", QString());
                 click("buttonCopySelection");
             },
             fill},
            {[&] { click("buttonCopySelection"); }, taken},
            {[&] { click("buttonEditSetMaterial"); }, QStringLiteral("Material doesn't exist!")},
            {[&] { click("buttonBoxVertexMove"); },
             QStringLiteral("Please select at least one vertex!")},
            {[&] {
                 click("buttonGridI4");
                 click("buttonBoxVertexMove");
             },
             QStringLiteral("Please fill in a height value for the vertex manipulation!")},
        };
        trigger("actionNeu");
        fillGrid(QStringLiteral("base"));
        click("buttonGridCreate");
        QVERIFY(editor->warnings.isEmpty());
        QCOMPARE(find<QListWidget>("listGrid")->count(), 1);
        const std::string before = editor->document()->mapText();
        cases[row].act();
        QCOMPARE(editor->warnings, QStringList{cases[row].message});
        QCOMPARE(editor->document()->mapText(), before);
        QCOMPARE(find<QListWidget>("listGrid")->count(), 1);
    }

    // The messages of the light and monster tools, each on its condition, changing nothing.
    void everyObjectToolFailureIsReported()
    {
        trigger("actionNeu");
        fillGrid(QStringLiteral("base"));
        click("buttonGridCreate");
        for (const char* field : {"lineEditLightsX", "lineEditLightsY", "lineEditLightsZ"})
            type(field, QStringLiteral("1"));
        click("buttonLightsCreate");
        const std::string before = editor->document()->mapText();
        const struct
        {
            std::function<void()> act;
            QString message;
        } cases[] = {
            {[&] { click("buttonLightsCreate"); },
             QStringLiteral("Light name  already exists!\nPlease choose another!")},
            {[&] {
                 type("lineEditLightsY", QString());
                 click("buttonLightsCreate");
                 type("lineEditLightsY", QStringLiteral("1"));
             },
             QStringLiteral("Can't create Light!\nPlease fill in all input widgets!")},
            {[&] {
                 find<QListWidget>("listLights")->clearSelection();
                 click("buttonLightsAdd");
             },
             QStringLiteral("Can't edit Light!\n Please fill in all input widgets and select at "
                            "least one light!")},
            {[&] {
                 editor->document()->toggleSelection("box1"); // no waypoint on it
                 type("lineEditOtherMonster", QStringLiteral("evil"));
                 click("buttonOtherCreateMonster");
             },
             QStringLiteral("Can't create Monster!\n The name may already exist or no "
                            "Waypoint-Box is selected!")},
        };
        for (const auto& row : cases) {
            editor->warnings.clear();
            row.act();
            QCOMPARE(editor->warnings, QStringList{row.message});
            QCOMPARE(editor->document()->mapText(), before);
        }
    }

    // The lists follow the document through changes and undo; editing reaches every selected
    // light; a dragged colour is one step; the monster list shows where a monster starts.
    void objectTabsWorkOnTheDocument()
    {
        trigger("actionNeu");
        fillGrid(QStringLiteral("base"));
        click("buttonGridCreate");
        auto* lights = find<QListWidget>("listLights");
        for (const char* name : {"a", "b"}) {
            type("lineEditLightsName", QString::fromLatin1(name));
            for (const char* field : {"lineEditLightsX", "lineEditLightsY", "lineEditLightsZ"})
                type(field, QStringLiteral("1"));
            click("buttonLightsCreate");
        }
        QCOMPARE(lights->count(), 2);
        lights->selectAll();
        type("lineEditLightsX", QStringLiteral("5"));
        click("buttonLightsAdd");
        CMapDocument::SLight light;
        for (const char* name : {"a", "b"}) {
            QVERIFY(editor->document()->findLight(name, light));
            QCOMPARE(light.position.x, 5.0f);
        }
        const int steps = editor->document()->undoStack().count();
        auto* red = find<QSpinBox>("spinBoxLightsDiffuseRed");
        for (int value = 10; value <= 50; value += 10)
            red->setValue(value);
        QCOMPARE(editor->document()->undoStack().count(), steps + 1);
        QCOMPARE(lights->selectedItems().size(), 2); // the selection outlives the refills
        QVERIFY(editor->document()->findLight("b", light));
        QCOMPARE(light.diffuse.r, 0.5f);

        editor->document()->clearSelection();
        editor->document()->toggleSelection("box1");
        editor->document()->toggleSelection("box2");
        click("buttonWaypointsCreate");
        auto* waypoints = find<QListWidget>("listWaypoints");
        QCOMPARE(waypoints->count(), 2);
        waypoints->item(0)->setSelected(true); // selects box1 alone
        QCOMPARE(editor->document()->selectedBoxNames(), std::vector<std::string>{"box1"});
        editor->document()->toggleSelection("box2");
        click("buttonWaypointsNeighbourCreate");
        QCOMPARE(find<QListWidget>("listWaypointNeighbour")->count(), 1);
        type("lineEditOtherMonster", QStringLiteral("slime"));
        find<QComboBox>("comboBoxOtherMonster")->setCurrentIndex(4);
        editor->document()->clearSelection();
        editor->document()->toggleSelection("box2");
        click("buttonOtherCreateMonster");
        editor->document()->clearSelection();
        find<QListWidget>("listOtherMonster")->item(0)->setSelected(true);
        QCOMPARE(editor->document()->selectedBoxNames(), std::vector<std::string>{"box2"});

        while (editor->document()->undoStack().canUndo())
            editor->document()->undoStack().undo();
        QCOMPARE(lights->count(), 0);
        QCOMPARE(waypoints->count(), 0);
        QCOMPARE(find<QListWidget>("listOtherMonster")->count(), 0);
    }

    // Saving a map with errors asks first; "Play this map" hands a copy of the map to the game.
    void saveChecksTheMapAndF5StartsTheGame()
    {
        trigger("actionNeu");
        fillGrid(QStringLiteral("base"));
        click("buttonGridCreate");
        editor->saveAnswer = QString::fromStdString(folder->file("bad.kivom"));
        editor->saveWithProblems = false;
        trigger("actionSave_as");
        QCOMPARE(editor->problemsShown.size(), 1);
        QVERIFY(editor->problemsShown[0].contains(QStringLiteral("no start point")));
        QVERIFY(!QFile::exists(editor->saveAnswer));
        QVERIFY(find<QListWidget>("listMapProblems")->count() >= 2);
        editor->saveWithProblems = true;
        trigger("actionSave_as");
        QVERIFY(QFile::exists(editor->saveAnswer));

        trigger("actionPlayMap");
        QCOMPARE(editor->gameStarts.size(), 1);
        const QStringList start = editor->gameStarts[0];
        QCOMPARE(start.mid(1, 1), QStringList{QStringLiteral("--play")});
        QCOMPARE(start.mid(3), (QStringList{QStringLiteral("--name"), QStringLiteral("Tester")}));
        QFile copy(start[2]);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll().toStdString(), editor->document()->mapText());
        QVERIFY(!editor->isWindowModified());
    }

    void unsavedChangesAreAskedAboutExactlyWhenThereAreSome()
    {
        trigger("actionNeu");
        trigger("actionNeu");
        QCOMPARE(editor->questions, 0);
        QVERIFY(!editor->isWindowModified());

        fillGrid(QStringLiteral("base"));
        click("buttonGridCreate");
        QVERIFY(editor->isWindowModified());
        QCOMPARE(find<QAction>("actionUndo")->text(), QStringLiteral("Undo Create grid"));
        editor->answer = QMessageBox::Cancel;
        trigger("actionNeu");
        QCOMPARE(editor->questions, 1);
        QVERIFY(scene().findGrid("base"));
        QVERIFY(!editor->close());
        QCOMPARE(editor->questions, 2);

        // Saving answers the question; afterwards nothing is asked until the next change.
        editor->answer = QMessageBox::Save;
        editor->saveAnswer = folder->file("saved.kivom").c_str();
        trigger("actionNeu");
        QCOMPARE(editor->questions, 3);
        QVERIFY(!scene().findGrid("base"));
        QCOMPARE(
            QString::fromStdString(testenv::readFile(folder->file("saved.kivom"))).count("box="),
            4);
        QVERIFY(editor->close());
        QCOMPARE(editor->questions, 3);
    }

    void arrowsMoveByTheFieldsSizeWhateverItsSign()
    {
        trigger("actionNeu");
        fillGrid(QStringLiteral("base"));
        click("buttonGridCreate");
        click("buttonSelectGrid"); // nothing chosen in the list: nothing selected
        QVERIFY(scene().getSelection().empty());
        find<QListWidget>("listGrid")->item(0)->setSelected(true);
        click("buttonSelectGrid");
        QCOMPARE(scene().getSelection().size(), size_t(4));
        type("lineEditMoveZ", QStringLiteral("-3"));
        click("buttonSelectionForward");
        click("buttonSelectionBackward");
        click("buttonSelectionForward");
        QCOMPARE(scene().findBox("box1")->getPosition(), Ogre::Vector3(0, 0, -3));
    }
};

QTEST_MAIN(KIVOEditorTest)
#include "kivo_editor_qtest.moc"
