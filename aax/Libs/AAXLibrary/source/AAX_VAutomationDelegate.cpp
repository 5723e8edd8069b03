#include "AAX_VAutomationDelegate.h"
#include "AAX_HostComponents.h"

AAX_VAutomationDelegate::AAX_VAutomationDelegate (IACFUnknown* hostUnknown)
    : mAutomationDelegate (AAX::QueryHostInterface<AAX_IACFAutomationDelegate> (hostUnknown, IID_IAAXAutomationDelegateV1))
{
}

AAX_VAutomationDelegate::~AAX_VAutomationDelegate() = default;

AAX_Result AAX_VAutomationDelegate::RegisterParameter (AAX_CParamID parameterID)
{
    if (! mAutomationDelegate)
        return AAX_ERROR_NULL_OBJECT;

    return mAutomationDelegate->RegisterParameter (parameterID);
}

AAX_Result AAX_VAutomationDelegate::UnregisterParameter (AAX_CParamID parameterID)
{
    if (! mAutomationDelegate)
        return AAX_ERROR_NULL_OBJECT;

    return mAutomationDelegate->UnregisterParameter (parameterID);
}

AAX_Result AAX_VAutomationDelegate::PostSetValueRequest (AAX_CParamID parameterID, double normalizedValue)
{
    if (! mAutomationDelegate)
        return AAX_ERROR_NULL_OBJECT;

    return mAutomationDelegate->PostSetValueRequest (parameterID, normalizedValue);
}

AAX_Result AAX_VAutomationDelegate::PostCurrentValue (AAX_CParamID parameterID, double normalizedValue)
{
    if (! mAutomationDelegate)
        return AAX_ERROR_NULL_OBJECT;

    return mAutomationDelegate->PostCurrentValue (parameterID, normalizedValue);
}

AAX_Result AAX_VAutomationDelegate::PostTouchRequest (AAX_CParamID parameterID)
{
    if (! mAutomationDelegate)
        return AAX_ERROR_NULL_OBJECT;

    return mAutomationDelegate->PostTouchRequest (parameterID);
}

AAX_Result AAX_VAutomationDelegate::PostReleaseRequest (AAX_CParamID parameterID)
{
    if (! mAutomationDelegate)
        return AAX_ERROR_NULL_OBJECT;

    return mAutomationDelegate->PostReleaseRequest (parameterID);
}

AAX_Result AAX_VAutomationDelegate::GetTouchState (AAX_CParamID parameterID, AAX_CBoolean* outTouched)
{
    AAX::ClearOutputs (outTouched);

    if (! mAutomationDelegate)
        return AAX_ERROR_NULL_OBJECT;

    return mAutomationDelegate->GetTouchState (parameterID, outTouched);
}
