#include "DisplayHold.h"

#include <cstdlib>
#include <dlfcn.h>
#include <string_view>
#include <thread>

namespace pravik {

namespace {

// Taken from the library at run time: the program has no other use for it.
struct Xcb {
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);

    void* library = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    Connect connect = library ? reinterpret_cast<Connect>(::dlsym(library, "xcb_connect")) : nullptr;
    HasError hasError =
        library ? reinterpret_cast<HasError>(::dlsym(library, "xcb_connection_has_error")) : nullptr;
    Disconnect disconnect =
        library ? reinterpret_cast<Disconnect>(::dlsym(library, "xcb_disconnect")) : nullptr;

    bool usable() const { return connect && hasError && disconnect; }
};

Xcb& xcb()
{
    static Xcb library;
    return library;
}

bool windowsGoToX()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return std::string_view(platform).starts_with("xcb");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return !(wayland && *wayland);
}

} // namespace

DisplayHold::DisplayHold(std::chrono::milliseconds patience)
{
    if (!windowsGoToX())
        return;
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        failure_ = "ウィンドウを表示する画面がありません（DISPLAY が設定されていません）";
        return;
    }
    if (!xcb().usable())
        return; // the toolkit will say what is wrong
    const auto giveUp = std::chrono::steady_clock::now() + patience;
    for (;;) {
        void* connection = xcb().connect(nullptr, nullptr);
        if (xcb().hasError(connection) == 0) {
            connection_ = connection;
            return;
        }
        xcb().disconnect(connection);
        if (std::chrono::steady_clock::now() >= giveUp)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    failure_ = std::string("画面 ") + display + " に接続できません";
}

DisplayHold::~DisplayHold()
{
    if (connection_)
        xcb().disconnect(connection_);
}

} // namespace pravik
