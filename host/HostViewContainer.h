#pragma once

#include "HostObject.h"

#include <AAX_Enums.h>
#include <AAX_IACFViewContainer.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace tanglefix::host
{

/** A mouse event on parameters that the editor handed to the host. */
struct ParameterMouseEvent
{
    enum class Kind { down, drag, up };

    Kind kind;
    std::vector<std::string> parameterIDs;
    uint32_t modifiers;
};

/** The host's view for an editor: a native window of the given type (on Linux an X11 window,
    type AAX_eViewContainer_Type_HWND, the only type JUCE's wrapper attaches to there). It
    records the sizes and the parameter mouse events the editor sends.
*/
class HostViewContainer final : public HostObjectWith<AAX_IACFViewContainer_V2>
{
public:
    HostViewContainer (std::shared_ptr<HostContext> context, int32_t type, void* nativeView);

    void setModifiers (uint32_t newModifiers);

    /** Called with each accepted size, as the host's window follows the view. Set it before
        the view is handed to the instance; it runs on the thread that asked for the size. */
    void setSizeListener (std::function<void (AAX_Point)> listener);
    std::vector<AAX_Point> getSizeRequests() const;
    std::vector<ParameterMouseEvent> getMouseEvents() const;

    // AAX_IACFViewContainer
    int32_t GetType() override;
    void* GetPtr() override;
    AAX_Result GetModifiers (uint32_t* outModifiers) override;
    AAX_Result SetViewSize (AAX_Point& size) override;
    AAX_Result HandleParameterMouseDown (AAX_CParamID parameterID, uint32_t modifiers) override;
    AAX_Result HandleParameterMouseDrag (AAX_CParamID parameterID, uint32_t modifiers) override;
    AAX_Result HandleParameterMouseUp (AAX_CParamID parameterID, uint32_t modifiers) override;

    // AAX_IACFViewContainer_V2
    AAX_Result HandleMultipleParametersMouseDown (const AAX_CParamID* parameterIDs, uint32_t numParameters, uint32_t modifiers) override;
    AAX_Result HandleMultipleParametersMouseDrag (const AAX_CParamID* parameterIDs, uint32_t numParameters, uint32_t modifiers) override;
    AAX_Result HandleMultipleParametersMouseUp (const AAX_CParamID* parameterIDs, uint32_t numParameters, uint32_t modifiers) override;

private:
    void* findInterface (const acfIID& iid) override;
    AAX_Result recordMouse (ParameterMouseEvent::Kind kind, const AAX_CParamID* parameterIDs, uint32_t numParameters,
                            uint32_t modifiers);

    const int32_t type;
    void* const nativeView;

    mutable std::mutex lock;
    uint32_t modifiers = 0;
    std::vector<AAX_Point> sizeRequests;
    std::vector<ParameterMouseEvent> mouseEvents;
    std::function<void (AAX_Point)> sizeListener;
};

} // namespace tanglefix::host
