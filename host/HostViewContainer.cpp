#include "HostViewContainer.h"

#include <AAX_Errors.h>
#include <AAX_UIDs.h>

namespace tanglefix::host
{

HostViewContainer::HostViewContainer (std::shared_ptr<HostContext> c, int32_t containerType, void* view)
    : HostObjectWith (std::move (c)), type (containerType), nativeView (view)
{
}

void* HostViewContainer::findInterface (const acfIID& iid)
{
    return findOfferedVersion (iid, InterfaceFamily::viewContainer,
                               { { IID_IAAXViewContainerV1, static_cast<AAX_IACFViewContainer*> (this) },
                                 { IID_IAAXViewContainerV2, static_cast<AAX_IACFViewContainer_V2*> (this) } });
}

void HostViewContainer::setModifiers (uint32_t newModifiers)
{
    const std::lock_guard<std::mutex> guard (lock);
    modifiers = newModifiers;
}

void HostViewContainer::setSizeListener (std::function<void (AAX_Point)> listener)
{
    sizeListener = std::move (listener);
}

std::vector<AAX_Point> HostViewContainer::getSizeRequests() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return sizeRequests;
}

std::vector<ParameterMouseEvent> HostViewContainer::getMouseEvents() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return mouseEvents;
}

int32_t HostViewContainer::GetType()    { return type; }
void* HostViewContainer::GetPtr()       { return nativeView; }

AAX_Result HostViewContainer::GetModifiers (uint32_t* outModifiers)
{
    if (outModifiers == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    const std::lock_guard<std::mutex> guard (lock);
    *outModifiers = modifiers;
    return AAX_SUCCESS;
}

AAX_Result HostViewContainer::SetViewSize (AAX_Point& size)
{
    if (! (size.horz > 0.0f && size.vert > 0.0f))
        return AAX_ERROR_INVALID_VIEW_SIZE;

    {
        const std::lock_guard<std::mutex> guard (lock);
        sizeRequests.push_back (size);
    }

    if (sizeListener)
        sizeListener (size);

    return AAX_SUCCESS;
}

AAX_Result HostViewContainer::HandleParameterMouseDown (AAX_CParamID parameterID, uint32_t mods)
{
    return recordMouse (ParameterMouseEvent::Kind::down, &parameterID, 1, mods);
}

AAX_Result HostViewContainer::HandleParameterMouseDrag (AAX_CParamID parameterID, uint32_t mods)
{
    return recordMouse (ParameterMouseEvent::Kind::drag, &parameterID, 1, mods);
}

AAX_Result HostViewContainer::HandleParameterMouseUp (AAX_CParamID parameterID, uint32_t mods)
{
    return recordMouse (ParameterMouseEvent::Kind::up, &parameterID, 1, mods);
}

AAX_Result HostViewContainer::HandleMultipleParametersMouseDown (const AAX_CParamID* parameterIDs, uint32_t numParameters, uint32_t mods)
{
    return recordMouse (ParameterMouseEvent::Kind::down, parameterIDs, numParameters, mods);
}

AAX_Result HostViewContainer::HandleMultipleParametersMouseDrag (const AAX_CParamID* parameterIDs, uint32_t numParameters, uint32_t mods)
{
    return recordMouse (ParameterMouseEvent::Kind::drag, parameterIDs, numParameters, mods);
}

AAX_Result HostViewContainer::HandleMultipleParametersMouseUp (const AAX_CParamID* parameterIDs, uint32_t numParameters, uint32_t mods)
{
    return recordMouse (ParameterMouseEvent::Kind::up, parameterIDs, numParameters, mods);
}

AAX_Result HostViewContainer::recordMouse (ParameterMouseEvent::Kind kind, const AAX_CParamID* parameterIDs,
                                           uint32_t numParameters, uint32_t mods)
{
    if (parameterIDs == nullptr && numParameters > 0)
        return AAX_ERROR_NULL_ARGUMENT;

    ParameterMouseEvent event { kind, {}, mods };

    for (uint32_t i = 0; i < numParameters; ++i)
    {
        if (parameterIDs[i] == nullptr)
            return AAX_ERROR_NULL_ARGUMENT;

        event.parameterIDs.emplace_back (parameterIDs[i]);
    }

    const std::lock_guard<std::mutex> guard (lock);
    mouseEvents.push_back (std::move (event));

    // The host takes no mouse handling over from the editor.
    return AAX_ERROR_UNIMPLEMENTED;
}

} // namespace tanglefix::host
