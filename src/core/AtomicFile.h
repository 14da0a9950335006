#pragma once

#include <filesystem>
#include <string_view>

namespace pravik {

// Replaces the file at `target` with `bytes` so that a reader (or a crash)
// sees either the old file or the complete new one, never half of it: the
// bytes go to a temporary file in the same folder, are flushed to disk and
// renamed over the target. A symbolic link is followed, and an existing
// file keeps its owner and permissions (on Windows its ACL, attributes and
// alternate streams; a file another program holds open for a moment, as a
// virus scanner does, is waited for briefly). A target that is read-only (EACCES),
// not a regular file (EINVAL) or whose owner cannot be kept (EPERM) is not
// replaced. Returns false (with errno set) on failure, leaving the old file
// as it was.
bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

} // namespace pravik
