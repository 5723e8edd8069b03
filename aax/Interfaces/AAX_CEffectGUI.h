#pragma once

#include "AAX_IEffectGUI.h"
#include "AAX_IEffectParameters.h"
#include "AAX_IController.h"
#include "AAX_ITransport.h"
#include "AAX_IViewContainer.h"
#include "ACFPtr.h"
#include "CACFUnknown.h"

#include <memory>

class AAX_VController;
class AAX_VTransport;
class AAX_VViewContainer;

/** The base of the host-facing GUI object of one plug-in instance. It keeps the wrappers of
    the host's controller, transport and view container and a reference to the instance's
    effect object; derived classes create the view and attach it to the host's. */
class AAX_CEffectGUI : public AAX_IEffectGUI,
                       public CACFUnknown
{
public:
    AAX_CEffectGUI();

    // IACFUnknown, forwarded to the outer unknown
    ACFRESULT QueryInterface (const acfIID& interfaceID, void** outInterface) override;
    acfUInt32 AddRef() override;
    acfUInt32 Release() override;

    AAX_Result Initialize (IACFUnknown* controller) override;
    AAX_Result Uninitialize() override;
    AAX_Result NotificationReceived (AAX_CTypeID type, const void* data, uint32_t size) override;
    AAX_Result SetViewContainer (IACFUnknown* viewContainer) override;
    AAX_Result GetViewSize (AAX_Point* outViewSize) const override;
    AAX_Result Draw (AAX_Rect* drawRect) override;
    AAX_Result TimerWakeup() override;
    AAX_Result ParameterUpdated (AAX_CParamID parameterID) override;
    AAX_Result GetCustomLabel (AAX_EPlugInStrings selector, AAX_IString* outString) const override;
    AAX_Result SetControlHighlightInfo (AAX_CParamID parameterID, AAX_CBoolean isHighlighted,
                                        AAX_EHighlightColor colour) override;

    // CACFUnknown: answers the effect-GUI interface with this object
    ACFRESULT InternalQueryInterface (const acfIID& interfaceID, void** outInterface) override;

    ~AAX_CEffectGUI() override;

    /** The instance's effect object, as the host's controller handed it over; null before
        Initialize. */
    AAX_IEffectParameters* GetEffectParameters();
    const AAX_IEffectParameters* GetEffectParameters() const;

    /** The host's view container, controller and transport. While the host has handed none
        over they are wrappers without a host, whose calls give their no-host results (type 0,
        no view, SetViewSize succeeding): JUCE's wrapper calls them without checking. */
    AAX_IViewContainer* GetViewContainer();
    const AAX_IViewContainer* GetViewContainer() const;
    int32_t GetViewContainerType();
    void* GetViewContainerPtr();
    AAX_IController* GetController();
    const AAX_IController* GetController() const;
    AAX_ITransport* Transport();
    const AAX_ITransport* Transport() const;

protected:
    /** Makes the editor; called at the end of Initialize. */
    virtual void CreateViewContents() = 0;

    /** Attaches the editor to the host's view, which has just arrived. */
    virtual void CreateViewContainer() = 0;

    /** Detaches the editor; the host has taken its view away. */
    virtual void DeleteViewContainer() = 0;

    /** Reports every parameter to ParameterUpdated, so that a new view shows current values. */
    virtual void UpdateAllParameters();

private:
    void ReleaseHostObjects();

    std::unique_ptr<AAX_VController> mController;
    ACFPtr<AAX_IEffectParameters> mEffectParameters;
    std::unique_ptr<AAX_VViewContainer> mViewContainer;
    std::unique_ptr<AAX_VTransport> mTransport;
};
