#include "DocumentKind.h"

#include "PathParts.h"
#include "TextCodec.h"

#include <algorithm>

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

const std::vector<std::string_view>& documentExtensions(DocumentKind kind)
{
    // A row keeps the first three letters of its extension, which tell the
    // kind of the newer forms too.
    static const std::vector<std::string_view> word = {"doc", "dot", "docx", "docm", "dotx", "dotm"};
    static const std::vector<std::string_view> excel = {"xls", "xlt", "xlsx", "xlsm", "xltx", "xltm"};
    static const std::vector<std::string_view> none;
    return kind == DocumentKind::Word ? word : kind == DocumentKind::Excel ? excel : none;
}

DocumentKind documentKindOfExtension(std::string_view extension)
{
    const std::string lower = asciiLower(extension);
    for (const DocumentKind kind : {DocumentKind::Word, DocumentKind::Excel}) {
        const std::vector<std::string_view>& known = documentExtensions(kind);
        if (std::find(known.begin(), known.end(), lower) != known.end())
            return kind;
    }
    return DocumentKind::Other;
}

DocumentKind documentKindOfPath(std::string_view path)
{
    return documentKindOfExtension(extensionPart(path));
}

} // namespace pravik
