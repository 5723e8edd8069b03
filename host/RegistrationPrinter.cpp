#include "RegistrationPrinter.h"

#include <cctype>
#include <cstdio>

namespace tanglefix::host
{

namespace
{
    std::string quoted (const std::string& text)
    {
        std::string result = "\"";

        for (const auto c : text)
        {
            if (c == '"' || c == '\\')
                result += '\\';

            if (std::isprint (static_cast<unsigned char> (c)))
            {
                result += c;
            }
            else
            {
                char escaped[8];
                std::snprintf (escaped, sizeof (escaped), "\\x%02X", static_cast<unsigned char> (c));
                result += escaped;
            }
        }

        return result + "\"";
    }

    const char* fieldKindName (FieldRecord::Kind kind)
    {
        switch (kind)
        {
            case FieldRecord::Kind::audioIn:            return "audio in";
            case FieldRecord::Kind::audioOut:           return "audio out";
            case FieldRecord::Kind::audioBufferLength:  return "audio buffer length";
            case FieldRecord::Kind::sampleRate:         return "sample rate";
            case FieldRecord::Kind::clock:              return "clock";
            case FieldRecord::Kind::sideChainIn:        return "side-chain in";
            case FieldRecord::Kind::dataInPort:         return "data in port";
            case FieldRecord::Kind::auxOutputStem:      return "aux output stem";
            case FieldRecord::Kind::privateData:        return "private data";
            case FieldRecord::Kind::temporaryData:      return "temporary data";
            case FieldRecord::Kind::dmaInstance:        return "DMA instance";
            case FieldRecord::Kind::meters:             return "meters";
            case FieldRecord::Kind::midiNode:           return "MIDI node";
            case FieldRecord::Kind::reservedField:      return "reserved";
        }

        return "?";
    }

    bool isFourCharCodeProperty (std::uint32_t id)
    {
        return id == 11 || id == 12 || id == 13 || id == 14 || id == 15;
    }

    bool isStemFormatProperty (std::uint32_t id)
    {
        return id == 51 || id == 52;
    }
}

RegistrationPrinter::RegistrationPrinter (std::ostream& o, PointerDescriber d)
    : out (o), describePointer (std::move (d))
{
}

void RegistrationPrinter::print (const PluginRecord& plugin) const
{
    out << "Effects: " << plugin.effects.size() << "\n";

    for (const auto& effect : plugin.effects)
        printEffect (effect);

    out << "Manufacturer: " << quoted (plugin.manufacturerName) << "\n";

    for (const auto& name : plugin.packageNames)
        out << "Package name: " << quoted (name) << "\n";

    out << "Package version: "
        << (plugin.packageVersionSet ? formatHex (plugin.packageVersion, 8) : std::string ("not set")) << "\n";

    printProperties (plugin.properties, "");
}

void RegistrationPrinter::printEffect (const EffectRecord& effect) const
{
    out << "Effect " << quoted (effect.identifier) << "\n";

    for (const auto& name : effect.names)
        out << "  Name: " << quoted (name) << "\n";

    for (const auto category : effect.categories)
        out << "  Category: " << formatHex (category, 8) << "\n";

    for (const auto& [category, parameter] : effect.categoryBypassParameters)
        out << "  Category bypass parameter: " << formatHex (category, 8) << " " << quoted (parameter) << "\n";

    for (const auto& [id, pointer] : effect.procPointers)
        out << "  Proc pointer " << id << ": " << describePointer (pointer) << "\n";

    for (const auto& [type, info] : effect.resources)
        out << "  Resource " << type << ": " << quoted (info) << "\n";

    for (const auto& meter : effect.meters)
    {
        out << "  Meter " << formatFourCharCode (meter.id) << " " << quoted (meter.name) << "\n";
        printProperties (meter.properties, "    ");
    }

    for (const auto& node : effect.controlMidiNodes)
        out << "  Control MIDI node " << node.id << ": type " << node.type << " " << quoted (node.name)
            << " channels " << formatHex (node.channelMask, 4) << "\n";

    printProperties (effect.properties, "  ");

    for (size_t i = 0; i < effect.components.size(); ++i)
        printComponent (effect.components[i], i + 1, effect.components.size());
}

void RegistrationPrinter::printComponent (const ComponentRecord& component, size_t number, size_t count) const
{
    out << "  Component " << number << " of " << count << "\n";

    for (const auto& field : component.fields)
        out << "    " << formatField (field) << "\n";

    for (const auto& proc : component.processProcs)
        printProcessProc (proc);
}

void RegistrationPrinter::printProcessProc (const ProcessProcRecord& proc) const
{
    if (proc.kind == ProcessProcRecord::Kind::native)
    {
        out << "    Process procedure " << proc.id << " (native): process " << describePointer (proc.processProc)
            << ", instance init " << describePointer (proc.instanceInitProc)
            << ", background " << describePointer (proc.backgroundProc) << "\n";
    }
    else
    {
        out << "    Process procedure " << proc.id << " (TI): DLL " << quoted (proc.dllFileName)
            << ", process " << quoted (proc.processProcSymbol)
            << ", instance init " << quoted (proc.instanceInitSymbol)
            << ", background " << quoted (proc.backgroundSymbol) << "\n";
    }

    printProperties (proc.properties, "      ");
}

void RegistrationPrinter::printProperties (const PropertyList& properties, const std::string& indent) const
{
    for (const auto& property : properties)
        out << indent << formatProperty (property) << "\n";
}

void RegistrationPrinter::printTraces (const std::vector<TraceRecord>& traces) const
{
    out << "Traces: " << traces.size() << "\n";

    for (const auto& trace : traces)
    {
        out << "  [" << formatHex (static_cast<std::uint32_t> (trace.priority), 8);

        if (trace.stackTracePriority >= 0)
            out << ", stack " << formatHex (static_cast<std::uint32_t> (trace.stackTracePriority), 8);

        out << "] " << quoted (trace.message) << "\n";
    }
}

void RegistrationPrinter::printAsserts (const std::vector<AssertRecord>& asserts) const
{
    out << "Asserts: " << asserts.size() << "\n";

    for (const auto& failure : asserts)
        out << "  " << failure.file << ":" << failure.line << ": " << quoted (failure.note)
            << " (flags " << failure.flags << ")\n";
}

std::string RegistrationPrinter::formatProperty (const PropertyRecord& property) const
{
    auto text = "Property " + std::to_string (property.id) + " (" + propertyName (property.id) + "): ";

    if (property.isPointer)
        return text + "pointer " + describePointer (reinterpret_cast<const void*> (static_cast<std::intptr_t> (property.value)));

    const auto value = static_cast<std::uint32_t> (property.value);

    if (isFourCharCodeProperty (property.id))
        return text + formatFourCharCode (value);

    if (isStemFormatProperty (property.id))
        return text + formatStemFormat (value);

    return text + std::to_string (static_cast<std::int32_t> (value));
}

std::string RegistrationPrinter::propertyName (std::uint32_t id)
{
    switch (id)
    {
        case 11:  return "manufacturer id";
        case 12:  return "product id";
        case 13:  return "native plug-in id";
        case 14:  return "AudioSuite plug-in id";
        case 15:  return "TI plug-in id";
        case 36:  return "native process procedure";
        case 37:  return "native instance-init procedure";
        case 38:  return "native background procedure";
        case 39:  return "TI DLL file name";
        case 40:  return "TI process procedure";
        case 41:  return "TI instance-init procedure";
        case 42:  return "TI background procedure";
        case 51:  return "input stem format";
        case 52:  return "output stem format";
        case 54:  return "native audio buffer length";
        case 60:  return "can bypass";
        case 116: return "side-chain input";
        case 304: return "multi-mono support";
        default:  return "other";
    }
}

std::string RegistrationPrinter::formatHex (std::uint64_t value, int digits)
{
    char text[24];
    std::snprintf (text, sizeof (text), "0x%0*llX", digits, static_cast<unsigned long long> (value));
    return text;
}

std::string RegistrationPrinter::formatFourCharCode (std::uint32_t code)
{
    std::string chars;

    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const auto c = static_cast<char> ((code >> shift) & 0xff);

        if (! std::isprint (static_cast<unsigned char> (c)))
            return formatHex (code, 8);

        chars += c;
    }

