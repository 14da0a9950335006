// Feeds arbitrary bytes to the list file reader. Whatever it accepts must
// survive a save and a load unchanged: that is what keeps a list the user
// never edited byte for byte the same.
#include "ListFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const pravik::ListFileContent content = pravik::parseListFile(bytes);

    const bool hasNul = bytes.find('\0') != std::string_view::npos;
    if (hasNul != content.nulLine.has_value() || (hasNul && !content.entries.empty()))
        std::abort(); // a damaged file is never read in part
    if (hasNul)
        return 0;

    // Lines come from splitting at line ends, so no field can hold one and
    // writing cannot refuse them.
    const std::string written = pravik::formatListFile(content.entries);
    const pravik::ListFileContent again = pravik::parseListFile(written);
    if (again.entries != content.entries || again.missingLineIndex || again.nulLine)
        std::abort();
    if (pravik::formatListFile(again.entries) != written)
        std::abort();
    return 0;
}
