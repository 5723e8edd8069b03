#include "AlgorithmContext.h"

#include <algorithm>

namespace tanglefix::host
{

namespace
{
    const char* describeKind (FieldRecord::Kind kind)
    {
        switch (kind)
        {
            case FieldRecord::Kind::temporaryData:  return "temporary data";
            case FieldRecord::Kind::dmaInstance:    return "DMA instance";
            case FieldRecord::Kind::midiNode:       return "MIDI node";
            case FieldRecord::Kind::reservedField:  return "reserved";
            case FieldRecord::Kind::auxOutputStem:  return "aux output stem";
            default:                                return "this";
        }
    }

    std::vector<std::vector<float>> makeChannels (int numChannels, int length)
    {
        return std::vector<std::vector<float>> ((size_t) std::max (0, numChannels),
                                                std::vector<float> ((size_t) length, 0.0f));
    }

    std::vector<float*> pointersTo (std::vector<std::vector<float>>& channels)
    {
        std::vector<float*> pointers;

        for (auto& channel : channels)
            pointers.push_back (channel.data());

        return pointers;
    }
}

std::unique_ptr<AlgorithmContext> AlgorithmContext::create (const ComponentRecord& component, const Layout& layout,
                                                            std::string& errorMessage)
{
    if (layout.maxBlockLength < 1 || layout.numInputs < 0 || layout.numOutputs < 1)
    {
        errorMessage = "the host asked for an impossible audio layout";
        return nullptr;
    }

    std::unique_ptr<AlgorithmContext> context (new AlgorithmContext());
    context->layout = layout;
    context->sampleRate = layout.sampleRate;
    context->inputChannels = makeChannels (layout.numInputs, layout.maxBlockLength);
    context->outputChannels = makeChannels (layout.numOutputs, layout.maxBlockLength);
    context->inputPointers = pointersTo (context->inputChannels);
    context->outputPointers = pointersTo (context->outputChannels);

    // Fields may be declared in any order, but the context is indexed by field: every index
    // from 0 to the highest must be declared exactly once.
    context->fields.assign (component.fields.size(), nullptr);
    std::vector<bool> declared (component.fields.size(), false);

    for (const auto& field : component.fields)
    {
        if (field.index >= component.fields.size() || declared[field.index])
        {
            errorMessage = "the component's fields leave a gap or repeat index " + std::to_string (field.index);
            return nullptr;
        }

        declared[field.index] = true;

        if (! context->addField (field, errorMessage))
            return nullptr;
    }

    // The meter array is filled once all meter fields are known.
    context->meterArray[0] = context->meterValues.empty() ? nullptr : context->meterValues.data();
    return context;
}

bool AlgorithmContext::addField (const FieldRecord& field, std::string& errorMessage)
{
    auto& slot = fields[field.index];

    switch (field.kind)
    {
        case FieldRecord::Kind::audioIn:            slot = inputPointers.data(); return true;
        case FieldRecord::Kind::audioOut:           slot = outputPointers.data(); return true;
        case FieldRecord::Kind::audioBufferLength:  slot = &bufferLength; return true;
        case FieldRecord::Kind::sampleRate:         slot = &sampleRate; return true;
        case FieldRecord::Kind::clock:              slot = &clock; return true;
        case FieldRecord::Kind::sideChainIn:        slot = &sideChainIndex; return true;

        case FieldRecord::Kind::dataInPort:
        {
            if (field.first < 0 || field.first > 65536)
                break;

            auto port = std::make_unique<PacketPort> (static_cast<std::uint32_t> (field.first));
            slot = const_cast<void*> (port->deliver());
            ports.emplace_back (static_cast<AAX_CFieldIndex> (field.index), std::move (port));
            return true;
        }

        case FieldRecord::Kind::privateData:
        {
            if (field.first < 0 || field.first > (1 << 24))
                break;

            const auto size = static_cast<std::uint32_t> (field.first);
            const auto units = (size + sizeof (std::max_align_t) - 1) / sizeof (std::max_align_t);
            privateBlocks.push_back ({ static_cast<AAX_CFieldIndex> (field.index),
                                       std::vector<std::max_align_t> (std::max<size_t> (1, units)), size });
            slot = privateBlocks.back().storage.data();
            return true;
        }

        case FieldRecord::Kind::meters:
            meterValues.resize (meterValues.size() + field.meterIds.size(), 0.0f);
            slot = meterArray;
            return true;

        default:
            errorMessage = std::string ("the stand-in host cannot provide a ") + describeKind (field.kind)
                         + " field (field " + std::to_string (field.index) + ")";
            return false;
    }

    errorMessage = "field " + std::to_string (field.index) + " declares an impossible size";
    return false;
}

AAX_Result AlgorithmContext::resetPrivateData (const FieldResetter& reset)
{
    for (auto& block : privateBlocks)
        if (const auto result = reset (block.field, block.storage.data(), block.size); result != AAX_SUCCESS)
            return result;

    return AAX_SUCCESS;
}

bool AlgorithmContext::postPacket (AAX_CFieldIndex field, const void* payload, std::uint32_t payloadSize)
{
    for (auto& [index, port] : ports)
        if (index == field)
            return port->post (payload, payloadSize);

    return false;
}

void AlgorithmContext::prepareForBlock (int numSamples) noexcept
{
    for (auto& [index, port] : ports)
        fields[(size_t) index] = const_cast<void*> (port->deliver());

    bufferLength = std::clamp (numSamples, 1, layout.maxBlockLength);
}

void AlgorithmContext::process (AAX_CProcessProc processProc, int numSamples) noexcept
{
    AlgorithmContext* self = this;
    void* instance = nullptr;
    processTogether (processProc, &self, 1, numSamples, &instance);
}

void AlgorithmContext::processTogether (AAX_CProcessProc processProc, AlgorithmContext* const* contexts,
                                        size_t numContexts, int numSamples, void** scratch) noexcept
{
    for (size_t i = 0; i < numContexts; ++i)
    {
        contexts[i]->prepareForBlock (numSamples);
        scratch[i] = contexts[i]->getContext();
    }

    processProc (scratch, scratch + numContexts);

    for (size_t i = 0; i < numContexts; ++i)
        contexts[i]->clock += contexts[i]->bufferLength;
}

} // namespace tanglefix::host
