#pragma once

#include "AutomationCall.h"

namespace pravik {

enum class OfficeKind { Word, Excel };

// Office takes a password for a file that asks for one as given, and fails
// at once when it is wrong; a file that asks for none ignores it. Given to
// every open, so that no password box waits where nobody sees it.
inline constexpr const char* kNoPassword = "pravik-no-password";

// An office application a job started, and the document or workbook the job
// opened in it. The job lets go of it through finish(), or hands it to the
// user; after a failure, through finishAfterFailure(). A user who opens a
// file of their own while the application runs invisibly can land in it:
// then it is never quit, but handed to the user as it is.
class StartedApplication {
public:
    StartedApplication(AutomationCall& automation, OfficeKind kind, Variant app);

    const Variant& app() const { return app_; }
    // The application's Documents or Workbooks.
    void setCollection(Variant collection) { collection_ = std::move(collection); }
    void setOpened(Variant opened) { opened_ = std::move(opened); }

    // Closes what the job opened without saving it; then quits the
    // application when nothing else is open in it, or hands it to the user.
    void finish();
    // Alerts back on and the application visible: it is the user's now, and
    // nothing more is done to it here.
    void handToUser();
    // finish() as far as the server still answers, without throwing; a
    // server that does not quit is ended once it is let go of.
    void finishAfterFailure() noexcept;

private:
    void closeOpened();
    void quitOrHandOver();

    AutomationCall& automation_;
    OfficeKind kind_;
    Variant app_;
    Variant collection_;
    Variant opened_;
    bool handedOver_ = false;
};

} // namespace pravik
