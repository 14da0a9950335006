#include "UnoRuntime.h"

#include "Error.h"
#include "TextCodec.h"

#include <cppuhelper/bootstrap.hxx>
#include <osl/file.hxx>

#include <cstdlib>
#include <mutex>

namespace pravik::office {

Reference<css::uno::XComponentContext> localContext()
{
    static std::once_flag once;
    // Never destroyed: the runtime must outlive every reference into it, up to
    // the last static destructor.
    static auto* context = new Reference<css::uno::XComponentContext>();
    std::call_once(once, [] {
        // Where the local runtime finds its type and service registries.
        const std::string bootstrap = std::string("vnd.sun.star.pathname:") + kOfficeProgramDir
            + "/fundamentalrc";
        ::setenv("URE_BOOTSTRAP", bootstrap.c_str(), 0);
        try {
            *context = cppu::defaultBootstrap_InitialComponentContext();
        } catch (const css::uno::Exception& error) {
            throw Error("オフィス エンジンのライブラリを初期化できません: " + describe(error));
        }
    });
    if (!context->is())
        throw Error("オフィス エンジンのライブラリを初期化できません");
    return *context;
}

rtl::OUString fromUtf8(const std::string& utf8)
{
    return rtl::OUString(utf8.data(), static_cast<sal_Int32>(utf8.size()), RTL_TEXTENCODING_UTF8);
}

std::string toUtf8(const rtl::OUString& text)
{
    const rtl::OString bytes = rtl::OUStringToOString(text, RTL_TEXTENCODING_UTF8);
    return std::string(bytes.getStr(), static_cast<size_t>(bytes.getLength()));
}

rtl::OUString fromCp932(const std::string& cp932) { return fromUtf8(codec::toUtf8(cp932)); }

std::string toCp932(const rtl::OUString& text) { return codec::fromUtf8(toUtf8(text)); }

rtl::OUString fileUrl(const std::string& cp932Path)
{
    const std::string system = codec::toOsPath(cp932Path).string();
    rtl::OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(fromUtf8(system), url) != osl::FileBase::E_None)
        throw Error("ファイル名 " + codec::toDisplay(cp932Path) + " は使えません");
    return url;
}

Sequence<css::beans::PropertyValue> properties(const std::vector<Property>& items)
{
    Sequence<css::beans::PropertyValue> list(static_cast<sal_Int32>(items.size()));
    css::beans::PropertyValue* out = list.getArray();
    for (const Property& item : items) {
        out->Name = rtl::OUString::createFromAscii(item.first);
        out->Value = item.second;
        ++out;
    }
    return list;
}

std::string describe(const css::uno::Exception& error)
{
    std::string text = toUtf8(error.Message);
    // The office appends where in its source the error arose; that helps no user.
    if (const size_t at = text.find(" at /"); at != std::string::npos)
        text.erase(at);
    if (text.empty())
        text = "オフィス エンジンでエラーが発生しました";
    return text;
}

bool meansOfficeGone(const css::uno::Exception& error)
{
    const std::string text = toUtf8(error.Message);
    return text.find("disposed") != std::string::npos || text.find("Broken pipe") != std::string::npos;
}

} // namespace pravik::office
