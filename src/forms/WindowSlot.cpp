#include "WindowSlot.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>

namespace pravik {

namespace {

// Past this many windows, the later ones all open one place further.
constexpr int kSlots = 8;

} // namespace

WindowSlot::WindowSlot(const QString& settingsFolder)
{
    const QByteArray folderKey =
        QCryptographicHash::hash(QDir::cleanPath(settingsFolder).toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    for (index_ = 0; index_ < kSlots; ++index_) {
        auto lock = std::make_unique<QLockFile>(
            QDir::temp().filePath(QStringLiteral("pravik-%1-window-%2.lock").arg(QLatin1String(folderKey)).arg(index_)));
        // Only a holder that is no longer running makes a lock stale, however
        // long a window stays open.
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            lock_ = std::move(lock);
            return;
        }
    }
}

WindowSlot::~WindowSlot() = default;

} // namespace pravik
