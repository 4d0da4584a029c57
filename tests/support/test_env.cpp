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

namespace {
const std::pair<const char*, const char*> kUserFolders[] = {
    {"XDG_CONFIG_HOME", "home/.config"},
    {"XDG_DATA_HOME", "home/.local/share"},
    {"XDG_STATE_HOME", "home/.local/state"},
};
} // namespace

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
    for (const auto& [variable, folder] : kUserFolders) {
        const char* old = std::getenv(variable);
        mOldVariables.emplace_back(variable, old ? old : "");
        setenv(variable, (fs::path(mPath) / folder).c_str(), 1);
    }
}

TempDir::~TempDir()
{
    for (const auto& [variable, value] : mOldVariables) {
        if (value.empty())
            unsetenv(variable.c_str());
        else
            setenv(variable.c_str(), value.c_str(), 1);
    }
    std::error_code ec;
    fs::current_path(mOldCwd, ec);
    fs::remove_all(mPath, ec);
}

void TempDir::linkGameFiles() const
{
    for (const char* name : {"data", "plugins.cfg", "resources.cfg"})
        fs::create_symlink(fs::path(runDir()) / name, fs::path(mPath) / name);
}

std::string userFile(const char* variable, const std::string& name)
{
    const char* folder = std::getenv(variable);
    if (!folder || !*folder)
        throw std::runtime_error(std::string(variable) + " is not set");
    const fs::path file = fs::path(folder) / "kivo" / name;
    fs::create_directories(file.parent_path());
    return file.string();
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
