#pragma once

// The library functions behind the exported entry points, and the describe function that
// the plug-in supplies.

#include "AAX.h"

class AAX_ICollection;

/** Fills the collection with the plug-in's effects. Supplied by the plug-in (JUCE's AAX
    wrapper in the product). */
AAX_Result GetEffectDescriptions (AAX_ICollection* collection);

AAX_Result AAXRegisterPlugin (IACFUnknown* hostUnknown, IACFPluginDefinition** outPluginDefinition);
AAX_Result AAXRegisterComponent (IACFUnknown* hostUnknown, acfUInt32 index, IACFUnknown** outComponentDefinition);
AAX_Result AAXGetClassFactory (IACFUnknown* hostUnknown, const acfCLSID& classID, const acfIID& interfaceID, void** outFactory);
AAX_Result AAXCanUnloadNow (IACFUnknown* hostUnknown);
AAX_Result AAXStartup (IACFUnknown* hostUnknown);
AAX_Result AAXShutdown (IACFUnknown* hostUnknown);
AAX_Result AAXGetSDKVersion (acfUInt64* outVersion);
