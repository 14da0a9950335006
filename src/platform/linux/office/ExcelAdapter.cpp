#include "ExcelAdapter.h"

#include "ApplicationState.h"
#include "Error.h"
#include "OfficeDocument.h"
#include "OfficePrinting.h"
#include "AutomationWorker.h"
#include "Preview.h"
#include "PrintEntry.h"
#include "TextCodec.h"
#include "ValueCoercion.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace pravik::office {

namespace {


struct Workbook;

constexpr std::int32_t kSheetVisible = -1; // xlSheetVisible
constexpr std::int32_t kSheetHidden = 0;   // xlSheetHidden

// What one Excel instance holds.
struct ExcelState : ApplicationState {
    ExcelState() : ApplicationState("Excel") {}
    std::vector<std::shared_ptr<Workbook>> workbooks;
};

struct Workbook {
    OfficeDocument document;
    // Read once: the workbook is open read-only, and asking the office for
    // every name again would make listing many sheets slow.
    std::vector<rtl::OUString> sheetNames;

    explicit Workbook(const std::string& path)
        : document(printEngine(), path, DocumentKind::Workbook, DocumentView::Bare)
        , sheetNames(document.sheetNames())
    {
    }

    // Asked only when the workbook itself is printed: most rows name their
    // sheets, and each question is a round trip to the office.
    int activeSheet()
    {
        if (!active_)
            active_ = document.activeSheet(sheetNames);
        return *active_;
    }

    // Asked of the sheets a job names or lists, all at once: one round trip
    // per sheet to the office.
    bool visible(int sheet)
    {
        if (!visibility_)
            visibility_ = document.sheetVisibility();
        return visibility_->at(static_cast<size_t>(sheet));
    }

    // A job selects its sheets, then prints them: selecting them again would
    // only cost the office another dispatch.
    void select(const std::vector<int>& sheets)
    {
        if (selected_ == sheets)
            return;
        document.selectSheets(sheets);
        selected_ = sheets;
        active_.reset(); // the office may show another sheet now
    }

    // The pages one sheet prints on its own: none for a blank sheet, which
    // the office would print as one empty page.
    int pages(int sheet)
    {
        if (document.sheetIsBlank(sheet))
            return 0;
        select({sheet});
        return std::max(1, document.pageCount());
    }

private:
    std::optional<std::vector<bool>> visibility_;
    std::optional<int> active_;
    std::optional<std::vector<int>> selected_;
};

// Sheets as one print target: a workbook's active sheet, its worksheets, or
// the sheets named in a "Sheets" read.
struct SheetSet {
    std::shared_ptr<ExcelState> excel;
    std::shared_ptr<Workbook> workbook;
    std::vector<int> sheets; // 0-based, in workbook order
};

PrintRequest printRequestFrom(const MemberCall& call)
{
    PrintRequest request;
    if (const Variant* copies = call.named("Copies"))
        request.copies = toInteger(*copies, "部数", 1, kMaxCopies);
    if (const Variant* printer = call.named("ActivePrinter"))
        request.printer = checkedQueue(toText(*printer, "プリンター"));
    if (const Variant* collate = call.named("Collate"))
        request.collate = toBoolean(*collate, "部単位");
    return request;
}

// PrintOut and PrintPreview of any print target.
bool answersOutput(const MemberCall& call, const SheetSet& target)
{
    if (call.is("PrintOut")) {
        call.expect(Shape::Method, 0, 0, {"Copies", "ActivePrinter", "Collate"});
        target.excel->checkRunning();
        const PrintRequest request = printRequestFrom(call);
        target.workbook->select(target.sheets);
        printDocument(target.workbook->document, request);
        return true;
    }
    if (call.is("PrintPreview")) {
        call.expect(Shape::Method);
        target.excel->checkRunning();
        // Excel returns from its preview when the user closes it.
        Preview preview(target.workbook->document.path(), DocumentKind::Workbook, target.sheets);
        // The user reads it for as long as they like: no deadline runs out.
        const UserWait reading;
        preview.waitUntilClosed();
        return true;
    }
    return false;
}

// Excel's PageSetup.Pages of one sheet, as far as a job asks: how many.
class SheetPagesAdapter final : public Adapter {
public:
    SheetPagesAdapter(std::shared_ptr<Workbook> workbook, int index) : workbook_(std::move(workbook)), index_(index) {}

