#include "AutomationErrors.h"

#include "TextCodec.h"

#include <cstdio>

namespace pravik {

std::string describeOleCode(std::int32_t code)
{
    switch (code) {
    case olecode::TypeMismatch: return "型が一致しません。";
    case olecode::UnknownName: return "名前が不明です。";
    case olecode::Exception: return "例外が発生しました。";
    case olecode::Overflow: return "値が範囲を超えています。";
    case olecode::BadParamCount: return "パラメーターの数が正しくありません。";
    case olecode::ClassString: return "無効なクラス文字列です。";
    case olecode::ClassNotRegistered: return "クラスが登録されていません。";
    default: break;
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "OLE エラー %08X", static_cast<std::uint32_t>(code));
    return buffer;
}

EOleSysError::EOleSysError(std::int32_t code, std::string systemMessage)
    : AutomationError(systemMessage.empty() ? describeOleCode(code) : std::move(systemMessage))
    , code_(code)
{
}

namespace {

std::string unknownMemberMessage(const std::string& member)
{
    return "オートメーション オブジェクトにメンバー '" + codec::toDisplay(member)
        + "' がありません";
}

} // namespace

std::string serverExceptionText(const std::string& description, const std::string& source,
                                std::int32_t serverCode)
{
    if (!description.empty())
        return description;
    std::string detail = source;
    if (serverCode != 0) {
        char code[16];
        std::snprintf(code, sizeof code, "%08X", static_cast<std::uint32_t>(serverCode));
        detail += (detail.empty() ? "" : ", ") + std::string(code);
    }
    if (detail.empty())
        return "オートメーション サーバーで例外が発生しました";
    return "オートメーション サーバーで例外が発生しました (" + detail + ")";
}

EOleError::EOleError(std::string member, std::string message)
    : AutomationError(message.empty() ? unknownMemberMessage(member) : std::move(message))
    , member_(std::move(member))
{
}

EOleException::EOleException(std::string description, std::string source, std::int32_t code,
                             std::int32_t serverCode)
    : AutomationError(serverExceptionText(description, source, serverCode))
    , description_(std::move(description))
    , source_(std::move(source))
    , code_(code)
    , serverCode_(serverCode)
{
}

} // namespace pravik
