#include "ProfileVersion.h"

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNameReplace.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/util/XChangesBatch.hpp>
#include <com/sun/star/util/XFlushable.hpp>

namespace pravik::office {

namespace {

rtl::OUString ascii(const char* text) { return rtl::OUString::createFromAscii(text); }

} // namespace

void recordProfileVersion(const Reference<css::uno::XComponentContext>& office) noexcept
{
    try {
        const Reference<css::lang::XMultiServiceFactory> provider =
            css::configuration::theDefaultProvider::get(office);
        const Any arguments(css::beans::NamedValue(ascii("nodepath"), Any(ascii("/org.openoffice.Setup/Product"))));
        const Reference<css::container::XNameAccess> product(
            provider->createInstanceWithArguments(ascii("com.sun.star.configuration.ConfigurationUpdateAccess"),
                                                  Sequence<Any>(&arguments, 1)),
            UNO_QUERY_THROW);
        const Any version = product->getByName(ascii("ooSetupVersion"));
        if (product->getByName(ascii("ooSetupLastVersion")) == version)
            return;
        Reference<css::container::XNameReplace>(product, UNO_QUERY_THROW)
            ->replaceByName(ascii("ooSetupLastVersion"), version);
        Reference<css::util::XChangesBatch>(product, UNO_QUERY_THROW)->commitChanges();
        // On disk now: an office that is killed later keeps it too.
        if (const Reference<css::util::XFlushable> flushable(provider, UNO_QUERY); flushable.is())
            flushable->flush();
    } catch (const css::uno::Exception&) {
    }
}

} // namespace pravik::office
