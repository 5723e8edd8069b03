#pragma once

class AAX_VController;
class AAX_VTransport;
class AAX_VViewContainer;

/** Wrappers without a host behind them, answered by the effect and GUI bases while the host
    has handed over nothing: JUCE's wrapper calls Controller(), Transport() and
    GetViewContainer() without checking for null, and gets the no-host results instead.
    They hold no host interfaces, so one of each serves every instance. */
namespace AAX_NoHost
{
    AAX_VController& Controller() noexcept;
    AAX_VTransport& Transport() noexcept;
    AAX_VViewContainer& ViewContainer() noexcept;
}
