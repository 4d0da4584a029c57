// Helpers every test program shares: a private temporary working folder, and paths of the
// staged game folder and of the source tree.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace testenv {

// The staged runnable folder (programs, plugins.cfg, resources.cfg, data/).
std::string runDir();
std::string sourceDir();

// Creates a fresh folder below /tmp and makes it the working directory for the object's life;
// it is removed afterwards. The folder never lies inside the repository. The user's folders
// (XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_STATE_HOME) point below it meanwhile, so what the programs
// keep per user lands there too.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return mPath; }
    // Makes data/, plugins.cfg and resources.cfg of the staged game visible in this folder
    // (as symbolic links), so programs that read relative paths find them.
    void linkGameFiles() const;
    std::string file(const std::string& name) const { return mPath + "/" + name; }

private:
    std::string mPath;
    std::string mOldCwd;
    std::vector<std::pair<std::string, std::string>> mOldVariables; // name, value ("" = unset)
};

// A file of the game's folder in the user's XDG_CONFIG_HOME, XDG_DATA_HOME or XDG_STATE_HOME
// (as a TempDir sets them), its folder made: userFile(kData, "maps/a.kivom.data").
constexpr const char* kConfig = "XDG_CONFIG_HOME";
constexpr const char* kData = "XDG_DATA_HOME";
constexpr const char* kState = "XDG_STATE_HOME";
std::string userFile(const char* xdgVariable, const std::string& name);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);

} // namespace testenv
