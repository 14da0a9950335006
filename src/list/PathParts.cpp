#include "PathParts.h"

#include "TextCodec.h"

namespace pravik {

namespace {

// Index just past the last byte of `path` for which `isDelimiter` holds,
// counting only single-byte characters; 0 when there is none.
template <typename Pred>
size_t pastLastDelimiter(std::string_view path, Pred isDelimiter)
{
    size_t past = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (codec::isLeadByte(c)) {
            ++i; // the trail byte is part of this character
            continue;
        }
        if (isDelimiter(c))
            past = i + 1;
    }
    return past;
}

} // namespace

std::string fileNamePart(std::string_view path)
{
    // A colon ends a Windows drive ("C:name"); elsewhere it is part of a
    // name, as Linux allows it in file names.
    const bool hasDrive = path.size() >= 2 && path[1] == ':' &&
                          ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    size_t start = pastLastDelimiter(path, [](unsigned char c) { return c == '\\' || c == '/'; });
    if (hasDrive && start < 2)
        start = 2;
    return std::string(path.substr(start));
}

std::string extensionPart(std::string_view path)
{
    const std::string name = fileNamePart(path);
    const size_t pastDot = pastLastDelimiter(name, [](unsigned char c) { return c == '.'; });
    return pastDot == 0 ? std::string() : name.substr(pastDot);
}

} // namespace pravik
