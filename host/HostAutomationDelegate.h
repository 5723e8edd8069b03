#pragma once

#include "HostObject.h"

#include <AAX_IACFAutomationDelegate.h>

#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class AAX_IACFEffectParameters;

namespace tanglefix::host
{

/** One call the instance made on the host's automation. */
struct AutomationEvent
{
    enum class Kind { registered, unregistered, touched, released, setRequested, currentValue };

    Kind kind;
    std::string parameterID;
    double value = 0.0;

    bool operator== (const AutomationEvent& other) const
    {
        return kind == other.kind && parameterID == other.parameterID && value == other.value;
    }
};

/** The host's automation of one instance. It records every call, and, as a real host does,
    answers a set request later rather than inside it: answerRequests(), on the host's thread,
    hands each queued value to the instance's UpdateParameterNormalizedValue. The parameter
    then reports it back with PostCurrentValue, which this delegate accepts and records.
*/
class HostAutomationDelegate final : public HostObjectWith<AAX_IACFAutomationDelegate>
{
public:
    explicit HostAutomationDelegate (std::shared_ptr<HostContext> context);

    /** The instance that answers go to. Not a counted reference: the instance holds this
        delegate, so the host clears it (null) before it releases the instance.
    */
    void setEffect (AAX_IACFEffectParameters* effectParameters);

    /** Answers every queued set request, oldest first; returns how many were answered. Without
        an effect the requests stay queued.
    */
    int answerRequests();

    std::vector<AutomationEvent> getEvents() const;
    void clearEvents();
    std::set<std::string> getRegisteredParameters() const;
    size_t getPendingRequestCount() const;

    // AAX_IACFAutomationDelegate
    AAX_Result RegisterParameter (AAX_CParamID parameterID) override;
    AAX_Result UnregisterParameter (AAX_CParamID parameterID) override;
    AAX_Result PostSetValueRequest (AAX_CParamID parameterID, double normalizedValue) override;
    AAX_Result PostCurrentValue (AAX_CParamID parameterID, double normalizedValue) override;
    AAX_Result PostTouchRequest (AAX_CParamID parameterID) override;
    AAX_Result PostReleaseRequest (AAX_CParamID parameterID) override;
    AAX_Result GetTouchState (AAX_CParamID parameterID, AAX_CBoolean* outTouched) override;

private:
    struct Request
    {
        std::string parameterID;
        double value;
    };

    void* findInterface (const acfIID& iid) override;

    /** Records a call on a registered parameter; an unknown or null identifier is refused. */
    AAX_Result record (AutomationEvent::Kind kind, AAX_CParamID parameterID, double value = 0.0);

    /** What a recorded call changes: registration, touch state, queued requests. */
    void applyLocked (AutomationEvent::Kind kind, const std::string& parameterID, double value);

    mutable std::mutex lock;   // the instance may call from the GUI and the host's main thread
    AAX_IACFEffectParameters* effect = nullptr;
    std::vector<AutomationEvent> events;
    std::set<std::string> registered, touched;
    std::deque<Request> pending;
};

} // namespace tanglefix::host
