#include "HostAutomationDelegate.h"

#include <AAX_Errors.h>
#include <AAX_IACFEffectParameters.h>
#include <AAX_UIDs.h>

namespace tanglefix::host
{

HostAutomationDelegate::HostAutomationDelegate (std::shared_ptr<HostContext> c)
    : HostObjectWith (std::move (c))
{
}

void* HostAutomationDelegate::findInterface (const acfIID& iid)
{
    return findOfferedVersion (iid, InterfaceFamily::automationDelegate,
                               { { IID_IAAXAutomationDelegateV1, static_cast<AAX_IACFAutomationDelegate*> (this) } });
}

void HostAutomationDelegate::setEffect (AAX_IACFEffectParameters* effectParameters)
{
    const std::lock_guard<std::mutex> guard (lock);
    effect = effectParameters;
}

int HostAutomationDelegate::answerRequests()
{
    std::deque<Request> toAnswer;
    AAX_IACFEffectParameters* target = nullptr;

    {
        const std::lock_guard<std::mutex> guard (lock);

        if (effect == nullptr)
            return 0;

        target = effect;
        toAnswer.swap (pending);
    }

    // Unlocked: the update calls back into PostCurrentValue.
    for (const auto& request : toAnswer)
        target->UpdateParameterNormalizedValue (request.parameterID.c_str(), request.value, AAX_eUpdateSource_Unspecified);

    return static_cast<int> (toAnswer.size());
}

std::vector<AutomationEvent> HostAutomationDelegate::getEvents() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return events;
}

void HostAutomationDelegate::clearEvents()
{
    const std::lock_guard<std::mutex> guard (lock);
    events.clear();
}

std::set<std::string> HostAutomationDelegate::getRegisteredParameters() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return registered;
}

size_t HostAutomationDelegate::getPendingRequestCount() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return pending.size();
}

AAX_Result HostAutomationDelegate::RegisterParameter (AAX_CParamID parameterID)
{
    if (parameterID == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    const std::lock_guard<std::mutex> guard (lock);
    registered.insert (parameterID);
    events.push_back ({ AutomationEvent::Kind::registered, parameterID });
    return AAX_SUCCESS;
}

AAX_Result HostAutomationDelegate::UnregisterParameter (AAX_CParamID parameterID)
{
    return record (AutomationEvent::Kind::unregistered, parameterID);
}

AAX_Result HostAutomationDelegate::PostSetValueRequest (AAX_CParamID parameterID, double normalizedValue)
{
    return record (AutomationEvent::Kind::setRequested, parameterID, normalizedValue);
}

AAX_Result HostAutomationDelegate::PostCurrentValue (AAX_CParamID parameterID, double normalizedValue)
{
    return record (AutomationEvent::Kind::currentValue, parameterID, normalizedValue);
}

AAX_Result HostAutomationDelegate::PostTouchRequest (AAX_CParamID parameterID)
{
    return record (AutomationEvent::Kind::touched, parameterID);
}

AAX_Result HostAutomationDelegate::PostReleaseRequest (AAX_CParamID parameterID)
{
    return record (AutomationEvent::Kind::released, parameterID);
}

AAX_Result HostAutomationDelegate::GetTouchState (AAX_CParamID parameterID, AAX_CBoolean* outTouched)
{
    if (parameterID == nullptr || outTouched == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    const std::lock_guard<std::mutex> guard (lock);
    *outTouched = touched.count (parameterID) != 0 ? 1 : 0;
    return AAX_SUCCESS;
}

AAX_Result HostAutomationDelegate::record (AutomationEvent::Kind kind, AAX_CParamID parameterID, double value)
{
    if (parameterID == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    // One lock for the check, the record and its effect, so that a parameter unregistered by
    // another thread meanwhile is never touched or queued.
    const std::lock_guard<std::mutex> guard (lock);

    if (registered.count (parameterID) == 0)
        return AAX_ERROR_INVALID_PARAMETER_ID;

    events.push_back ({ kind, parameterID, value });
    applyLocked (kind, parameterID, value);
    return AAX_SUCCESS;
}

void HostAutomationDelegate::applyLocked (AutomationEvent::Kind kind, const std::string& parameterID, double value)
{
    switch (kind)
    {
        case AutomationEvent::Kind::unregistered:   registered.erase (parameterID); touched.erase (parameterID); break;
        case AutomationEvent::Kind::touched:        touched.insert (parameterID); break;
        case AutomationEvent::Kind::released:       touched.erase (parameterID); break;
        case AutomationEvent::Kind::setRequested:   pending.push_back ({ parameterID, value }); break;
        case AutomationEvent::Kind::registered:
        case AutomationEvent::Kind::currentValue:   break;
    }
}

} // namespace tanglefix::host
