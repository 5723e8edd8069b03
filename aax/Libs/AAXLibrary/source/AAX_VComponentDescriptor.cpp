#include "AAX_VComponentDescriptor.h"
#include "AAX_VPropertyMap.h"
#include "AAX_CHostServices.h"
#include "AAX_Exception.h"
#include "AAX_HostComponents.h"

#include <vector>

namespace
{
    const char* const assertSource = "Libs/AAXLibrary/source/AAX_VComponentDescriptor";

    template <typename Procedure>
    Procedure pointerPropertyAs (const AAX_IPropertyMap& properties, AAX_EProperty property)
    {
        const void* value = nullptr;

        if (! properties.GetPointerProperty (property, &value))
            return nullptr;

        return reinterpret_cast<Procedure> (const_cast<void*> (value));
    }

    bool hasProperty (const AAX_IPropertyMap& properties, AAX_EProperty property)
    {
        AAX_CPropertyValue value = 0;
        return properties.GetProperty (property, &value) != 0;
    }
}

AAX_VComponentDescriptor::AAX_VComponentDescriptor (IACFUnknown* hostUnknown)
    : mHostUnknown (AAX::Retain (hostUnknown)),
      mComponentDescriptorV1 (AAX::CreateHostComponent<AAX_IACFComponentDescriptor> (hostUnknown, AAXCompID_ComponentDescriptor,
                                                                                     IID_IAAXComponentDescriptorV1)),
      mComponentDescriptorV2 (AAX::QueryHostInterface<AAX_IACFComponentDescriptor_V2> (mComponentDescriptorV1.get(), IID_IAAXComponentDescriptorV2)),
      mComponentDescriptorV3 (AAX::QueryHostInterface<AAX_IACFComponentDescriptor_V3> (mComponentDescriptorV1.get(), IID_IAAXComponentDescriptorV3))
{
}

AAX_VComponentDescriptor::~AAX_VComponentDescriptor() = default;

