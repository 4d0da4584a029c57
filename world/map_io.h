// CIOMap: reads the lines of a map file (".kivom"). The format itself (world/level/map_format.h)
// turns them into a level model, which CScene::realise puts on screen.
#pragma once

#include "world/level/map_format.h"

#include <string>
#include <vector>

class CIOMap
{
public:
    // Reads every line of the file into memory. False (with a message) when it cannot be opened.
    bool openForReading(const std::string& path);

    const std::vector<std::string>& getLines() const { return mLines; }

private:
    std::vector<std::string> mLines;
};
