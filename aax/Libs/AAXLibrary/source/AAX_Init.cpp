#include "AAX_Init.h"
#include "AAX_VCollection.h"
#include "AAX_CHostServices.h"
#include "AAX_Exception.h"
#include "AAX_Version.h"
#include "AAX_UIDs.h"
#include "CACFUnknown.h"

#include <exception>

namespace
{
    const char* const registrationFailure = "AAXRegisterPlugin exception caught: %s";

    /** Describes the plug-in into a collection and hands the host its plug-in definition.
        Throws on every failure; the collection is destroyed on every path. */
    void describePlugin (IACFUnknown* hostUnknown, IACFPluginDefinition** outPluginDefinition)
    {
        // Nothing is handed out unless the whole description succeeds.
        if (outPluginDefinition != nullptr)
            *outPluginDefinition = nullptr;

        AAX_VCollection collection (hostUnknown);
        AAX_CheckedResult result (GetEffectDescriptions (&collection));

        if (outPluginDefinition == nullptr)
            result = AAX_ERROR_NULL_ARGUMENT;

        auto* hostCollection = collection.GetIUnknown();

        if (hostCollection == nullptr
             || ACFFAILED (hostCollection->QueryInterface (IID_IACFPluginDefinition, reinterpret_cast<void**> (outPluginDefinition))))
            result = AAX_ERROR_NULL_OBJECT;
    }
}

AAX_Result AAXRegisterPlugin (IACFUnknown* hostUnknown, IACFPluginDefinition** outPluginDefinition)
{
    try
    {
        describePlugin (hostUnknown, outPluginDefinition);
        return AAX_SUCCESS;
    }
    catch (const AAX::Exception::ResultError& error)
    {
        AAX_CHostServices::Trace (AAX_eTracePriorityHost_High, registrationFailure, error.What().c_str());
        return error.Result();
    }
    catch (const AAX::Exception::Any& error)
    {
        AAX_CHostServices::Trace (AAX_eTracePriorityHost_High, registrationFailure, error.What().c_str());
        return AAX_ERROR_UNKNOWN_EXCEPTION;
    }
    catch (const std::exception& error)
    {
        AAX_CHostServices::Trace (AAX_eTracePriorityHost_High, registrationFailure, error.what());
        return AAX_ERROR_UNKNOWN_EXCEPTION;
    }
    catch (...)
    {
        AAX_CHostServices::Trace (AAX_eTracePriorityHost_High, registrationFailure, "unknown");
        return AAX_ERROR_UNKNOWN_EXCEPTION;
    }
}

AAX_Result AAXRegisterComponent (IACFUnknown*, acfUInt32, IACFUnknown** outComponentDefinition)
{
    if (outComponentDefinition != nullptr)
        *outComponentDefinition = nullptr;

    return AAX_SUCCESS;
}

AAX_Result AAXGetClassFactory (IACFUnknown*, const acfCLSID&, const acfIID&, void** outFactory)
{
    if (outFactory != nullptr)
        *outFactory = nullptr;

    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAXCanUnloadNow (IACFUnknown*)
{
    return static_cast<AAX_Result> (CACFUnknown::GetActiveObjectCount());
}

AAX_Result AAXStartup (IACFUnknown* hostUnknown)
{
    AAX_CHostServices::Set (hostUnknown);
    return AAX_SUCCESS;
}

AAX_Result AAXShutdown (IACFUnknown*)
{
    AAX_CHostServices::Set (nullptr);
    return AAX_SUCCESS;
}

AAX_Result AAXGetSDKVersion (acfUInt64* outVersion)
{
    if (outVersion == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outVersion = AAX_SDK_VERSION_NUMBER;
    return AAX_SUCCESS;
}
