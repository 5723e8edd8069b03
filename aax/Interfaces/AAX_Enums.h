#pragma once

// Enumerations shared by the host and the plug-in. Values that travel between the two
// (property ids, stem formats, support levels...) are fixed here once for both sides.

#include <cstdint>

/** A four-character code as a 32-bit value, first character in the most significant byte. */
constexpr uint32_t AAX_FourCharCode (char a, char b, char c, char d) noexcept
{
    return (static_cast<uint32_t> (static_cast<uint8_t> (a)) << 24)
         | (static_cast<uint32_t> (static_cast<uint8_t> (b)) << 16)
         | (static_cast<uint32_t> (static_cast<uint8_t> (c)) << 8)
         |  static_cast<uint32_t> (static_cast<uint8_t> (d));
}

//==============================================================================
// Stem formats: the layout index in the upper 16 bits (signed), the channel count in the
// lower 16 bits.

constexpr int32_t AAX_MakeStemFormat (int16_t layoutIndex, uint16_t numChannels) noexcept
{
    return static_cast<int32_t> ((static_cast<uint32_t> (static_cast<uint16_t> (layoutIndex)) << 16) | numChannels);
}

constexpr int16_t AAX_StemFormatIndex (int32_t stemFormat) noexcept
{
    return static_cast<int16_t> (static_cast<uint16_t> (static_cast<uint32_t> (stemFormat) >> 16));
}

constexpr uint16_t AAX_StemFormatChannelCount (int32_t stemFormat) noexcept
{
    return static_cast<uint16_t> (static_cast<uint32_t> (stemFormat) & 0xffffu);
}

#define AAX_STEM_FORMAT_INDEX(stemFormat)          AAX_StemFormatIndex (static_cast<int32_t> (stemFormat))
#define AAX_STEM_FORMAT_CHANNEL_COUNT(stemFormat)  AAX_StemFormatChannelCount (static_cast<int32_t> (stemFormat))

enum AAX_EStemFormat : int32_t
{
    AAX_eStemFormat_Mono        = AAX_MakeStemFormat (0, 1),
    AAX_eStemFormat_Stereo      = AAX_MakeStemFormat (1, 2),
    AAX_eStemFormat_LCR         = AAX_MakeStemFormat (2, 3),
    AAX_eStemFormat_LCRS        = AAX_MakeStemFormat (3, 4),
    AAX_eStemFormat_Quad        = AAX_MakeStemFormat (4, 4),
    AAX_eStemFormat_5_0         = AAX_MakeStemFormat (5, 5),
    AAX_eStemFormat_5_1         = AAX_MakeStemFormat (6, 6),
    AAX_eStemFormat_6_0         = AAX_MakeStemFormat (7, 6),
    AAX_eStemFormat_6_1         = AAX_MakeStemFormat (8, 7),
    AAX_eStemFormat_7_0_SDDS    = AAX_MakeStemFormat (9, 7),
    AAX_eStemFormat_7_1_SDDS    = AAX_MakeStemFormat (10, 8),
    AAX_eStemFormat_7_0_DTS     = AAX_MakeStemFormat (11, 7),
    AAX_eStemFormat_7_1_DTS     = AAX_MakeStemFormat (12, 8),
    AAX_eStemFormat_7_0_2       = AAX_MakeStemFormat (13, 9),
    AAX_eStemFormat_7_1_2       = AAX_MakeStemFormat (14, 10),
    AAX_eStemFormat_Ambi_1_ACN  = AAX_MakeStemFormat (15, 4),
    AAX_eStemFormat_Ambi_2_ACN  = AAX_MakeStemFormat (16, 9),
    AAX_eStemFormat_Ambi_3_ACN  = AAX_MakeStemFormat (17, 16),
    AAX_eStemFormat_Reserved_1  = AAX_MakeStemFormat (18, 0),
    AAX_eStemFormat_Reserved_2  = AAX_MakeStemFormat (19, 0),
    AAX_eStemFormat_Reserved_3  = AAX_MakeStemFormat (20, 0),

