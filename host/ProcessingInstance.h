#pragma once

#include "AlgorithmContext.h"
#include "PluginInstance.h"
#include "RenderOptions.h"

#include <memory>
#include <string>

namespace tanglefix::host
{

/** One instance set up for processing, as a host does it between insert and removal:
    the component registered for the layout, the effect object (no GUI) made and initialised
    with a controller, the algorithm context with its private data reset by the instance, and
    the controller's packets routed into the context's ports.

    process() belongs to the audio thread; everything else to the host's main thread. The
    host holds no lock of its own around the process call.
*/
class ProcessingInstance
{
public:
    ~ProcessingInstance();

    /** Null with the reason when the registration has no component for the layout or a step
        of the set-up fails.
    */
    static std::unique_ptr<ProcessingInstance> create (HostSession& session, ChannelLayout layout,
                                                       double sampleRate, int maxBlockLength,
                                                       std::string& errorMessage);

    PluginInstance& getInstance() noexcept          { return *instance; }
    AlgorithmContext& getContext() noexcept         { return *context; }
    AAX_CProcessProc getProcessProc() const noexcept { return processProc; }
    ChannelLayout getLayout() const noexcept        { return layout; }

    /** The latency the plug-in last reported to the controller. */
    int getLatency() const noexcept;

    /** Main thread: sets a parameter as the host's automation does and sends the new
        coefficients (packets) on their way to the audio thread.
    */
    AAX_Result setParameter (const std::string& id, double normalizedValue);

    /** Audio thread: one block of numSamples (1..maxBlockLength) through the plug-in. */
    void process (int numSamples) noexcept   { context->process (processProc, numSamples); }

    /** Main thread: uninitialises and releases the instance; the result of uninitialising. */
    AAX_Result shutDown();

    /** The registration's component for a layout, or null. */
    static const ComponentRecord* findComponent (const EffectRecord& effect, ChannelLayout layout);

private:
    ProcessingInstance() = default;

    ChannelLayout layout = ChannelLayout::stereo;
    std::unique_ptr<AlgorithmContext> context;
    std::unique_ptr<PluginInstance> instance;
    AAX_CProcessProc processProc = nullptr;
};

} // namespace tanglefix::host
