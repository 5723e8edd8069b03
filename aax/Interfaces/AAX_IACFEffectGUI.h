#pragma once

#include "AAX_IString.h"

/** The GUI object of one plug-in instance, as the host calls it. */
class AAX_IACFEffectGUI : public IACFUnknown
{
public:
    virtual AAX_Result Initialize (IACFUnknown* controller) = 0;
    virtual AAX_Result Uninitialize() = 0;
    virtual AAX_Result NotificationReceived (AAX_CTypeID type, const void* data, uint32_t size) = 0;
    virtual AAX_Result SetViewContainer (IACFUnknown* viewContainer) = 0;
    virtual AAX_Result GetViewSize (AAX_Point* outViewSize) const = 0;
    virtual AAX_Result Draw (AAX_Rect* drawRect) = 0;
    virtual AAX_Result TimerWakeup() = 0;
    virtual AAX_Result ParameterUpdated (AAX_CParamID parameterID) = 0;
    virtual AAX_Result GetCustomLabel (AAX_EPlugInStrings selector, AAX_IString* outString) const = 0;
    virtual AAX_Result SetControlHighlightInfo (AAX_CParamID parameterID, AAX_CBoolean isHighlighted,
                                                AAX_EHighlightColor colour) = 0;

protected:
    ~AAX_IACFEffectGUI() = default;
};
