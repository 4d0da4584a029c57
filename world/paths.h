// Where the game and the editor find their read-only data and keep each user's own files.
//
// Shipped data: an installed program (<prefix>/bin) reads <prefix>/share/kivo/, which holds
// plugins.cfg, resources.cfg and the data folders (maps/, gui/, sounds/...). A program in a build's
// runnable folder (resources.cfg beside it) reads that folder and its data/. A program beside
// neither (the test programs) reads its working folder and its data/.
//
// Per-user files follow the XDG base-directory rules: settings in $XDG_CONFIG_HOME/kivo, best
// times and the user's own maps in $XDG_DATA_HOME/kivo, logs in $XDG_STATE_HOME/kivo; a variable
// that is unset, empty or not an absolute path falls back to ~/.config, ~/.local/share and
// ~/.local/state. Nothing here is cached: tests point the variables elsewhere at will.
#pragma once

#include <string>
#include <vector>

namespace paths {

// The folder of plugins.cfg and resources.cfg; relative locations in them are relative to it.
std::string baseDir();
// The folder of the shipped data, and a file below it ("sounds/menu.wav").
std::string dataDir();
std::string dataFile(const std::string& relative);
std::string shippedMapDir();

std::string configDir();
std::string userDataDir();
std::string stateDir();
std::string userMapDir();
std::string configFile(const std::string& name);
std::string stateFile(const std::string& name);
// Where the editor keeps recovery copies of maps with unsaved changes (below stateDir).
std::string recoveryDir();

// Creates the per-user folders (owner only) where missing. False, with the reason, when one of
// them cannot be made.
bool makeUserFolders(std::string& error);

// A map file's extension, and that of the file beside it with its description and best times.
inline constexpr const char* kMapExtension = ".kivom";
inline constexpr const char* kCompanionExtension = ".data";

// Map names: a map in the user's or the shipped map folder is named by its file name ("a.kivom");
// the user's folder wins when both hold one. A map anywhere else is named by its absolute path.
std::string mapFile(const std::string& mapName);
std::string mapNameOf(const std::string& path);
// The names of every map file (".kivom") of both folders, sorted, each once.
std::vector<std::string> listMaps();

// The file holding a map's description, author and best times, written by the game. For maps of
// the two folders it lies in the user's map folder ("<name>.data"), for any other map beside it.
std::string bestTimesFile(const std::string& mapName);
// The description and author shipped with a map: the ".data" file beside the map file.
std::string mapInfoFile(const std::string& mapName);

} // namespace paths
