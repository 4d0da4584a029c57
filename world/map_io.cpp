// The map file reader and writer.
//
// Reading rules worth knowing:
// - A line longer than kMaxLineLength characters is dropped whole: nothing of it becomes a
//   record, and it does not spill over into the next one.
// - A carriage return before the line feed is removed, so CRLF files read like LF files.
// - A number that is missing or does not read as a number becomes 0, except for the ambient
//   components (1.0) and a light's range (1000). A missing or unreadable monster kind is no
//   kind at all: the record is skipped.
// - A box whose position or vertices lie beyond kMaxCoordinate is skipped: such values only
//   come from broken files, and the physics engine cannot place them.
// - A light range of 0 or less would divide by zero in the attenuation; it becomes 1000 too.
#include "world/map_io.h"

#include "world/box.h"
#include "world/box_grid.h"
#include "world/monster.h"
#include "world/scene.h"
#include "world/waypoint.h"

#include <OgreLight.h>
#include <OgreSceneNode.h>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <sstream>

namespace {

constexpr float kDefaultAmbient = 1.0f;
constexpr float kDefaultLightRange = 1000.0f;
constexpr float kMaxCoordinate = 1.0e6f;
const size_t kLightNamePrefixLength = 5; // scene lights are called "light" + name

// Splits a record's value one field at a time. An empty field (the rest starting with ",")
// takes the whole rest, so it swallows every field after it.
class CFieldReader
{
public:
    explicit CFieldReader(const std::string& value) : mRest(value), mHasMore(true) {}

    bool hasMore() const { return mHasMore; }

    std::string next()
    {
        if (!mHasMore)
            return std::string();
        const size_t comma = mRest.find(',');
        if (comma == std::string::npos || comma == 0) {
            mHasMore = false;
            return std::move(mRest);
        }
        std::string field = mRest.substr(0, comma);
        mRest.erase(0, comma + 1);
        return field;
    }

    float nextFloat(float fallback = 0.0f)
    {
        std::istringstream in(next());
        float value = 0.0f;
        if (!(in >> value) || !std::isfinite(value))
            return fallback;
        return value;
    }

    int nextInt(int fallback = 0)
    {
        std::istringstream in(next());
        int value = 0;
        if (!(in >> value))
            return fallback;
        return value;
    }

    // A name that may not hold white space: the text up to the first blank.
    std::string nextWord()
    {
        std::istringstream in(next());
        std::string word;
        in >> word;
        return word;
    }

    Ogre::Vector3 nextVector()
    {
        const float x = nextFloat();
        const float y = nextFloat();
        const float z = nextFloat();
        return Ogre::Vector3(x, y, z);
    }

private:
    std::string mRest;
    bool mHasMore;
};

bool withinLimits(const Ogre::Vector3& v)
{
    return std::abs(v.x) <= kMaxCoordinate && std::abs(v.y) <= kMaxCoordinate &&
           std::abs(v.z) <= kMaxCoordinate;
}

void addAsPoint(CScene& scene, const std::string& boxName, bool start)
{
    CBox* box = scene.findBox(boxName);
    if (!box)
        return;
    const std::vector<CBox*> selection = scene.getSelection();
    scene.clearSelection();
    scene.addToSelection(box);
    if (start)
        scene.addSelectedAsStartPoints();
    else
        scene.addSelectedAsFinishPoints();
    scene.clearSelection();
    for (CBox* selected : selection)
        scene.addToSelection(selected);
}

} // namespace

bool CIOMap::openForReading(const std::string& path)
{
    mLines.clear();
    std::ifstream in(path, std::ios::in | std::ios::binary);
    // A folder opens like a file here but reads as nothing: it is no map either.
    std::error_code error;
    if (!in || std::filesystem::is_directory(path, error)) {
        std::cerr << "CIOMap: Can't open file: " << path << "!" << std::endl;
        return false;
    }
    mLines = splitLines(in);
    return true;
}

std::vector<std::string> CIOMap::splitLines(std::istream& in)
{
    // One character more than a line may hold, for the carriage return of a CRLF line end.
    const size_t keep = kMaxLineLength + 1;
    std::vector<std::string> lines;
    std::string line;
    bool tooLong = false;
    bool pending = false; // characters read since the last line end
    const auto endLine = [&] {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!tooLong && line.size() <= kMaxLineLength)
            lines.push_back(line);
        line.clear();
        tooLong = false;
        pending = false;
    };
    std::streambuf* buffer = in.rdbuf();
    for (int c = buffer->sbumpc(); c != std::char_traits<char>::eof(); c = buffer->sbumpc()) {
        if (c == '\n') {
            endLine();
        } else if (line.size() < keep) {
            line.push_back(static_cast<char>(c));
            pending = true;
        } else {
            tooLong = true;
        }
    }
    if (pending)
        endLine();
    return lines;
}

void CIOMap::readIntoScene(CScene& scene)
{
    mLinks.clear();
    for (const std::string& line : mLines)
        applyLine(line, scene);
    for (const auto& [from, to] : mLinks) {
        CBox* a = scene.findBox(from);
        CBox* b = scene.findBox(to);
        if (a && b)
            scene.linkWaypoints(a, b);
    }
    mLinks.clear();
}

