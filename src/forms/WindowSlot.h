#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace pravik {

// The place of this start among the running ones that share one main.ini:
// the first takes 0, a second start while it runs 1, and so on, so that the
// second window can open beside the first instead of exactly on it (users
// keep two lists side by side). Held by a lock file in the user's temporary
// folder until the object goes; one left by a program that died is taken
// over.
class WindowSlot {
public:
    explicit WindowSlot(const QString& settingsFolder);
    ~WindowSlot();
    WindowSlot(const WindowSlot&) = delete;
    WindowSlot& operator=(const WindowSlot&) = delete;

    int index() const { return index_; }

private:
    std::unique_ptr<QLockFile> lock_;
    int index_ = 0;
};

} // namespace pravik