    Variant invoke(const Invocation& invocation) override
    {
        const MemberCall call(invocation);
        if (call.is("Pages")) { // asked of the page setup, which is this object too
            call.expect(Shape::Get);
            return Variant::fromObject(std::make_shared<SheetPagesAdapter>(workbook_, index_));
        }
        if (call.is("Count")) {
            call.expect(Shape::Get);
            return Variant::fromInt(workbook_->pages(index_));
        }
        call.unknownMember();
    }

private:
    std::shared_ptr<Workbook> workbook_;
    int index_;
};

// One sheet: a name, whether it is shown, and a print target of its own.
class SheetAdapter final : public Adapter {
public:
    SheetAdapter(std::shared_ptr<ExcelState> excel, std::shared_ptr<Workbook> workbook, int index)
        : excel_(std::move(excel)), workbook_(std::move(workbook)), index_(index)
    {
    }

    Variant invoke(const Invocation& invocation) override
    {
        const MemberCall call(invocation);
        if (call.is("Name")) {
            call.expect(Shape::Get);
            workbook_->document.model(); // a closed workbook has no sheets to name
            const rtl::OUString& name = workbook_->sheetNames.at(static_cast<size_t>(index_));
            try {
                return Variant::fromText(toCp932(name));
            } catch (const codec::ConversionError&) {
                throw Error("シート名 '" + toUtf8(name) + "' は Shift-JIS で表せません");
            }
        }
        if (call.is("Visible")) {
            call.expect(Shape::Get);
            return Variant::fromInt(workbook_->visible(index_) ? kSheetVisible : kSheetHidden);
        }
        if (call.is("Select")) {
            call.expect(Shape::Method, 0, 1, {"Replace"});
            excel_->checkRunning();
            workbook_->select({index_});
            return Variant();
        }
        if (call.is("PageSetup")) {
            call.expect(Shape::Get);
            excel_->checkRunning();
            return Variant::fromObject(std::make_shared<SheetPagesAdapter>(workbook_, index_));
        }
        if (answersOutput(call, SheetSet{excel_, workbook_, {index_}}))
            return Variant();
        call.unknownMember();
    }

private:
    std::shared_ptr<ExcelState> excel_;
    std::shared_ptr<Workbook> workbook_;
    int index_;
};

class SheetsAdapter final : public Adapter {
public:
    explicit SheetsAdapter(SheetSet set) : set_(std::move(set)) {}

    Variant invoke(const Invocation& invocation) override
    {
        const MemberCall call(invocation);
        if (call.is("Count")) {
            call.expect(Shape::Get);
            return Variant::fromInt(static_cast<std::int32_t>(set_.sheets.size()));
        }
        if (call.is("Item")) {
            call.expect(Shape::Get, 1, 1);
            const int index = toInteger(call.arg(0), "シート番号");
            if (index < 1 || index > static_cast<int>(set_.sheets.size()))
                throw Error("シート番号 " + std::to_string(index) + " が範囲を超えています");
            return Variant::fromObject(std::make_shared<SheetAdapter>(
                set_.excel, set_.workbook, set_.sheets[static_cast<size_t>(index - 1)]));
        }
        if (call.is("Select")) {
            call.expect(Shape::Method, 0, 1, {"Replace"});
            set_.excel->checkRunning();
            set_.workbook->select(set_.sheets);
            return Variant();
        }
        if (answersOutput(call, set_))
            return Variant();
        call.unknownMember();
    }

private:
    SheetSet set_;
};

class WorkbookAdapter final : public Adapter {
public:
    WorkbookAdapter(std::shared_ptr<ExcelState> excel, std::shared_ptr<Workbook> workbook)
        : excel_(std::move(excel)), workbook_(std::move(workbook))
    {
    }

    Variant invoke(const Invocation& invocation) override
    {
        const MemberCall call(invocation);
        if (call.is("WorkSheets")) {
            call.expect(Shape::Get);
            return sheets(allSheets());
        }
        if (call.is("Sheets")) {
            call.expect(Shape::Get, 0, 1);
            if (call.argCount() == 0)
                return sheets(allSheets());
            const std::vector<int> named = namedSheets(toNames(call.arg(0), "シート名"));
            // One name gives the sheet itself, several a set of them.
            if (call.arg(0).kind() == VariantKind::Text)
                return Variant::fromObject(std::make_shared<SheetAdapter>(excel_, workbook_, named.front()));
            return sheets(named);
        }
        if (call.is("ActiveSheet")) {
            call.expect(Shape::Get);
            return Variant::fromObject(std::make_shared<SheetAdapter>(excel_, workbook_, workbook_->activeSheet()));
        }
        if (call.is("Close")) {
            call.expect(Shape::Method, 0, 0, {"SaveChanges"});
            // Opened read-only: there is nothing to save either way.
            if (const Variant* save = call.named("SaveChanges"))
                toBoolean(*save, "SaveChanges");
            std::erase(excel_->workbooks, workbook_);
            workbook_->document.close();
            return Variant();
        }
        // Excel prints every sheet of a workbook printed as a whole.
        if ((call.is("PrintOut") || call.is("PrintPreview"))
            && answersOutput(call, SheetSet{excel_, workbook_, allSheets()}))
            return Variant();
        call.unknownMember();
    }

private:
    Variant sheets(std::vector<int> indices) const
    {
        return Variant::fromObject(
            std::make_shared<SheetsAdapter>(SheetSet{excel_, workbook_, std::move(indices)}));
    }

