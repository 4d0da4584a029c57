// CIOMap: reads map files (".kivom") into a scene and writes a scene's level into them. The
// format itself (world/level/map_format.h) works on the level model; this class carries levels
// between files, the model and the scene.
#pragma once

#include "world/level/map_format.h"

#include <fstream>
#include <iosfwd>
#include <string>
#include <vector>

class CScene;

class CIOMap
{
public:
    static constexpr size_t kMaxLineLength = kMapMaxLineLength;

    // Reads every line of the file into memory. False (with a message) when it cannot be opened.
    bool openForReading(const std::string& path);
    // Reads the lines of map text from a stream (same rules as a file).
    void readLines(std::istream& in) { mLines = splitMapLines(in); }
    // Builds the level of the lines read in the scene.
    void readIntoScene(CScene& scene);

    bool openForWriting(const std::string& path);
    void writeScene(const CScene& scene);
    // Writes the scene's records to any stream (the file written by writeScene holds the same).
    static void writeScene(const CScene& scene, std::ostream& out);
    // Why the scene's level cannot be written so that it reads back the same; empty when it
    // can (see unstorableReason of the level model).
    static std::string unstorableReason(const CScene& scene);
    // Closes the written file; false (with a message) when the data did not reach it.
    bool closeAfterWriting();

    const std::vector<std::string>& getLines() const { return mLines; }

    // The scene's level as a model, and a model made into the scene's level.
    static CLevel levelOf(const CScene& scene);
    static void buildInScene(const CLevel& level, CScene& scene);

private:
    std::vector<std::string> mLines;
    std::ofstream mOut;
};
