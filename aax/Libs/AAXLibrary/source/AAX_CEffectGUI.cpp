#include "AAX_CEffectGUI.h"
#include "AAX_CString.h"
#include "AAX_NoHostWrappers.h"
#include "AAX_UIDs.h"
#include "AAX_VController.h"
#include "AAX_VTransport.h"
#include "AAX_VViewContainer.h"

//==============================================================================
AAX_CEffectGUI::AAX_CEffectGUI() = default;

AAX_CEffectGUI::~AAX_CEffectGUI()
{
    // The derived class is gone already (JUCE's deletes its editor in its own destructor),
    // so only what this class holds is released here.
    mViewContainer.reset();
    ReleaseHostObjects();
}

void AAX_CEffectGUI::ReleaseHostObjects()
{
    mEffectParameters.Clear();
    mController.reset();
    mTransport.reset();
}

ACFRESULT AAX_CEffectGUI::QueryInterface (const acfIID& interfaceID, void** outInterface)
{
    return GetOuterUnknown()->QueryInterface (interfaceID, outInterface);
}

acfUInt32 AAX_CEffectGUI::AddRef()
{
    return GetOuterUnknown()->AddRef();
}

acfUInt32 AAX_CEffectGUI::Release()
{
    return GetOuterUnknown()->Release();
}

ACFRESULT AAX_CEffectGUI::InternalQueryInterface (const acfIID& interfaceID, void** outInterface)
{
    if (outInterface == nullptr)
        return ACF_E_POINTER;

    if (interfaceID == IID_IAAXEffectGUIV1)
    {
        *outInterface = static_cast<AAX_IACFEffectGUI*> (this);
        AddRef();
        return ACF_OK;
    }

    return CACFUnknown::InternalQueryInterface (interfaceID, outInterface);
}

//==============================================================================
AAX_Result AAX_CEffectGUI::Initialize (IACFUnknown* controller)
{
    mController.reset (new AAX_VController (controller));

    if (controller == nullptr)
        return AAX_ERROR_NOT_INITIALIZED;

    // A refusal leaves the reference null; the derived class copes without an effect.
    mEffectParameters.QueryFrom (controller, IID_IAAXEffectParametersV1);
    mTransport.reset (new AAX_VTransport (controller));

    CreateViewContents();
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::Uninitialize()
{
    // The view and its editor go before the effect reference: the editor works on the
    // effect's processor, which this reference may be the last to keep alive.
    mViewContainer.reset();
    DeleteViewContainer();
    ReleaseHostObjects();
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::SetViewContainer (IACFUnknown* viewContainer)
{
    // The old wrapper goes before a new one is made, so the host never sees two.
    mViewContainer.reset();

    if (viewContainer == nullptr)
    {
        DeleteViewContainer();
        return AAX_SUCCESS;
    }

    mViewContainer.reset (new AAX_VViewContainer (viewContainer));
    CreateViewContainer();
    UpdateAllParameters();
    return AAX_SUCCESS;
}

void AAX_CEffectGUI::UpdateAllParameters()
{
    if (mEffectParameters == nullptr)
        return;

    int32_t numParameters = 0;

    if (mEffectParameters->GetNumberOfParameters (&numParameters) != AAX_SUCCESS)
        return;

    for (int32_t index = 0; index < numParameters; ++index)
    {
        AAX_CString id;

        if (mEffectParameters->GetParameterIDFromIndex (index, &id) == AAX_SUCCESS)
            ParameterUpdated (id.Get());
    }
}

//==============================================================================
AAX_Result AAX_CEffectGUI::NotificationReceived (AAX_CTypeID, const void*, uint32_t)
{
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::GetViewSize (AAX_Point*) const
{
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::Draw (AAX_Rect*)
{
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::TimerWakeup()
{
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::ParameterUpdated (AAX_CParamID)
{
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::GetCustomLabel (AAX_EPlugInStrings, AAX_IString*) const
{
    return AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_CEffectGUI::SetControlHighlightInfo (AAX_CParamID, AAX_CBoolean, AAX_EHighlightColor)
{
    return AAX_SUCCESS;
}

//==============================================================================
AAX_IEffectParameters* AAX_CEffectGUI::GetEffectParameters()
{
    return mEffectParameters.get();
}

const AAX_IEffectParameters* AAX_CEffectGUI::GetEffectParameters() const
{
    return mEffectParameters.get();
}

AAX_IViewContainer* AAX_CEffectGUI::GetViewContainer()
{
    return mViewContainer != nullptr ? mViewContainer.get() : &AAX_NoHost::ViewContainer();
}

const AAX_IViewContainer* AAX_CEffectGUI::GetViewContainer() const
{
    return mViewContainer != nullptr ? mViewContainer.get() : &AAX_NoHost::ViewContainer();
}

int32_t AAX_CEffectGUI::GetViewContainerType()
{
    return mViewContainer != nullptr ? mViewContainer->GetType() : AAX_eViewContainer_Type_NULL;
}

void* AAX_CEffectGUI::GetViewContainerPtr()
{
    return mViewContainer != nullptr ? mViewContainer->GetPtr() : nullptr;
}

AAX_IController* AAX_CEffectGUI::GetController()
{
    return mController != nullptr ? mController.get() : &AAX_NoHost::Controller();
}

const AAX_IController* AAX_CEffectGUI::GetController() const
{
    return mController != nullptr ? mController.get() : &AAX_NoHost::Controller();
}

AAX_ITransport* AAX_CEffectGUI::Transport()
{
    return mTransport != nullptr ? mTransport.get() : &AAX_NoHost::Transport();
}

const AAX_ITransport* AAX_CEffectGUI::Transport() const
{
    return mTransport != nullptr ? mTransport.get() : &AAX_NoHost::Transport();
}
