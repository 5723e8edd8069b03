#pragma once

#include "AAX_IAutomationDelegate.h"
#include "AAX_IACFAutomationDelegate.h"
#include "ACFPtr.h"

/** The host's automation of one instance's parameters: registration, touch and release, set
    requests and current values. */
class AAX_VAutomationDelegate : public AAX_IAutomationDelegate
{
public:
    explicit AAX_VAutomationDelegate (IACFUnknown* hostUnknown);
    ~AAX_VAutomationDelegate() override;

    AAX_Result RegisterParameter (AAX_CParamID parameterID) override;
    AAX_Result UnregisterParameter (AAX_CParamID parameterID) override;
    AAX_Result PostSetValueRequest (AAX_CParamID parameterID, double normalizedValue) override;
    AAX_Result PostCurrentValue (AAX_CParamID parameterID, double normalizedValue) override;
    AAX_Result PostTouchRequest (AAX_CParamID parameterID) override;
    AAX_Result PostReleaseRequest (AAX_CParamID parameterID) override;
    AAX_Result GetTouchState (AAX_CParamID parameterID, AAX_CBoolean* outTouched) override;

    /** The host's automation interface; null when the host offers none, and then nobody
        answers a set request. */
    AAX_IACFAutomationDelegate* GetIUnknown() const noexcept    { return mAutomationDelegate.get(); }

    AAX_VAutomationDelegate (const AAX_VAutomationDelegate&) = delete;
    AAX_VAutomationDelegate& operator= (const AAX_VAutomationDelegate&) = delete;

private:
    ACFPtr<AAX_IACFAutomationDelegate> mAutomationDelegate;
};