    AAX_eStemFormatNum          = 21,                              // number of layouts, not a format
    AAX_eStemFormat_None        = AAX_MakeStemFormat (-1, 0),      // 0xFFFF0000
    AAX_eStemFormat_Any         = AAX_MakeStemFormat (-100, 0),    // 0xFF9C0000
    AAX_eStemFormat_INT32_MAX   = 0x7fffffff
};

/** The highest layout index that every host understands without being asked. */
static constexpr int16_t AAX_eStemFormat_MaxUniversalIndex = 12;

//==============================================================================
/** Property ids of a property map. */
enum AAX_EProperty : int32_t
{
    AAX_eProperty_NoID                                  = 0,
    AAX_eProperty_MinProp                               = 10,

    AAX_eProperty_ManufacturerID                        = 11,
    AAX_eProperty_ProductID                             = 12,
    AAX_eProperty_PlugInID_Native                       = 13,
    AAX_eProperty_PlugInID_AudioSuite                   = 14,
    AAX_eProperty_PlugInID_TI                           = 15,

    // Pointer properties: without the host's 64-bit property support they are kept by
    // the plug-in's own property-map wrapper.
    AAX_eProperty_NativeProcessProc                     = 36,
    AAX_eProperty_NativeInstanceInitProc                = 37,
    AAX_eProperty_NativeBackgroundProc                  = 38,
    AAX_eProperty_TIDLLFileName                         = 39,
    AAX_eProperty_TIProcessProc                         = 40,
    AAX_eProperty_TIInstanceInitProc                    = 41,
    AAX_eProperty_TIBackgroundProc                      = 42,

    AAX_eProperty_InputStemFormat                       = 51,
    AAX_eProperty_OutputStemFormat                      = 52,
    AAX_eProperty_AudioBufferLength                     = 54,
    AAX_eProperty_CanBypass                             = 60,

    AAX_eProperty_SupportsSideChainInput                = 116,
    AAX_eProperty_SupportsSaveRestore                   = 117,
    AAX_eProperty_ObservesTransportState                = 118,

    AAX_eProperty_Meter_Type                            = 200,
    AAX_eProperty_Meter_Orientation                     = 201,

    AAX_eProperty_Constraint_AlwaysProcess              = 302,
    AAX_eProperty_Constraint_DoNotApplyDefaultSettings  = 303,
    AAX_eProperty_Constraint_MultiMonoSupport           = 304,

    AAX_eProperty_MaxProp                               = 401
};

/** How far a host supports a feature. */
enum AAX_ESupportLevel : int32_t
{
    AAX_eSupportLevel_Uninitialized = 0,
    AAX_eSupportLevel_Unsupported   = 1,
    AAX_eSupportLevel_Supported     = 2,
    AAX_eSupportLevel_Disabled      = 3,
    AAX_eSupportLevel_ByProperty    = 4    // ask the feature's property map, one entry per item
};

//==============================================================================
enum AAX_EParameterType : int32_t
{
    AAX_eParameterType_Discrete   = 0,
    AAX_eParameterType_Continuous = 1
};

/** Orientation flags of a parameter's control; combined with |. */
typedef int32_t AAX_EParameterOrientation;

enum AAX_EParameterOrientationBits : int32_t
{
    AAX_eParameterOrientation_Default                = 0,
    AAX_eParameterOrientation_BottomMinTopMax        = 0,
    AAX_eParameterOrientation_TopMinBottomMax        = 1 << 0,
    AAX_eParameterOrientation_LeftMinRightMax        = 0,
    AAX_eParameterOrientation_RightMinLeftMax        = 1 << 1,
    AAX_eParameterOrientation_RotarySingleDotMode    = 0,
    AAX_eParameterOrientation_RotaryBoostCutMode     = 1 << 2,
    AAX_eParameterOrientation_RotaryWrapMode         = 1 << 3,
    AAX_eParameterOrientation_RotaryLeftMinRightMax  = 0,
    AAX_eParameterOrientation_RotaryRightMinLeftMax  = 1 << 4
};

