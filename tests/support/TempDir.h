#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace pravik::test {

// A fresh folder under the system's temporary folder, removed with its
// contents when the test ends.
class TempDir {
public:
    TempDir()
    {
#ifdef _WIN32
        // No mkdtemp: a random name, taken only when nobody has it yet.
        std::random_device random;
        do
            path_ = std::filesystem::temp_directory_path() / ("pravik-test-" + std::to_string(random()));
        while (!std::filesystem::create_directory(path_));
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "pravik-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
#endif
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // A path inside the folder as a std::string (ASCII names in tests are
    // the same bytes in CP932 and UTF-8), with the system's separators.
    std::string file(std::string_view name) const
    {
        return (path_ / std::filesystem::path(name).make_preferred()).string();
    }

private:
    std::filesystem::path path_;
};

inline void writeBytes(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace pravik::test
