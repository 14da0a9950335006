#pragma once

#include "AutomationBackend.h"

#include <optional>
#include <string>

// What a call means for the server it goes to, told by its member and
// arguments as Word and Excel name them. Names match without regard to
// ASCII letter case, as automation names do.
namespace pravik::win::calls {

// name equals lowerCase but for the case of ASCII letters.
bool isName(std::string_view name, std::string_view lowerCase);

// A print, whatever object it is made on.
bool printsOut(const Invocation& call);
// Excel's preview, which returns when the user closes it.
bool previews(const Invocation& call);
// A preview, or the application made visible: the server's window is
// about to come up for the user.
bool showsServer(const Invocation& call);
// The printer (CP932) the call sends the server's prints to: Word's
// ActivePrinter and WordBasic's FilePrintSetup, Excel's PrintOut with its
// ActivePrinter.
std::optional<std::string> printerNamed(const Invocation& call);
// Word's ActivePrinter set, which sets the system's default printer too.
bool setsDefaultPrinter(const Invocation& call);

} // namespace pravik::win::calls
