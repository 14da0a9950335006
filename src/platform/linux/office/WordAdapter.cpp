#include "WordAdapter.h"

#include "ApplicationState.h"
#include "CupsQueues.h"
#include "Error.h"
#include "OfficeDocument.h"
#include "OfficePrinting.h"
#include "PageRanges.h"
#include "PrintEntry.h"
#include "TextCodec.h"
#include "Preview.h"
#include "ValueCoercion.h"

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
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
constexpr int kStatisticPages = 2;    // wdStatisticPages
constexpr int kMainTextStory = 1;     // wdMainTextStory
constexpr int kFieldFillIn = 39;      // wdFieldFillIn
constexpr int kFieldOther = -1;       // wdFieldEmpty
constexpr int kAdjustedPageNumber = 1; // wdActiveEndAdjustedPageNumber

// What one Word instance holds.
struct WordState : ApplicationState {
    WordState() : ApplicationState("Word") {}
    std::string activePrinter; // print queue (UTF-8); empty: the system's default
    bool updateFieldsAtPrint = false;
    bool printBackground = true;
    std::vector<std::shared_ptr<OfficeDocument>> documents;
    std::shared_ptr<OfficeDocument> active;

    void close(const std::shared_ptr<OfficeDocument>& document)
    {
        document->close();
        std::erase(documents, document);
        if (active == document)
            active.reset();
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
        if (const std::string problem = sectionPagesProblem(spans); !problem.empty())
            throw Error(problem);
        checkPagesWithin(spans, document.pageCount(), shownPath(document.path()));
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
        if (call.is("UpdateFieldsAtPrint"))
            return option(call, word_->updateFieldsAtPrint);
        if (call.is("PrintBackground"))
            return option(call, word_->printBackground);
        call.unknownMember();
    }

private:
    static Variant option(const MemberCall& call, bool& value)
    {
        if (call.invocation().kind == CallKind::PropertyGet) {
            call.expect(Shape::Get);
            return Variant::fromBool(value);
        }
        call.expect(Shape::Put);
        value = toBoolean(call.arg(0), std::string(call.invocation().member));
        return Variant();
    }

    std::shared_ptr<WordState> word_;
};

// WordBasic's FilePrintSetup: the application's printer, never the
// system's default, which the engine does not touch anyway.
class WordBasicAdapter final : public Adapter {
public:
    explicit WordBasicAdapter(std::shared_ptr<WordState> word) : word_(std::move(word)) {}

    Variant invoke(const Invocation& invocation) override
    {
        const MemberCall call(invocation);
        if (call.is("FilePrintSetup")) {
            call.expect(Shape::Method, 0, 0, {"Printer", "DoNotSetAsSysDefault"});
            const Variant* printer = call.named("Printer");
            if (!printer)
                throw Error("プリンターが指定されていません");
            word_->activePrinter = checkedQueue(toText(*printer, "プリンター"));
            return Variant();
        }
        call.unknownMember();
    }

private:
    std::shared_ptr<WordState> word_;
};

class NormalTemplateAdapter final : public Adapter {
public:
    Variant invoke(const Invocation& invocation) override
    {
        const MemberCall call(invocation);
        if (call.is("Saved")) {
            call.expect(Shape::Put);
            toBoolean(call.arg(0), "Saved"); // the engine keeps no template to save
            return Variant();
        }
        call.unknownMember();
    }
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

// A field of the document: an input field (the engine's FILLIN) or another
// kind, which the jobs do not tell apart.
class FieldAdapter final : public Adapter {
public:
    explicit FieldAdapter(bool asks) : asks_(asks) {}

    Variant invoke(const Invocation& invocation) override
    {
        const MemberCall call(invocation);
        if (call.is("Type")) {
            call.expect(Shape::Get);
            return Variant::fromInt(asks_ ? kFieldFillIn : kFieldOther);
        }
        if (call.is("Locked")) {
            // The engine never asks for an input field's value while it
            // prints, so a field is as good as locked already.
            call.expect(Shape::Put);
            toBoolean(call.arg(0), "Locked");
            return Variant();
        }
        call.unknownMember();
    }

private:
    bool asks_;
};

// The engine keeps one collection of fields for all of a document's text
// (headers, footers and frames too): the main story holds them all.
class FieldsAdapter final : public Adapter {
public:
    explicit FieldsAdapter(const OfficeDocument& document)
    {
        const Reference<css::text::XTextFieldsSupplier> supplier(document.model(), UNO_QUERY);
        if (!supplier.is())
            return;
        const Reference<css::container::XEnumeration> fields = supplier->getTextFields()->createEnumeration();
        while (fields->hasMoreElements()) {
            const Reference<css::lang::XServiceInfo> field(fields->nextElement(), UNO_QUERY);
            asks_.push_back(field.is() && field->supportsService("com.sun.star.text.textfield.Input"));
        }
    }

