#include "ProcessingInstance.h"

#include <AAX_Enums.h>

namespace tanglefix::host
{

namespace
{
    AAX_EStemFormat stemFormatFor (int numChannels) noexcept
    {
        return numChannels == 1 ? AAX_eStemFormat_Mono : AAX_eStemFormat_Stereo;
    }

    bool hasProperty (const PropertyList& properties, std::uint32_t id, std::int64_t value)
    {
        for (const auto& property : properties)
            if (property.id == id && property.value == value && ! property.isPointer)
                return true;

        return false;
    }

    constexpr std::uint32_t inputStemFormatProperty = 51;
    constexpr std::uint32_t outputStemFormatProperty = 52;

    /** The component's native process procedure for the layout's stem formats, or null. */
    const ProcessProcRecord* nativeProcFor (const ComponentRecord& component, ChannelLayout layout)
    {
        const auto input = (std::int64_t) stemFormatFor (numInputsOf (layout));
        const auto output = (std::int64_t) stemFormatFor (numOutputsOf (layout));

        for (const auto& proc : component.processProcs)
            if (proc.kind == ProcessProcRecord::Kind::native && proc.processProc != nullptr
                && hasProperty (proc.properties, inputStemFormatProperty, input)
                && hasProperty (proc.properties, outputStemFormatProperty, output))
                return &proc;

        return nullptr;
    }
}

const ComponentRecord* ProcessingInstance::findComponent (const EffectRecord& effect, ChannelLayout layout)
{
    for (const auto& component : effect.components)
        if (nativeProcFor (component, layout) != nullptr)
            return &component;

    return nullptr;
}

std::unique_ptr<ProcessingInstance> ProcessingInstance::create (HostSession& session, ChannelLayout layout,
                                                                double sampleRate, int maxBlockLength,
                                                                std::string& errorMessage)
{
    const auto& registration = session.getRegistration();

    if (! registration.has_value() || registration->effects.empty())
    {
        errorMessage = "the bundle has registered no effect";
        return nullptr;
    }

    const auto& effect = registration->effects.front();
    const auto* component = findComponent (effect, layout);

    if (component == nullptr)
    {
        errorMessage = std::string ("the bundle registered no ") + nameOf (layout) + " component";
        return nullptr;
    }

    std::unique_ptr<ProcessingInstance> result (new ProcessingInstance());
    result->layout = layout;

    // The procedure that made the component match, not merely its first native one.
    result->processProc = reinterpret_cast<AAX_CProcessProc> (const_cast<void*> (nativeProcFor (*component, layout)->processProc));

    const AlgorithmContext::Layout contextLayout { numInputsOf (layout), numOutputsOf (layout), maxBlockLength,
                                                   (AAX_CSampleRate) sampleRate };
    result->context = AlgorithmContext::create (*component, contextLayout, errorMessage);

    if (result->context == nullptr)
        return nullptr;

    InstanceSetup setup;
    setup.sampleRate = (AAX_CSampleRate) sampleRate;
    setup.inputStemFormat = stemFormatFor (numInputsOf (layout));
    setup.outputStemFormat = stemFormatFor (numOutputsOf (layout));
    setup.effectID = effect.identifier;

    // Processing needs no GUI object; JUCE's would open its editor, which needs a display.
    result->instance = PluginInstance::create (session, effect, setup, errorMessage, false);

    if (result->instance == nullptr)
        return nullptr;

    auto& context = *result->context;
    result->instance->getController().setPacketSink ([&context] (AAX_CFieldIndex field, const void* payload, uint32_t size)
                                                     { return context.postPacket (field, payload, size); });

    if (const auto initialised = result->instance->initialize(); initialised != AAX_SUCCESS)
    {
        errorMessage = "Initialize failed with result " + std::to_string (initialised);
        return nullptr;
    }

    auto* effectParameters = result->instance->getEffect();
    const auto reset = context.resetPrivateData ([effectParameters] (AAX_CFieldIndex field, void* data, std::uint32_t size)
                                                 { return effectParameters->ResetFieldData (field, data, size); });

    if (reset != AAX_SUCCESS)
    {
        errorMessage = "ResetFieldData failed with result " + std::to_string (reset);
        return nullptr;
    }

    // The first coefficients: every packet the plug-in registered reaches its port.
    result->instance->generateCoefficients();
    return result;
}

ProcessingInstance::~ProcessingInstance()
{
    shutDown();
}

int ProcessingInstance::getLatency() const noexcept
{
    return instance->getController().getRecordedLatency();
}

AAX_Result ProcessingInstance::setParameter (const std::string& id, double normalizedValue)
{
    const auto result = instance->setParameter (id, normalizedValue);
    const auto coefficients = instance->generateCoefficients();
    return result != AAX_SUCCESS ? result : coefficients;
}

AAX_Result ProcessingInstance::shutDown()
{
    if (instance == nullptr)
        return AAX_SUCCESS;

    const auto result = instance->uninitialize();
    instance->release();
    instance.reset();
    return result;
}

} // namespace tanglefix::host
