// Crash-safe file replacement, shared by the game's profile files and the editor's map saves:
// the new contents go to a unique temporary file beside the target, are flushed to disk and
// renamed over the target, and the folder is flushed too, so a reader (or the next start after
// a power cut) sees the old file or the new one, never a mix.
#pragma once

#include <string>

// Replaces the whole file with data. The target's permissions are kept (a new file gets 0644).
// A symbolic link at the path is followed and its target replaced; a link that leads nowhere
// is refused. False leaves every file as it was; reason (when given) then says why.
bool replaceFile(const std::string& file, const std::string& data, std::string* reason = nullptr);

// Removes the temporary files that writes killed half way (power cut, kill -9) left in a folder;
// files of writes still running are left alone. Returns how many were removed.
int removeStaleTemporaryFiles(const std::string& folder);
