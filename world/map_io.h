// CIOMap: reads map files (".kivom") and carries levels between the model and the scene. The
// format itself (world/level/map_format.h) reads and writes the level model; the editor saves its
// own model, so nothing here writes a file.
#pragma once

#include "world/level/map_format.h"

#include <string>
#include <vector>

class CScene;

class CIOMap
{
public:
    // Reads every line of the file into memory. False (with a message) when it cannot be opened.
    bool openForReading(const std::string& path);
    // Builds the level of the lines read in the scene.
    void readIntoScene(CScene& scene);

    const std::vector<std::string>& getLines() const { return mLines; }

    // The scene's level as a model, and a model made into the scene's level.
    static CLevel levelOf(const CScene& scene);
    static void buildInScene(const CLevel& level, CScene& scene);

private:
    std::vector<std::string> mLines;
};
