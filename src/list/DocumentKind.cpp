#include "DocumentKind.h"

#include "PathParts.h"
#include "TextCodec.h"

namespace pravik {

std::string asciiLower(std::string_view cp932)
{
    std::string lower(cp932);
    for (size_t i = 0; i < lower.size(); ++i) {
        const auto c = static_cast<unsigned char>(lower[i]);
        if (codec::isLeadByte(c))
            ++i;
        else if (c >= 'A' && c <= 'Z')
            lower[i] = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

DocumentKind documentKindOfExtension(std::string_view extension)
{
    const std::string lower = asciiLower(extension);
    if (lower == "doc" || lower == "dot")
        return DocumentKind::Word;
    if (lower == "xls" || lower == "xlt")
        return DocumentKind::Excel;
    return DocumentKind::Other;
}

DocumentKind documentKindOfPath(std::string_view path)
{
    return documentKindOfExtension(extensionPart(path));
}

} // namespace pravik
