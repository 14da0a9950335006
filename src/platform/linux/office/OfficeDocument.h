#pragma once

#include "OfficeEngine.h"

#include <com/sun/star/frame/XModel.hpp>

#include <string>
#include <vector>

namespace pravik::office {

enum class DocumentKind { Workbook, WordDocument };

// How a document is shown: not at all; in a bare view (no toolbars or
// sidebar), which is what choosing a workbook's sheets needs; or in a full
// view for the user.
enum class DocumentView { Hidden, Bare, Full };

// A document opened in one of the engines. Closing it (or destroying the
// last copy) discards it: it was opened read-only and nothing of the user's
// file is ever written back.
class OfficeDocument {
public:
    // Opens the CP932 path read-only, with macros off and links left as
    // stored. Throws pravik::Error: missing or unreadable file, a file the
    // office cannot read, or one of the other kind.
    OfficeDocument(OfficeEngine& engine, const std::string& cp932Path, DocumentKind kind,
                   DocumentView view);
    ~OfficeDocument();
    OfficeDocument(const OfficeDocument&) = delete;
    OfficeDocument& operator=(const OfficeDocument&) = delete;

    void close() noexcept;
    // Forgets the document without closing it: it stays open in its office.
    void detach() noexcept { model_.clear(); }
    bool isOpen() const { return model_.is(); }

    // Throws pravik::Error when the document was closed or its office died.
    const Reference<css::frame::XModel>& model() const;
    OfficeEngine& engine() const { return engine_; }
    const std::string& path() const { return path_; }

    // Workbooks: sheet names in workbook order (UTF-16), and the sheet shown
    // when the file was saved (0-based) among those names.
    std::vector<rtl::OUString> sheetNames() const;
    int activeSheet(const std::vector<rtl::OUString>& names) const;
    // Whether each sheet is shown, in workbook order.
    std::vector<bool> sheetVisibility() const;
    // Makes the sheets (0-based) the selected ones, which is what the office
    // prints and previews of a workbook.
    void selectSheets(const std::vector<int>& sheets) const;

    // Whether the sheet (0-based) holds nothing that prints: no cell with a
    // value, text or formula, and no drawing or chart.
    bool sheetIsBlank(int sheet) const;

    // Word documents, and workbooks as far as their sheets are selected: the
    // number of pages as laid out for printing.
    int pageCount() const;

private:
    OfficeEngine& engine_;
    std::string path_; // CP932
    Reference<css::frame::XModel> model_;
    int generation_ = 0;
};

// The file's name for messages (UTF-8).
std::string shownPath(const std::string& cp932Path);

} // namespace pravik::office
