#include "OfficeJobs.h"

#include "StartedApplication.h"

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

AutoCmd get(const std::string& property) { return AutoCmd(CallKind::PropertyGet, property); }

} // namespace

void LoadSheetNames(CheckList& checkList, const std::string& path,
                    const std::string& storedText, AutomationCall& automation)
{
    StartedApplication excel(automation, OfficeKind::Excel, createOfficeApplication(automation, kExcelProgId));
    try {
        automation.setProperty(excel.app(), "DisplayAlerts", Variant::fromBool(false));
        const Variant workbooks = automation.execute(excel.app(), get("Workbooks"));
        excel.setCollection(workbooks);
        const Variant workbook = openWorkbook(automation, workbooks, path);
        excel.setOpened(workbook);
        const Variant sheets = automation.execute(workbook, get("Sheets"));
        const std::int32_t count = automation.execute(sheets, get("Count")).asInteger();
        std::vector<std::string> names;
        for (std::int32_t i = 1; i <= count; ++i) {
            const Variant sheet = automation.execute(sheets, get("item").arg(Variant::fromInt(i)));
            // A hidden sheet cannot be printed: offering it would only fail the row.
            if (automation.execute(sheet, get("Visible")).asInteger() == kSheetVisible)
                names.push_back(automation.execute(sheet, get("Name")).asText());
        }
        // The list is complete and checked before Excel is let go, so a
        // failing Close cannot leave the stored sheets unchecked either.
        fillAndCheck(checkList, names, storedText);
        excel.finish();
    } catch (...) {
        excel.finishAfterFailure();
        throw;
    }
}

} // namespace pravik
