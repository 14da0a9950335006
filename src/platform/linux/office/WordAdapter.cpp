#include "WordAdapter.h"

#include "Error.h"
#include "OfficeDocument.h"
#include "OfficePrinting.h"
#include "PageRanges.h"
#include "PrintEntry.h"
#include "Preview.h"
#include "ValueCoercion.h"

#include <com/sun/star/text/XTextFieldsSupplier.hpp>
#include <com/sun/star/util/XRefreshable.hpp>

#include <memory>
#include <vector>

namespace pravik::office {

namespace {


// Word's constants as the job passes them.
constexpr int kPrintAllDocument = 0;  // wdPrintAllDocument
constexpr int kPrintRangeOfPages = 4; // wdPrintRangeOfPages
constexpr int kDocumentContent = 0;   // wdPrintDocumentContent
constexpr int kAllPages = 0;          // wdPrintAllPages

// What one Word instance holds.
struct WordState {
    bool displayAlerts = true;
    bool visible = false;
    bool quit = false;
    std::string activePrinter; // print queue (UTF-8); empty: the system's default
    bool updateFieldsAtPrint = false;
    bool printBackground = true;
    std::vector<std::shared_ptr<OfficeDocument>> documents;
    std::shared_ptr<OfficeDocument> active;

    void checkRunning() const
    {
        if (quit)
            throw Error("Word は既に終了しています");
    }
    void closeAll()
    {
        for (const std::shared_ptr<OfficeDocument>& document : documents)
            document->close();
        documents.clear();
        active.reset();
    }
};

void refreshFields(const OfficeDocument& document)
{
    const Reference<css::text::XTextFieldsSupplier> supplier(document.model(), UNO_QUERY);
    if (!supplier.is())
        return;
    const Reference<css::util::XRefreshable> fields(supplier->getTextFields(), UNO_QUERY);
    if (fields.is())
        fields->refresh();
}

PrintRequest printRequestFrom(const MemberCall& call, const WordState& word,
                              const OfficeDocument& document)
{
    PrintRequest request;
    request.printer = word.activePrinter;
    if (const Variant* copies = call.named("Copies"))
        request.copies = toInteger(*copies, "部数", 1, kMaxCopies);
    if (const Variant* background = call.named("Background"))
        toBoolean(*background, "Background"); // printing always waits for the print system

    int range = kPrintAllDocument;
    if (const Variant* given = call.named("Range"))
        range = toInteger(*given, "Range");
    if (const Variant* item = call.named("Item"); item && toInteger(*item, "Item") != kDocumentContent)
        throw Error("文書の内容以外は印刷できません");
    if (const Variant* type = call.named("PageType"); type && toInteger(*type, "PageType") != kAllPages)
        throw Error("奇数・偶数ページだけ (PageType) の印刷はできません");

    if (range == kPrintRangeOfPages) {
        const Variant* pages = call.named("Pages");
        if (!pages)
            throw Error("印刷するページが指定されていません");
        const std::vector<PageSpan> spans = parsePageRanges(toText(*pages, "ページ範囲"));
        const int pageCount = document.pageCount();
        if (!anyPageWithin(spans, pageCount))
            throw Error("ページ範囲 '" + officePageRanges(spans) + "' のページは文書 "
                        + shownPath(document.path()) + " にありません（" + std::to_string(pageCount)
                        + " ページ）");
        request.pages = officePageRanges(spans);
    } else if (range != kPrintAllDocument) {
        throw Error("印刷範囲 (Range) " + std::to_string(range) + " には対応していません");
    }
    return request;
}

class OptionsAdapter final : public Adapter {
public:
    explicit OptionsAdapter(std::shared_ptr<WordState> word) : word_(std::move(word)) {}

    Variant invoke(const Invocation& invocation) override
    {
        const MemberCall call(invocation);
        if (call.is("UpdateFieldsAtPrint")) {
            call.expect(Shape::Put);
            word_->updateFieldsAtPrint = toBoolean(call.arg(0), "UpdateFieldsAtPrint");
            return Variant();
        }
        if (call.is("PrintBackground")) {
            call.expect(Shape::Put);
            word_->printBackground = toBoolean(call.arg(0), "PrintBackground");
            return Variant();
        }
        call.unknownMember();
    }

private:
    std::shared_ptr<WordState> word_;
};

class WindowAdapter final : public Adapter {
public:
    WindowAdapter(std::shared_ptr<WordState> word, std::shared_ptr<OfficeDocument> document)
        : word_(std::move(word)), document_(std::move(document))
    {
    }

