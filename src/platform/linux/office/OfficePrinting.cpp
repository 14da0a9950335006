#include "OfficePrinting.h"

#include "CupsQueues.h"
#include "Error.h"
#include "JobNotes.h"
#include "OfficeLifetime.h"
#include "SubmissionGate.h"
#include "TextCodec.h"

#include <com/sun/star/view/XPrintable.hpp>
#include <osl/file.hxx>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
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

// The spool files in hand (rendered ahead, and waiting for their turn), for a
// signal handler that ends the program.
constexpr int kSpoolSlots = 40;
char spoolPaths[kSpoolSlots][4096];
std::atomic<bool> spoolInUse[kSpoolSlots];

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
        if (path_.size() >= sizeof spoolPaths[0])
            return;
        for (int slot = 0; slot < kSpoolSlots; ++slot) {
            // Claimed by this thread alone, then filled, then shown.
            if (claimed_[slot].exchange(true))
                continue;
            std::memcpy(spoolPaths[slot], path_.c_str(), path_.size() + 1);
            spoolInUse[slot] = true;
            slot_ = slot;
            break;
        }
    }
    ~SpoolFile()
    {
        if (slot_ >= 0) {
            spoolInUse[slot_] = false;
            claimed_[slot_] = false;
        }
        ::unlink(path_.c_str());
    }
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
    static std::atomic<bool> claimed_[kSpoolSlots];

    std::string path_;
    int slot_ = -1;
};

std::atomic<bool> SpoolFile::claimed_[kSpoolSlots];

std::string jobTitle(const OfficeDocument& document)
{
    return std::filesystem::path(codec::toDisplay(document.path())).filename().string();
}

} // namespace

void removeSpoolFileNow()
{
    for (int slot = 0; slot < kSpoolSlots; ++slot)
        if (spoolInUse[slot])
            ::unlink(spoolPaths[slot]);
}

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
    const std::optional<printers::Queue> found = printers::findQueue(queue);
    if (!found)
        throw Error("プリンタ " + queue + " が見つかりません");
    // The print system's own spelling: the office knows no other.
    return found->shownName();
}

void printDocument(const OfficeDocument& document, const PrintRequest& request)
{
    const std::string named = request.printer.empty() ? printers::defaultQueue() : request.printer;
    if (named.empty())
        throw Error("既定のプリンタがありません");
    const std::optional<printers::Queue> found = printers::findQueue(named);
    if (!found)
        throw Error("プリンタ " + named + " が見つかりません");
    const std::string queue = found->shownName();

    // The office knows queues, not their instances: it lays the pages out
    // for the queue, and the instance's options go with the job.
    const Reference<css::view::XPrintable> printable(document.model(), UNO_QUERY_THROW);
    const rtl::OUString wanted = fromUtf8(found->name);
    printable->setPrinter(properties({{"Name", Any(wanted)}}));
    // The office quietly keeps its previous printer for a name it does not know.
    if (printerNameOf(printable) != wanted)
        throw Error("オフィス エンジンがプリンタ " + found->name + " を使えません");

    // Copies and collation are the print system's to make; the office
    // renders each page once.
    auto spool = std::make_shared<const SpoolFile>();
    std::vector<Property> options = {{"FileName", Any(spool->url())}, {"Wait", Any(true)}};
    if (!request.pages.empty())
        options.push_back({"Pages", Any(fromUtf8(request.pages))});
    printable->print(properties(options));
    if (spool->empty())
        throw Error("文書 " + shownPath(document.path()) + " には印刷するページがありません");

    bool stopped = false;
    try {
        stopped = printers::queueStopped(queue); // as the job's reading of the printers saw it
    } catch (...) {
        // Only a remark: the job is accepted whatever its queue's state.
    }
    // Rendered ahead of earlier rows, it leaves after their jobs; a stopped
    // run drops it unsent, and the file with it.
    handOverInTurn([spool, job = printers::SubmitRequest{*found, spool->path(), jobTitle(document),
                                                        request.copies, request.collate},
                    stopped] {
        printers::submitPrintFile(job);
        jobnotes::reportAccepted();
        if (stopped)
            jobnotes::report("プリンタ " + job.queue.shownName() + " は停止中です（ジョブは待ち行列に入りました。プリンタが再開されると印刷されます）");
    });
}

} // namespace pravik::office
