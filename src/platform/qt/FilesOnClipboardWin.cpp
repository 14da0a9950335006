#include "FileClipboard.h"

#include "ShellClipboard.h"

namespace pravik {

void putFilesOnClipboard(const std::vector<std::string>& cp932Paths, DropEffect effect)
{
    win::putFilesOnClipboard(cp932Paths, effect);
}

} // namespace pravik
