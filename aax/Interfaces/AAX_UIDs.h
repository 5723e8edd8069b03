#pragma once

// The 16-byte ids of this host interface: interface ids (one per version of an interface),
// component ids (what the host's component factory creates) and host feature ids. They
// are this project's own; a host speaking to this plug-in uses the same header.

#include "AAX.h"

namespace AAX_UIDs
{
    /** Every id shares its last 12 bytes and differs in the kind (interface, component,
        feature) and the running number of its first four. */
    constexpr acfUID make (uint32_t kind, uint32_t number) noexcept
    {
        return { (kind << 16) | number, 0x7a41, 0x4c5b, { 0x93, 0x0e, 0x61, 0xc2, 0x58, 0xd7, 0x2b, 0x4f } };
    }

    constexpr uint32_t interfaceKind = 0x5441;   // ids of interfaces
    constexpr uint32_t componentKind = 0x5443;   // ids of host components
    constexpr uint32_t featureKind   = 0x5446;   // ids of host features
}

//==============================================================================
// The object model
inline constexpr acfIID IID_IACFUnknown                  = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0001);
inline constexpr acfIID IID_IACFComponentFactory         = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0002);
inline constexpr acfIID IID_IACFDefinition               = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0003);
inline constexpr acfIID IID_IACFPluginDefinition         = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0004);

//==============================================================================
// Description-time host interfaces
inline constexpr acfIID IID_IAAXCollectionV1             = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0101);
inline constexpr acfIID IID_IAAXEffectDescriptorV1       = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0111);
inline constexpr acfIID IID_IAAXEffectDescriptorV2       = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0112);
inline constexpr acfIID IID_IAAXComponentDescriptorV1    = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0121);
inline constexpr acfIID IID_IAAXComponentDescriptorV2    = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0122);
inline constexpr acfIID IID_IAAXComponentDescriptorV3    = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0123);
inline constexpr acfIID IID_IAAXPropertyMapV1            = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0131);
inline constexpr acfIID IID_IAAXPropertyMapV2            = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0132);
inline constexpr acfIID IID_IAAXPropertyMapV3            = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0133);
inline constexpr acfIID IID_IAAXDescriptionHostV1        = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0141);
inline constexpr acfIID IID_IAAXFeatureInfoV1            = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0151);
inline constexpr acfIID IID_IAAXHostServicesV1           = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0161);
inline constexpr acfIID IID_IAAXHostServicesV2           = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0162);
inline constexpr acfIID IID_IAAXHostServicesV3           = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0163);

//==============================================================================
// Run-time host interfaces
inline constexpr acfIID IID_IAAXControllerV1             = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0201);
inline constexpr acfIID IID_IAAXControllerV2             = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0202);
inline constexpr acfIID IID_IAAXControllerV3             = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0203);
inline constexpr acfIID IID_IAAXPageTableControllerV1    = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0211);
inline constexpr acfIID IID_IAAXPageTableControllerV2    = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0212);
inline constexpr acfIID IID_IAAXAutomationDelegateV1     = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0221);
inline constexpr acfIID IID_IAAXTransportV1              = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0231);
inline constexpr acfIID IID_IAAXTransportV2              = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0232);
inline constexpr acfIID IID_IAAXViewContainerV1          = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0241);
inline constexpr acfIID IID_IAAXViewContainerV2          = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0242);
inline constexpr acfIID IID_IAAXPageTableV1              = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0251);
inline constexpr acfIID IID_IAAXPageTableV2              = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0252);

//==============================================================================
// Interfaces the plug-in implements and the host asks for
inline constexpr acfIID IID_IAAXEffectParametersV1       = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0301);
inline constexpr acfIID IID_IAAXEffectParametersV2       = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0302);
inline constexpr acfIID IID_IAAXEffectParametersV3       = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0303);
inline constexpr acfIID IID_IAAXEffectParametersV4       = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0304);
inline constexpr acfIID IID_IAAXEffectGUIV1              = AAX_UIDs::make (AAX_UIDs::interfaceKind, 0x0311);

//==============================================================================
// Components that the host's factory creates
inline constexpr acfCLSID AAXCompID_HostServices         = AAX_UIDs::make (AAX_UIDs::componentKind, 0x0001);
inline constexpr acfCLSID AAXCompID_AAXCollection        = AAX_UIDs::make (AAX_UIDs::componentKind, 0x0002);
inline constexpr acfCLSID AAXCompID_EffectDescriptor     = AAX_UIDs::make (AAX_UIDs::componentKind, 0x0003);
inline constexpr acfCLSID AAXCompID_ComponentDescriptor  = AAX_UIDs::make (AAX_UIDs::componentKind, 0x0004);
inline constexpr acfCLSID AAXCompID_PropertyMap          = AAX_UIDs::make (AAX_UIDs::componentKind, 0x0005);
inline constexpr acfCLSID AAXCompID_PageTable            = AAX_UIDs::make (AAX_UIDs::componentKind, 0x0006);

//==============================================================================
// Host features a plug-in may ask about at description time
inline constexpr AAX_Feature_UID AAXATTR_ClientFeature_StemFormat = AAX_UIDs::make (AAX_UIDs::featureKind, 0x0001);
