// Reading the lines of a map file.
#include "world/map_io.h"

#include <filesystem>
#include <fstream>
#include <iostream>

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
    mLines = splitMapLines(in);
    return true;
}
