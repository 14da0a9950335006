#include "StartedApplication.h"

namespace pravik {

namespace {

constexpr std::int32_t kWordDoNotSaveChanges = 0; // wdDoNotSaveChanges
constexpr std::int32_t kWordAlertsAll = -1;       // wdAlertsAll

} // namespace

StartedApplication::StartedApplication(AutomationCall& automation, OfficeKind kind, Variant app)
    : automation_(automation), kind_(kind), app_(std::move(app))
{
}

void StartedApplication::closeOpened()
{
    if (opened_.isEmpty())
        return;
    AutoCmd close(CallKind::Procedure, "Close");
    if (kind_ == OfficeKind::Word)
        close.named("SaveChanges", Variant::fromInt(kWordDoNotSaveChanges));
    else
        close.named("SaveChanges", Variant::fromBool(false));
    automation_.execute(opened_, close);
    opened_.clear();
}

void StartedApplication::quitOrHandOver()
{
    const std::int32_t open =
        automation_.execute(collection_, AutoCmd(CallKind::PropertyGet, "Count")).asInteger();
    if (open > 0) {
        handToUser();
        return;
    }
    if (kind_ == OfficeKind::Excel) {
        automation_.callProcedure(app_, "Quit");
        return;
    }
    // Word asks at its end whether to save the Normal template that the
    // options of the run touched.
    const Variant normal = automation_.execute(app_, AutoCmd(CallKind::PropertyGet, "NormalTemplate"));
    automation_.execute(normal, std::move(AutoCmd(CallKind::PropertySet, "Saved").arg(Variant::fromBool(true))));
    automation_.execute(app_, AutoCmd(CallKind::Procedure, "Quit")
                                  .named("SaveChanges", Variant::fromInt(kWordDoNotSaveChanges)));
}

void StartedApplication::finish()
{
    closeOpened();
    quitOrHandOver();
}

void StartedApplication::handToUser()
{
    if (kind_ == OfficeKind::Word) {
        automation_.setProperty(app_, "DisplayAlerts", Variant::fromInt(kWordAlertsAll));
        automation_.setProperty(app_, "Visible", Variant::fromBool(true));
    } else {
        automation_.setProperty(app_, "DisplayAlerts", Variant::fromText("True"));
        // Otherwise Excel closes when our last reference to it goes.
        automation_.setProperty(app_, "UserControl", Variant::fromText("True"));
        automation_.setProperty(app_, "Visible", Variant::fromText("True"));
    }
    handedOver_ = true;
    automation_.handedToUser(app_);
}

void StartedApplication::finishAfterFailure() noexcept
{
    if (handedOver_)
        return;
    try {
        closeOpened();
    } catch (...) {
        // Whatever still holds it goes with the server.
    }
    try {
        if (!collection_.isEmpty()) {
            quitOrHandOver();
            if (handedOver_)
                return;
        }
    } catch (...) {
        // A server that does not answer is ended below.
    }
    try {
        automation_.endServerAfterRelease(app_);
    } catch (...) {
    }
}

} // namespace pravik
