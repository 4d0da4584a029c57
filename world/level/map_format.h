// The map file format (".kivom") on the level model: one record per line, a key, "=", and
// comma-separated fields. readMap turns lines into a CLevel; writeMap prints one. Both know
// only the model; the scene and the editor build on them.
#pragma once

#include "world/level/level.h"

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

// Longest line kept; a longer line is ignored as a whole (never split into two records).
constexpr std::size_t kMapMaxLineLength = 999;
// Positions and vertices beyond this come only from broken files; the reader drops them.
constexpr float kMapMaxCoordinate = 1.0e6f;
// The smallest light range: the attenuation divides by it. A range of 0 or less reads as 1000,
// a smaller positive one as this.
constexpr float kMapMinLightRange = 0.01f;

// The lines of a map text without their line ends (a carriage return before the line feed is
// dropped too). A line longer than kMapMaxLineLength is dropped whole, and never held in memory
// whole while it is skipped.
std::vector<std::string> splitMapLines(std::istream& in);

// The level the lines describe: boxes, lights, ambient, points, waypoints and monsters in
// line order (a reference names a box read before it), then the waypoint links.
CLevel readMap(const std::vector<std::string>& lines);

// The level's records: boxes grid by grid, lights, ambient, start points, finish points,
// waypoints, monsters. Numbers are written so that they read back as the very same float.
void writeMap(const CLevel& level, std::ostream& out);
std::string writeMap(const CLevel& level);

// A name the map format can store: not empty, without "," or line breaks.
bool isStorableMapName(const std::string& name);
// Why the level cannot be written so that it reads back the same (a name the format cannot
// hold, a number the reader drops, a line too long), in the designer's words; empty when it
// can.
std::string unstorableReason(const CLevel& level);
