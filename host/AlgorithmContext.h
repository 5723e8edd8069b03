#pragma once

#include "PacketPort.h"
#include "Registration.h"

#include <AAX.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tanglefix::host
{

/** The memory a host gives one instance of a processing component: the algorithm context
    that its process procedure receives, and everything the context points at.

    The context is an array of pointers, one per field the component declared, at the field's
    index (fields must run from 0 without gaps, as AAX requires):
      audio in / audio out    the channel pointer arrays (float* const*)
      audio buffer length     an int32_t holding the current block's length
      sample rate, clock      an AAX_CSampleRate, a 64-bit sample clock
      data in port            the newest packet delivered to that port (see PacketPort)
      private data            a block of the declared size, initialised by the instance
                              through ResetFieldData
      side-chain in           an int32_t buffer index, 0 (no side chain connected)
      meters                  an array of meter values
    Other field kinds (DMA, MIDI, temporary data, reserved) are refused at creation.

    The audio buffers are the host's: it fills the inputs, calls process() and reads the
    outputs. Nothing here allocates after creation.
*/
class AlgorithmContext
{
public:
    struct Layout
    {
        int numInputs = 2;
        int numOutputs = 2;
        int maxBlockLength = 1024;
        AAX_CSampleRate sampleRate = 48000.0f;
    };

    /** The context for a component, or null with the reason in errorMessage. */
    static std::unique_ptr<AlgorithmContext> create (const ComponentRecord& component, const Layout& layout,
                                                     std::string& errorMessage);

    using FieldResetter = std::function<AAX_Result (AAX_CFieldIndex field, void* data, std::uint32_t dataSize)>;

    /** Lets the instance initialise every private-data field, in field order (the instance's
        ResetFieldData). Stops at the first failure and returns its result.
    */
    AAX_Result resetPrivateData (const FieldResetter& reset);

    /** Main thread: queues a packet for a data-in port; false for an unknown port or a
        payload of the wrong size.
    */
    bool postPacket (AAX_CFieldIndex field, const void* payload, std::uint32_t payloadSize);

    const Layout& getLayout() const noexcept   { return layout; }
    float* getInput (int channel) noexcept     { return inputPointers[(size_t) channel]; }
    float* getOutput (int channel) noexcept    { return outputPointers[(size_t) channel]; }

    /** Audio thread: delivers pending packets, sets the block length and calls the procedure
        for this one instance. numSamples must lie in 1..maxBlockLength.
    */
    void process (AAX_CProcessProc processProc, int numSamples) noexcept;

    /** The context as the process procedure sees it. */
    void* getContext() noexcept   { return fields.data(); }

    /** Several instances of one component in one call, as a host batches them. */
    static void processTogether (AAX_CProcessProc processProc, AlgorithmContext* const* contexts,
                                 size_t numContexts, int numSamples, void** scratch) noexcept;

private:
    AlgorithmContext() = default;

    bool addField (const FieldRecord& field, std::string& errorMessage);
    void prepareForBlock (int numSamples) noexcept;

    Layout layout;
    std::vector<void*> fields;

    std::vector<std::vector<float>> inputChannels, outputChannels;
    std::vector<float*> inputPointers, outputPointers;

    std::int32_t bufferLength = 0;
    AAX_CSampleRate sampleRate = 0.0f;
    std::int64_t clock = 0;
    std::int32_t sideChainIndex = 0;

    struct PrivateBlock
    {
        AAX_CFieldIndex field;
        std::vector<std::max_align_t> storage;
        std::uint32_t size;
    };

    std::vector<PrivateBlock> privateBlocks;
    std::vector<std::pair<AAX_CFieldIndex, std::unique_ptr<PacketPort>>> ports;
    std::vector<float> meterValues;
    float* meterArray[1] = { nullptr };
};

} // namespace tanglefix::host