    Variant invoke(const Invocation& invocation) override
    {
        const MemberCall call(invocation);
        if (call.is("Count")) {
            call.expect(Shape::Get);
            return Variant::fromInt(static_cast<std::int32_t>(asks_.size()));
        }
        if (call.is("Item")) {
            call.expect(Shape::Method, 1, 1);
            const int index = toInteger(call.arg(0), "フィールド番号");
            if (index < 1 || index > static_cast<int>(asks_.size()))
                throw Error("フィールド番号 " + std::to_string(index) + " が範囲を超えています");
            return Variant::fromObject(std::make_shared<FieldAdapter>(asks_[static_cast<size_t>(index - 1)]));
        }
        call.unknownMember();
    }

private:
    std::vector<bool> asks_;
};

// The document's text as Word's Range and StoryRanges give it: its fields,
// and the number of its last page.
class TextRangeAdapter final : public Adapter {
public:
    explicit TextRangeAdapter(std::shared_ptr<OfficeDocument> document) : document_(std::move(document)) {}

    Variant invoke(const Invocation& invocation) override
    {
        const MemberCall call(invocation);
        if (call.is("Fields")) {
            call.expect(Shape::Get);
            return Variant::fromObject(std::make_shared<FieldsAdapter>(*document_));
        }
        if (call.is("NextStoryRange")) {
            call.expect(Shape::Get);
            return Variant(); // Nothing: one range holds the whole story
        }
        if (call.is("Information")) {
            call.expect(Shape::Get, 1, 1);
            if (toInteger(call.arg(0), "Information") != kAdjustedPageNumber)
                throw Error("ページ番号以外の情報 (Information) には対応していません");
            // The engine's page ranges count pages by their place in the
            // document: those are the numbers a range is checked against.
            return Variant::fromInt(document_->pageCount());
        }
        call.unknownMember();
    }

private:
    std::shared_ptr<OfficeDocument> document_;
};

class StoryRangesAdapter final : public Adapter {
public:
    explicit StoryRangesAdapter(std::shared_ptr<OfficeDocument> document) : document_(std::move(document)) {}

    Variant invoke(const Invocation& invocation) override
    {
        const MemberCall call(invocation);
        if (call.is("Item")) {
            call.expect(Shape::Method, 1, 1);
            if (toInteger(call.arg(0), "StoryRanges") != kMainTextStory)
                throw Error("この文書にはその種類の文字列範囲はありません");
            return Variant::fromObject(std::make_shared<TextRangeAdapter>(document_));
        }
        call.unknownMember();
    }

private:
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
            word_->close(document_);
            return Variant();
        }
        if (call.is("ComputeStatistics")) {
            call.expect(Shape::Method, 1, 2, {"IncludeFootnotesAndEndnotes"});
            if (toInteger(call.arg(0), "ComputeStatistics") != kStatisticPages)
                throw Error("ページ数以外の統計 (ComputeStatistics) には対応していません");
            return Variant::fromInt(document_->pageCount());
        }
        if (call.is("StoryRanges")) {
            call.expect(Shape::Get);
            document_->model(); // a closed document has no text
            return Variant::fromObject(std::make_shared<StoryRangesAdapter>(document_));
        }
        if (call.is("Content")) {
            call.expect(Shape::Get);
            document_->model();
            return Variant::fromObject(std::make_shared<TextRangeAdapter>(document_));
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
            // The engine opens every document read-only, without questions,
            // and knows no passwords: the named arguments are only checked.
            call.expect(Shape::Method, 1, 1,
                        {"ConfirmConversions", "ReadOnly", "AddToRecentFiles", "PasswordDocument",
                         "WritePasswordDocument", "NoEncodingDialog"});
            word_->checkRunning();
            auto document = std::make_shared<OfficeDocument>(
                printEngine(), toText(call.arg(0), "ファイル名"), DocumentKind::WordDocument, DocumentView::Hidden);
            word_->documents.push_back(document);
            word_->active = document;
            return Variant::fromObject(std::make_shared<DocumentAdapter>(word_, document));
        }
        if (call.is("Count")) {
            call.expect(Shape::Get);
            return Variant::fromInt(static_cast<std::int32_t>(word_->documents.size()));
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
        if (setApplicationSwitch(call, *word_))
            return Variant();
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
        if (call.is("ActivePrinter") && invocation.kind == CallKind::PropertyGet) {
            call.expect(Shape::Get);
            // Word starts on the system's default printer.
            const std::string& printer =
                word_->activePrinter.empty() ? printers::defaultQueue() : word_->activePrinter;
            return Variant::fromText(codec::fromUtf8(printer));
        }
        if (call.is("WordBasic")) {
            call.expect(Shape::Get);
            return Variant::fromObject(std::make_shared<WordBasicAdapter>(word_));
        }
        if (call.is("NormalTemplate")) {
            call.expect(Shape::Get);
            return Variant::fromObject(std::make_shared<NormalTemplateAdapter>());
        }
        if (call.is("ActivePrinter")) {
            call.expect(Shape::Put);
            word_->activePrinter = checkedQueue(toText(call.arg(0), "プリンター"));
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
