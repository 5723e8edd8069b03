#include "HostComponentDescriptor.h"

#include "HostPropertyMap.h"

#include <AAX_Errors.h>
#include <AAX_UIDs.h>

#include <algorithm>

namespace tanglefix::host
{

namespace
{
    std::string textOrEmpty (const char* text)
    {
        return text != nullptr ? text : "";
    }

    /** A pointer property read back as what it points to (a procedure or a text). */
    template <typename PointerType>
    PointerType pointerProperty (const HostPropertyMap& map, AAX_EProperty id)
    {
        AAX_CPropertyValue64 value = 0;
        return map.GetProperty64 (id, &value) != 0 ? reinterpret_cast<PointerType> (static_cast<std::intptr_t> (value))
                                                   : nullptr;
    }

    bool hasProperty (const HostPropertyMap& map, AAX_EProperty id)
    {
        AAX_CPropertyValue value = 0;
        return map.GetProperty (id, &value) != 0;
    }
}

HostComponentDescriptor::HostComponentDescriptor (std::shared_ptr<HostContext> c)
    : HostObjectWith (std::move (c))
{
}

void* HostComponentDescriptor::findInterface (const acfIID& iid)
{
    return findOfferedVersion (iid, InterfaceFamily::componentDescriptor,
                               { { IID_IAAXComponentDescriptorV1, static_cast<AAX_IACFComponentDescriptor*> (this) },
                                 { IID_IAAXComponentDescriptorV2, static_cast<AAX_IACFComponentDescriptor_V2*> (this) },
                                 { IID_IAAXComponentDescriptorV3, static_cast<AAX_IACFComponentDescriptor_V3*> (this) } });
}

AAX_Result HostComponentDescriptor::addField (FieldRecord field)
{
    // The algorithm context is an array of pointers: each field index may be used once.
    const auto taken = std::any_of (record.fields.begin(), record.fields.end(),
                                    [&field] (const FieldRecord& f) { return f.index == field.index; });

    if (taken)
        return AAX_ERROR_INVALID_FIELD_INDEX;

    record.fields.push_back (std::move (field));
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::addField (FieldRecord::Kind kind, AAX_CFieldIndex index, std::int64_t first, std::int64_t second)
{
    if (index < 0)
        return AAX_ERROR_INVALID_FIELD_INDEX;

    FieldRecord field;
    field.kind = kind;
    field.index = static_cast<std::uint32_t> (index);
    field.first = first;
    field.second = second;
    return addField (std::move (field));
}

AAX_Result HostComponentDescriptor::Clear()
{
    record = {};
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddAudioIn (AAX_CFieldIndex field)            { return addField (FieldRecord::Kind::audioIn, field); }
AAX_Result HostComponentDescriptor::AddAudioOut (AAX_CFieldIndex field)           { return addField (FieldRecord::Kind::audioOut, field); }
AAX_Result HostComponentDescriptor::AddAudioBufferLength (AAX_CFieldIndex field)  { return addField (FieldRecord::Kind::audioBufferLength, field); }
AAX_Result HostComponentDescriptor::AddSampleRate (AAX_CFieldIndex field)         { return addField (FieldRecord::Kind::sampleRate, field); }
AAX_Result HostComponentDescriptor::AddClock (AAX_CFieldIndex field)              { return addField (FieldRecord::Kind::clock, field); }
AAX_Result HostComponentDescriptor::AddSideChainIn (AAX_CFieldIndex field)        { return addField (FieldRecord::Kind::sideChainIn, field); }

AAX_Result HostComponentDescriptor::AddDataInPort (AAX_CFieldIndex field, uint32_t packetSize, AAX_EDataInPortType portType)
{
    return addField (FieldRecord::Kind::dataInPort, field, packetSize, static_cast<std::int64_t> (portType));
}

AAX_Result HostComponentDescriptor::AddAuxOutputStem (AAX_CFieldIndex field, int32_t stemFormat, const char* name)
{
    if (field < 0)
        return AAX_ERROR_INVALID_FIELD_INDEX;

    FieldRecord record { FieldRecord::Kind::auxOutputStem, static_cast<std::uint32_t> (field), stemFormat, 0, textOrEmpty (name), {} };
    return addField (std::move (record));
}

AAX_Result HostComponentDescriptor::AddPrivateData (AAX_CFieldIndex field, int32_t dataSize, uint32_t options)
{
    if (dataSize < 0)
        return AAX_ERROR_INVALID_ARGUMENT;

    return addField (FieldRecord::Kind::privateData, field, dataSize, options);
}

AAX_Result HostComponentDescriptor::AddDmaInstance (AAX_CFieldIndex field, uint32_t mode)
{
    return addField (FieldRecord::Kind::dmaInstance, field, mode);
}

AAX_Result HostComponentDescriptor::AddMeters (AAX_CFieldIndex field, const AAX_CTypeID* meterIDs, uint32_t meterCount)
{
    if (field < 0)
        return AAX_ERROR_INVALID_FIELD_INDEX;

    if (meterIDs == nullptr && meterCount > 0)
        return AAX_ERROR_NULL_ARGUMENT;

    FieldRecord record { FieldRecord::Kind::meters, static_cast<std::uint32_t> (field), meterCount, 0, {}, {} };

    if (meterCount > 0)
        record.meterIds.assign (meterIDs, meterIDs + meterCount);

    return addField (std::move (record));
}

AAX_Result HostComponentDescriptor::AddMIDINode (AAX_CFieldIndex field, AAX_EMIDINodeType nodeType, const char* name, uint32_t channelMask)
{
    if (field < 0)
        return AAX_ERROR_INVALID_FIELD_INDEX;

    FieldRecord record { FieldRecord::Kind::midiNode, static_cast<std::uint32_t> (field), nodeType, channelMask, textOrEmpty (name), {} };
    return addField (std::move (record));
}

AAX_Result HostComponentDescriptor::AddReservedField (AAX_CFieldIndex field, uint32_t fieldType)
{
    return addField (FieldRecord::Kind::reservedField, field, fieldType);
}

AAX_Result HostComponentDescriptor::AddTemporaryData (AAX_CFieldIndex field, uint32_t elementSize)
{
    return addField (FieldRecord::Kind::temporaryData, field, elementSize);
}

AAX_Result HostComponentDescriptor::addProcessProc (ProcessProcRecord proc, IACFUnknown* properties, AAX_CSelector* outProcID)
{
    // The properties say which plug-in type the procedure serves; without them the host could
    // never match it to an instance.
    const auto* map = HostObject::as<HostPropertyMap> (properties);

    if (map == nullptr)
        return properties == nullptr ? AAX_ERROR_NULL_OBJECT : AAX_ERROR_INVALID_ARGUMENT;

    proc.properties = map->getProperties();
    proc.id = getContext().takeProcessProcId();

    if (outProcID != nullptr)
        *outProcID = proc.id;

    record.processProcs.push_back (std::move (proc));
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddProcessProc_Native (AAX_CProcessProc processProc, IACFUnknown* properties,
                                                           AAX_CInstanceInitProc instanceInitProc,
                                                           AAX_CBackgroundProc backgroundProc, AAX_CSelector* outProcID)
{
    // A component without a procedure could never process: refuse it now rather than
    // call a null pointer on the audio thread later.
    if (processProc == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    ProcessProcRecord proc;
    proc.kind = ProcessProcRecord::Kind::native;
    proc.processProc = reinterpret_cast<const void*> (processProc);
    proc.instanceInitProc = reinterpret_cast<const void*> (instanceInitProc);
    proc.backgroundProc = reinterpret_cast<const void*> (backgroundProc);
    return addProcessProc (std::move (proc), properties, outProcID);
}

AAX_Result HostComponentDescriptor::AddProcessProc_TI (const char* dllFileName, const char* processProcSymbol, IACFUnknown* properties,
                                                       const char* instanceInitProcSymbol, const char* backgroundProcSymbol,
                                                       AAX_CSelector* outProcID)
{
    if (dllFileName == nullptr || processProcSymbol == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    ProcessProcRecord proc;
    proc.kind = ProcessProcRecord::Kind::ti;
    proc.dllFileName = dllFileName;
    proc.processProcSymbol = processProcSymbol;
    proc.instanceInitSymbol = textOrEmpty (instanceInitProcSymbol);
    proc.backgroundSymbol = textOrEmpty (backgroundProcSymbol);
    return addProcessProc (std::move (proc), properties, outProcID);
}

AAX_Result HostComponentDescriptor::AddProcessProc (IACFUnknown* properties, AAX_CSelector* outProcIDs, int32_t procIDsSize)
{
    const auto* map = HostObject::as<HostPropertyMap> (properties);

    if (map == nullptr)
        return properties == nullptr ? AAX_ERROR_NULL_OBJECT : AAX_ERROR_INVALID_ARGUMENT;

    std::vector<AAX_CSelector> ids;
    AAX_Result result = AAX_SUCCESS;

    if (hasProperty (*map, AAX_eProperty_PlugInID_Native) || hasProperty (*map, AAX_eProperty_PlugInID_AudioSuite))
    {
        AAX_CSelector id = 0;
        result = AddProcessProc_Native (pointerProperty<AAX_CProcessProc> (*map, AAX_eProperty_NativeProcessProc),
                                        properties,
                                        pointerProperty<AAX_CInstanceInitProc> (*map, AAX_eProperty_NativeInstanceInitProc),
                                        pointerProperty<AAX_CBackgroundProc> (*map, AAX_eProperty_NativeBackgroundProc),
                                        &id);
        if (result == AAX_SUCCESS)
            ids.push_back (id);
    }

    if (result == AAX_SUCCESS && hasProperty (*map, AAX_eProperty_PlugInID_TI))
    {
        AAX_CSelector id = 0;
        result = AddProcessProc_TI (pointerProperty<const char*> (*map, AAX_eProperty_TIDLLFileName),
                                    pointerProperty<const char*> (*map, AAX_eProperty_TIProcessProc),
                                    properties,
                                    pointerProperty<const char*> (*map, AAX_eProperty_TIInstanceInitProc),
                                    pointerProperty<const char*> (*map, AAX_eProperty_TIBackgroundProc),
                                    &id);
        if (result == AAX_SUCCESS)
            ids.push_back (id);
    }

    if (result != AAX_SUCCESS || outProcIDs == nullptr)
        return result;

    // The list ends with a 0, so it needs one more slot than there are ids.
    if (procIDsSize < 0 || ids.size() >= static_cast<size_t> (procIDsSize))
        return AAX_ERROR_ARGUMENT_BUFFER_OVERFLOW;

    std::copy (ids.begin(), ids.end(), outProcIDs);
    outProcIDs[ids.size()] = 0;
    return AAX_SUCCESS;
}

} // namespace tanglefix::host
