#include "TextCodec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

using namespace pravik::codec;

namespace {

// Asserts that `call` throws ConversionError whose text contains `part`.
template <typename Call>
void expectConversionError(Call call, const std::string& part)
{
    try {
        call();
        ADD_FAILURE() << "no ConversionError";
    } catch (const ConversionError& e) {
        EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
    }
}

} // namespace

TEST(TextCodec, RoundTripsWindowsText)
{
    const struct {
        std::string cp932;
        std::string utf8;
    } cases[] = {
        {"C:\\dir\\a.doc~", "C:\\dir\\a.doc~"},        // 0x5C is a backslash, not ¥
        {"\x87\x40", "\xE2\x91\xA0"},                  // ①
        {"\xB1\xDD\xDF", "\xEF\xBD\xB1\xEF\xBE\x9D\xEF\xBE\x9F"}, // ｱﾝﾟ
        {"\x82\xA0\x83\x5C", "\xE3\x81\x82\xE3\x82\xBD"},         // あソ: trail bytes 0xA0, 0x5C
        {"\x81\x60", "\xEF\xBD\x9E"},                  // ～
        {"\xF0\x40", "\xEE\x80\x80"},                  // user-defined area
        {std::string("a\0b", 3), std::string("a\0b", 3)},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toUtf8(c.cp932), c.utf8);
        EXPECT_EQ(fromUtf8(c.utf8), c.cp932);
        EXPECT_EQ(toDisplay(c.cp932), c.utf8);
    }
}

TEST(TextCodec, MapsTheSingleBytesIconvLacksAsWindowsDoes)
{
    const std::string cp932 = "\x80\xA0\xFD\xFE\xFF";
    const std::string utf8 = "\xC2\x80\xEF\xA3\xB0\xEF\xA3\xB1\xEF\xA3\xB2\xEF\xA3\xB3";
    EXPECT_EQ(toUtf8(cp932), utf8);
    EXPECT_EQ(fromUtf8(utf8), cp932);
    // Between double-byte characters, where a lone 0xA0 is not a trail byte.
    EXPECT_EQ(toUtf8("\x82\xA0\xA0\x82\xA0"), "\xE3\x81\x82\xEF\xA3\xB0\xE3\x81\x82");
    EXPECT_EQ(fromUtf8("\xE3\x81\x82\xEF\xA3\xB0\xE3\x81\x82"), "\x82\xA0\xA0\x82\xA0");
}

TEST(TextCodec, RefusesBytesWithNoUnicodeForm)
{
    expectConversionError([] { toUtf8("abc\x82"); }, "abc\\x82");       // lone lead byte at the end
    expectConversionError([] { toUtf8("\x85\x40z"); }, "\\x85\\x40z");  // unassigned code
    expectConversionError([] { toUtf8("\x81 x"); }, "\\x81 x");         // lead byte without trail
}

TEST(TextCodec, DisplayShowsBytesWithNoUnicodeFormAsHex)
{
    EXPECT_EQ(toDisplay("abc\x82"), "abc\\x82");
    EXPECT_EQ(toDisplay("\x85\x40\x82\xA0"), "\\x85\\x40\xE3\x81\x82");
    EXPECT_EQ(toDisplay("\x81 x"), "\\x81 x");
}

TEST(TextCodec, RefusesCharactersOutsideCp932)
{
    expectConversionError([] { fromUtf8("caf\xC3\xA9"); }, "\xE3\x80\x8C\xC3\xA9\xE3\x80\x8D"); // 「é」
    expectConversionError([] { fromUtf8("\xF0\x9F\x98\x80"); }, "\xF0\x9F\x98\x80");             // emoji
    expectConversionError([] { fromUtf8("a\xFF"); }, "a\\xFF");                                 // not UTF-8
    expectConversionError([] { fromUtf8("a\xC3"); }, "a\\xC3");                                 // cut short
    // iconv would turn ¥ and ‾ into \ and ~, which changes a path's meaning.
    expectConversionError([] { fromUtf8("\xC2\xA5"); }, "\xC2\xA5");
    expectConversionError([] { fromUtf8("\xE2\x80\xBE"); }, "\xE2\x80\xBE");
}

TEST(TextCodec, TakesJisFormsAsTheirWindowsForms)
{
    EXPECT_EQ(fromUtf8("\xE3\x80\x9C"), "\x81\x60");     // 〜 as ～
    EXPECT_EQ(fromUtf8("1\xE2\x88\x92" "2"), "1\x81\x7C" "2"); // − as －
}

#ifndef _WIN32
TEST(TextCodec, OsPaths)
{
    EXPECT_EQ(toOsPath("/tmp/\x93\xFA\x96\x7B.doc").native(), "/tmp/\xE6\x97\xA5\xE6\x9C\xAC.doc");
    EXPECT_EQ(fromOsPath("/tmp/\xE6\x97\xA5\xE6\x9C\xAC.doc"), "/tmp/\x93\xFA\x96\x7B.doc");
    expectConversionError([] { toOsPath("/tmp/\x85\x40"); }, "/tmp/\\x85\\x40");

    expectConversionError([] { fromOsPath("/home/caf\xC3\xA9.doc"); }, "/home/caf\xC3\xA9.doc");
    expectConversionError([] { fromOsPath("/home/\xE9t\xE9"); }, "/home/\\xE9t\\xE9");
    // A path must come back as the same file name, so no JIS forms here.
    expectConversionError([] { fromOsPath("/tmp/\xE3\x80\x9C"); }, "/tmp/\xE3\x80\x9C");
}
#endif

TEST(TextCodec, ConvertsOnSeveralThreadsAtOnce)
{
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&failures, t] {
            for (int i = 0; i < 2000; ++i) {
                if (toUtf8("\x87\x40\xB1\x80") != "\xE2\x91\xA0\xEF\xBD\xB1\xC2\x80"
                    || fromUtf8("\xE3\x81\x82") != "\x82\xA0")
                    ++failures[static_cast<size_t>(t)];
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

// Every one- and two-byte code read, and what is read written back, as a
// digest. The Linux build (iconv) and the Windows build (code page 932)
// check the same figure, so they read and write every code alike.
TEST(TextCodec, EveryCodeReadsAndWritesBackAlikeOnEverySystem)
{
    std::uint64_t digest = 14695981039346656037ull; // FNV-1a
    const auto add = [&digest](std::string_view bytes) {
        for (const char c : bytes) {
            digest ^= static_cast<unsigned char>(c);
            digest *= 1099511628211ull;
        }
    };
    const auto code = [&](const std::string& bytes) {
        add(bytes);
        try {
            const std::string utf8 = toUtf8(bytes);
            add(utf8);
            try {
                add(fromUtf8(utf8) == bytes ? "=" : "~");
            } catch (const ConversionError&) {
                add("R");
            }
        } catch (const ConversionError&) {
            add("!");
        }
    };
    for (int b = 0; b < 256; ++b)
        code(std::string(1, static_cast<char>(b)));
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        for (int trail = 0x40; trail <= 0xFC; ++trail)
            code({static_cast<char>(lead), static_cast<char>(trail)});
    EXPECT_EQ(digest, 18057017251567648695ull);
}
