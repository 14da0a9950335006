#include "SettingsFile.h"

#include "Blanks.h"
#include "IniFile.h"
#include "ListErrors.h"
#include "PathParts.h"
#include "PrintList.h"
#include "TextCodec.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <filesystem>

namespace pravik {

namespace {

constexpr const char* mainSection = "MAIN";

// A column width as a strict integer: decimal, or "0x"/"$" hexadecimal.
int columnWidthFrom(const std::string& item)
{
    std::string_view text = trimBlanks(item);
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    long value = 0;
    const char* end = text.data() + text.size();
    const bool startsWithDigit = !text.empty() && std::isxdigit(static_cast<unsigned char>(text[0]));
    const auto result = std::from_chars(text.data(), end, value, base);
    if (!startsWithDigit || result.ec != std::errc() || result.ptr != end || value > INT_MAX)
        throw Error(formatMessage("'%s' は整数ではありません", codec::toDisplay(item)));
    return static_cast<int>(negative ? -value : value);
}

std::vector<std::string> splitAtCommas(const std::string& text)
{
    std::vector<std::string> items;
    if (text.empty())
        return items;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        items.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos)
            return items;
        start = comma + 1;
    }
}

} // namespace

const std::vector<std::string>& designedHeadings()
{
    static const std::vector<std::string> headings = [] {
        std::vector<std::string> cp932;
        for (const char* utf8 : {"ファイル名", "メモ", "印刷ページ（Word） シート（Excel）", "拡張子",
                                 "部数", "プリンター", "ファイルパス"})
            cp932.push_back(codec::fromUtf8(utf8));
        return cp932;
    }();
    return headings;
}

namespace {

void readValues(const IniFile& ini, Settings& settings)
{
    settings.titlePrefix = ini.readString("TITLE", "APP_NAME", "") + " - ";
    settings.defaultCopies = ini.readInteger(mainSection, "DEFBUSU", 1);
    settings.printTarget = ini.readInteger(mainSection, "PRINT", SelectedRows);
    settings.reopenLastList = ini.readBool(mainSection, "MEMORY", false);
    settings.skipSameFile = ini.readBool(mainSection, "ONAJI", false);
    settings.acceptOtherFiles = ini.readBool(mainSection, "ETCFILE", false);
    settings.excelNoSheetRule = ini.readInteger(mainSection, "EXCEL", ActiveSheet);
    settings.collateCopies = ini.readBool(mainSection, "SORT", false);
    settings.announceFinishedRuns = ini.readBool(mainSection, "DONEMSG", true);
    settings.officeRecycle = ini.readInteger("OFFICE", "RECYCLE", Settings().officeRecycle);
    settings.officeTimeout = ini.readInteger("OFFICE", "TIMEOUT", settings.officeTimeout);
    settings.officeEngines = ini.readInteger("OFFICE", "ENGINES", settings.officeEngines);
}

} // namespace

Settings readSettings(const std::string& iniPath)
{
    Settings settings;
    readValues(IniFile(iniPath), settings);
    return settings;
}

Settings readNamedSettings(const std::string& iniPath)
{
    const IniFile ini(iniPath);
    if (ini.missing())
        throw Error(formatMessage("設定ファイル %s が見つかりません", codec::toDisplay(iniPath)));
    if (ini.unreadable())
        throw Error(formatMessage("設定ファイル %s を読み込めません", codec::toDisplay(iniPath)));
    Settings settings;
    readValues(ini, settings);
    return settings;
}

void loadSettings(const std::string& iniPath, Settings& settings, StartupWindow& window,
                  PrintList& list)
{
    const IniFile ini(iniPath);
    readValues(ini, settings);

    const std::vector<std::string> widths = splitAtCommas(ini.readString(mainSection, "COLUMN", ""));
    for (int column = 0; column < columnCount; ++column) {
        if (static_cast<size_t>(column) >= widths.size())
            throw ListIndexError(column);
        window.setColumnWidth(column, columnWidthFrom(widths[static_cast<size_t>(column)]));
    }

    if (ini.readString(mainSection, "FMTOP", "").empty() && ini.readString(mainSection, "FMLEFT", "").empty()) {
        window.placeForFirstStart();
    } else {
        window.setTop(ini.readInteger(mainSection, "FMTOP", 389));
        window.setLeft(ini.readInteger(mainSection, "FMLEFT", 83));
        window.setHeight(ini.readInteger(mainSection, "FMHEIGHT", 305));
        window.setWidth(ini.readInteger(mainSection, "FMWIDTH", 624));
    }
    window.centreSecondaryWindows();

    const std::string lastList = ini.readString(mainSection, "LASTLIST", "");
    if (settings.reopenLastList && !lastList.empty()) {
        list.listFileName.clear();
        list.changed = false;
        // Named when it has gone, so that an empty window is not a riddle.
        if (!regularFileExists(lastList))
            throw Error(formatMessage("前回のリスト %s が見つからないため、開けませんでした",
                                      codec::toDisplay(lastList)));
        list.loadListFile(lastList);
        list.listFileName = lastList;
        window.setCaption(settings.titlePrefix + fileNamePart(lastList));
    }
}

void saveWindowState(const std::string& iniPath, const WindowState& state,
                     const std::string& listFileName)
{
    IniFile ini(iniPath);
    if (state.headingsInDisplayOrder == designedHeadings()) {
        std::string column;
        for (const int width : state.widthsInDisplayOrder)
            column += std::to_string(width) + ",";
        if (!column.empty())
            column.pop_back();
        ini.writeString(mainSection, "COLUMN", column);
    }
    ini.writeInteger(mainSection, "FMTOP", state.top);
    ini.writeInteger(mainSection, "FMLEFT", state.left);
    ini.writeInteger(mainSection, "FMHEIGHT", state.height);
    ini.writeInteger(mainSection, "FMWIDTH", state.width);
    ini.writeString(mainSection, "LASTLIST", listFileName);
}

void saveAnnounceFinishedRuns(const std::string& iniPath, bool announce)
{
    IniFile(iniPath).writeBool(mainSection, "DONEMSG", announce);
}

namespace {

constexpr const char* foldersSection = "FOLDERS";

} // namespace

DialogFolders readDialogFolders(const std::string& iniPath)
{
    const IniFile ini(iniPath);
    return {ini.readString(foldersSection, "OPEN", ""), ini.readString(foldersSection, "SAVE", ""),
            ini.readString(foldersSection, "ADD", "")};
}

void saveDialogFolders(const std::string& iniPath, const DialogFolders& folders)
{
    IniFile ini(iniPath);
    for (const auto& [key, folder] : {std::pair{"OPEN", &folders.open}, std::pair{"SAVE", &folders.save},
                                      std::pair{"ADD", &folders.add}})
        if (!folder->empty())
            ini.writeString(foldersSection, key, *folder);
}

} // namespace pravik
