// Recovery copies: while a map has unsaved changes the editor keeps a copy of it, with the
// path it belongs to, in the user's state folder ($XDG_STATE_HOME/kivo/recovery). Each editor
// holds a lock file beside its copy; a copy whose lock no running editor holds was left by an
// editor that ended without cleaning up (a crash, a kill, a power cut), and is offered back.
#pragma once

#include <QDateTime>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class QLockFile;

// A copy left behind by an editor that is gone. While the object lives, this editor holds the
// copy's lock, so no other editor offers it at the same time.
struct SRecoveryCopy
{
    SRecoveryCopy();
    SRecoveryCopy(SRecoveryCopy&&) noexcept;
    ~SRecoveryCopy();

    QString map;          // the copy
    QString originalPath; // the map file it belongs to; empty for a map never saved
    QDateTime written;
    std::unique_ptr<QLockFile> lock;
};

class CRecovery
{
public:
    static constexpr int kDefaultIntervalSeconds = 30;
    static constexpr const char* kIntervalVariable = "KIVO_EDITOR_RECOVERY_SECONDS";

    CRecovery();
    // Removes this editor's copy: an editor that ends normally leaves none.
    ~CRecovery();
    CRecovery(const CRecovery&) = delete;
    CRecovery& operator=(const CRecovery&) = delete;

    // The least time between two copies: kDefaultIntervalSeconds, or the whole number of
    // seconds (at least 1) in the environment variable kIntervalVariable.
    static int intervalMs();

    // Replaces this editor's copy crash-safely; false, with the reason, when it cannot.
    bool write(const std::string& mapText, const QString& originalPath, std::string& reason);
    void remove();

    // The copies of editors that are gone, oldest first; each comes with its lock held.
    static std::vector<SRecoveryCopy> leftBehind();
    static bool read(const SRecoveryCopy& copy, std::string& mapText);
    static void discard(SRecoveryCopy& copy);

private:
    QString mId; // the file names of this editor's copy, lock and origin
    std::unique_ptr<QLockFile> mLock;
};
