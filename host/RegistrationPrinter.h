#pragma once

#include "Registration.h"

#include <functional>
#include <ostream>
#include <string>

namespace tanglefix::host
{

/** Writes a registration as plain, stable text: one item a line, in the order the bundle
    made its calls, so that two runs (or a run and an expected listing) compare line by line.
*/
class RegistrationPrinter
{
public:
    /** Says where a procedure pointer points ("in bundle", "outside bundle", "null"); the
        address itself changes from run to run and is never printed.
    */
    using PointerDescriber = std::function<std::string (const void*)>;

    RegistrationPrinter (std::ostream& out, PointerDescriber describePointer);

    void print (const PluginRecord& plugin) const;
    void printTraces (const std::vector<TraceRecord>& traces) const;
    void printAsserts (const std::vector<AssertRecord>& asserts) const;

    static std::string propertyName (std::uint32_t id);
    static std::string formatHex (std::uint64_t value, int digits);
    static std::string formatFourCharCode (std::uint32_t code);
    static std::string formatStemFormat (std::uint32_t format);
    static std::string formatField (const FieldRecord& field);
    std::string formatProperty (const PropertyRecord& property) const;

private:
    void printEffect (const EffectRecord& effect) const;
    void printComponent (const ComponentRecord& component, size_t number, size_t count) const;
    void printProcessProc (const ProcessProcRecord& proc) const;
    void printProperties (const PropertyList& properties, const std::string& indent) const;

    std::ostream& out;
    PointerDescriber describePointer;
};

} // namespace tanglefix::host
