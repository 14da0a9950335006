#include "WordSettings.h"

#include <exception>
#include <utility>

namespace pravik {

namespace {

AutoCmd get(const std::string& property) { return AutoCmd(CallKind::PropertyGet, property); }

AutoCmd setTo(const std::string& property, Variant value)
{
    return std::move(AutoCmd(CallKind::PropertySet, property).arg(std::move(value)));
}

// The member is not there (an older server, or a stand-in without it).
bool missingMember(const AutomationError& error)
{
    if (dynamic_cast<const EOleError*>(&error))
        return true;
    const auto* code = dynamic_cast<const EOleSysError*>(&error);
    return code
        && (code->code() == olecode::UnknownName || code->code() == olecode::MemberNotFound);
}

} // namespace

WordPrinter::WordPrinter(AutomationCall& automation, Variant app)
    : automation_(automation), app_(std::move(app))
{
}

WordPrinter::~WordPrinter()
{
    if (!changed_)
        return;
    try {
        restore();
    } catch (...) {
        // The server no longer answers; the job's own error says why.
    }
}

void WordPrinter::use(const std::string& printer)
{
    previous_ = automation_.execute(app_, get("ActivePrinter"));
    changed_ = true;
    set(printer);
}

void WordPrinter::restore()
{
    changed_ = false;
    set(previous_.asText());
}

void WordPrinter::set(const std::string& printer)
{
    if (setupAvailable_) {
        try {
            const Variant wordBasic = automation_.execute(app_, get("WordBasic"));
            automation_.execute(wordBasic, AutoCmd(CallKind::Procedure, "FilePrintSetup")
                                               .named("Printer", Variant::fromText(printer))
                                               .named("DoNotSetAsSysDefault", Variant::fromInt(1)));
            return;
        } catch (const AutomationError& error) {
            if (!missingMember(error))
                throw;
            setupAvailable_ = false;
        }
    }
    automation_.execute(app_, setTo("ActivePrinter", Variant::fromText(printer)));
}

WordPrintOptions::WordPrintOptions(AutomationCall& automation, const Variant& app)
    : automation_(automation), options_(automation.execute(app, get("Options")))
{
}

WordPrintOptions::~WordPrintOptions()
{
    if (!changed_)
        return;
    try {
        restore();
    } catch (...) {
        // The server no longer answers; the job's own error says why.
    }
}

void WordPrintOptions::setForPrinting()
{
    updateFields_ = automation_.execute(options_, get("UpdateFieldsAtPrint"));
    background_ = automation_.execute(options_, get("PrintBackground"));
    changed_ = true;
    automation_.execute(options_, setTo("UpdateFieldsAtPrint", Variant::fromBool(true)));
    automation_.execute(options_, setTo("PrintBackground", Variant::fromBool(false)));
}

void WordPrintOptions::restore()
{
    changed_ = false;
    // Each option is put back even when the other could not be.
    std::exception_ptr failure;
    for (const auto& [option, value] : {std::pair{"UpdateFieldsAtPrint", &updateFields_},
                                        std::pair{"PrintBackground", &background_}}) {
        try {
            automation_.execute(options_, setTo(option, *value));
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace pravik
