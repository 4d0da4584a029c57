// The editor window's view input: picking boxes with the mouse, and moving the camera with
// the mouse, the wheel and the keys.
#include "editor/kivo_editor.h"

#include "editor/box_picker.h"
#include "editor/map_document.h"
#include "editor/ogre_widget.h"
#include "editor/selection_rule.h"
#include "world/box.h"
#include "world/box_grid.h"
#include "world/level_ogre.h"
#include "world/scene.h"

#include <OgreCamera.h>
#include <OgreSceneNode.h>

#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QStatusBar>
#include <QWheelEvent>

#include <cmath>

namespace {

const float kPanScale = 10.0f;    // a drag across the whole view pans 10 units
const float kRotateScale = 10.0f; // pixels per degree
const float kWheelScale = 100.0f; // wheel delta per unit
const float kKeyStep = 1.0f;
const Ogre::Vector3 kCameraHome(0.0f, 10.0f, 10.0f);
// Framing: the camera stands back so the boxes' bounding sphere fills this share of the
// narrower side of the view, and never nearer than kFrameNearest.
const float kFrameFill = 0.8f;
const float kFrameNearest = 3.0f;
const Ogre::Radian kDefaultFovY(Ogre::Degree(45.0f));
const int kStatusMs = 3000;

} // namespace
bool KIVOEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != mView || !mDocument->isLoaded())
        return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        return viewMousePress(static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove:
        return viewMouseMove(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease:
        return viewMouseRelease(static_cast<QMouseEvent*>(event));
    case QEvent::Wheel:
        return viewWheel(static_cast<QWheelEvent*>(event));
    case QEvent::KeyPress:
        return viewKeyPress(static_cast<QKeyEvent*>(event));
    default:
        return QMainWindow::eventFilter(watched, event);
    }
}

QPointF KIVOEditor::normalised(const QPointF& position) const
{
    return QPointF(position.x() / std::max(mView->width(), 1),
                   position.y() / std::max(mView->height(), 1));
}

bool KIVOEditor::viewMousePress(QMouseEvent* event)
{
    const QPointF at = normalised(event->position());
    mView->setFocus();
    if (event->button() == Qt::LeftButton) {
        const bool inside = at.x() > 0 && at.x() < 1 && at.y() > 0 && at.y() < 1;
        Ogre::Camera* camera = mOgreWidget ? mOgreWidget->camera() : nullptr;
        if (inside && camera) {
            const SPick pick =
                pickBox(*mDocument->scene(), camera->getCameraToViewportRay(at.x(), at.y()));
            // A click into the void clears the selection, unless Ctrl keeps it.
            const ESelectionChange change = selectionChangeFor(event->modifiers(), true);
            changeSelection(*mDocument,
                            pick.box ? std::vector<std::string>{pick.box->getName()}
                                     : std::vector<std::string>{},
                            change);
            showSelectedPosition();
        }
    } else if (event->button() == Qt::RightButton) {
        listLights->clearSelection();
        unselectLights();
        mDocument->clearSelection();
        mPanning = !mPanning;
        mLastNormalised = at;
    } else if (event->button() == Qt::MiddleButton) {
        mRotating = !mRotating;
        mFirstRotateMove = mRotating;
    }
    return true;
}

bool KIVOEditor::viewMouseMove(QMouseEvent* event)
{
    Ogre::SceneNode* outer = mDocument->scene()->getCameraPointNode(1);
    if (!outer)
        return true;
    const QPointF at = normalised(event->position());
    if (mPanning) {
        outer->translate(Ogre::Vector3((at.x() - mLastNormalised.x()) * kPanScale, 0.0f,
                                       (at.y() - mLastNormalised.y()) * kPanScale));
        mLastNormalised = at;
    }
    if (mFirstRotateMove) {
        mFirstRotateMove = false;
        mLastAbsolute = event->position();
    } else if (mRotating) {
        const QPointF delta = event->position() - mLastAbsolute;
        outer->yaw(Ogre::Degree(static_cast<float>(delta.x()) / kRotateScale),
                   Ogre::Node::TS_LOCAL);
        outer->pitch(Ogre::Degree(static_cast<float>(delta.y()) / kRotateScale),
                     Ogre::Node::TS_LOCAL);
        mLastAbsolute = event->position();
    }
    return true;
}

