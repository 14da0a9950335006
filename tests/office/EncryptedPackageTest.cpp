#include "EncryptedPackage.h"

#include "TempDir.h"

#include <gtest/gtest.h>

using namespace pravik;

namespace {

const std::string kCompoundFile("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

std::string utf16(std::string_view ascii)
{
    std::string wide;
    for (const char c : ascii)
        wide += std::string{c, '\0'};
    return wide;
}

} // namespace

TEST(EncryptedPackage, OnlyACompoundFileWithAnEncryptedPackageIsPasswordProtected)
{
    test::TempDir dir;
    const std::string name = utf16("EncryptedPackage");
    // The directory entry straddles the reader's 64 KiB blocks.
    const std::string straddling = kCompoundFile + std::string(65536 - 8 - 10, '\0') + name;
    const struct {
        const char* file;
        std::string bytes;
        bool protectedByPassword;
    } cases[] = {
        {"secret.docx", kCompoundFile + std::string(600, '\0') + name + std::string(100, '\0'), true},
        {"secret.xlsx", straddling, true},
        {"plain.docx", "PK\x03\x04" + name, false},          // a zip names no streams
        {"legacy.doc", kCompoundFile + utf16("WordDocument"), false}, // the office opens these
        {"short.xls", "\xD0\xCF", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        test::writeBytes(dir.path() / c.file, c.bytes);
        EXPECT_EQ(office::isEncryptedPackage(dir.file(c.file)), c.protectedByPassword);
    }
}
