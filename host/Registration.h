#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tanglefix::host
{

/** One property as the plug-in set it on a property map: a 32-bit value, or a pointer-sized
    value added through the 64-bit call (procedure pointers, file names).
*/
struct PropertyRecord
{
    std::uint32_t id = 0;
    std::int64_t value = 0;
    bool isPointer = false;

    bool operator== (const PropertyRecord& other) const
    {
        return id == other.id && value == other.value && isPointer == other.isPointer;
    }
};

using PropertyList = std::vector<PropertyRecord>;

/** One field of a component's algorithm context, in the order the plug-in declared it. */
struct FieldRecord
{
    enum class Kind
    {
        audioIn,
        audioOut,
        audioBufferLength,
        sampleRate,
        clock,
        sideChainIn,
        dataInPort,
        auxOutputStem,
        privateData,
        temporaryData,
        dmaInstance,
        meters,
        midiNode,
        reservedField
    };

    Kind kind = Kind::audioIn;
    std::uint32_t index = 0;
    std::int64_t first = 0;    // packet size, stem format, data size, element size, mode, node type, field type
    std::int64_t second = 0;   // port type, options, channel mask
    std::string name;
    std::vector<std::uint32_t> meterIds;

    bool operator== (const FieldRecord& other) const
    {
        return kind == other.kind && index == other.index && first == other.first
            && second == other.second && name == other.name && meterIds == other.meterIds;
    }
};

/** A process procedure registered on a component, with the properties it was registered with. */
struct ProcessProcRecord
{
    enum class Kind { native, ti };

    Kind kind = Kind::native;
    const void* processProc = nullptr;
    const void* instanceInitProc = nullptr;
    const void* backgroundProc = nullptr;
    std::string dllFileName;              // TI only
    std::string processProcSymbol;        // TI only
    std::string instanceInitSymbol;       // TI only
    std::string backgroundSymbol;         // TI only
    std::uint32_t id = 0;                 // the id the host handed back
    PropertyList properties;
};

struct ComponentRecord
{
    std::vector<FieldRecord> fields;
    std::vector<ProcessProcRecord> processProcs;
};

struct MeterRecord
{
    std::uint32_t id = 0;
    std::string name;
    PropertyList properties;
};

struct MidiNodeRecord
{
    std::uint32_t id = 0;
    std::uint32_t type = 0;
    std::string name;
    std::uint32_t channelMask = 0;
};

struct EffectRecord
{
    std::string identifier;
    std::vector<std::string> names;
    std::vector<std::uint32_t> categories;
    std::vector<std::pair<std::uint32_t, std::string>> categoryBypassParameters;
    std::vector<std::pair<std::uint32_t, const void*>> procPointers;   // (proc id, pointer) in call order
    std::vector<ComponentRecord> components;
    std::vector<std::pair<std::uint32_t, std::string>> resources;
    std::vector<MeterRecord> meters;
    std::vector<MidiNodeRecord> controlMidiNodes;
    PropertyList properties;
};

/** Everything a bundle told the host while it registered. */
struct PluginRecord
{
    std::vector<EffectRecord> effects;
    std::string manufacturerName;
    std::vector<std::string> packageNames;
    std::uint32_t packageVersion = 0;
    bool packageVersionSet = false;
    PropertyList properties;
};

/** A trace or assert that the bundle sent through the host services. */
struct TraceRecord
{
    std::int32_t priority = 0;
    std::int32_t stackTracePriority = -1;    // set only for stack traces
    std::string message;
};

struct AssertRecord
{
    std::string file;
    std::int32_t line = 0;
    std::string note;
    std::int32_t flags = 0;
};

/** Says what keeps a registration from being usable (no effect, an effect without a name,
    factory or components, a component without a process procedure), or nothing when it is
    complete. A bundle can report success and still leave one of these out, for instance when
    a host could not give it the objects it asked for.
*/
std::string findRegistrationFault (const PluginRecord& plugin);

} // namespace tanglefix::host
