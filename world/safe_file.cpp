// Crash-safe file replacement: temporary file, fsync, rename, fsync of the folder.
#include "world/safe_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

const mode_t kNewFileMode = 0644;
const char* const kTemporarySuffix = ".tmp";
const size_t kTemporaryRandomLength = 6; // mkstemp's XXXXXX

// Whether a file name is one replaceFile gives its temporary files: name + ".tmp" + six
// letters or digits.
bool isTemporaryName(const std::string& name)
{
    const size_t suffix = std::char_traits<char>::length(kTemporarySuffix);
    if (name.size() <= suffix + kTemporaryRandomLength)
        return false;
    const size_t at = name.size() - kTemporaryRandomLength - suffix;
    if (name.compare(at, suffix, kTemporarySuffix) != 0)
        return false;
    return std::all_of(name.end() - kTemporaryRandomLength, name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

std::string folderOf(const std::string& file)
{
    const size_t slash = file.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : file.substr(0, slash);
}

bool writeAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(fd, data.data() + done, data.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

bool fail(std::string* reason, const std::string& text)
{
    if (reason)
        *reason = text;
    return false;
}

// The file that a write to path really replaces: path itself, or the end of its chain of
// symbolic links. False (with the reason) for a link that leads nowhere or in a circle.
bool resolveTarget(const std::string& path, std::string& target, std::string* reason)
{
    target = path;
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path, error)))
        return true;
    const fs::path resolved = fs::weakly_canonical(fs::absolute(path, error), error);
    if (error)
        return fail(reason, path + " is a link that cannot be followed: " + error.message() + ".");
    if (fs::is_symlink(fs::symlink_status(resolved, error)) ||
        !fs::exists(fs::symlink_status(resolved, error)))
        return fail(reason, path + " is a link to " + resolved.string() +
                                ", which does not exist; it was left as it is.");
    if (!fs::is_regular_file(resolved, error))
        return fail(reason, path + " is a link to " + resolved.string() +
                                ", which is not a file; it was left as it is.");
    target = resolved.string();
    return true;
}

} // namespace

bool replaceFile(const std::string& file, const std::string& data, std::string* reason)
{
    std::string target;
    if (!resolveTarget(file, target, reason))
        return false;
    std::string tempName = target + kTemporarySuffix + "XXXXXX";
    const int fd = mkstemp(&tempName[0]);
    if (fd < 0)
        return fail(reason, "Can't write in the folder " + folderOf(target) + ": " +
                                std::strerror(errno) + ".");
    // Held until the file is closed (or the process dies): it tells a running write from the
    // leftover of a killed one.
    flock(fd, LOCK_EX);

    struct stat old;
    const mode_t mode = stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : kNewFileMode;
    bool ok = writeAll(fd, data) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && std::rename(tempName.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(tempName.c_str());
        return fail(reason, "Can't write " + target + ": " + std::strerror(error) + ".");
    }
    // Make the rename itself durable; the new file is already complete either way.
    const int folder = open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}

int removeStaleTemporaryFiles(const std::string& folder)
{
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!isTemporaryName(name) || !it->is_regular_file(ec))
            continue;
        const std::string path = it->path().string();
        const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW);
        if (fd < 0)
            continue;
        // A write in progress (another program in this folder) holds its lock.
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && unlink(path.c_str()) == 0)
            ++removed;
        close(fd);
    }
    return removed;
}
