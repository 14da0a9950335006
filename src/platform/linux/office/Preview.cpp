#include "Preview.h"

#include "Error.h"
#include "StepTimes.h"
#include "StopRequests.h"

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/DispatchHelper.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XFrameActionListener.hpp>
#include <com/sun/star/frame/XFrames.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/IndexOutOfBoundsException.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/implbase1.hxx>
#include <rtl/ref.hxx>

#include <atomic>
#include <thread>

namespace pravik::office {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(100);
constexpr auto kSwitchLimit = std::chrono::seconds(30);

void pause()
{
    runIdleHook();
    std::this_thread::sleep_for(kPollInterval);
}

bool anyDocumentShown(OfficeEngine& engine)
{
    const Reference<css::container::XIndexAccess> frames(engine.desktop()->getFrames(), UNO_QUERY_THROW);
    for (sal_Int32 i = 0; i < frames->getCount(); ++i) {
        try {
            const Reference<css::frame::XFrame> frame(frames->getByIndex(i), UNO_QUERY);
            if (!frame.is())
                continue;
            const Reference<css::frame::XController> controller = frame->getController();
            // A view with a document (a preview has one too) is still open; a
            // frame without any view is between states and counts as open. The
            // start centre shown after the last document closes has none.
            if (!controller.is() || controller->getModel().is())
                return true;
        } catch (const css::lang::DisposedException&) {
            // Closing at this moment: no longer shown.
        } catch (const css::lang::IndexOutOfBoundsException&) {
            // Another window closed meanwhile.
        }
    }
    return false;
}

rtl::OUString viewKind(const Reference<css::frame::XController>& controller)
{
    const Reference<css::lang::XServiceInfo> info(controller, UNO_QUERY);
    return info.is() ? info->getImplementationName() : rtl::OUString();
}

// Closes a Word preview's window once the user leaves the preview. The
// document was opened only to be previewed: "Close Preview" would otherwise
// drop the user into it read-only, and closing that into the office's
// start screen. The close runs on a thread of its own, never inside the
// office's notification.
class CloseWhenPreviewEnds : public cppu::WeakImplHelper1<css::frame::XFrameActionListener> {
public:
    explicit CloseWhenPreviewEnds(rtl::OUString normalViewKind) : normalViewKind_(std::move(normalViewKind)) {}

    void SAL_CALL frameAction(const css::frame::FrameActionEvent& event) override
    {
        if (event.Action != css::frame::FrameAction_COMPONENT_REATTACHED
            && event.Action != css::frame::FrameAction_COMPONENT_ATTACHED)
            return;
        const Reference<css::frame::XFrame> frame = event.Frame;
        const rtl::Reference<CloseWhenPreviewEnds> self(this);
        std::thread([self, frame] {
            try {
                if (self->closing_.load() || viewKind(frame->getController()) != self->normalViewKind_)
                    return;
                if (self->closing_.exchange(true))
                    return;
                frame->removeFrameActionListener(Reference<css::frame::XFrameActionListener>(self.get()));
                Reference<css::util::XCloseable>(frame, UNO_QUERY_THROW)->close(true);
            } catch (const css::uno::Exception&) {
                // Closed by the user, or the office has gone: nothing left to close.
            }
        }).detach();
    }
    void SAL_CALL disposing(const css::lang::EventObject&) override {}

private:
    const rtl::OUString normalViewKind_;
    std::atomic<bool> closing_{false};
};

} // namespace

Preview::Preview(const std::string& cp932Path, DocumentKind kind, const std::vector<int>& sheets)
{
    document_ = std::make_unique<OfficeDocument>(previewEngine(), cp932Path, kind, DocumentView::Full);
    const Reference<css::frame::XModel>& model = document_->model();
    if (kind == DocumentKind::Workbook && !sheets.empty())
        document_->selectSheets(sheets);
    const Reference<css::frame::XController> normalView = model->getCurrentController();
    normalViewKind_ = viewKind(normalView);
    if (normalViewKind_.isEmpty())
        throw Error("文書 " + shownPath(cp932Path) + " を表示できません");
    frame_ = normalView->getFrame();

    const Reference<css::awt::XWindow> window = frame_->getContainerWindow();
    if (window.is())
        window->setVisible(true);
    if (const Reference<css::awt::XTopWindow> top(window, UNO_QUERY); top.is())
        top->toFront();

    css::frame::DispatchHelper::create(previewEngine().context())
        ->executeDispatch(Reference<css::frame::XDispatchProvider>(frame_, UNO_QUERY_THROW),
                          ".uno:PrintPreview", "", 0, {});
    // The view switches a moment after the dispatch returns; until it has,
    // the ordinary view would pass for a preview already closed.
    const auto deadline = std::chrono::steady_clock::now() + kSwitchLimit;
    while (viewKind(frame_->getController()) == normalViewKind_) {
        if (std::chrono::steady_clock::now() >= deadline)
            throw Error("文書 " + shownPath(cp932Path) + " の印刷プレビューを表示できません");
        // A short wait: the idle hook is left for the wait on the user.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    steps::reached("preview shown");
}

Preview::~Preview()
{
    if (document_)
        document_->close();
}

void Preview::waitUntilClosed()
{
    for (;;) {
        pause();
        // Ended by a signal, the program goes without waiting for anyone.
        if (stopRequest() != 0)
            return;
        if (!previewEngine().checkAlive())
            return;
        try {
            // The preview replaces the document's view; a view of the normal
            // kind coming back (a new one) means the user closed the preview.
            if (viewKind(frame_->getController()) == normalViewKind_)
                return;
            if (!document_->model()->getCurrentController().is())
                return;
        } catch (const css::uno::Exception&) {
            return; // the window was closed
        } catch (const Error&) {
            return;
        }
    }
}

void Preview::leaveOpen()
{
    frame_->addFrameActionListener(new CloseWhenPreviewEnds(normalViewKind_));
    document_->detach();
}

bool previewShowsDocuments()
{
    OfficeEngine& engine = previewEngine();
    if (!engine.ready() || !engine.checkAlive())
        return false;
    try {
        return anyDocumentShown(engine);
    } catch (const css::uno::Exception&) {
        return false;
    }
}

void waitUntilPreviewsClosed()
{
    OfficeEngine& engine = previewEngine();
    for (;;) {
        if (!engine.started() || !engine.checkAlive() || stopRequest() != 0)
            return;
        try {
            if (!anyDocumentShown(engine))
                return;
        } catch (const css::uno::Exception&) {
            return;
        }
        pause();
    }
}

} // namespace pravik::office