void CIOMap::applyLine(const std::string& line, CScene& scene)
{
    const size_t equals = line.find('=');
    const std::string key = line.substr(0, equals);
    if (equals == std::string::npos)
        return;
    CFieldReader fields(line.substr(equals + 1));

    if (key == "box") {
        const std::string name = fields.next();
        const std::string material = fields.next();
        const std::string grid = fields.next();
        const Ogre::Vector3 position = fields.nextVector();
        CBox::Vertices vertices;
        bool valid = withinLimits(position);
        for (Ogre::Vector3& vertex : vertices) {
            vertex = fields.nextVector();
            valid = valid && withinLimits(vertex);
        }
        const bool fitTexture = fields.nextInt() != 0;
        if (valid)
            scene.addBox(name, material, grid, position, &vertices, fitTexture);
    } else if (key == "light") {
        const std::string name = fields.next();
        const Ogre::Vector3 position = fields.nextVector();
        const Ogre::Vector3 diffuse = fields.nextVector();
        const Ogre::Vector3 specular = fields.nextVector();
        float range = fields.nextFloat(kDefaultLightRange);
        if (range <= 0.0f)
            range = kDefaultLightRange;
        if (withinLimits(position)) {
            scene.addLight(name, position, Ogre::ColourValue(diffuse.x, diffuse.y, diffuse.z),
                           Ogre::ColourValue(specular.x, specular.y, specular.z), range);
        }
    } else if (key == "ambient") {
        const float red = fields.nextFloat(kDefaultAmbient);
        const float green = fields.nextFloat(kDefaultAmbient);
        const float blue = fields.nextFloat(kDefaultAmbient);
        scene.setAmbientLight(Ogre::ColourValue(red, green, blue, 1.0f));
    } else if (key == "startpoint" || key == "finishpoint") {
        addAsPoint(scene, fields.nextWord(), key == "startpoint");
    } else if (key == "waypoint") {
        const std::string boxName = fields.nextWord();
        const int weight = fields.nextInt();
        CBox* box = scene.findBox(boxName);
        if (!box)
            return;
        scene.addWaypoint(box, weight);
        while (fields.hasMore())
            mLinks.emplace_back(box->getName(), fields.next());
    } else if (key == "monster") {
        const int kind = fields.nextInt(-1);
        const std::string name = fields.nextWord();
        const std::string boxName = fields.nextWord();
        CBox* box = scene.findBox(boxName);
        CWaypoint* start = box ? scene.findWaypoint(box) : nullptr;
        if (start && kind >= 0 && kind < CMonster::kKindCount)
            scene.addMonster(kind, name, start);
    }
}

bool CIOMap::openForWriting(const std::string& path)
{
    mOut.open(path, std::ios::out | std::ios::trunc);
    if (!mOut.is_open()) {
        std::cerr << "CIOMap: Can't open or create file: " << path << "!" << std::endl;
        return false;
    }
    return true;
}

void CIOMap::writeScene(const CScene& scene)
{
    if (mOut.is_open())
        writeScene(scene, mOut);
}

void CIOMap::writeScene(const CScene& scene, std::ostream& out)
{
    auto vector = [&out](const Ogre::Vector3& v) { out << v.x << "," << v.y << "," << v.z; };
    auto colour = [&out](const Ogre::ColourValue& c) { out << c.r << "," << c.g << "," << c.b; };

    for (const auto& grid : scene.getGrids()) {
        for (const auto& box : grid->getBoxes()) {
            out << "box=" << box->getName() << "," << box->getMaterialName() << ","
                << grid->getName() << ",";
            vector(box->getPosition());
            for (const Ogre::Vector3& vertex : box->getVertices()) {
                out << ",";
                vector(vertex);
            }
            out << "," << (box->getFitTexture() ? 1 : 0) << "\n";
        }
    }
    for (const Ogre::Light* light : scene.getLights()) {
        const std::string& name = light->getName();
        out << "light="
            << (name.size() > kLightNamePrefixLength ? name.substr(kLightNamePrefixLength) : "")
            << ",";
        vector(light->getParentSceneNode() ? light->getParentSceneNode()->getPosition()
                                           : Ogre::Vector3::ZERO);
        out << ",";
        colour(light->getDiffuseColour());
        out << ",";
        colour(light->getSpecularColour());
        out << "," << light->getAttenuationRange() << "\n";
    }
    out << "ambient=";
    colour(scene.getAmbientLight());
    out << "\n";
    for (const CBox* box : scene.getStartBoxes())
        out << "startpoint=" << box->getName() << "\n";
    for (const CBox* box : scene.getFinishBoxes())
        out << "finishpoint=" << box->getName() << "\n";
    for (const CWaypoint* waypoint : scene.getWaypoints()) {
        out << "waypoint=" << waypoint->getBox()->getName() << "," << waypoint->getWeight();
        for (const CWaypoint* neighbour : waypoint->getNeighbours())
            out << "," << neighbour->getBox()->getName();
        out << "\n";
    }
    for (const CMonster* monster : scene.getMonsters()) {
        const CWaypoint* start = monster->getStartWaypoint();
        out << "monster=" << monster->getKind() << "," << monster->getName() << ","
            << (start && start->getBox() ? start->getBox()->getName() : "") << "\n";
    }
}

bool CIOMap::closeAfterWriting()
{
    mOut.close();
    if (mOut.good()) {
        std::cout << "CIOMap: Successful saved!" << std::endl;
        return true;
    }
    std::cerr << "CIOMap: Can't close file!" << std::endl;
    return false;
}