    std::vector<int> allSheets() const
    {
        std::vector<int> all(workbook_->sheetNames.size());
        for (size_t i = 0; i < all.size(); ++i)
            all[i] = static_cast<int>(i);
        return all;
    }

    std::vector<int> namedSheets(const std::vector<std::string>& wanted) const
    {
        const std::vector<rtl::OUString>& names = workbook_->sheetNames;
        std::vector<int> indices;
        for (const std::string& name : wanted) {
            const rtl::OUString unicode = fromCp932(name);
            // Sheet names are unique regardless of letter case, and found so.
            auto found = std::find(names.begin(), names.end(), unicode);
            if (found == names.end())
                found = std::find_if(names.begin(), names.end(), [&](const rtl::OUString& sheet) {
                    return sheet.equalsIgnoreAsciiCase(unicode);
                });
            if (found == names.end())
                throw Error("ブック " + shownPath(workbook_->document.path()) + " にシート '"
                            + toUtf8(unicode) + "' がありません");
            const int index = static_cast<int>(found - names.begin());
            if (std::find(indices.begin(), indices.end(), index) == indices.end())
                indices.push_back(index);
        }
        std::sort(indices.begin(), indices.end());
        return indices;
    }

    std::shared_ptr<ExcelState> excel_;
    std::shared_ptr<Workbook> workbook_;
};

class WorkbooksAdapter final : public Adapter {
public:
    explicit WorkbooksAdapter(std::shared_ptr<ExcelState> excel) : excel_(std::move(excel)) {}

    Variant invoke(const Invocation& invocation) override
    {
        const MemberCall call(invocation);
        if (call.is("Open")) {
            // The engine opens every workbook read-only, without questions
            // or updated links, and knows no passwords: the named arguments
            // are only checked.
            call.expect(Shape::Method, 1, 1,
                        {"UpdateLinks", "ReadOnly", "Password", "WriteResPassword", "IgnoreReadOnlyRecommended",
                         "Notify", "AddToMru"});
            excel_->checkRunning();
            const std::string& path = toText(call.arg(0), "ファイル名");
            auto workbook = std::make_shared<Workbook>(path);
            excel_->workbooks.push_back(workbook);
            return Variant::fromObject(std::make_shared<WorkbookAdapter>(excel_, workbook));
        }
        if (call.is("Close")) {
            call.expect(Shape::Method);
            closeWorkbooks(*excel_);
            return Variant();
        }
        if (call.is("Count")) {
            call.expect(Shape::Get);
            return Variant::fromInt(static_cast<std::int32_t>(excel_->workbooks.size()));
        }
        call.unknownMember();
    }

    static void closeWorkbooks(ExcelState& excel)
    {
        for (const std::shared_ptr<Workbook>& workbook : excel.workbooks)
            workbook->document.close();
        excel.workbooks.clear();
    }

private:
    std::shared_ptr<ExcelState> excel_;
};

class ExcelApplication final : public Adapter {
public:
    ExcelApplication() : excel_(std::make_shared<ExcelState>()) {}

    // Released without "Quit" (a job that failed half-way): the workbooks
    // go with it rather than pile up in the engine.
    ~ExcelApplication() override { WorkbooksAdapter::closeWorkbooks(*excel_); }

    Variant invoke(const Invocation& invocation) override
    {
        const MemberCall call(invocation);
        if (setApplicationSwitch(call, *excel_))
            return Variant();
        if (call.is("Workbooks")) {
            call.expect(Shape::Get);
            excel_->checkRunning();
            return Variant::fromObject(std::make_shared<WorkbooksAdapter>(excel_));
        }
        if (call.is("Quit")) {
            call.expect(Shape::Method);
            WorkbooksAdapter::closeWorkbooks(*excel_);
            excel_->quit = true;
            return Variant();
        }
        call.unknownMember();
    }

private:
    std::shared_ptr<ExcelState> excel_;
};

} // namespace

ObjectRef makeExcelApplication() { return std::make_shared<ExcelApplication>(); }

} // namespace pravik::office
