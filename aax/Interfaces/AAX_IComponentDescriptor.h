#pragma once

#include "AAX_IPropertyMap.h"

/** One processing component of an effect: the fields of its algorithm's context, in the
    order of the context's members, and its process procedures. */
class AAX_IComponentDescriptor
{
public:
    virtual ~AAX_IComponentDescriptor() = default;

    virtual AAX_Result Clear() = 0;
    virtual AAX_Result AddAudioIn (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddAudioOut (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddAudioBufferLength (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddSampleRate (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddClock (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddSideChainIn (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddDataInPort (AAX_CFieldIndex field, uint32_t packetSize,
                                      AAX_EDataInPortType portType = AAX_eDataInPortType_Buffered) = 0;
    virtual AAX_Result AddAuxOutputStem (AAX_CFieldIndex field, int32_t stemFormat, const char* name) = 0;
    virtual AAX_Result AddPrivateData (AAX_CFieldIndex field, int32_t dataSize,
                                       uint32_t options = AAX_ePrivateDataOptions_DefaultOptions) = 0;
    virtual AAX_Result AddTemporaryData (AAX_CFieldIndex field, uint32_t elementSize) = 0;
    virtual AAX_Result AddDmaInstance (AAX_CFieldIndex field, uint32_t mode) = 0;
    virtual AAX_Result AddMeters (AAX_CFieldIndex field, const AAX_CTypeID* meterIDs, uint32_t meterCount) = 0;
    virtual AAX_Result AddMIDINode (AAX_CFieldIndex field, AAX_EMIDINodeType nodeType,
                                    const char* name, uint32_t channelMask) = 0;
    virtual AAX_Result AddReservedField (AAX_CFieldIndex field, uint32_t fieldType) = 0;

    /** A new property map owned by this descriptor. */
    virtual AAX_IPropertyMap* NewPropertyMap() = 0;

    /** A new property map owned by this descriptor, holding a copy of the source's properties. */
    virtual AAX_IPropertyMap* DuplicatePropertyMap (AAX_IPropertyMap* source) = 0;

    virtual AAX_Result AddProcessProc_Native (AAX_CProcessProc processProc,
                                              AAX_IPropertyMap* properties = nullptr,
                                              AAX_CInstanceInitProc instanceInitProc = nullptr,
                                              AAX_CBackgroundProc backgroundProc = nullptr,
                                              AAX_CSelector* outProcID = nullptr) = 0;
    virtual AAX_Result AddProcessProc_TI (const char* dllFileName, const char* processProcSymbol,
                                          AAX_IPropertyMap* properties,
                                          const char* instanceInitProcSymbol = nullptr,
                                          const char* backgroundProcSymbol = nullptr,
                                          AAX_CSelector* outProcID = nullptr) = 0;

    /** Registers every process procedure that the properties name. When outProcIDs is given,
        the ids are written to it followed by a 0. */
    virtual AAX_Result AddProcessProc (AAX_IPropertyMap* properties, AAX_CSelector* outProcIDs = nullptr,
                                       int32_t procIDsSize = 0) = 0;

    /** Registers a process procedure written for a context type of its own. The host calls
        it with the context layout declared by the Add... calls above, so only the pointer
        type differs from AAX_CProcessProc. */
    template <typename ContextType>
    AAX_Result AddProcessProc_Native (void (AAX_CALLBACK* processProc) (ContextType* const instancesBegin[], const void* const instancesEnd),
                                      AAX_IPropertyMap* properties = nullptr,
                                      int32_t (AAX_CALLBACK* instanceInitProc) (const ContextType*, AAX_EComponentInstanceInitAction) = nullptr,
                                      AAX_CBackgroundProc backgroundProc = nullptr,
                                      AAX_CSelector* outProcID = nullptr)
    {
        // Going through the generic function-pointer type keeps the conversion explicit.
        using GenericProc = void (*)();
        const auto init = instanceInitProc != nullptr
                            ? reinterpret_cast<AAX_CInstanceInitProc> (reinterpret_cast<GenericProc> (instanceInitProc))
                            : nullptr;

        return AddProcessProc_Native (reinterpret_cast<AAX_CProcessProc> (reinterpret_cast<GenericProc> (processProc)),
                                      properties, init, backgroundProc, outProcID);
    }
};