AAX_Result AAX_VComponentDescriptor::Clear()
{
    return mComponentDescriptorV1 ? mComponentDescriptorV1->Clear() : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VComponentDescriptor::AddAudioIn (AAX_CFieldIndex field)
{
    return mComponentDescriptorV1 ? mComponentDescriptorV1->AddAudioIn (field) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VComponentDescriptor::AddAudioOut (AAX_CFieldIndex field)
{
    return mComponentDescriptorV1 ? mComponentDescriptorV1->AddAudioOut (field) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VComponentDescriptor::AddAudioBufferLength (AAX_CFieldIndex field)
{
    return mComponentDescriptorV1 ? mComponentDescriptorV1->AddAudioBufferLength (field) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VComponentDescriptor::AddSampleRate (AAX_CFieldIndex field)
{
    return mComponentDescriptorV1 ? mComponentDescriptorV1->AddSampleRate (field) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VComponentDescriptor::AddClock (AAX_CFieldIndex field)
{
    return mComponentDescriptorV1 ? mComponentDescriptorV1->AddClock (field) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VComponentDescriptor::AddSideChainIn (AAX_CFieldIndex field)
{
    return mComponentDescriptorV1 ? mComponentDescriptorV1->AddSideChainIn (field) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VComponentDescriptor::AddDataInPort (AAX_CFieldIndex field, uint32_t packetSize, AAX_EDataInPortType portType)
{
    return mComponentDescriptorV1 ? mComponentDescriptorV1->AddDataInPort (field, packetSize, portType) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VComponentDescriptor::AddAuxOutputStem (AAX_CFieldIndex field, int32_t stemFormat, const char* name)
{
    return mComponentDescriptorV1 ? mComponentDescriptorV1->AddAuxOutputStem (field, stemFormat, name) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VComponentDescriptor::AddPrivateData (AAX_CFieldIndex field, int32_t dataSize, uint32_t options)
{
    return mComponentDescriptorV1 ? mComponentDescriptorV1->AddPrivateData (field, dataSize, options) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VComponentDescriptor::AddTemporaryData (AAX_CFieldIndex field, uint32_t elementSize)
{
    return mComponentDescriptorV2 ? mComponentDescriptorV2->AddTemporaryData (field, elementSize) : AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_VComponentDescriptor::AddDmaInstance (AAX_CFieldIndex field, uint32_t mode)
{
    return mComponentDescriptorV1 ? mComponentDescriptorV1->AddDmaInstance (field, mode) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VComponentDescriptor::AddMeters (AAX_CFieldIndex field, const AAX_CTypeID* meterIDs, uint32_t meterCount)
{
    return mComponentDescriptorV1 ? mComponentDescriptorV1->AddMeters (field, meterIDs, meterCount) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VComponentDescriptor::AddMIDINode (AAX_CFieldIndex field, AAX_EMIDINodeType nodeType,
                                                  const char* name, uint32_t channelMask)
{
    return mComponentDescriptorV1 ? mComponentDescriptorV1->AddMIDINode (field, nodeType, name, channelMask) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VComponentDescriptor::AddReservedField (AAX_CFieldIndex field, uint32_t fieldType)
{
    return mComponentDescriptorV1 ? mComponentDescriptorV1->AddReservedField (field, fieldType) : AAX_ERROR_NULL_OBJECT;
}

//==============================================================================
AAX_VPropertyMap* AAX_VComponentDescriptor::MakePropertyMap()
{
    std::unique_ptr<AAX_VPropertyMap> map (AAX_VPropertyMap::Create (mHostUnknown.get()));

    if (map == nullptr)
        return nullptr;

    mPropertyMaps.push_back (std::move (map));
    return mPropertyMaps.back().get();
}

AAX_VPropertyMap* AAX_VComponentDescriptor::CopyPropertyMap (AAX_IPropertyMap* source)
{
    auto* copy = MakePropertyMap();

    if (copy == nullptr || source == nullptr)
        return copy;

    for (int32_t id = AAX_eProperty_MinProp; id <= AAX_eProperty_MaxProp; ++id)
    {
        const auto property = static_cast<AAX_EProperty> (id);
        AAX_CPropertyValue value = 0;
        const void* pointer = nullptr;

        if (source->GetProperty (property, &value))
            copy->AddProperty (property, value);
        else if (source->GetPointerProperty (property, &pointer))
            copy->AddPointerProperty (property, pointer);
    }

    return copy;
}

AAX_IPropertyMap* AAX_VComponentDescriptor::NewPropertyMap()
{
    return AAX::NewOwnedPropertyMap (mHostUnknown.get(), mPropertyMaps);
}

AAX_IPropertyMap* AAX_VComponentDescriptor::DuplicatePropertyMap (AAX_IPropertyMap* source)
{
    auto* copy = CopyPropertyMap (source);

    if (copy == nullptr)
        AAX_CheckedResult { AAX_ERROR_NULL_OBJECT };    // traces and throws

    return copy;
}

//==============================================================================
AAX_Result AAX_VComponentDescriptor::AddProcessProc_Native (AAX_CProcessProc processProc, AAX_IPropertyMap* properties,
                                                            AAX_CInstanceInitProc instanceInitProc,
                                                            AAX_CBackgroundProc backgroundProc, AAX_CSelector* outProcID)
{
    if (! mComponentDescriptorV1)
        return AAX_ERROR_NULL_OBJECT;

    if (processProc == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    return mComponentDescriptorV1->AddProcessProc_Native (processProc, properties != nullptr ? properties->GetIUnknown() : nullptr,
                                                          instanceInitProc, backgroundProc, outProcID);
}

AAX_Result AAX_VComponentDescriptor::AddProcessProc_TI (const char* dllFileName, const char* processProcSymbol,
                                                        AAX_IPropertyMap* properties, const char* instanceInitProcSymbol,
                                                        const char* backgroundProcSymbol, AAX_CSelector* outProcID)
{
    if (! mComponentDescriptorV1)
        return AAX_ERROR_NULL_OBJECT;

    return mComponentDescriptorV1->AddProcessProc_TI (dllFileName, processProcSymbol,
                                                      properties != nullptr ? properties->GetIUnknown() : nullptr,
                                                      instanceInitProcSymbol, backgroundProcSymbol, outProcID);
}

AAX_Result AAX_VComponentDescriptor::AddProcessProc (AAX_IPropertyMap* properties, AAX_CSelector* outProcIDs, int32_t procIDsSize)
{
    if (mComponentDescriptorV3)
        return mComponentDescriptorV3->AddProcessProc (properties != nullptr ? properties->GetIUnknown() : nullptr,
                                                       outProcIDs, procIDsSize);

    if (properties == nullptr || ! mComponentDescriptorV1)
        return AAX_ERROR_NULL_OBJECT;

    return ManuallyAddProcessProcs (*properties, outProcIDs, procIDsSize);
}

AAX_IPropertyMap* AAX_VComponentDescriptor::ChooseNativeProperties (AAX_IPropertyMap& properties)
{
    // The native procedure is registered without the audio-buffer-length property, which
    // belongs to other kinds of procedure: on a copy, when one can be made.
    if (! hasProperty (properties, AAX_eProperty_AudioBufferLength))
        return &properties;

    auto* copy = CopyPropertyMap (&properties);

    if (copy == nullptr || copy->GetIUnknown() == nullptr)
        return &properties;

    if (! hasProperty (*copy, AAX_eProperty_AudioBufferLength))
    {
        AAX_CHostServices::HandleAssertFailure (assertSource, 89, "0 != gotPropertySuccess", AAX_eAssertFlags_Log);
        return &properties;
    }

    if (copy->RemoveProperty (AAX_eProperty_AudioBufferLength) != AAX_SUCCESS)
        AAX_CHostServices::HandleAssertFailure (assertSource, 93, "AAX_SUCCESS == removeNativeAudioBufferLengthResult",
                                                AAX_eAssertFlags_Log);

    return copy;
}

AAX_Result AAX_VComponentDescriptor::ManuallyAddProcessProcs (AAX_IPropertyMap& properties, AAX_CSelector* outProcIDs,
                                                              int32_t procIDsSize)
{
    AAX_Result result = AAX_SUCCESS;
    std::vector<AAX_CSelector> procIDs;

    const bool native = hasProperty (properties, AAX_eProperty_PlugInID_Native)
                     || hasProperty (properties, AAX_eProperty_PlugInID_AudioSuite);
    const bool ti = hasProperty (properties, AAX_eProperty_PlugInID_TI);

    if (native)
    {
        const auto processProc = pointerPropertyAs<AAX_CProcessProc> (properties, AAX_eProperty_NativeProcessProc);

        // Without a procedure there is nothing to register: AddProcessProc_Native refuses
        // it, and that failure is the result.
        if (processProc == nullptr)
            AAX_CHostServices::Trace (AAX_eTracePriorityHost_High,
                                      "AAX_VComponentDescriptor: ManuallyAddProcessProcs() - no value found for AAX_eProperty_NativeProcessProc");

        const auto initProc = pointerPropertyAs<AAX_CInstanceInitProc> (properties, AAX_eProperty_NativeInstanceInitProc);
        const auto backgroundProc = pointerPropertyAs<AAX_CBackgroundProc> (properties, AAX_eProperty_NativeBackgroundProc);

        AAX_CSelector procID = 0;
        result = AddProcessProc_Native (processProc, ChooseNativeProperties (properties), initProc, backgroundProc, &procID);

        if (result == AAX_SUCCESS)
            procIDs.push_back (procID);
    }

    if (ti && result == AAX_SUCCESS)
    {
        const auto dllFileName = pointerPropertyAs<const char*> (properties, AAX_eProperty_TIDLLFileName);

        if (dllFileName == nullptr)
            AAX_CHostServices::Trace (AAX_eTracePriorityHost_High,
                                      "AAX_VComponentDescriptor: ManuallyAddProcessProcs() - no value found for AAX_eProperty_TIDLLFileName");

        const auto processProc = pointerPropertyAs<const char*> (properties, AAX_eProperty_TIProcessProc);

        if (processProc == nullptr)
            AAX_CHostServices::Trace (AAX_eTracePriorityHost_High,
                                      "AAX_VComponentDescriptor: ManuallyAddProcessProcs() - no value found for AAX_eProperty_TIProcessProc");

        const auto initProc = pointerPropertyAs<const char*> (properties, AAX_eProperty_TIInstanceInitProc);
        const auto backgroundProc = pointerPropertyAs<const char*> (properties, AAX_eProperty_TIBackgroundProc);

        AAX_CSelector procID = 0;
        result = AddProcessProc_TI (dllFileName, processProc, &properties, initProc, backgroundProc, &procID);

        if (result == AAX_SUCCESS)
            procIDs.push_back (procID);
    }

    if (outProcIDs != nullptr && result == AAX_SUCCESS)
    {
        const auto numIDs = procIDs.size();

        // The ids and the terminating 0 must fit.
        if (numIDs > 0x7ffffffe || static_cast<int64_t> (numIDs) >= static_cast<int64_t> (procIDsSize))
            return AAX_ERROR_ARGUMENT_BUFFER_OVERFLOW;

        for (size_t i = 0; i < numIDs; ++i)
            outProcIDs[i] = procIDs[i];

        outProcIDs[numIDs] = 0;
    }

    return result;
}
