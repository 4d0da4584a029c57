// Helpers every test program shares: a private temporary working folder, and paths of the
// staged game folder and of the source tree.
#pragma once

#include <string>

namespace testenv {

// The staged runnable folder (programs, plugins.cfg, resources.cfg, data/).
std::string runDir();
std::string sourceDir();

// Creates a fresh folder below /tmp and makes it the working directory for the object's life;
// it is removed afterwards. The folder never lies inside the repository.
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
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);

} // namespace testenv
