#include "OfficeJobs.h"

namespace pravik {

void LoadSheetNames(CheckList& checkList, const std::string& path,
                    const std::string& storedText, AutomationCall& automation)
{
    {
        const Variant app = automation.createObject(kExcelProgId);
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
            checkList.addUnchecked(
                automation.execute(sheet, AutoCmd(CallKind::PropertyGet, "Name")).asText());
        }
        automation.execute(workbooks, AutoCmd(CallKind::Function, "Close"));
        automation.execute(app, AutoCmd(CallKind::Function, "Quit"));
    } // the objects are released here, or by unwinding on failure

    for (const std::string& name : readSheetList(storedText)) {
        for (int i = 0; i < checkList.count(); ++i) {
            if (checkList.itemText(i) == name) {
                checkList.setChecked(i, true);
                break;
            }
        }
    }
}

} // namespace pravik
