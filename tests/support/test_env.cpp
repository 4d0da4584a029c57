// Temporary working folders and paths for tests.
#include "test_env.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testenv {

std::string runDir()
{
    const char* env = std::getenv("KIVO_RUN_DIR");
    return env && *env ? env : KIVO_RUN_DIR;
}

std::string sourceDir()
{
    const char* env = std::getenv("KIVO_SOURCE_DIR");
    return env && *env ? env : KIVO_SOURCE_DIR;
}

TempDir::TempDir() : mOldCwd(fs::current_path().string())
{
    std::string pattern = (fs::temp_directory_path() / "kivo-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    mPath = pattern;
    fs::current_path(mPath);
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::current_path(mOldCwd, ec);
    fs::remove_all(mPath, ec);
}

void TempDir::linkGameFiles() const
{
    for (const char* name : {"data", "plugins.cfg", "resources.cfg"})
        fs::create_symlink(fs::path(runDir()) / name, fs::path(mPath) / name);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

} // namespace testenv
