// Moving in: earlier versions kept "ogre.cfg", "input.cfg" and every map's best times beside the
// program and its maps. On the first start that finds such files, they are copied to the user's
// folders (paths.h), each only where the user has no file of that name yet; the old files stay as
// they were. A note in the state folder records the move, so it happens once.
#pragma once

#include <string>
#include <vector>

// Moves in from the settings folder oldBase (the old place of "ogre.cfg" and "input.cfg") and
// the map folder oldMaps (the old place of the "<map>.data" files). Returns the lines for the
// log, none when there was nothing to move or the move was done before.
std::vector<std::string> moveIn(const std::string& oldBase, const std::string& oldMaps);
