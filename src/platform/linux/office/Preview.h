#pragma once

#include "OfficeDocument.h"
#include "OfficeEngine.h"

#include <memory>
#include <string>
#include <vector>

namespace pravik::office {

// A document shown in print preview in a window of the preview engine, on
// the user's display.
class Preview {
public:
    // Opens the CP932 path and switches its window to print preview; for a
    // workbook only `sheets` (0-based) are shown. Throws pravik::Error.
    Preview(const std::string& cp932Path, DocumentKind kind, const std::vector<int>& sheets = {});
    // Closes the document unless it was left to the user.
    ~Preview();
    Preview(const Preview&) = delete;
    Preview& operator=(const Preview&) = delete;

    // Returns when the user has closed the preview (back to the normal view,
    // or the window closed).
    void waitUntilClosed();
    // Leaves the window open for the user after this object is gone.
    void leaveOpen();

private:
    PreviewInHand inHand_; // first made, last gone
    std::unique_ptr<OfficeDocument> document_;
    Reference<css::frame::XFrame> frame_;
    rtl::OUString normalViewKind_; // implementation of the document's ordinary view
};

// True while the preview office shows a document to the user.
bool previewShowsDocuments();

} // namespace pravik::office
