#pragma once

#include "ChunkFile.h"
#include "HostController.h"
#include "HostSession.h"

#include <AAX_IACFEffectGUI.h>
#include <AAX_IACFEffectParameters.h>

#include <memory>
#include <string>
#include <vector>

namespace tanglefix::host
{

/** One parameter as the host lists it. */
struct ParameterListing
{
    std::string id;
    std::string name;
    std::vector<std::string> shortenedNames;   // one per length of shortenedNameLengths
    std::int32_t numSteps = 0;
    bool automatable = false;
    double defaultValue = 0.0;
    double value = 0.0;
    std::string valueText;                     // as the host shows the current value
};

/** One instance of a registered effect, as a host runs it: the effect-parameters object
    (proc id 0) and the GUI object (proc id 1) made through the factories the bundle
    registered, each held by one counted reference, and the controller they share.

    The lifecycle runs create, initialize, any number of parameter, coefficient and chunk
    calls, uninitialize, release; the destructor finishes whatever steps are left, in that
    order. As hosts do, the GUI is uninitialised and released before the effect. Set requests
    from the plug-in are answered by the host's automation delegate after each call that can
    make them, so values come back through UpdateParameterNormalizedValue.
*/
class PluginInstance
{
public:
    ~PluginInstance();

    PluginInstance (const PluginInstance&) = delete;
    PluginInstance& operator= (const PluginInstance&) = delete;

    /** Makes the effect and its GUI through the effect's registered factories. A bundle
        without a GUI factory gives an instance without a GUI, as does withGui false: hosts
        make the GUI object for a window, and JUCE's makes its editor, which needs a display.
        Null (with the reason) when the effect cannot be made or does not offer the
        effect-parameters interface.
    */
    static std::unique_ptr<PluginInstance> create (HostSession& session, const EffectRecord& effect,
                                                   const InstanceSetup& setup, std::string& errorMessage,
                                                   bool withGui = true);

    /** Initialises the effect with the controller, then the GUI. */
    AAX_Result initialize();

    /** The two halves of initialize, for a host that times the GUI's (which makes the
        plug-in's editor) on its own. The effect comes first. */
    AAX_Result initializeEffect();
    AAX_Result initializeGui();

    /** Uninitialises the GUI, then the effect; answers the first failure. */
    AAX_Result uninitialize();

    /** Which of its objects the host lets go of first. Hosts release the GUI first; the
        other order lets a test see that the bundle copes all the same.
    */
    enum class ReleaseOrder { guiFirst, effectFirst };

    /** Drops the host's references; the bundle's objects should then be gone. */
    void release (ReleaseOrder order = ReleaseOrder::guiFirst);

    AAX_Result listParameters (std::vector<ParameterListing>& parameters) const;
    AAX_Result setParameter (const std::string& id, double normalizedValue);
    AAX_Result generateCoefficients();

    AAX_Result getChunkIDs (std::vector<AAX_CTypeID>& ids) const;
    AAX_Result getChunk (AAX_CTypeID id, ChunkRecord& chunk) const;
    AAX_Result setChunk (const ChunkRecord& chunk);
    AAX_Result compareChunk (const ChunkRecord& chunk, bool& isEqual) const;

    /** Answers the set requests the plug-in posted; returns how many. */
    int answerAutomation();

    AAX_IACFEffectParameters* getEffect() const noexcept   { return effect; }
    AAX_IACFEffectGUI* getGui() const noexcept             { return gui; }
    HostController& getController() const noexcept         { return *controller; }

    /** The lengths the host asks shortened names for. */
    static const std::vector<std::int32_t> shortenedNameLengths;

private:
    PluginInstance() = default;

    enum class Stage { created, initialized, uninitialized, released };

    HostController* controller = nullptr;     // one reference each
    AAX_IACFEffectParameters* effect = nullptr;
    AAX_IACFEffectGUI* gui = nullptr;
    Stage stage = Stage::created;
};

} // namespace tanglefix::host