    return formatHex (code, 8) + " '" + chars + "'";
}

std::string RegistrationPrinter::formatStemFormat (std::uint32_t format)
{
    const auto layout = static_cast<std::int16_t> (format >> 16);
    const auto channels = format & 0xffff;

    return formatHex (format, 8) + " (layout " + std::to_string (layout) + ", "
         + std::to_string (channels) + (channels == 1 ? " channel)" : " channels)");
}

std::string RegistrationPrinter::formatField (const FieldRecord& field)
{
    auto text = "Field " + std::to_string (field.index) + ": " + fieldKindName (field.kind);

    switch (field.kind)
    {
        case FieldRecord::Kind::dataInPort:
            return text + " (size " + std::to_string (field.first) + ", type " + std::to_string (field.second) + ")";
        case FieldRecord::Kind::auxOutputStem:
            return text + " (" + formatStemFormat (static_cast<std::uint32_t> (field.first)) + ", " + quoted (field.name) + ")";
        case FieldRecord::Kind::privateData:
            return text + " (size " + std::to_string (field.first) + ", options " + std::to_string (field.second) + ")";
        case FieldRecord::Kind::temporaryData:
            return text + " (element size " + std::to_string (field.first) + ")";
        case FieldRecord::Kind::dmaInstance:
            return text + " (mode " + std::to_string (field.first) + ")";
        case FieldRecord::Kind::meters:
        {
            text += " (";
            for (size_t i = 0; i < field.meterIds.size(); ++i)
                text += (i > 0 ? ", " : "") + formatFourCharCode (field.meterIds[i]);
            return text + ")";
        }
        case FieldRecord::Kind::midiNode:
            return text + " (type " + std::to_string (field.first) + ", " + quoted (field.name)
                 + ", channels " + formatHex (static_cast<std::uint64_t> (field.second), 4) + ")";
        case FieldRecord::Kind::reservedField:
            return text + " (type " + std::to_string (field.first) + ")";
        case FieldRecord::Kind::audioIn:
        case FieldRecord::Kind::audioOut:
        case FieldRecord::Kind::audioBufferLength:
        case FieldRecord::Kind::sampleRate:
        case FieldRecord::Kind::clock:
        case FieldRecord::Kind::sideChainIn:
            break;
    }

    return text;
}

} // namespace tanglefix::host