    Variant invoke(const Invocation& invocation) override
    {
        const MemberCall call(invocation);
        if (call.is("PrintOut")) {
            call.expect(Shape::Method, 0, 0,
                        {"Background", "Copies", "Range", "Item", "Pages", "PageType"});
            word_->checkRunning();
            const PrintRequest request = printRequestFrom(call, *word_, *document_);
            if (word_->updateFieldsAtPrint)
                refreshFields(*document_);
            printDocument(*document_, request);
            return Variant();
        }
        call.unknownMember();
    }

private:
    std::shared_ptr<WordState> word_;
    std::shared_ptr<OfficeDocument> document_;
};

class DocumentAdapter final : public Adapter {
public:
    DocumentAdapter(std::shared_ptr<WordState> word, std::shared_ptr<OfficeDocument> document)
        : word_(std::move(word)), document_(std::move(document))
    {
    }

    Variant invoke(const Invocation& invocation) override
    {
        const MemberCall call(invocation);
        if (call.is("ActiveWindow")) {
            call.expect(Shape::Get);
            document_->model(); // a closed document has no window
            return Variant::fromObject(std::make_shared<WindowAdapter>(word_, document_));
        }
        if (call.is("Close")) {
            call.expect(Shape::Method, 0, 0, {"SaveChanges"});
            document_->close();
            if (word_->active == document_)
                word_->active.reset();
            return Variant();
        }
        if (call.is("PrintPreview")) {
            call.expect(Shape::Method);
            word_->checkRunning();
            // Word leaves its preview open for the user.
            Preview preview(document_->path(), DocumentKind::WordDocument);
            preview.leaveOpen();
            return Variant();
        }
        call.unknownMember();
    }

private:
    std::shared_ptr<WordState> word_;
    std::shared_ptr<OfficeDocument> document_;
};

class DocumentsAdapter final : public Adapter {
public:
    explicit DocumentsAdapter(std::shared_ptr<WordState> word) : word_(std::move(word)) {}

    Variant invoke(const Invocation& invocation) override
    {
        const MemberCall call(invocation);
        if (call.is("Open")) {
            call.expect(Shape::Method, 1, 1);
            word_->checkRunning();
            auto document = std::make_shared<OfficeDocument>(
                printEngine(), toText(call.arg(0), "ファイル名"), DocumentKind::WordDocument, DocumentView::Hidden);
            word_->documents.push_back(document);
            word_->active = document;
            return Variant::fromObject(std::make_shared<DocumentAdapter>(word_, document));
        }
        if (call.is("Save")) {
            call.expect(Shape::Method, 0, 0, {"NoPrompt", "OriginalFormat"});
            // The documents were opened read-only and printing changed none
            // of them; writing them back through the office's import and
            // export would only lose what it cannot represent.
            return Variant();
        }
        call.unknownMember();
    }

private:
    std::shared_ptr<WordState> word_;
};

class WordApplication final : public Adapter {
public:
    WordApplication() : word_(std::make_shared<WordState>()) {}

    // Released without "Quit" (a failed job, or a preview left to the user):
    // the documents it opened for printing go with it.
    ~WordApplication() override { word_->closeAll(); }

    Variant invoke(const Invocation& invocation) override
    {
        const MemberCall call(invocation);
        if (call.is("AutomationSecurity")) {
            call.expect(Shape::Put);
            // The engine opens every document with its macros off, whatever
            // is asked: the value is only checked.
            toInteger(call.arg(0), "AutomationSecurity", 1, 3);
            return Variant();
        }
        if (call.is("DisplayAlerts")) {
            call.expect(Shape::Put);
            word_->displayAlerts = toBoolean(call.arg(0), "DisplayAlerts");
            return Variant();
        }
        if (call.is("Visible")) {
            call.expect(Shape::Put);
            word_->visible = toBoolean(call.arg(0), "Visible");
            return Variant();
        }
        if (call.is("Documents")) {
            call.expect(Shape::Get);
            word_->checkRunning();
            return Variant::fromObject(std::make_shared<DocumentsAdapter>(word_));
        }
        if (call.is("ActiveDocument")) {
            call.expect(Shape::Get);
            if (!word_->active || !word_->active->isOpen())
                throw Error("開いている文書がありません");
            return Variant::fromObject(std::make_shared<DocumentAdapter>(word_, word_->active));
        }
        if (call.is("ActivePrinter")) {
            call.expect(Shape::Put);
            word_->activePrinter = checkedQueue(toText(call.arg(0), "プリンタ"));
            return Variant();
        }
        if (call.is("Options")) {
            call.expect(Shape::Get);
            return Variant::fromObject(std::make_shared<OptionsAdapter>(word_));
        }
        if (call.is("Quit")) {
            call.expect(Shape::Method, 0, 0, {"SaveChanges"});
            word_->closeAll();
            word_->quit = true;
            return Variant();
        }
        call.unknownMember();
    }

private:
    std::shared_ptr<WordState> word_;
};

} // namespace

ObjectRef makeWordApplication() { return std::make_shared<WordApplication>(); }

} // namespace pravik::office
