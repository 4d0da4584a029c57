// CMapDocument: the map being edited. It holds the level model (what the file keeps), the
// editor-mode scene that shows it, the selected boxes, the file name and the undo stack, and
// offers every editing operation of the grid and box tools. An operation changes the model and
// pushes one command on the undo stack; the command puts the changed objects into the model and
// the scene, and nothing else. Selecting boxes is no undo step. Nothing here needs a window, so
// tests drive the operations directly.
#pragma once

#include "editor/box_state.h"
#include "editor/level_piece.h"
#include "editor/undo_ids.h"
#include "world/level/level.h"

#include <OgreColourValue.h>
#include <OgreVector.h>

#include <QUndoStack>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CBox;
class CLevelMarkers;
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
    // Replaces the file in one crash-safe step (see replaceFile), so a failed save leaves the
    // old file whole; a link at the path is followed. A map the file cannot hold exactly is not
    // written.
    bool saveMap(const std::string& path);
    // Why the last save failed, for the designer.
    const std::string& saveError() const { return mSaveError; }
    bool isLoaded() const { return mScene != nullptr; }
    const std::string& fileName() const { return mFileName; }
    bool isModified() const { return !mUndoStack.isClean(); }
    std::string mapText() const;

    // The level as the file keeps it; the scene shows it.
    const CLevel& level() const { return mLevel; }
    CScene* scene() const { return mScene.get(); }
    QUndoStack& undoStack() { return mUndoStack; }

    // --- selection (never an undo step) ----------------------------------------------------
    // Selects the box when it is not selected, else deselects it; false when there is no box.
    bool toggleSelection(const std::string& boxName);
    void clearSelection();
    void selectGrids(const std::vector<std::string>& gridNames);
    std::vector<std::string> gridNames() const;
    // In the order they were selected.
    const std::vector<std::string>& selectedBoxNames() const { return mSelection; }

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

    // --- lights, waypoints, start and finish points, monsters (map_document_objects.cpp) ----
    // Every change below is one undo step; a refusal or a change that changes nothing leaves
    // the map and the undo stack as they were.
    struct SLight
    {
        Ogre::Vector3 position = Ogre::Vector3::ZERO;
        Ogre::ColourValue diffuse = Ogre::ColourValue::White;
        Ogre::ColourValue specular = Ogre::ColourValue::White;
        float range = 100.0f;
    };
    // A light as an undo step keeps it: gone, or its values and place in the list.
    struct SLightState
    {
        std::string name;
        bool exists = false;
        size_t index = 0;
        SLight light;
    };
    enum class ELightResult
    {
        Created,
        InvalidInput, // a name the map cannot hold, or a range that is not positive
        NameTaken
    };
    ELightResult addLight(const std::string& name, const SLight& light);
    // Every named light gets the position, colours and range; false when none exists.
    bool editLights(const std::vector<std::string>& names, const SLight& light);
    // Colours and range only; changes in a row (a slider dragged) are one undo step.
    bool setLightColours(const std::vector<std::string>& names, const Ogre::ColourValue& diffuse,
                         const Ogre::ColourValue& specular, float range);
    int deleteLights(const std::vector<std::string>& names); // how many went
    bool findLight(const std::string& name, SLight& light) const;
    std::vector<std::string> lightNames() const;
    // Changes in a row are one undo step.
    void setAmbientLight(const Ogre::ColourValue& colour);

    // Waypoints act on the selected boxes.
    bool createWaypoints(int weight);
    // Removes the waypoints of the selected boxes with their links and the monsters that start
    // on them (the same rule as deleting their boxes).
    SDeletion removeWaypoints();
    // Links the waypoint on each named box with the waypoint of every selected box.
    bool linkWaypoints(const std::vector<std::string>& boxNames);
    bool unlinkWaypoints(const std::string& boxA, const std::string& boxB);
    bool setWaypointWeight(int weight);
    std::vector<std::string> waypointNames() const; // box names, in the scene's order
    std::vector<std::string> neighbourNames(const std::string& boxName) const;
    bool waypointWeight(const std::string& boxName, int& weight) const;

    // Start points when start is true, else finish points, for the selected boxes.
    bool createPoints(bool start);
    bool deletePoints(bool start);

    // A monster of the kind (0..5) on the waypoint of the first selected box that has one.
    // False for a name taken or not storable, a bad kind, or no selected waypoint box.
    bool createMonster(int kind, const std::string& name);
    int deleteMonsters(const std::vector<std::string>& names);
    std::vector<std::string> monsterNames() const;
    // Selects the boxes the named monsters start on, and nothing else.
    void selectMonsterStarts(const std::vector<std::string>& names);

    // --- used by the commands: each puts its objects into the model and the scene ---------
    // Builds the level anew from map text, keeping the camera and the selection by name (a
    // recovered copy replaces the whole map in one step).
    void restoreFromText(const std::string& text);
    void applyPiece(const SLevelPiece& piece);
    void applyBoxes(const std::vector<SBoxState>& boxes);
    // Gives the named lights these states: removed, changed or put back in their place.
    void applyLightStates(const std::vector<SLightState>& states);
    void applyAmbient(const Ogre::ColourValue& colour);
    // Makes the named boxes the start (or finish) points, in that order.
    void applyPoints(const std::vector<std::string>& boxes, bool start);

private:
    // A new level with an empty undo stack and no selection (new map, opened map).
    void startOver(CLevel level, const std::string& fileName);
    void replaceLevel(CLevel level);
    void highlight(const std::string& box, bool on) const;
    // Adds new boxes (and the grid when it is new) as one undo step; their names are made free.
    void addBoxes(const QString& text, const std::string& grid, std::vector<SBoxState> boxes);
    // Brings the markers of start and finish points, lights, waypoints, links and monsters in
    // line with the level.
    void showMarkers();
    SDeletion deleteBoxes(const std::vector<std::string>& boxes,
                          const std::vector<std::string>& grids, const QString& text);
    // Runs the change and pushes it as one undo step when the named piece of the level changed;
    // false if not.
    bool pieceChange(const QString& text, const SLevelPiece::SKeys& keys,
                     const std::function<void()>& change, std::vector<std::string> reselect = {});
    // The selected boxes that carry a waypoint, with the boxes of their neighbours.
    std::vector<std::string> selectedWaypointsAndNeighbours() const;
    std::vector<SLightState> lightStates(const std::vector<std::string>& names) const;
    std::vector<std::string> pointNames(bool start) const;
    bool pointsChange(bool start, bool add);
    // Runs the change of the named lights and pushes it as one undo step when they changed.
    template <typename Change>
    bool lightChange(const QString& text, const std::vector<std::string>& names, Change&& change,
                     int mergeId = MERGE_NEVER);
    // The selected boxes as the model holds them.
    std::vector<SBoxState> selectedStates() const;
    void pushChange(const QString& text, std::vector<SBoxState> after, int mergeId = MERGE_NEVER);

    std::string mSceneManagerName;
    std::string mCameraName;
    std::string mFileName;
    std::string mSaveError;
    CLevel mLevel;
    std::unique_ptr<CScene> mScene;
    std::vector<std::string> mSelection;
    // Drawn in the scene's scene manager: it goes before the scene does.
    std::unique_ptr<CLevelMarkers> mMarkers;
    QUndoStack mUndoStack;
};
