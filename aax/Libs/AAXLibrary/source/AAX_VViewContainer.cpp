#include "AAX_VViewContainer.h"
#include "AAX_HostComponents.h"

AAX_VViewContainer::AAX_VViewContainer (IACFUnknown* viewContainer)
    : mViewContainerV1 (AAX::QueryHostInterface<AAX_IACFViewContainer> (viewContainer, IID_IAAXViewContainerV1)),
      mViewContainerV2 (AAX::QueryHostInterface<AAX_IACFViewContainer_V2> (viewContainer, IID_IAAXViewContainerV2))
{
}

AAX_VViewContainer::~AAX_VViewContainer() = default;

int32_t AAX_VViewContainer::GetType()
{
    if (! mViewContainerV1)
        return AAX_eViewContainer_Type_NULL;

    return mViewContainerV1->GetType();
}

void* AAX_VViewContainer::GetPtr()
{
    if (! mViewContainerV1)
        return nullptr;

    return mViewContainerV1->GetPtr();
}

AAX_Result AAX_VViewContainer::GetModifiers (uint32_t* outModifiers)
{
    AAX::ClearOutputs (outModifiers);

    if (! mViewContainerV1)
        return AAX_ERROR_UNIMPLEMENTED;

    return mViewContainerV1->GetModifiers (outModifiers);
}

AAX_Result AAX_VViewContainer::SetViewSize (AAX_Point& size)
{
    if (! mViewContainerV1)
        return AAX_SUCCESS;

    return mViewContainerV1->SetViewSize (size);
}

AAX_Result AAX_VViewContainer::HandleParameterMouseDown (AAX_CParamID parameterID, uint32_t modifiers)
{
    if (! mViewContainerV1)
        return AAX_ERROR_UNIMPLEMENTED;

    return mViewContainerV1->HandleParameterMouseDown (parameterID, modifiers);
}

AAX_Result AAX_VViewContainer::HandleParameterMouseDrag (AAX_CParamID parameterID, uint32_t modifiers)
{
    if (! mViewContainerV1)
        return AAX_ERROR_UNIMPLEMENTED;

    return mViewContainerV1->HandleParameterMouseDrag (parameterID, modifiers);
}

AAX_Result AAX_VViewContainer::HandleParameterMouseUp (AAX_CParamID parameterID, uint32_t modifiers)
{
    if (! mViewContainerV1)
        return AAX_ERROR_UNIMPLEMENTED;

    return mViewContainerV1->HandleParameterMouseUp (parameterID, modifiers);
}

AAX_Result AAX_VViewContainer::HandleMultipleParametersMouseDown (const AAX_CParamID* parameterIDs, uint32_t numParameters,
                                                                  uint32_t modifiers)
{
    if (! mViewContainerV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mViewContainerV2->HandleMultipleParametersMouseDown (parameterIDs, numParameters, modifiers);
}

AAX_Result AAX_VViewContainer::HandleMultipleParametersMouseDrag (const AAX_CParamID* parameterIDs, uint32_t numParameters,
                                                                  uint32_t modifiers)
{
    if (! mViewContainerV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mViewContainerV2->HandleMultipleParametersMouseDrag (parameterIDs, numParameters, modifiers);
}

AAX_Result AAX_VViewContainer::HandleMultipleParametersMouseUp (const AAX_CParamID* parameterIDs, uint32_t numParameters,
                                                                uint32_t modifiers)
{
    if (! mViewContainerV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mViewContainerV2->HandleMultipleParametersMouseUp (parameterIDs, numParameters, modifiers);
}
