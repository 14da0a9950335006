#pragma once

// The office's component model as this program uses it: text conversions,
// property lists and the local side of the connection.

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/Sequence.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

#include <string>
#include <utility>
#include <vector>

namespace pravik::office {

namespace css = com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

// The office's program folder.
inline constexpr const char* kOfficeProgramDir = "/usr/lib/libreoffice/program";

// The local component context, made once per process.
Reference<css::uno::XComponentContext> localContext();

rtl::OUString fromUtf8(const std::string& utf8);
std::string toUtf8(const rtl::OUString& text);
// CP932 texts of the automation layer. Both throw codec::ConversionError
// rather than substitute a character.
rtl::OUString fromCp932(const std::string& cp932);
std::string toCp932(const rtl::OUString& text);

// A file URL for a CP932 path. Throws codec::ConversionError.
rtl::OUString fileUrl(const std::string& cp932Path);

// An office argument list from name/value pairs.
using Property = std::pair<const char*, Any>;
Sequence<css::beans::PropertyValue> properties(const std::vector<Property>& items);

// The office's own text of an exception (UTF-8), never empty.
std::string describe(const css::uno::Exception& error);

// True when the exception means the connection to the office is gone.
bool meansOfficeGone(const css::uno::Exception& error);

} // namespace pravik::office
