#include "OfficeDocument.h"

#include "DocumentFile.h"
#include "EncryptedPackage.h"
#include "Error.h"
#include "StepTimes.h"
#include "TextCodec.h"

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/drawing/XDrawPage.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/task/PasswordRequest.hpp>
#include <com/sun/star/task/XInteractionAbort.hpp>
#include <com/sun/star/task/XInteractionHandler.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/view/XRenderable.hpp>
#include <cppuhelper/implbase1.hxx>
#include <rtl/ref.hxx>

#include <algorithm>
#include <atomic>

namespace pravik::office {

namespace {

bool isOfKind(const Reference<css::lang::XServiceInfo>& info, DocumentKind kind)
{
    if (kind == DocumentKind::Workbook)
        return info->supportsService("com.sun.star.sheet.SpreadsheetDocument");
    // Word opens HTML saved under its extensions too; the office opens it
    // as a web page.
    return info->supportsService("com.sun.star.text.TextDocument")
        || info->supportsService("com.sun.star.text.WebDocument");
}

const char* kindText(DocumentKind kind)
{
    return kind == DocumentKind::Workbook ? "Excel のブック" : "Word の文書";
}

// Answers every question the office asks while loading with "abort", as no
// one is there to answer, and remembers whether it asked for a password.
class LoadQuestions : public cppu::WeakImplHelper1<css::task::XInteractionHandler> {
public:
    void SAL_CALL handle(const Reference<css::task::XInteractionRequest>& request) override
    {
        css::task::PasswordRequest password;
        if (request->getRequest() >>= password)
            passwordAsked_ = true;
        for (const Reference<css::task::XInteractionContinuation>& choice : request->getContinuations()) {
            const Reference<css::task::XInteractionAbort> abort(choice, UNO_QUERY);
            if (abort.is()) {
                abort->select();
                return;
            }
        }
    }

    bool passwordAsked() const { return passwordAsked_; }

private:
    std::atomic<bool> passwordAsked_{false};
};

// The filter the office read the file with.
std::string filterOf(const Reference<css::frame::XModel>& model)
{
    for (const css::beans::PropertyValue& argument : model->getArgs()) {
        rtl::OUString name;
        if (argument.Name == "FilterName" && (argument.Value >>= name))
            return toUtf8(name);
    }
    return {};
}

// The office opens any file it recognises as nothing else as plain text
// (Writer) or as comma-separated values (Calc). Under a Word or Excel name
// that is a damaged or foreign file, and printing it prints pages of
// garbage. HTML, RTF and the XML formats stay: Word and Excel open those.
bool readAsPlainText(const std::string& filter) { return filter.starts_with("Text"); }

void closeComponent(const Reference<css::uno::XInterface>& component) noexcept
{
    try {
        const Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
    } catch (...) {
        // A document of a dying office: nothing left to close.
    }
}

// A frame without a layout manager: a view that selects sheets as a shown
// one does, without the toolbars and sidebar that would cost about as much
// as loading the workbook. Closing its document closes it too.
Reference<css::frame::XFrame> bareFrame(OfficeEngine& engine)
{
    const Any invisible(css::beans::NamedValue("MakeVisible", Any(false)));
    // The task creator is a factory of the older kind, marked deprecated, and
    // the only way to a frame that is not the desktop's default.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const Reference<css::frame::XFrame> frame(
        engine.taskCreator()->createInstanceWithArguments(Sequence<Any>(&invisible, 1)), UNO_QUERY_THROW);
#pragma GCC diagnostic pop
    Reference<css::beans::XPropertySet>(frame, UNO_QUERY_THROW)
        ->setPropertyValue("LayoutManager", Any(Reference<css::uno::XInterface>()));
    return frame;
}

Error passwordProtected(const std::string& cp932Path)
{
    return Error("ファイル " + shownPath(cp932Path) + " はパスワードで保護されているため開けません");
}

} // namespace

std::string shownPath(const std::string& cp932Path) { return codec::toDisplay(cp932Path); }

