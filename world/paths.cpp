// The data folder found from the program's own place, the XDG folders, and the map names.
#include "world/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace paths {
namespace {

const char* const kProgramFolder = "kivo";
const char* const kResourcesFile = "resources.cfg";
const char* const kInstalledData = "../share/kivo";

fs::path programDir()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : self.parent_path();
}

bool holdsResources(const fs::path& folder)
{
    std::error_code ec;
    return !folder.empty() && fs::is_regular_file(folder / kResourcesFile, ec);
}

enum class ELayout
{
    INSTALLED,
    RUN_FOLDER,
};

struct Place
{
    fs::path base;
    ELayout layout;
};

Place findBase()
{
    const fs::path program = programDir();
    std::error_code ec;
    const fs::path installed = (program / kInstalledData).lexically_normal();
    if (holdsResources(installed))
        return {installed, ELayout::INSTALLED};
    if (holdsResources(program))
        return {program, ELayout::RUN_FOLDER};
    return {fs::current_path(ec), ELayout::RUN_FOLDER};
}

std::string home()
{
    const char* value = std::getenv("HOME");
    if (value && *value)
        return value;
    const passwd* entry = getpwuid(getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "/";
}

// $variable/kivo when the variable holds an absolute path, else ~/fallback/kivo.
std::string userFolder(const char* variable, const char* fallback)
{
    const char* value = std::getenv(variable);
    if (value && *value == '/')
        return (fs::path(value) / kProgramFolder).string();
    return (fs::path(home()) / fallback / kProgramFolder).string();
}

bool isMapFile(const fs::directory_entry& entry)
{
    std::error_code ec;
    return entry.path().extension() == kMapExtension && !entry.is_directory(ec);
}

// The folder a path lies in, made absolute with links resolved, for comparing folders.
fs::path canonicalPath(const fs::path& path)
{
    std::error_code ec;
    const fs::path folder = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return ec ? path.lexically_normal() : folder;
}

bool isPlainName(const std::string& mapName)
{
    return fs::path(mapName).filename() == fs::path(mapName) && !mapName.empty();
}

} // namespace

std::string baseDir()
{
    return findBase().base.string();
}

std::string dataDir()
{
    const Place place = findBase();
    return (place.layout == ELayout::INSTALLED ? place.base : place.base / "data").string();
}

std::string dataFile(const std::string& relative)
{
    return (fs::path(dataDir()) / relative).string();
}

std::string shippedMapDir()
{
    return dataFile("maps");
}

std::string configDir()
{
    return userFolder("XDG_CONFIG_HOME", ".config");
}

std::string userDataDir()
{
    return userFolder("XDG_DATA_HOME", ".local/share");
}

std::string stateDir()
{
    return userFolder("XDG_STATE_HOME", ".local/state");
}

std::string userMapDir()
{
    return (fs::path(userDataDir()) / "maps").string();
}

std::string configFile(const std::string& name)
{
    return (fs::path(configDir()) / name).string();
}

std::string stateFile(const std::string& name)
{
    return (fs::path(stateDir()) / name).string();
}

std::string recoveryDir()
{
    return (fs::path(stateDir()) / "recovery").string();
}

bool makeUserFolders(std::string& error)
{
    for (const std::string& folder : {configDir(), userMapDir(), stateDir()}) {
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec || !fs::is_directory(folder)) {
            error = "cannot create the folder \"" + folder +
                    "\": " + (ec ? ec.message() : std::string("a file is in the way"));
            return false;
        }
    }
    return true;
}

std::string mapFile(const std::string& mapName)
{
    if (!isPlainName(mapName))
        return mapName;
    std::error_code ec;
    const fs::path own = fs::path(userMapDir()) / mapName;
    if (fs::is_regular_file(own, ec))
        return own.string();
    return (fs::path(shippedMapDir()) / mapName).string();
}

std::string mapNameOf(const std::string& path)
{
    const fs::path file = canonicalPath(path);
    const fs::path folder = file.parent_path();
    const std::string name = file.filename().string();
    if (folder == canonicalPath(userMapDir()))
        return name;
    // A shipped map is only named so when the user has none of that name in front of it.
    if (folder == canonicalPath(shippedMapDir()) && canonicalPath(mapFile(name)) == file)
        return name;
    return file.string();
}

std::vector<std::string> listMaps()
{
    std::vector<std::string> names;
    for (const std::string& folder : {userMapDir(), shippedMapDir()}) {
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            if (isMapFile(*it))
                names.push_back(it->path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::string bestTimesFile(const std::string& mapName)
{
    if (isPlainName(mapName))
        return (fs::path(userMapDir()) / (mapName + kCompanionExtension)).string();
    return mapName + kCompanionExtension;
}

std::string mapInfoFile(const std::string& mapName)
{
    return mapFile(mapName) + kCompanionExtension;
}

} // namespace paths
