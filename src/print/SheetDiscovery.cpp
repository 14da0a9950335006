#include "OfficeJobs.h"

#include <vector>

namespace pravik {

namespace {

void fillAndCheck(CheckList& checkList, const std::vector<std::string>& names, const std::string& storedText)
{
    for (const std::string& name : names)
        checkList.addUnchecked(name);
    for (const std::string& name : readSheetList(storedText)) {
        for (int i = 0; i < checkList.count(); ++i) {
            if (checkList.itemText(i) == name) {
                checkList.setChecked(i, true);
                break;
            }
        }
    }
}

} // namespace

void LoadSheetNames(CheckList& checkList, const std::string& path,
                    const std::string& storedText, AutomationCall& automation)
{
    std::vector<std::string> names;
    {
        const Variant app = createOfficeApplication(automation, kExcelProgId);
        automation.setProperty(app, "DisplayAlerts", Variant::fromBool(false));
        const Variant workbooks = automation.execute(app, AutoCmd(CallKind::PropertyGet, "Workbooks"));
        const Variant workbook = automation.execute(
            workbooks, AutoCmd(CallKind::Function, "Open").arg(Variant::fromText(path)));
        const Variant sheets = automation.execute(workbook, AutoCmd(CallKind::PropertyGet, "Sheets"));
        const std::int32_t count =
            automation.execute(sheets, AutoCmd(CallKind::PropertyGet, "Count")).asInteger();
        for (std::int32_t i = 1; i <= count; ++i) {
            const Variant sheet = automation.execute(
                sheets, AutoCmd(CallKind::PropertyGet, "item").arg(Variant::fromInt(i)));
            names.push_back(automation.execute(sheet, AutoCmd(CallKind::PropertyGet, "Name")).asText());
        }
        // The list is complete and checked before Excel is let go, so a
        // failing Close cannot leave the stored sheets unchecked either.
        fillAndCheck(checkList, names, storedText);
        automation.execute(workbooks, AutoCmd(CallKind::Function, "Close"));
        automation.execute(app, AutoCmd(CallKind::Function, "Quit"));
    } // the objects are released here, or by unwinding on failure

}

} // namespace pravik
