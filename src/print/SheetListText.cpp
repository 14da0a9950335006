#include "SheetListText.h"

#include "TextCodec.h"

namespace pravik {

namespace {

bool isSeparator(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
}

// Length of the character starting at i: two for a lead byte that has a byte
// after it, else one (a lead byte at the very end stands alone).
std::size_t charLength(std::string_view text, std::size_t i)
{
    return codec::isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2
                                                                                          : 1;
}

void skipSeparators(std::string_view text, std::size_t& i)
{
    while (i < text.size() && isSeparator(text[i]))
        ++i;
}

} // namespace

std::optional<std::string> writeSheetList(const CheckList& list)
{
    std::string text;
    for (int i = 0; i < list.count(); ++i) {
        if (!list.isChecked(i))
            continue;
        const std::string name = list.itemText(i);
        if (name.find('"') != std::string::npos)
            return std::nullopt;
        if (!text.empty())
            text += ',';
        text += '"';
        text += name;
        text += '"';
    }
    return text;
}

std::vector<std::string> readSheetList(std::string_view text)
{
    std::vector<std::string> names;
    std::size_t i = 0;
    skipSeparators(text, i);
    while (i < text.size()) {
        std::string name;
        if (text[i] == '"') {
            ++i;
            bool closed = false;
            while (i < text.size()) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        name += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                const std::size_t len = charLength(text, i);
                name.append(text.substr(i, len));
                i += len;
            }
            if (!closed) { // an unclosed quote takes the rest of the text
                names.push_back(std::move(name));
                break;
            }
        } else {
            while (i < text.size() && !isSeparator(text[i]) && text[i] != ',') {
                const std::size_t len = charLength(text, i);
                name.append(text.substr(i, len));
                i += len;
            }
        }
        names.push_back(std::move(name));
        skipSeparators(text, i);
        if (i < text.size() && text[i] == ',') {
            ++i;
            skipSeparators(text, i);
        }
    }
    return names;
}

std::string pageRangeText(std::string_view typed)
{
    if (typed.empty())
        return {};
    std::string text;
    text.reserve(typed.size() + 2);
    text += '"';
    text += typed;
    text += '"';
    return text;
}

std::string pageRangesOf(std::string_view stored)
{
    // A hand-written text may lack either quote; only a quote is removed, so
    // "11-13" never turns into "1-1". A quote is never a CP932 trail byte.
    if (stored.starts_with('"'))
        stored.remove_prefix(1);
    if (stored.ends_with('"'))
        stored.remove_suffix(1);
    return std::string(stored);
}

} // namespace pravik