/** Where a new parameter value came from. */
enum AAX_EUpdateSource : int32_t
{
    AAX_eUpdateSource_Unspecified = 0,
    AAX_eUpdateSource_Parameter   = 1,
    AAX_eUpdateSource_Chunk       = 2,
    AAX_eUpdateSource_Delay       = 3
};

/** Selectors of GetParameterValueInfo. */
enum AAX_EParameterValueInfoSelector : int32_t
{
    AAX_ePageTable_EQ_Band_Type = 0
};

//==============================================================================
enum AAX_EMeterType : int32_t
{
    AAX_eMeterType_Input    = 0,
    AAX_eMeterType_Output   = 1,
    AAX_eMeterType_CLGain   = 2,
    AAX_eMeterType_EGGain   = 3,
    AAX_eMeterType_Analysis = 4,
    AAX_eMeterType_Other    = 5
};

enum AAX_EMeterOrientation : int32_t
{
    AAX_eMeterOrientation_Default  = 0,
    AAX_eMeterOrientation_TopRight = 1
};

enum AAX_ECurveType : uint32_t
{
    AAX_eCurveType_None      = 0,
    AAX_eCurveType_EQ        = AAX_FourCharCode ('c', 'r', 'E', 'Q'),
    AAX_eCurveType_Dynamics  = AAX_FourCharCode ('c', 'r', 'D', 'y'),
    AAX_eCurveType_Reduction = AAX_FourCharCode ('c', 'r', 'G', 'R')
};

enum AAX_EHighlightColor : int32_t
{
    AAX_eHighlightColor_Red    = 0,
    AAX_eHighlightColor_Blue   = 1,
    AAX_eHighlightColor_Green  = 2,
    AAX_eHighlightColor_Yellow = 3,
    AAX_eHighlightColor_Num    = 4
};

/** Keyboard modifier bits reported by a view container. */
enum AAX_EModifiers : uint32_t
{
    AAX_eModifiers_None    = 0,
    AAX_eModifiers_Shift   = 1u << 0,
    AAX_eModifiers_Control = 1u << 1,
    AAX_eModifiers_Alt     = 1u << 2,
    AAX_eModifiers_Command = 1u << 3
};

/** What kind of native view a view container holds. */
enum AAX_EViewContainer_Type : int32_t
{
    AAX_eViewContainer_Type_NULL   = 0,
    AAX_eViewContainer_Type_NSView = 1,
    AAX_eViewContainer_Type_HWND   = 2,    // the platform window handle elsewhere (an X11 window on Linux)
    AAX_eViewContainer_Type_UIView = 3
};

/** Labels a GUI may supply through GetCustomLabel. */
enum AAX_EPlugInStrings : int32_t
{
    AAX_ePlugInStrings_Analysis   = 0,
    AAX_ePlugInStrings_MonoMode   = 1,
    AAX_ePlugInStrings_MultiInput = 2
};

//==============================================================================
/** Notifications from the host; the type travels as a four-character code. */
enum AAX_ENotificationEvent : uint32_t
{
    AAX_eNotificationEvent_EnteringOfflineMode        = AAX_FourCharCode ('n', 'O', 'f', 'I'),
    AAX_eNotificationEvent_ExitingOfflineMode         = AAX_FourCharCode ('n', 'O', 'f', 'O'),
    AAX_eNotificationEvent_ASProcessingState          = AAX_FourCharCode ('n', 'A', 'S', 's'),
    AAX_eNotificationEvent_ASPreviewState             = AAX_FourCharCode ('A', 'S', 'P', 'v'),
    AAX_eNotificationEvent_TrackNameChanged           = AAX_FourCharCode ('n', 'T', 'r', 'N'),
    AAX_eNotificationEvent_SideChainBeingConnected    = AAX_FourCharCode ('n', 'S', 'c', 'C'),
    AAX_eNotificationEvent_SideChainBeingDisconnected = AAX_FourCharCode ('n', 'S', 'c', 'D'),
    AAX_eNotificationEvent_TransportStateChanged      = AAX_FourCharCode ('n', 'T', 'p', 'S')
};

