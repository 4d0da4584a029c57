// CIOMap: reads and writes map files (".kivom"), one record per line: a key, "=", and
// comma-separated fields. Reading turns each record into a call on the scene; writing prints
// one record per object of the scene.
#pragma once

#include <fstream>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

class CScene;

class CIOMap
{
public:
    // Longest line kept; a longer line is ignored as a whole (never split into two records).
    static constexpr size_t kMaxLineLength = 999;

    // Reads every line of the file into memory. False (with a message) when it cannot be opened.
    bool openForReading(const std::string& path);
    // Reads the lines of map text from a stream (same rules as a file).
    void readLines(std::istream& in) { mLines = splitLines(in); }
    // The lines of a map text without their line ends. A line longer than kMaxLineLength is
    // dropped whole, and never held in memory whole while it is skipped.
    static std::vector<std::string> splitLines(std::istream& in);
    // Applies the lines read to the scene: boxes, lights, ambient, points, waypoints and
    // monsters in file order, then the waypoint links.
    void readIntoScene(CScene& scene);

    bool openForWriting(const std::string& path);
    void writeScene(const CScene& scene);
    // Writes the scene's records to any stream (the file written by writeScene holds the same).
    static void writeScene(const CScene& scene, std::ostream& out);
    // Closes the written file; false (with a message) when the data did not reach it.
    bool closeAfterWriting();

    const std::vector<std::string>& getLines() const { return mLines; }

private:
    void applyLine(const std::string& line, CScene& scene);

    std::vector<std::string> mLines;
    std::vector<std::pair<std::string, std::string>> mLinks;
    std::ofstream mOut;
};