bool KIVOEditor::viewMouseRelease(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton)
        mPanning = false;
    else if (event->button() == Qt::MiddleButton)
        mRotating = false;
    return true;
}

bool KIVOEditor::viewWheel(QWheelEvent* event)
{
    Ogre::SceneNode* outer = mDocument->scene()->getCameraPointNode(1);
    if (outer && outer->numChildren() > 0) {
        outer->getChild(0)->translate(
            Ogre::Vector3(0.0f, 0.0f, -event->angleDelta().y() / kWheelScale),
            Ogre::Node::TS_LOCAL);
    }
    return true;
}

bool KIVOEditor::viewKeyPress(QKeyEvent* event)
{
    Ogre::SceneNode* outer = mDocument->scene()->getCameraPointNode(1);
    if (!outer || outer->numChildren() == 0)
        return false;
    auto* inner = static_cast<Ogre::SceneNode*>(outer->getChild(0));
    switch (event->key()) {
    case Qt::Key_Y:
        outer->resetOrientation();
        inner->resetOrientation();
        inner->setPosition(kCameraHome);
        inner->lookAt(Ogre::Vector3::ZERO, Ogre::Node::TS_WORLD, Ogre::Vector3::NEGATIVE_UNIT_Z);
        return true;
    // W and S step along z (forward is -z), A and D along x.
    case Qt::Key_W:
        outer->translate(Ogre::Vector3(0, 0, -kKeyStep));
        return true;
    case Qt::Key_S:
        outer->translate(Ogre::Vector3(0, 0, kKeyStep));
        return true;
    case Qt::Key_A:
        outer->translate(Ogre::Vector3(-kKeyStep, 0, 0));
        return true;
    case Qt::Key_D:
        outer->translate(Ogre::Vector3(kKeyStep, 0, 0));
        return true;
    default:
        return false;
    }
}

void KIVOEditor::frameSelection()
{
    frame(true);
}

void KIVOEditor::frameAll()
{
    frame(false);
}

void KIVOEditor::frame(bool selectionOnly)
{
    const CScene* scene = mDocument->scene();
    Ogre::SceneNode* outer = scene ? scene->getCameraPointNode(1) : nullptr;
    if (!outer || outer->numChildren() == 0)
        return;
    Ogre::AxisAlignedBox bounds;
    const CLevel& level = mDocument->level();
    auto include = [&bounds](const SLevelBox& box) {
        for (const SLevelVector& vertex : box.vertices)
            bounds.merge(toOgre(box.position) + toOgre(vertex));
    };
    if (selectionOnly) {
        for (const std::string& name : mDocument->selectedBoxNames())
            include(*level.findBox(name));
    } else {
        for (const SLevelGrid& grid : level.grids()) {
            for (const SLevelBox& box : grid.boxes)
                include(box);
        }
    }
    if (bounds.isNull()) {
        statusBar()->showMessage(selectionOnly ? QStringLiteral("Nothing selected to frame")
                                               : QStringLiteral("The map has no boxes"),
                                 kStatusMs);
        return;
    }
    Ogre::Radian fovY = kDefaultFovY;
    float aspect = 1.0f;
    if (const Ogre::Camera* camera = mOgreWidget ? mOgreWidget->camera() : nullptr) {
        fovY = camera->getFOVy();
        aspect = camera->getAspectRatio();
    }
    // The narrower of the two view angles decides.
    const float halfTan = std::tan(fovY.valueRadians() / 2.0f) * std::min(aspect, 1.0f);
    const float radius = bounds.getHalfSize().length();
    const float distance =
        std::max(radius / (std::sin(std::atan(halfTan)) * kFrameFill), kFrameNearest);
    // The camera keeps its direction and looks at the middle of the boxes from that distance.
    auto* inner = static_cast<Ogre::SceneNode*>(outer->getChild(0));
    Ogre::Vector3 direction = inner->getPosition();
    if (direction.isZeroLength())
        direction = kCameraHome;
    outer->setPosition(bounds.getCenter());
    inner->setPosition(direction.normalisedCopy() * distance);
    inner->lookAt(Ogre::Vector3::ZERO, Ogre::Node::TS_PARENT, Ogre::Vector3::NEGATIVE_UNIT_Z);
}
