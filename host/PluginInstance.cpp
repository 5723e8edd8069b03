#include "PluginInstance.h"

#include "HostAutomationDelegate.h"
#include "HostString.h"

#include <AAX_Errors.h>
#include <AAX_UIDs.h>

#include <algorithm>

namespace tanglefix::host
{

namespace
{
    // A registered factory makes one object and hands it over without a reference.
    using CreateFunction = IACFUnknown* (*) ();

    /** Makes an object through the factory of a proc id and takes one reference to the
        interface asked for; null when there is no such factory or interface.
    */
    void* createThroughFactory (const EffectRecord& effect, AAX_CProcPtrID procID, const acfIID& iid,
                                std::string& errorMessage)
    {
        const auto proc = std::find_if (effect.procPointers.begin(), effect.procPointers.end(),
                                        [procID] (const auto& entry) { return entry.first == procID; });

        if (proc == effect.procPointers.end() || proc->second == nullptr)
        {
            errorMessage = "the effect registered no factory with proc id " + std::to_string (procID);
            return nullptr;
        }

        auto* made = reinterpret_cast<CreateFunction> (const_cast<void*> (proc->second)) ();

        if (made == nullptr)
        {
            errorMessage = "the factory with proc id " + std::to_string (procID) + " made no object";
            return nullptr;
        }

        void* object = nullptr;

        if (ACFFAILED (made->QueryInterface (iid, &object)) || object == nullptr)
        {
            // Nobody holds the object: one reference taken and given back frees it.
            made->AddRef();
            made->Release();
            errorMessage = "the object made with proc id " + std::to_string (procID) + " does not offer its interface";
            return nullptr;
        }

        return object;
    }
}

const std::vector<std::int32_t> PluginInstance::shortenedNameLengths { 4, 8, 16, 31 };

std::unique_ptr<PluginInstance> PluginInstance::create (HostSession& session, const EffectRecord& effectRecord,
                                                        const InstanceSetup& setup, std::string& errorMessage,
                                                        bool withGui)
{
    std::unique_ptr<PluginInstance> instance (new PluginInstance());

    instance->effect = static_cast<AAX_IACFEffectParameters*> (
        createThroughFactory (effectRecord, kAAX_ProcPtrID_Create_EffectParameters, IID_IAAXEffectParametersV1, errorMessage));

    if (instance->effect == nullptr)
    {
        instance->stage = Stage::released;   // nothing was made, nothing to let go of
        return nullptr;
    }

    // A GUI is optional; an effect without one runs all the same.
    if (withGui)
    {
        std::string noGui;
        instance->gui = static_cast<AAX_IACFEffectGUI*> (
            createThroughFactory (effectRecord, kAAX_ProcPtrID_Create_EffectGUI, IID_IAAXEffectGUIV1, noGui));
    }

    // The controller answers the GUI's query for its effect with the effect object itself.
    instance->controller = HostController::createForInstance (session.getSharedContext(), setup, session.getHostUnknown());
    instance->controller->addPart (instance->effect);
    instance->controller->getAutomationDelegate()->setEffect (instance->effect);
    return instance;
}

PluginInstance::~PluginInstance()
{
    if (stage == Stage::initialized)
        uninitialize();

    release();
}

AAX_Result PluginInstance::initialize()
{
    const auto result = initializeEffect();
    return result == AAX_SUCCESS ? initializeGui() : result;
}

AAX_Result PluginInstance::initializeEffect()
{
    const auto result = effect->Initialize (controller->asUnknown());

    // Even a failed initialisation leaves objects for uninitialize to release.
    stage = Stage::initialized;
    answerAutomation();
    return result;
}

AAX_Result PluginInstance::initializeGui()
{
    const auto result = gui != nullptr ? gui->Initialize (controller->asUnknown()) : AAX_SUCCESS;
    answerAutomation();
    return result;
}

AAX_Result PluginInstance::uninitialize()
{
    auto result = gui != nullptr ? gui->Uninitialize() : AAX_SUCCESS;
    const auto effectResult = effect->Uninitialize();

    if (result == AAX_SUCCESS)
        result = effectResult;

    stage = Stage::uninitialized;
    return result;
}

void PluginInstance::release (ReleaseOrder order)
{
    if (stage == Stage::released)
        return;

    controller->getAutomationDelegate()->setEffect (nullptr);

    if (gui != nullptr && order == ReleaseOrder::guiFirst)
        gui->Release();

    // The effect is the controller's part only so that the GUI can find it; taken out, the
    // host's own reference is the last, also for an effect that was never uninitialised.
    controller->removePart (effect);
    effect->Release();
    controller->Release();

    if (gui != nullptr && order == ReleaseOrder::effectFirst)
        gui->Release();

    gui = nullptr;
    effect = nullptr;
    controller = nullptr;
    stage = Stage::released;
}

int PluginInstance::answerAutomation()
{
    return controller != nullptr ? controller->getAutomationDelegate()->answerRequests() : 0;
}

//==============================================================================
AAX_Result PluginInstance::listParameters (std::vector<ParameterListing>& parameters) const
{
    parameters.clear();
    std::int32_t count = 0;

    if (const auto result = effect->GetNumberOfParameters (&count); result != AAX_SUCCESS)
        return result;

    for (std::int32_t index = 0; index < count; ++index)
    {
        HostString id, name, text;
        ParameterListing parameter;
        AAX_CBoolean automatable = 0;

        if (const auto result = effect->GetParameterIDFromIndex (index, &id); result != AAX_SUCCESS)
            return result;

        const auto* p = id.Get();
        effect->GetParameterName (p, &name);
        effect->GetParameterNumberOfSteps (p, &parameter.numSteps);
        effect->GetParameterIsAutomatable (p, &automatable);
        effect->GetParameterDefaultNormalizedValue (p, &parameter.defaultValue);
        effect->GetParameterNormalizedValue (p, &parameter.value);
        effect->GetParameterStringFromValue (p, parameter.value, &text, 31);

        for (const auto length : shortenedNameLengths)
        {
            HostString shortened;
            effect->GetParameterNameOfLength (p, &shortened, length);
            parameter.shortenedNames.push_back (shortened.str());
        }

        parameter.id = id.str();
        parameter.name = name.str();
        parameter.automatable = automatable != 0;
        parameter.valueText = text.str();
        parameters.push_back (std::move (parameter));
    }

    return AAX_SUCCESS;
}

AAX_Result PluginInstance::setParameter (const std::string& id, double normalizedValue)
{
    const auto result = effect->SetParameterNormalizedValue (id.c_str(), normalizedValue);
    answerAutomation();
    return result;
}

AAX_Result PluginInstance::generateCoefficients()
{
    return effect->GenerateCoefficients();
}

//==============================================================================
AAX_Result PluginInstance::getChunkIDs (std::vector<AAX_CTypeID>& ids) const
{
    ids.clear();
    std::int32_t count = 0;

    if (const auto result = effect->GetNumberOfChunks (&count); result != AAX_SUCCESS)
        return result;

    for (std::int32_t index = 0; index < count; ++index)
    {
        AAX_CTypeID id = 0;

        if (const auto result = effect->GetChunkIDFromIndex (index, &id); result != AAX_SUCCESS)
            return result;

        ids.push_back (id);
    }

    return AAX_SUCCESS;
}

AAX_Result PluginInstance::getChunk (AAX_CTypeID id, ChunkRecord& chunk) const
{
    std::uint32_t size = 0;

    if (const auto result = effect->GetChunkSize (id, &size); result != AAX_SUCCESS)
        return result;

    // The record carries the size it has room for; a plug-in that writes more is caught by
    // the buffer check below (and by AddressSanitizer in the tests).
    ChunkBuffer buffer (size);
    buffer.get()->fSize = static_cast<std::int32_t> (size);
    buffer.get()->fChunkID = id;

    if (const auto result = effect->GetChunk (id, buffer.get()); result != AAX_SUCCESS)
        return result;

    return buffer.toRecord (chunk) ? AAX_SUCCESS : AAX_ERROR_ARGUMENT_BUFFER_OVERFLOW;
}

AAX_Result PluginInstance::setChunk (const ChunkRecord& chunk)
{
    auto buffer = ChunkBuffer::from (chunk);
    const auto result = effect->SetChunk (chunk.id, buffer.get());
    answerAutomation();
    return result;
}

AAX_Result PluginInstance::compareChunk (const ChunkRecord& chunk, bool& isEqual) const
{
    auto buffer = ChunkBuffer::from (chunk);
    AAX_CBoolean equal = 0;
    const auto result = effect->CompareActiveChunk (buffer.get(), &equal);
    isEqual = equal != 0;
    return result;
}

} // namespace tanglefix::host
