#pragma once

// The AAX host interface as the plug-in sees it.
//
// The host loads the bundle, calls its seven exported entry points (AAX_Exports.cpp) and
// from then on talks to it only through reference-counted interfaces (ACFTypes.h). Each
// host object may offer several versions of its interface, every version with its own
// 16-byte id (AAX_UIDs.h):
//   - AAX_IACF... headers declare the host-side interfaces, as a host implements them;
//   - AAX_I... headers declare the plug-in-side interfaces that our wrappers (AAX_V...)
//     and base classes (AAX_C...) implement and that JUCE's AAX wrapper calls;
//   - this header holds the basic types shared by both sides.
// All of them are pure declarations, so that a host (our stand-in included) can implement
// the AAX_IACF... interfaces without linking any of the plug-in's code.

#include "ACFTypes.h"

#include <cstddef>
#include <cstdint>

#ifndef AAX_CALLBACK
 #define AAX_CALLBACK    // the host's calling convention is the platform default
#endif

typedef int32_t  AAX_Result;
typedef uint32_t AAX_CTypeID;            // four-character codes: 'elck' is 0x656c636b
typedef uint8_t  AAX_CBoolean;
typedef const char* AAX_CParamID;        // NUL-terminated parameter identifier
typedef const char* AAX_CPageTableParamID;
typedef int32_t  AAX_CPropertyValue;
typedef int64_t  AAX_CPropertyValue64;   // pointer-sized property values
typedef int32_t  AAX_CFieldIndex;        // index of a field of the algorithm's context
typedef float    AAX_CSampleRate;
typedef uint32_t AAX_CSelector;          // id of a registered process procedure
typedef uint32_t AAX_CProcPtrID;
typedef int64_t  AAX_CTransportCounter;
typedef int32_t  AAX_CTargetPlatform;    // an AAX_ETargetPlatform
typedef uint64_t AAX_CTimeOfDay;
typedef acfUID   AAX_Feature_UID;

/** The largest identifier a parameter may have, the terminating NUL included. */
enum { eParemeterDefaultMaxIdentifierSize = 32 };

/** The identifier of the master-bypass parameter. */
static constexpr const char* cDefaultMasterBypassID = "MasterBypassID";

/** Proc ids of the two factory functions that a plug-in registers. */
enum : AAX_CProcPtrID
{
    kAAX_ProcPtrID_Create_EffectParameters = 0,
    kAAX_ProcPtrID_Create_EffectGUI        = 1
};

/** A size or position on screen, height first. */
struct AAX_Point
{
    float vert;
    float horz;
};

struct AAX_Rect
{
    float top;
    float left;
    float width;
    float height;
};

/** One plug-in type as the host identifies it. */
struct AAX_SPlugInIdentifierTriad
{
    AAX_CTypeID mManufacturerID;
    AAX_CTypeID mProductID;
    AAX_CTypeID mPlugInID;
};

/** A state chunk as it passes between host and plug-in: a header and fSize bytes of data. */
struct AAX_SPlugInChunk
{
    int32_t     fSize;
    int32_t     fVersion;
    AAX_CTypeID fManID;
    AAX_CTypeID fProdID;
    AAX_CTypeID fPlugID;
    AAX_CTypeID fChunkID;
    char        fName[32];
    char        fData[1];
};

enum AAX_EComponentInstanceInitAction : int32_t
{
    AAX_eComponentInstanceInitAction_AddingNewInstance = 0,
    AAX_eComponentInstanceInitAction_RemovingInstance  = 1,
    AAX_eComponentInstanceInitAction_ResetInstance     = 2
};

/** The real-time callback, called with a range of instance contexts. */
typedef void    (AAX_CALLBACK* AAX_CProcessProc) (void* const instancesBegin[], const void* const instancesEnd);
typedef int32_t (AAX_CALLBACK* AAX_CInstanceInitProc) (const void* instanceContext, AAX_EComponentInstanceInitAction action);
typedef int32_t (AAX_CALLBACK* AAX_CBackgroundProc) ();

/** The field index of a member of an algorithm context, whose members are all pointers. */
#define AAX_FIELD_INDEX(contextType, member) \
    (static_cast<AAX_CFieldIndex> (offsetof (contextType, member) / sizeof (void*)))

#include "AAX_Errors.h"
#include "AAX_Enums.h"