OfficeDocument::OfficeDocument(OfficeEngine& engine, const std::string& cp932Path,
                               DocumentKind kind, DocumentView view)
    : engine_(engine), path_(cp932Path)
{
    // Also for the sheets' names and the preview, which are not print jobs.
    checkDocumentFile(cp932Path);
    if (isEncryptedPackage(codec::toOsPath(cp932Path).string()))
        throw passwordProtected(cp932Path);
    steps::reached("document loading");
    const rtl::OUString url = fileUrl(cp932Path);
    Reference<css::frame::XComponentLoader> loader(engine.desktop(), UNO_QUERY_THROW);
    Reference<css::frame::XFrame> frame;
    if (view == DocumentView::Bare) {
        frame = bareFrame(engine);
        loader.set(frame, UNO_QUERY_THROW);
    }
    // Left behind empty when nothing was loaded into it.
    struct FrameGuard {
        Reference<css::frame::XFrame>& frame;
        ~FrameGuard() { closeComponent(frame); }
    } unusedFrame{frame};
    generation_ = engine.generation();
    engine.noteDocumentOpened();

    const rtl::Reference<LoadQuestions> questions = new LoadQuestions;
    const auto arguments = properties({
        {"InteractionHandler", Any(Reference<css::task::XInteractionHandler>(questions.get()))},
        {"ReadOnly", Any(true)},
        {"Hidden", Any(view == DocumentView::Hidden)},
        // Someone else's document: run none of its macros, fetch none of its links.
        {"MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)},
        {"UpdateDocMode", Any(css::document::UpdateDocMode::NO_UPDATE)},
        // A template is printed as it is, not turned into a new document.
        {"AsTemplate", Any(false)},
        // Printed or previewed, never among the office's recent documents.
        {"PickListEntry", Any(false)},
    });
    Reference<css::lang::XComponent> component;
    try {
        component = loader->loadComponentFromURL(
            url, rtl::OUString::createFromAscii(frame.is() ? "_self" : "_blank"), 0, arguments);
    } catch (const css::uno::RuntimeException&) {
        throw; // the office itself is in trouble: the caller tells that apart
    } catch (const css::uno::Exception& error) {
        if (questions->passwordAsked())
            throw passwordProtected(cp932Path);
        throw Error("ファイル " + shownPath(cp932Path) + " を開けません（" + describe(error) + "）");
    }
    if (!component.is() && questions->passwordAsked())
        throw passwordProtected(cp932Path);
    if (!component.is())
        throw Error("ファイル " + shownPath(cp932Path) + " を開けません（読み込める形式ではありません）");
    frame.clear(); // closed with its document from now on
    steps::reached("document loaded");
    model_.set(component, UNO_QUERY);
    const Reference<css::lang::XServiceInfo> info(component, UNO_QUERY);
    if (!model_.is() || !info.is()
        || !isOfKind(info, kind)
        || readAsPlainText(filterOf(model_))) {
        model_.clear();
        closeComponent(component);
        throw Error("ファイル " + shownPath(cp932Path) + " は" + kindText(kind) + "ではありません");
    }
}

OfficeDocument::~OfficeDocument()
{
    close();
}

void OfficeDocument::close() noexcept
{
    if (!model_.is())
        return;
    const Reference<css::frame::XModel> model = std::move(model_);
    model_.clear();
    if (generation_ != engine_.generation())
        return; // its office is gone
    closeComponent(model);
}

const Reference<css::frame::XModel>& OfficeDocument::model() const
{
    if (!model_.is())
        throw Error("文書 " + shownPath(path_) + " は既に閉じられています");
    if (generation_ != engine_.generation())
        throw Error("オフィス エンジンが終了したため、文書 " + shownPath(path_) + " は閉じられました");
    return model_;
}

std::vector<rtl::OUString> OfficeDocument::sheetNames() const
{
    // One round trip: the names come in the workbook's order.
    const Reference<css::sheet::XSpreadsheetDocument> workbook(model(), UNO_QUERY_THROW);
    const Sequence<rtl::OUString> names = workbook->getSheets()->getElementNames();
    return {names.begin(), names.end()};
}

std::vector<bool> OfficeDocument::sheetVisibility() const
{
    const Reference<css::sheet::XSpreadsheetDocument> workbook(model(), UNO_QUERY_THROW);
    const Reference<css::container::XIndexAccess> sheets(workbook->getSheets(), UNO_QUERY_THROW);
    std::vector<bool> visible;
    for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
        const Reference<css::beans::XPropertySet> sheet(sheets->getByIndex(i), UNO_QUERY_THROW);
        visible.push_back(sheet->getPropertyValue("IsVisible").get<bool>());
    }
    return visible;
}

int OfficeDocument::activeSheet(const std::vector<rtl::OUString>& names) const
{
    const Reference<css::sheet::XSpreadsheetView> view(model()->getCurrentController(), UNO_QUERY);
    if (!view.is())
        return 0;
    const Reference<css::container::XNamed> active(view->getActiveSheet(), UNO_QUERY);
    if (!active.is())
        return 0;
    const auto found = std::find(names.begin(), names.end(), active->getName());
    return found == names.end() ? 0 : static_cast<int>(found - names.begin());
}

void OfficeDocument::selectSheets(const std::vector<int>& sheets) const
{
    const Reference<css::frame::XController> controller = model()->getCurrentController();
    if (!controller.is())
        throw Error("ブック " + shownPath(path_) + " のシートを選択できません");
    const Reference<css::frame::XDispatchProvider> frame(controller->getFrame(), UNO_QUERY_THROW);

    Sequence<sal_Int32> tables(static_cast<sal_Int32>(sheets.size()));
    for (size_t i = 0; i < sheets.size(); ++i)
        tables.getArray()[i] = sheets[i];
    // The dispatch reports failure even when it selects; what is printed
    // afterwards is the proof.
    engine_.dispatchHelper()->executeDispatch(frame, ".uno:SelectTables", "", 0, properties({{"Tables", Any(tables)}}));
}

bool OfficeDocument::sheetIsBlank(int sheet) const
{
    const Reference<css::sheet::XSpreadsheetDocument> workbook(model(), UNO_QUERY_THROW);
    const Reference<css::container::XIndexAccess> sheets(workbook->getSheets(), UNO_QUERY_THROW);
    const Any found = sheets->getByIndex(sheet);
    const Reference<css::sheet::XCellRangesQuery> cells(found, UNO_QUERY_THROW);
    const sal_Int16 content = css::sheet::CellFlags::VALUE | css::sheet::CellFlags::DATETIME
        | css::sheet::CellFlags::STRING | css::sheet::CellFlags::FORMULA;
    if (cells->queryContentCells(content)->getCount() > 0)
        return false;
    const Reference<css::drawing::XDrawPageSupplier> drawing(found, UNO_QUERY);
    return !drawing.is() || drawing->getDrawPage()->getCount() == 0;
}

int OfficeDocument::pageCount() const
{
    const Reference<css::view::XRenderable> renderable(model(), UNO_QUERY_THROW);
    std::vector<Property> options = {{"IsPrinter", Any(true)}};
    if (const Reference<css::frame::XController> controller = model()->getCurrentController(); controller.is())
        options.push_back({"View", Any(controller)});
    return renderable->getRendererCount(Any(model()), properties(options));
}

} // namespace pravik::office
