// Feeds arbitrary bytes to the sheet-list reader. Beyond what the sanitizers
// catch, it checks that names read from any text survive being written and
// read again, when they can be written at all.
#include "SheetListText.h"
#include "TextCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

// A name the writer can carry: no quote, and no lead byte left without its
// trail byte (such a byte would swallow the closing quote).
bool writable(const std::string& name)
{
    if (name.find('"') != std::string::npos)
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (pravik::codec::isLeadByte(static_cast<unsigned char>(name[i]))) {
            if (i + 1 == name.size())
                return false;
            ++i;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // libFuzzer's buffer ends exactly at size: reading past it is caught.
    const auto* chars = reinterpret_cast<const char*>(data);
    const std::vector<std::string> names =
        pravik::readSheetList(std::string_view(chars, size));

    pravik::CheckItems list;
    for (const auto& name : names) {
        if (!writable(name))
            return 0;
        list.items.push_back({name, true});
    }
    const auto text = pravik::writeSheetList(list);
    if (!text || pravik::readSheetList(*text) != names)
        std::abort();

    (void)pravik::pageRangesOf(std::string_view(chars, size));
    return 0;
}
