#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_dsp/juce_dsp.h>

#include <array>
#include <atomic>
#include <memory>

#include "BrioSettings.h"
#include "BypassCrossfade.h"
#include "DryDelayLine.h"
#include "MultiModeSvf.h"
#include "PluginNotifications.h"
#include "RampedValue.h"

//==============================================================================
/**
    The plug-in's audio processor.

    It owns the signal chain (four band filters combined by an Operations pattern,
    optional oversampling with a matching dry delay, wet gain, dry/wet mix, soft clipper
    and bypass crossfade), the six parameters, the lock lists, the preset name, the
    editor scale, a settings store and the news fetcher.

    The editor keeps a plain pointer to it and reads and writes the public members below
    directly on the message thread; the preset name and the locks go through accessors.
*/
class TanglefixAudioProcessor  : public juce::AudioProcessor
{
public:
    class BrioParameter;

    static constexpr int numRandomLockFlags = 30;
    static constexpr int numBands = 4;
    static constexpr int numOversamplers = 4;

    TanglefixAudioProcessor();
    ~TanglefixAudioProcessor() override;

    //==============================================================================
    const juce::String getName() const override;

    void prepareToPlay (double newSampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    using juce::AudioProcessor::processBlock;

    /** The host's own bypass: the input goes through the dry delay, so the output keeps
        the latency the host compensates for; a mono input feeds both outputs. */
    void processBlockBypassed (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    using juce::AudioProcessor::processBlockBypassed;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    /** The editor comes from the factory that the ui library installs (see
        setEditorFactory); without one the processor has no editor. */
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    /** What makes the editor for a processor. The editor lives in the ui library, which
        programs of the core alone (tests, benchmarks, the renderer, the fuzz targets) do
        not link, so the core can't name it; the ui's factory object installs itself when a
        program links it (tanglefix_editor_factory in ui/CMakeLists.txt). */
    using EditorFactory = juce::AudioProcessorEditor* (*) (TanglefixAudioProcessor&);
    static void setEditorFactory (EditorFactory factory) noexcept;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int) override;
    const juce::String getProgramName (int) override;
    void changeProgramName (int, const juce::String&) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    juce::int32 getAAXPluginIDForMainBusConfig (const juce::AudioChannelSet& mainInputLayout,
                                                const juce::AudioChannelSet& mainOutputLayout,
                                                bool idForAudioSuite) const override;

    bool isBusesLayoutSupported (const BusesLayout&) const override;

    //==============================================================================
    /** Switches oversampling to 1, 2, 4, 8 or 16 times the host rate (anything else is 1).
        Any thread; blocks wait meanwhile (the callback lock). The factor in force, once
        blocks run, leaves the chain as it is and only retargets it. */
    void setOversamplingFactor (int factor);

    /** Grows the two work buffers to 2 x n samples when they hold fewer than n. */
    void ensureInternalBuffers (int numSamples);

    /** The whole audio path, in place, on the first two channels of the buffer. */
    void processStereoBlock (juce::AudioBuffer<float>& buffer, int numSamples);

    //==============================================================================
    juce::XmlElement createSettingsXml();
    void applySettingsXml (const juce::XmlElement* xml, bool respectLocks);

    juce::Result savePresetFile (const juce::File& file);

    /** Applies a preset, respecting the locks, and makes it the current preset. Fails,
        changing nothing, when the file is not a regular file of at most 1 MiB or holds
        no settings element, or lies in the presets folder where its walk no longer
        leads (BrioPresetTree::readPreset). */
    juce::Result loadPresetFile (const juce::String& fullPath);
    void loadInitPreset();

    void copySettingsToClipboard();
    void pasteSettingsFromClipboard();

    //==============================================================================
    /** The preset name and the locks belong to the host state, which a host may read on
        any thread while the editor, a preset load or a restore changes them on another.
        They live under a lock of their own, never taken on the audio thread, which a state
        read, a restore and a preset load hold throughout: a state read gives the name,
        the locks and the settings of one moment. */
    using RandomLockFlags = std::array<bool, numRandomLockFlags>;

    juce::String getCurrentPresetName() const;
    void setCurrentPresetName (const juce::String& name);

    juce::StringArray getLockedParameterNames() const;
    void setLockedParameterNames (const juce::StringArray& names);

    RandomLockFlags getRandomLockFlags() const;
    void setRandomLockFlags (const RandomLockFlags& flags);

    //==============================================================================
    BrioParameter* frequencyParam = nullptr;
    BrioParameter* emphasisParam = nullptr;
    BrioParameter* operationsParam = nullptr;
    BrioParameter* gainParam = nullptr;
    BrioParameter* mixParam = nullptr;
    BrioParameter* bypassParam = nullptr;

    BypassCrossfade crossfade;

    double windowScale = 1.0;

    double sampleRate = 44100.0;
    double blockSize = 256.0;

    juce::AudioBuffer<float> scratchBuffer;
    juce::AudioBuffer<float> dryBuffer;

    // Written by the parameters and the settings menu on other threads, read by the chain.
    std::atomic<bool> limiterOn { false };
    std::atomic<int> operationsIndex { 0 };

    RampedValue gainSmoother;
    RampedValue mixSmoother;

    MultiModeSvf bandFilters[numBands];

    std::array<std::unique_ptr<juce::dsp::Oversampling<float>>, numOversamplers> oversamplers;

    DryDelayLine dryDelay;

    int oversamplingFactor = 1;
    int oversamplerIndex = 0;
    bool oversamplingOn = false;

    LarkspanBrio::PluginNotifications notifications { "Tanglefix" };
    BrioSettings settings;

private:
    /** The name of the settings element: the product name, then "_SETTINGS". */
    juce::String settingsElementName() const;

    /** Creates the six parameters in id order and hands them to addParameter. */
    void createParameters();

    juce::dsp::Oversampling<float>& getActiveOversampler() const noexcept;

    /** setOversamplingFactor's work without the suspension around it, for prepareToPlay:
        derives the chain anew for the factor at the given host rate, or, when neither
        changes while blocks run, only retargets it. The caller holds the callback lock. */
    void configureOversampling (int factor, double newSampleRate);

    /** Derives the chain's targets from one parameter's value (by index), leaving the
        value as it is (BrioParameter::updateChainFromValue). */
    void reapplyParameter (int index);
    void reapplyChainParameters();

    /** Whether a block ran since the chain was last derived anew: then there is sound in
        the filters, the oversampler, the dry delay and the fades that a reset would cut. */
    bool isChainRunning() const noexcept;

    /** Puts a dry delay line that a derivation emptied straight at the delay this first
        block needs, with the host's bypass known only now: an empty line has nothing to
        glide from. */
    void startEmptiedDryDelay (bool hostBypassed) noexcept;

    /** Runs the chain, or only the bypass delay, over the host's buffer in any accepted layout. */
    void processLayout (juce::AudioBuffer<float>& buffer, bool hostBypassed);

    /** The longest piece of a block that the work buffers and the oversampler can take. */
    int getMaxChunkLength (int numSamples);
    void processChunk (juce::AudioBuffer<float>& buffer, int start, int numSamples, int numIns, int numOuts,
                       bool hostBypassed);

    /** Delays two channels in place by the active oversampler's latency (none without
        oversampling): its own, possibly fractional figure for the dry path of the mix, the
        rounded figure the host compensates for a bypassed signal.
    */
    void delayByLatency (juce::AudioBuffer<float>& buffer, int numSamples, bool bypassed) noexcept;
    float dryDelayInSamples (bool bypassed) const noexcept;

    /** Starts the ramps towards the control targets that other threads set since the last block. */
    void followControlTargets() noexcept;

    void copyDry (const juce::AudioBuffer<float>& buffer, int numSamples) noexcept;
    void runFilterNetwork (juce::dsp::AudioBlock<float> block);
    void applyGainAndMix (juce::AudioBuffer<float>& buffer, int numSamples) noexcept;
    static void applySoftClipper (juce::AudioBuffer<float>& buffer, int numSamples) noexcept;

    /** A NaN or infinite sample would leave the band filters not finite for good (a dead
        channel), and the oversampler and the dry delay for a while. A huge finite one is no
        better: the filters ring on with it, and their products overflow in later blocks,
        whatever those blocks bring. So once per block, a filter state beyond what any
        signal puts there, an input sample beyond it while the oversampler and the dry
        delay hold the recent input, or a last output sample that is not finite clears all
        three, so that the next block sounds as a fresh instance's would. */
    void clearSignalIfUntrusted (const juce::AudioBuffer<float>& buffer, int numSamples, bool inputTrusted) noexcept;
    bool isSignalTrusted (const juce::AudioBuffer<float>& buffer, int numSamples) const noexcept;

    /** The longest dry delay any factor uses, in whole samples. */
    int getLongestDryDelay() const noexcept;

    /** Keeps blocks silent while the chain is set up. Set-ups on several threads may
        overlap (a factor change beside a restore): processing resumes when the last one
        ends, or stays suspended if it was before the first began. */
    class ScopedSuspension
    {
    public:
        explicit ScopedSuspension (TanglefixAudioProcessor& p)  : processor (p)  { processor.beginSuspension(); }
        ~ScopedSuspension()                                                      { processor.endSuspension(); }

    private:
        TanglefixAudioProcessor& processor;
        JUCE_DECLARE_NON_COPYABLE (ScopedSuspension)
    };

    void beginSuspension();
    void endSuspension();

    // Under the callback lock, as JUCE's suspension flag is.
    int suspensionCount = 0;
    bool suspendedBeforeSetUp = false;

    // The host state beside the settings, under stateLock (see getCurrentPresetName).
    juce::CriticalSection stateLock;
    juce::String currentPresetName;
    juce::StringArray lockedParameterNames;
    RandomLockFlags randomLockFlags {};

    /** Samples per block the active oversampler was prepared for. */
    int oversamplerCapacity = 0;

    // Set by the audio thread, cleared by a derivation of the chain (under the callback
    // lock, while no block runs); other threads read them.
    std::atomic<bool> chainRunning { false };
    std::atomic<bool> dryDelayEmptied { false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TanglefixAudioProcessor)
};
