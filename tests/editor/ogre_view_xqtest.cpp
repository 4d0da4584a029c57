// The editor's real 3D view under Xvfb: Ogre embedded in the window, picking through the
// camera, and the camera controls of the mouse, wheel and keys.
#include "editor/kivo_editor.h"
#include "editor/map_document.h"
#include "test_env.h"
#include "world/box.h"
#include "world/scene.h"

#include <OgreNode.h>
#include <OgreSceneNode.h>

#include <QAction>
#include <QLineEdit>
#include <QtTest>

#include <memory>

class OgreViewTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testenv::TempDir> folder;
    std::unique_ptr<KIVOEditor> editor;
    QWidget* view = nullptr;

    CScene& scene() { return *editor->document()->scene(); }
    Ogre::SceneNode* outer() { return scene().getCameraPointNode(1); }
    Ogre::Node* inner() { return outer()->getChild(0); }
    // A click at a normalised position of the view.
    void click(Qt::MouseButton button, double x, double y)
    {
        QTest::mouseClick(view, button, Qt::NoModifier,
                          QPoint(int(x * view->width()), int(y * view->height())));
    }

private slots:
    void initTestCase()
    {
        folder = std::make_unique<testenv::TempDir>();
        folder->linkGameFiles();
        testenv::writeFile("ogre.cfg", "Render System=OpenGL Rendering Subsystem\n\n"
                                       "[OpenGL Rendering Subsystem]\nFull Screen=No\n");
        editor = std::make_unique<KIVOEditor>();
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
        view = editor->findChild<QWidget*>(QStringLiteral("graphicsView"));
        QTest::qWait(200);
        editor->findChild<QAction*>(QStringLiteral("actionNeu"))->trigger();
        QVERIFY(editor->document()->isLoaded());
        // One box right under the middle of the view: the camera looks at the origin.
        QCOMPARE(editor->document()->createGrid("g", "stone", 1, 1, Ogre::Vector3(0, -0.5f, 0), 1),
                 CMapDocument::EGridResult::Created);
        QTest::qWait(100);
    }
    void cleanupTestCase()
    {
        editor.reset();
        folder.reset();
    }

    void clickingABoxTogglesItAndTheBorderSelectsNothing()
    {
        click(Qt::LeftButton, 0.5, 0.5);
        QCOMPARE(editor->document()->selectedBoxNames(), std::vector<std::string>{"box1"});
        QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("lineEditMoveY"))->text(),
                 QStringLiteral("-0.5"));
        click(Qt::LeftButton, 0.0, 0.5);
        click(Qt::LeftButton, 0.05, 0.05); // beside the box
        QCOMPARE(editor->document()->selectedBoxNames().size(), size_t(1));
        click(Qt::LeftButton, 0.5, 0.5);
        QVERIFY(editor->document()->selectedBoxNames().empty());
    }

    void wheelRightDragAndKeysMoveTheCamera()
    {
        const Ogre::Vector3 start = inner()->getPosition();
        QWheelEvent forward(QPointF(50, 50), view->mapToGlobal(QPointF(50, 50)), QPoint(),
                            QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &forward);
        const Ogre::Vector3 moved = inner()->getPosition() - start;
        QVERIFY(qAbs(moved.length() - 1.2f) < 1e-4f);
        QVERIFY(moved.y < 0); // towards the origin it looks at

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
};

QTEST_MAIN(OgreViewTest)
#include "ogre_view_xqtest.moc"