/** The data of an AudioSuite processing-state notification. */
enum AAX_EProcessingState : int32_t
{
    AAX_eProcessingState_StartPass      = 0,
    AAX_eProcessingState_StopPass       = 1,
    AAX_eProcessingState_BeginPassGroup = 2,
    AAX_eProcessingState_EndPassGroup   = 3
};

enum AAX_EFrameRate : int32_t
{
    AAX_eFrameRate_Undeclared    = 0,
    AAX_eFrameRate_24Frame       = 1,
    AAX_eFrameRate_25Frame       = 2,
    AAX_eFrameRate_2997NonDrop   = 3,
    AAX_eFrameRate_2997DropFrame = 4,
    AAX_eFrameRate_30NonDrop     = 5,
    AAX_eFrameRate_30DropFrame   = 6,
    AAX_eFrameRate_23976         = 7
};

enum AAX_EFeetFramesRate : int32_t
{
    AAX_eFeetFramesRate_23976 = 0,
    AAX_eFeetFramesRate_24    = 1,
    AAX_eFeetFramesRate_25    = 2
};

//==============================================================================
enum AAX_EMIDINodeType : int32_t
{
    AAX_eMIDINodeType_LocalInput  = 0,
    AAX_eMIDINodeType_LocalOutput = 1,
    AAX_eMIDINodeType_Global      = 2,
    AAX_eMIDINodeType_Transport   = 3
};

enum AAX_EResourceType : uint32_t
{
    AAX_eResourceType_None         = 0,
    AAX_eResourceType_PageTable    = 1,
    AAX_eResourceType_PageTableDir = 2
};

/** Block lengths as powers of two; the host never asks for more than 1 << _Max samples. */
enum AAX_EAudioBufferLength : int32_t
{
    AAX_eAudioBufferLength_Undefined = -1,
    AAX_eAudioBufferLength_1         = 0,
    AAX_eAudioBufferLength_16        = 4,
    AAX_eAudioBufferLength_32        = 5,
    AAX_eAudioBufferLength_64        = 6,
    AAX_eAudioBufferLength_1024      = 10,
    AAX_eAudioBufferLength_Max       = 10
};

enum AAX_EDataInPortType : uint32_t
{
    AAX_eDataInPortType_Unbuffered = 0,
    AAX_eDataInPortType_Buffered   = 1,    // every packet posted reaches the algorithm
    AAX_eDataInPortType_Incremental = 2
};

enum AAX_EPrivateDataOptions : uint32_t
{
    AAX_ePrivateDataOptions_DefaultOptions = 0,
    AAX_ePrivateDataOptions_KeepOnReset    = 1u << 0
};

enum AAX_ETextEncoding : uint32_t
{
    AAX_eTextEncoding_Undefined = 0,
    AAX_eTextEncoding_UTF8      = 1
};

enum AAX_ETargetPlatform : int32_t
{
    AAX_eTargetPlatform_None   = 0,
    AAX_eTargetPlatform_Native = 1,
    AAX_eTargetPlatform_TI     = 2
};

/** Priorities of traces sent to the host. */
enum AAX_ETracePriorityHost : int32_t
{
    AAX_eTracePriorityHost_None     = 0,
    AAX_eTracePriorityHost_Lowest   = 0x01000000,
    AAX_eTracePriorityHost_Low      = 0x02000000,
    AAX_eTracePriorityHost_Normal   = 0x04000000,
    AAX_eTracePriorityHost_High     = 0x08000000,
    AAX_eTracePriorityHost_Critical = 0x10000000
};

/** How the host should report an assertion failure. */
enum AAX_EAssertFlags : int32_t
{
    AAX_eAssertFlags_Default = 0,
    AAX_eAssertFlags_Log     = 1 << 0,
    AAX_eAssertFlags_Dialog  = 1 << 1
};
