#include "OptionsFile.h"

#include "IniFile.h"

namespace pravik {

namespace {
constexpr std::string_view mainSection = "MAIN";
}

OptionValues readOptionValues(const std::string& iniPath)
{
    const IniFile ini(iniPath);
    OptionValues values;
    values.printAllRows = ini.readInteger(mainSection, "PRINT", 0) == 1;
    values.reopenLastList = ini.readBool(mainSection, "MEMORY", false);
    values.skipSameFile = ini.readBool(mainSection, "ONAJI", false);
    values.acceptOtherFiles = ini.readBool(mainSection, "ETCFILE", false);
    const int excel = ini.readInteger(mainSection, "EXCEL", 0);
    values.excelNoSheetRule = excel >= 0 && excel <= 2 ? excel : 0;
    values.collateCopies = ini.readBool(mainSection, "SORT", false);
    return values;
}

void writeOptionValues(const std::string& iniPath, const OptionValues& values)
{
    IniFile ini(iniPath);
    ini.writeInteger(mainSection, "PRINT", values.printAllRows ? 1 : 0);
    ini.writeBool(mainSection, "MEMORY", values.reopenLastList);
    ini.writeBool(mainSection, "ONAJI", values.skipSameFile);
    ini.writeBool(mainSection, "ETCFILE", values.acceptOtherFiles);
    ini.writeInteger(mainSection, "EXCEL", values.excelNoSheetRule);
    ini.writeBool(mainSection, "SORT", values.collateCopies);
}

} // namespace pravik
