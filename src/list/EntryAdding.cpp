#include "EntryAdding.h"

#include "DocumentKind.h"
#include "PathParts.h"
#include "PrintList.h"
#include "TextCodec.h"

#include <exception>
#include <optional>
#include <unordered_set>

namespace pravik {

namespace {

// Fills the rows of one batch, keeping the set of listed paths when the
// duplicate rule needs it.
class Batch {
public:
    Batch(const PrintList& list, const AddRules& rules, const CurrentPrinter& currentPrinter)
        : rules_(rules), currentPrinter_(currentPrinter)
    {
        if (rules_.skipSameFile)
            for (const PrintEntry& row : list.rows())
                listedPaths_.insert(row.filePath);
    }

    void add(const std::string& path, AddSource source)
    {
        const bool document = hasDocumentExtension(path);
        if (!document && !rules_.acceptOtherFiles) {
            ++outcome_.skippedOtherFiles;
            return;
        }
        if (rules_.skipSameFile && listedPaths_.count(path)) {
            ++outcome_.skippedDuplicates;
            return;
        }
        PrintEntry entry;
        entry.fileName = fileNamePart(path);
        entry.extension = extensionField(path);
        entry.filePath = path;
        // A dropped file of another kind is not printable: it gets no
        // copies and no printer. Whatever the Add dialog accepts gets both.
        if (document || source == AddSource::Dialog) {
            entry.copies = std::to_string(rules_.defaultCopies);
            entry.printer = printer();
        }
        if (rules_.skipSameFile)
            listedPaths_.insert(path);
        rows_.push_back(std::move(entry));
    }

    std::vector<PrintEntry>& rows() { return rows_; }
    AddOutcome outcome() const
    {
        AddOutcome outcome = outcome_;
        outcome.appended = rows_.size();
        return outcome;
    }

private:
    const std::string& printer()
    {
        if (!printer_) {
            try {
                printer_ = currentPrinter_();
            } catch (const std::exception& error) {
                outcome_.printerMissing = error.what();
                printer_.emplace();
            }
        }
        return *printer_;
    }

    const AddRules& rules_;
    const CurrentPrinter& currentPrinter_;
    std::optional<std::string> printer_;
    AddOutcome outcome_;
    std::unordered_set<std::string> listedPaths_;
    std::vector<PrintEntry> rows_;
};

} // namespace

bool hasDocumentExtension(std::string_view path)
{
    return documentKindOfPath(path) != DocumentKind::Other;
}

std::string extensionField(std::string_view path)
{
    const std::string extension = extensionPart(path);
    size_t length = 0;
    while (length < extension.size()) {
        const size_t width = codec::isLeadByte(static_cast<unsigned char>(extension[length])) ? 2 : 1;
        if (length + width > 3)
            break;
        length += width;
    }
    return extension.substr(0, length);
}

AddOutcome addFiles(PrintList& list, const std::vector<std::string>& paths, AddSource source,
                    const AddRules& rules, const CurrentPrinter& currentPrinter)
{
    Batch batch(list, rules, currentPrinter);
    for (const std::string& path : paths)
        batch.add(path, source);
    const AddOutcome outcome = batch.outcome();
    list.appendAll(std::move(batch.rows()));
    return outcome;
}

} // namespace pravik
