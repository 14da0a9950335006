#include "UserFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Sets or unsets a variable for one test, putting it back afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace

TEST(UserFolders, ConfigFolderFollowsXdgConfigHomeWhenAbsoluteElseHome)
{
    struct Case {
        const char* xdg;
        const char* home;
        const char* expected;
    };
    for (const Case& c : {Case{"/x/cfg/", "/home/u", "/x/cfg"}, Case{nullptr, "/home/u", "/home/u/.config"},
                          Case{"relative", "/home/u", "/home/u/.config"}, Case{"", "/home/u", "/home/u/.config"},
                          Case{nullptr, nullptr, ""}}) {
        ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
        ScopedEnv home("HOME", c.home);
        EXPECT_EQ(pravik::userConfigDir(), c.expected) << (c.xdg ? c.xdg : "(unset)");
    }
}
