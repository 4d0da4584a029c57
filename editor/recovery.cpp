// Recovery copies of maps with unsaved changes, and finding those that editors left behind.
#include "editor/recovery.h"

#include "world/paths.h"
#include "world/safe_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

namespace {

const char* const kMapSuffix = paths::kMapExtension;
const char* const kOriginSuffix = ".origin";
const char* const kLockSuffix = ".lock";
const int kMsPerSecond = 1000;

QString folder()
{
    return QString::fromStdString(paths::recoveryDir());
}

QString fileOf(const QString& id, const char* suffix)
{
    return folder() + QLatin1Char('/') + id + QLatin1String(suffix);
}

// A lock that only a running editor holds: its age alone never makes it stale.
std::unique_ptr<QLockFile> tryLock(const QString& id)
{
    auto lock = std::make_unique<QLockFile>(fileOf(id, kLockSuffix));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

} // namespace

SRecoveryCopy::SRecoveryCopy() = default;
SRecoveryCopy::SRecoveryCopy(SRecoveryCopy&&) noexcept = default;
SRecoveryCopy::~SRecoveryCopy() = default;

CRecovery::CRecovery()
    : mId(QStringLiteral("editor-%1-%2")
              .arg(QCoreApplication::applicationPid())
              .arg(QDateTime::currentMSecsSinceEpoch()))
{
}

CRecovery::~CRecovery()
{
    remove();
}

int CRecovery::intervalMs()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue(kIntervalVariable, &ok);
    return (ok && seconds > 0 ? seconds : kDefaultIntervalSeconds) * kMsPerSecond;
}

bool CRecovery::write(const std::string& mapText, const QString& originalPath, std::string& reason)
{
    if (!QDir().mkpath(folder())) {
        reason = "cannot create the folder " + folder().toStdString();
        return false;
    }
    QFile::setPermissions(folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!mLock) {
        mLock = tryLock(mId);
        if (!mLock) {
            reason = "cannot lock " + fileOf(mId, kLockSuffix).toStdString();
            return false;
        }
    }
    return replaceFile(fileOf(mId, kOriginSuffix).toStdString(), originalPath.toStdString(),
                       &reason) &&
           replaceFile(fileOf(mId, kMapSuffix).toStdString(), mapText, &reason);
}

void CRecovery::remove()
{
    if (!mLock)
        return;
    QFile::remove(fileOf(mId, kMapSuffix));
    QFile::remove(fileOf(mId, kOriginSuffix));
    mLock.reset();
}

std::vector<SRecoveryCopy> CRecovery::leftBehind()
{
    removeStaleTemporaryFiles(folder().toStdString());
    std::vector<SRecoveryCopy> copies;
    const QFileInfoList maps =
        QDir(folder()).entryInfoList({QStringLiteral("*") + QLatin1String(kMapSuffix)}, QDir::Files,
                                     QDir::Time | QDir::Reversed);
    for (const QFileInfo& map : maps) {
        const QString id = map.completeBaseName();
        SRecoveryCopy copy;
        copy.lock = tryLock(id);
        if (!copy.lock)
            continue; // an editor that is running keeps it
        copy.map = map.absoluteFilePath();
        copy.written = map.lastModified();
        QFile origin(fileOf(id, kOriginSuffix));
        if (origin.open(QIODevice::ReadOnly))
            copy.originalPath = QString::fromUtf8(origin.readAll());
        copies.push_back(std::move(copy));
    }
    return copies;
}

bool CRecovery::read(const SRecoveryCopy& copy, std::string& mapText)
{
    QFile file(copy.map);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    mapText = file.readAll().toStdString();
    return true;
}

void CRecovery::discard(SRecoveryCopy& copy)
{
    const QString id = QFileInfo(copy.map).completeBaseName();
    QFile::remove(copy.map);
    QFile::remove(fileOf(id, kOriginSuffix));
    copy.lock.reset();
}
