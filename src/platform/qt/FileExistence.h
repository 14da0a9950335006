#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace pravik {

// Whether files exist, as a background thread last saw them. Asking never
// touches the disk, so a list on an unreachable network folder still paints
// at once: an unknown path counts as existing until its check comes back
// through `changed`. Known paths are checked again now and then, so files
// deleted or restored meanwhile show up on their own.
class FileExistence : public QObject {
    Q_OBJECT
public:
    // Answers for one CP932 path; runs on the background thread.
    using Probe = std::function<bool(const std::string& cp932Path)>;

    explicit FileExistence(QObject* parent = nullptr);
    ~FileExistence() override;

    // The last answer for `cp932Path`; true while it is not known yet.
    bool exists(const std::string& cp932Path);
    // Checks every known path again.
    void refresh();
    // Forgets the paths that are not in `paths`.
    void keepOnly(const std::unordered_set<std::string>& paths);
    // Replaces the disk check (tests).
    void setProbe(Probe probe);

signals:
    // Paths whose answer differs from what `exists` gave before.
    void changed(const std::vector<std::string>& cp932Paths);

private:
    struct Shared;
    struct Known {
        bool exists = true;
        bool queued = false;
    };

    void queue(const std::vector<std::string>& paths);
    void receive(const std::vector<std::pair<std::string, bool>>& results);

    std::shared_ptr<Shared> shared_;
    std::unordered_map<std::string, Known> known_;
    QTimer refreshTimer_;
};

} // namespace pravik
