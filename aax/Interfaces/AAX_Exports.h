#pragma once

// The seven functions that a bundle exports, by these plain names, and the pointer types a
// host uses to call them once it has looked them up.

#include "ACFTypes.h"

#define AAX_EXPORT extern "C" __attribute__ ((visibility ("default")))

AAX_EXPORT ACFRESULT ACFRegisterPlugin (IACFUnknown* hostUnknown, IACFPluginDefinition** outPluginDefinition);
AAX_EXPORT ACFRESULT ACFRegisterComponent (IACFUnknown* hostUnknown, acfUInt32 index, IACFUnknown** outComponentDefinition);
AAX_EXPORT ACFRESULT ACFGetClassFactory (IACFUnknown* hostUnknown, const acfCLSID& classID, const acfIID& interfaceID, void** outFactory);
AAX_EXPORT ACFRESULT ACFCanUnloadNow (IACFUnknown* hostUnknown);
AAX_EXPORT ACFRESULT ACFStartup (IACFUnknown* hostUnknown);
AAX_EXPORT ACFRESULT ACFShutdown (IACFUnknown* hostUnknown);
AAX_EXPORT ACFRESULT ACFGetSDKVersion (acfUInt64* outVersion);

typedef ACFRESULT (*ACFRegisterPluginProc) (IACFUnknown*, IACFPluginDefinition**);
typedef ACFRESULT (*ACFRegisterComponentProc) (IACFUnknown*, acfUInt32, IACFUnknown**);
typedef ACFRESULT (*ACFGetClassFactoryProc) (IACFUnknown*, const acfCLSID&, const acfIID&, void**);
typedef ACFRESULT (*ACFCanUnloadNowProc) (IACFUnknown*);
typedef ACFRESULT (*ACFStartupProc) (IACFUnknown*);
typedef ACFRESULT (*ACFShutdownProc) (IACFUnknown*);
typedef ACFRESULT (*ACFGetSDKVersionProc) (acfUInt64*);
