#include "ProgramInfo.h"

#include "HeadlessRun.h"
#include "IniFile.h"
#include "TextCodec.h"

#include <algorithm>
#include <ostream>

namespace pravik {

InfoRequest infoRequested(const std::vector<std::string>& args)
{
    const auto given = [&args](std::initializer_list<const char*> names) {
        return std::any_of(args.begin(), args.end(), [&names](const std::string& arg) {
            return std::find(names.begin(), names.end(), arg) != names.end();
        });
    };
    if (given({"--help", "-h", "/?"}))
        return InfoRequest::Usage;
    if (given({"--version"}))
        return InfoRequest::Version;
    return InfoRequest::None;
}

int answerInfoRequest(InfoRequest request, const std::string& iniPath, std::ostream& out)
{
    if (request == InfoRequest::Usage) {
        out << headlessUsage();
        return 0;
    }
    const IniFile ini(iniPath);
    out << codec::toDisplay(ini.readString("TITLE", "APP_NAME", "Pravik")) << ' '
        << codec::toDisplay(ini.readString("TITLE", "VERSION", "")) << '\n';
    return 0;
}

} // namespace pravik
