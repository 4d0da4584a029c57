// CMapDocument: the map being edited. It owns the editor-mode scene, the file name and the undo
// stack, and offers every editing operation of the grid and box tools. Each operation that
// changes the level is one command on the undo stack; selecting boxes is not. Nothing here
// needs a window, so tests drive the operations directly.
#pragma once

#include "editor/box_state.h"

#include <OgreVector.h>

#include <QUndoStack>

#include <array>
#include <memory>
#include <string>
#include <vector>

class CBox;
class CScene;

class CMapDocument
{
public:
    using AxisFlags = std::array<bool, 3>;
    using VertexFlags = std::array<bool, 9>;

    enum class EGridResult
    {
        Created,
        InvalidInput, // empty or unacceptable name, no material, counts or size not positive
        NameTaken
    };

    // What a deletion took with it besides the boxes.
    struct SDeletion
    {
        int boxes = 0;
        int startPoints = 0;
        int finishPoints = 0;
        int waypoints = 0;
        int monsters = 0;
    };

    // The scene manager and the camera must exist in the running Ogre root.
    CMapDocument(std::string sceneManagerName, std::string cameraName);
    ~CMapDocument();
    CMapDocument(const CMapDocument&) = delete;
    CMapDocument& operator=(const CMapDocument&) = delete;

    // --- files ---------------------------------------------------------------------------
    void newMap();
    // Reads the map; on failure the map that was open stays as it was.
    bool openMap(const std::string& path);
    // Writes a temporary file beside the target and renames it over the target, so a failed
    // save leaves the old file whole.
    bool saveMap(const std::string& path);
    bool isLoaded() const { return mScene != nullptr; }
    const std::string& fileName() const { return mFileName; }
    bool isModified() const { return !mUndoStack.isClean(); }
    std::string mapText() const;

    CScene* scene() const { return mScene.get(); }
    QUndoStack& undoStack() { return mUndoStack; }

    // --- selection (never an undo step) ----------------------------------------------------
    // Selects the box when it is not selected, else deselects it; false when there is no box.
    bool toggleSelection(const std::string& boxName);
    void clearSelection();
    void selectGrids(const std::vector<std::string>& gridNames);
    std::vector<std::string> gridNames() const;
    std::vector<std::string> selectedBoxNames() const;

    // --- editing -------------------------------------------------------------------------
    static bool isAcceptableName(const std::string& name); // letters and digits, not empty
    static bool materialExists(const std::string& material);

    EGridResult createGrid(const std::string& name, const std::string& material, int countX,
                           int countY, const Ogre::Vector3& origin, float edge);
    bool addBox(const std::string& grid, const std::string& material, const Ogre::Vector3& position,
                float edge);
    EGridResult copySelection(const std::string& gridName, const std::string& material);
    SDeletion deleteSelection();
    SDeletion deleteGrids(const std::vector<std::string>& gridNames);
    // False when the material does not exist (nothing changes).
    bool setMaterial(const std::string& material, bool fitTexture);
    // Per axis: absolute sets the coordinate, otherwise the value is added.
    void moveSelection(const Ogre::Vector3& value, const AxisFlags& absolute);
    // The arrow buttons: a relative move; repeated nudges of one selection are one undo step.
    void nudgeSelection(const Ogre::Vector3& offset);
    // Moves the flagged vertices of every selected box. An absolute axis makes the value a
    // world coordinate. With nearPoints, every vertex of another box lying on a moved vertex
    // (within kNearDistance) moves the same way, so no gap opens. Each vertex moves once.
    void moveVertices(const VertexFlags& vertices, const Ogre::Vector3& value,
                      const AxisFlags& absolute, bool nearPoints);

    static constexpr float kNearDistance = 0.001f;

    // --- used by the commands --------------------------------------------------------------
    // Builds the level anew from map text, keeping the camera and the selection by name.
    void restoreFromText(const std::string& text);

private:
    void replaceScene(const std::vector<std::string>* lines);
    SDeletion deleteBoxes(const std::vector<std::string>& boxes,
                          const std::vector<std::string>& grids, const QString& text);
    std::string gridOf(const CBox* box) const;
    std::vector<CBox*> selection() const;
    void pushChange(const QString& text, const std::vector<CBox*>& boxes,
                    std::vector<SBoxState> after, int mergeId = -1);

    std::string mSceneManagerName;
    std::string mCameraName;
    std::string mFileName;
    std::unique_ptr<CScene> mScene;
    QUndoStack mUndoStack;
};
