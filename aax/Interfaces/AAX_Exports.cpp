// The bundle's exported entry points. Each runs its library function inside a catch-all:
// no exception may cross into the host, which would end its process.
//
// This file is compiled once per bundle: JUCE's AAX wrapper includes it in its own
// translation unit, and test bundles compile it directly.

#include "AAX_Exports.h"
#include "AAX_Init.h"

AAX_EXPORT ACFRESULT ACFRegisterPlugin (IACFUnknown* hostUnknown, IACFPluginDefinition** outPluginDefinition)
{
    try { return AAXRegisterPlugin (hostUnknown, outPluginDefinition); }
    catch (...) { return ACF_E_UNEXPECTED; }
}

AAX_EXPORT ACFRESULT ACFRegisterComponent (IACFUnknown* hostUnknown, acfUInt32 index, IACFUnknown** outComponentDefinition)
{
    try { return AAXRegisterComponent (hostUnknown, index, outComponentDefinition); }
    catch (...) { return ACF_E_UNEXPECTED; }
}

AAX_EXPORT ACFRESULT ACFGetClassFactory (IACFUnknown* hostUnknown, const acfCLSID& classID, const acfIID& interfaceID, void** outFactory)
{
    try { return AAXGetClassFactory (hostUnknown, classID, interfaceID, outFactory); }
    catch (...) { return ACF_E_UNEXPECTED; }
}

AAX_EXPORT ACFRESULT ACFCanUnloadNow (IACFUnknown* hostUnknown)
{
    try { return AAXCanUnloadNow (hostUnknown); }
    catch (...) { return ACF_E_UNEXPECTED; }
}

AAX_EXPORT ACFRESULT ACFStartup (IACFUnknown* hostUnknown)
{
    try { return AAXStartup (hostUnknown); }
    catch (...) { return ACF_E_UNEXPECTED; }
}

AAX_EXPORT ACFRESULT ACFShutdown (IACFUnknown* hostUnknown)
{
    try { return AAXShutdown (hostUnknown); }
    catch (...) { return ACF_E_UNEXPECTED; }
}

AAX_EXPORT ACFRESULT ACFGetSDKVersion (acfUInt64* outVersion)
{
    try { return AAXGetSDKVersion (outVersion); }
    catch (...) { return ACF_E_UNEXPECTED; }
}
