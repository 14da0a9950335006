#include "OfficePrinting.h"

#include "CupsQueues.h"
#include "Error.h"
#include "TextCodec.h"

#include <com/sun/star/view/XPrintable.hpp>
#include <osl/file.hxx>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace pravik::office {

namespace {

rtl::OUString printerNameOf(const Reference<css::view::XPrintable>& printable)
{
    const Sequence<css::beans::PropertyValue> settings = printable->getPrinter();
    for (const css::beans::PropertyValue& setting : settings) {
        rtl::OUString name;
        if (setting.Name == "Name" && (setting.Value >>= name))
            return name;
    }
    return {};
}

// The rendered job between the office and the print system; removed however
// printing ends.
class SpoolFile {
public:
    SpoolFile()
    {
        std::error_code ec;
        std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
        if (ec)
            folder = "/tmp";
        std::string pattern = (folder / "pravik-print-XXXXXX").string();
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0)
            throw Error("印刷用の一時ファイルを作成できません: " + std::string(std::strerror(errno)));
        ::close(fd);
        path_ = pattern;
    }
    ~SpoolFile() { ::unlink(path_.c_str()); }
    SpoolFile(const SpoolFile&) = delete;
    SpoolFile& operator=(const SpoolFile&) = delete;

    const std::string& path() const { return path_; }
    rtl::OUString url() const
    {
        rtl::OUString url;
        osl::FileBase::getFileURLFromSystemPath(fromUtf8(path_), url);
        return url;
    }
    bool empty() const
    {
        struct stat info {};
        return ::stat(path_.c_str(), &info) != 0 || info.st_size == 0;
    }

private:
    std::string path_;
};

std::string jobTitle(const OfficeDocument& document)
{
    return std::filesystem::path(codec::toDisplay(document.path())).filename().string();
}

} // namespace

std::string checkedQueue(const std::string& cp932Printer)
{
    if (cp932Printer.empty())
        throw Error("プリンタ名が空です");
    std::string queue;
    try {
        queue = codec::toUtf8(cp932Printer);
    } catch (const codec::ConversionError&) {
        throw Error("プリンタ " + codec::toDisplay(cp932Printer) + " が見つかりません");
    }
    if (!printers::queueExists(queue))
        throw Error("プリンタ " + queue + " が見つかりません");
    return queue;
}

int printDocument(const OfficeDocument& document, const PrintRequest& request)
{
    std::string queue = request.printer;
    if (queue.empty()) {
        queue = printers::defaultQueue();
        if (queue.empty())
            throw Error("既定のプリンタがありません");
    } else if (!printers::queueExists(queue)) {
        throw Error("プリンタ " + queue + " が見つかりません");
    }

    const Reference<css::view::XPrintable> printable(document.model(), UNO_QUERY_THROW);
    const rtl::OUString wanted = fromUtf8(queue);
    printable->setPrinter(properties({{"Name", Any(wanted)}}));
    // The office quietly keeps its previous printer for a name it does not know.
    if (printerNameOf(printable) != wanted)
        throw Error("オフィス エンジンがプリンタ " + queue + " を使えません");

    // Copies and collation are the print system's to make; the office
    // renders each page once.
    const SpoolFile spool;
    std::vector<Property> options = {{"FileName", Any(spool.url())}, {"Wait", Any(true)}};
    if (!request.pages.empty())
        options.push_back({"Pages", Any(fromUtf8(request.pages))});
    printable->print(properties(options));
    if (spool.empty())
        throw Error("文書 " + shownPath(document.path()) + " には印刷するページがありません");

    return printers::submitPrintFile({queue, spool.path(), jobTitle(document), request.copies,
                                      request.collate});
}

} // namespace pravik::office
