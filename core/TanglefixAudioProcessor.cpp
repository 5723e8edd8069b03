#include "TanglefixAudioProcessor.h"

#include "BrioBufferUtils.h"
#include "TanglefixBrioParameter.h"
#include "SoftClipper.h"

#include <cmath>
#include <utility>

namespace
{
    constexpr juce::int32 nativePluginIdBase     = 0x6A636161;   // 'jcaa'
    constexpr juce::int32 audioSuitePluginIdBase = 0x6A796161;   // 'jyaa'

    // Indices into getParameters(), which holds the parameters in id order.
    constexpr int frequencyIndex = 0;
    constexpr int emphasisIndex  = 1;
    constexpr int gainIndex      = 3;
    constexpr int mixIndex       = 4;

    /** The largest sample or filter state the chain takes for signal. Far above any
        audio (240 dB over full scale), yet low enough that, with the filters' strongest
        resonance, the band products, the gain and the oversampler's filters stay finite
        with a wide margin. Anything beyond is treated as broken, as NaN is. */
    constexpr float trustedMagnitude = 1.0e12f;

    /** False when any sample is beyond trustedMagnitude or NaN. Counting rather than
        stopping at the first keeps the loop free of branches. */
    bool isWithinTrustedMagnitude (const float* samples, int numSamples) noexcept
    {
        int outside = 0;

        for (int i = 0; i < numSamples; ++i)
            outside += std::abs (samples[i]) <= trustedMagnitude ? 0 : 1;

        return outside == 0;
    }

    /** Combines the four band outputs; the evaluation order is part of the sound. */
    inline float combineBands (int pattern, const float (&y)[TanglefixAudioProcessor::numBands]) noexcept
    {
        switch (pattern)
        {
            case 0:  return (((y[1] * y[2]) + y[0]) + y[3]) * 0.5f;
            case 1:  return ((y[2] * y[3]) + (y[0] + y[1])) * 0.5f;
            case 2:  return (((y[0] * y[1]) + y[2]) + y[3]) * 0.5f;
            default: return (y[2] * y[3]) + (y[0] * y[1]);
        }
    }
}

//==============================================================================
TanglefixAudioProcessor::TanglefixAudioProcessor()
    : AudioProcessor (BusesProperties().withInput  ("Input",  juce::AudioChannelSet::stereo(), true)
                                       .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    // No block may run while the chain, the parameters and the Init preset come up.
    const ScopedSuspension suspension (*this);

    currentPresetName = "Init";

    const auto storedScale = settings.getGlobalDouble ("WindowSize", 1.0);
    windowScale = std::isfinite (storedScale) ? juce::jlimit (0.5, 2.0, storedScale) : 1.0;

    settings.migratePresetsOnce();

    for (auto& filter : bandFilters)
        filter.setType (0);

    for (size_t i = 0; i < oversamplers.size(); ++i)
        oversamplers[i] = std::make_unique<juce::dsp::Oversampling<float>> (
            2, i + 1, juce::dsp::Oversampling<float>::filterHalfBandFIREquiripple, false);

    createParameters();
    loadInitPreset();
    notifications.reloadSettingsAndStart();
}

TanglefixAudioProcessor::~TanglefixAudioProcessor() = default;

//==============================================================================
const juce::String TanglefixAudioProcessor::getName() const     { return "Tanglefix"; }

void TanglefixAudioProcessor::prepareToPlay (double newSampleRate, int samplesPerBlock)
{
    // Not every host keeps prepareToPlay on the message thread, and JUCE's AAX wrapper calls
    // it from inside the audio callback, with this lock held, when a block longer than any
    // before arrives. Under the lock no block, factor change or state restore re-derives
    // the chain beside it. No suspension: written on the audio thread, JUCE's suspension
    // flag could undo one that the message thread holds meanwhile (restoring a state).
    const juce::ScopedLock sl (getCallbackLock());

    const auto rate = newSampleRate > 0.0 ? newSampleRate : 44100.0;
    const auto n = samplesPerBlock >= 1 ? samplesPerBlock : 256;
    blockSize = n;

    ensureInternalBuffers (n);

    // A host that gave no usable rate or block size gets the defaults above, but the
    // oversampler is only prepared for real figures. A longer block needs no new
    // oversampler: blocks longer than it takes are processed in pieces.
    if (newSampleRate > 0.0 && samplesPerBlock > 0)
        configureOversampling (oversamplingFactor, rate);
    else if (std::exchange (sampleRate, rate) != rate || ! isChainRunning())
        crossfade.prepare (sampleRate);
}

void TanglefixAudioProcessor::releaseResources()                {}
double TanglefixAudioProcessor::getTailLengthSeconds() const    { return 0.0; }
bool TanglefixAudioProcessor::acceptsMidi() const               { return false; }
bool TanglefixAudioProcessor::producesMidi() const              { return false; }

namespace
{
    // Installed during the static initialisation of the program or bundle that links the
    // ui's factory object, before any processor exists; atomic, so that a host that
    // creates processors on another thread reads it safely.
    std::atomic<TanglefixAudioProcessor::EditorFactory> editorFactory { nullptr };
}

void TanglefixAudioProcessor::setEditorFactory (EditorFactory factory) noexcept
{
    editorFactory.store (factory);
}

juce::AudioProcessorEditor* TanglefixAudioProcessor::createEditor()
{
    const auto factory = editorFactory.load();
    return factory != nullptr ? factory (*this) : nullptr;
}

bool TanglefixAudioProcessor::hasEditor() const                 { return editorFactory.load() != nullptr; }

int TanglefixAudioProcessor::getNumPrograms()                   { return 1; }
int TanglefixAudioProcessor::getCurrentProgram()                { return 0; }
void TanglefixAudioProcessor::setCurrentProgram (int)           {}
const juce::String TanglefixAudioProcessor::getProgramName (int) { return {}; }
void TanglefixAudioProcessor::changeProgramName (int, const juce::String&) {}

//==============================================================================
juce::int32 TanglefixAudioProcessor::getAAXPluginIDForMainBusConfig (const juce::AudioChannelSet& mainInputLayout,
                                                                     const juce::AudioChannelSet& mainOutputLayout,
                                                                     bool idForAudioSuite) const
{
    const auto base = idForAudioSuite ? audioSuitePluginIdBase : nativePluginIdBase;
    const auto mono = juce::AudioChannelSet::mono();
    const auto stereo = juce::AudioChannelSet::stereo();

    if (mainInputLayout == mono && mainOutputLayout == stereo)  return base + 1;
    if (mainInputLayout == mono && mainOutputLayout == mono)    return base + 2;

    return base;
}

bool TanglefixAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    if (layouts.outputBuses.isEmpty())
        return false;

    const auto ins = layouts.getMainInputChannels();
    const auto outs = layouts.getMainOutputChannels();

    return (ins == 1 && outs == 1) || (ins == 1 && outs == 2) || (ins == 2 && outs == 2);
}

//==============================================================================
void TanglefixAudioProcessor::setOversamplingFactor (int factor)
{
    const ScopedSuspension suspension (*this);
    const juce::ScopedLock sl (getCallbackLock());
    configureOversampling (factor, sampleRate);
}

void TanglefixAudioProcessor::beginSuspension()
{
    // Each set-up saving JUCE's flag and writing it back would let the one that ends last
    // restore the other's suspension for good. The count and the flag change together,
    // under the lock that JUCE's suspendProcessing takes and the blocks run under.
    const juce::ScopedLock sl (getCallbackLock());

    if (suspensionCount++ == 0)
    {
        suspendedBeforeSetUp = isSuspended();
        suspendProcessing (true);
    }
}

void TanglefixAudioProcessor::endSuspension()
{
    const juce::ScopedLock sl (getCallbackLock());

    if (--suspensionCount == 0)
        suspendProcessing (suspendedBeforeSetUp);
}

void TanglefixAudioProcessor::configureOversampling (int factor, double newSampleRate)
{
    if (factor != 1 && factor != 2 && factor != 4 && factor != 8 && factor != 16)
        factor = 1;

    // Nothing the chain was derived from changed: a reset would only cut the sound short
    // (a click). The targets follow the values, ramping in as automation does.
    if (factor == oversamplingFactor && newSampleRate == sampleRate && isChainRunning())
    {
        reapplyChainParameters();
        return;
    }

    const auto delayWasInUse = oversamplingOn;
    oversamplingFactor = factor;
    sampleRate = newSampleRate;
    auto filterRate = sampleRate;

    // No block runs meanwhile, and the chain is derived anew from the settings in place, as
    // the smoothers below are: a bypass asked for since the last block holds at once.
    crossfade.prepare (sampleRate);

    if (factor >= 2)
    {
        oversamplingOn = true;
        oversamplerIndex = juce::roundToInt (std::log2 (factor)) - 1;

        const auto capacity = juce::jmax (1, (int) blockSize);
        getActiveOversampler().initProcessing ((size_t) capacity);
        oversamplerCapacity = capacity;
        filterRate = factor * sampleRate;

        // While oversampling was off the dry delay was not written: what it holds is
        // audio from back then, which must not come out again.
        if (! delayWasInUse)
        {
            dryDelay.restart (dryDelayInSamples (crossfade.isFullyBypassed()));
            dryDelayEmptied.store (true, std::memory_order_relaxed);
        }
    }
    else
    {
        oversamplingOn = false;
    }

    for (auto& filter : bandFilters)
    {
        filter.setSampleRate ((float) filterRate);
        filter.prepare();
    }

    gainSmoother.reset (sampleRate, 0.01);
    mixSmoother.reset (sampleRate, 0.01);

    reapplyChainParameters();
    chainRunning.store (false, std::memory_order_relaxed);

    // The host hears of the new latency here, on the message thread, and only here: a
    // change reported from the audio callback would take JUCE's listener lock and call
    // into the host there. Bypassed or not, the output carries this latency from the
    // next block on.
    setLatencySamples (oversamplingOn ? juce::roundToInt (getActiveOversampler().getLatencyInSamples()) : 0);
}

bool TanglefixAudioProcessor::isChainRunning() const noexcept
{
    return chainRunning.load (std::memory_order_relaxed);
}

juce::dsp::Oversampling<float>& TanglefixAudioProcessor::getActiveOversampler() const noexcept
{
    return *oversamplers[(size_t) oversamplerIndex];
}

void TanglefixAudioProcessor::reapplyParameter (int index)
{
    // The targets anew, the cutoffs against the new limit among them.
    if (auto* parameter = dynamic_cast<BrioParameter*> (getParameters()[index]))
        parameter->updateChainFromValue();
}

void TanglefixAudioProcessor::reapplyChainParameters()
{
    reapplyParameter (frequencyIndex);
    reapplyParameter (emphasisIndex);
    reapplyParameter (mixIndex);
    reapplyParameter (gainIndex);
}

void TanglefixAudioProcessor::ensureInternalBuffers (int numSamples)
{
    if (dryBuffer.getNumSamples() >= numSamples)
        return;

    scratchBuffer.setSize (2, 2 * numSamples);
    dryBuffer.setSize (2, 2 * numSamples);
    scratchBuffer.clear();
    dryBuffer.clear();
}

//==============================================================================
int TanglefixAudioProcessor::getMaxChunkLength (int numSamples)
{
    // Only a processor that was never prepared has no buffers yet.
    if (dryBuffer.getNumSamples() == 0)
        ensureInternalBuffers (numSamples);

    auto limit = dryBuffer.getNumSamples();

    if (oversamplingOn)
        limit = juce::jmin (limit, oversamplerCapacity);

    return juce::jmax (1, limit);
}

void TanglefixAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    processLayout (buffer, false);
}

void TanglefixAudioProcessor::processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    processLayout (buffer, true);
}

void TanglefixAudioProcessor::processLayout (juce::AudioBuffer<float>& buffer, bool hostBypassed)
{
    const auto numIns = getTotalNumInputChannels();
    const auto numOuts = juce::jmin (getTotalNumOutputChannels(), buffer.getNumChannels());
    const auto numSamples = buffer.getNumSamples();

    for (auto ch = juce::jmin (numIns, 2); ch < numOuts; ++ch)
        buffer.clear (ch, 0, numSamples);

    chainRunning.store (true, std::memory_order_relaxed);
    startEmptiedDryDelay (hostBypassed);

    // A host may deliver a longer block than it announced. Growing the buffers here
    // would allocate on the audio thread, and the oversampler must never see more than
    // it was prepared for, so such a block is processed in pieces instead.
    const auto maxChunk = getMaxChunkLength (numSamples);

    for (int start = 0; start < numSamples; start += maxChunk)
        processChunk (buffer, start, juce::jmin (maxChunk, numSamples - start), numIns, numOuts, hostBypassed);
}

void TanglefixAudioProcessor::processChunk (juce::AudioBuffer<float>& buffer, int start, int numSamples,
                                            int numIns, int numOuts, bool hostBypassed)
{
    const auto run = [this, numSamples, hostBypassed] (juce::AudioBuffer<float>& stereo)
    {
        if (hostBypassed)
            delayByLatency (stereo, numSamples, true);
        else
            processStereoBlock (stereo, numSamples);
    };

    if (numIns == 2 && numOuts == 2)
    {
        // A view of the host's own channels: no copy, and no allocation for two channels.
        juce::AudioBuffer<float> view (buffer.getArrayOfWritePointers(), 2, start, numSamples);
        run (view);
        return;
    }

    if (numIns != 1 || (numOuts != 1 && numOuts != 2))
        return;

    scratchBuffer.copyFrom (0, 0, buffer, 0, start, numSamples);
    scratchBuffer.copyFrom (1, 0, buffer, 0, start, numSamples);

    run (scratchBuffer);

    for (int ch = 0; ch < numOuts; ++ch)
        buffer.copyFrom (ch, start, scratchBuffer, ch, 0, numSamples);
}

//==============================================================================
void TanglefixAudioProcessor::processStereoBlock (juce::AudioBuffer<float>& buffer, int numSamples)
{
    const juce::ScopedNoDenormals noDenormals;

    crossfade.followRequest();

    // Fully bypassed: the input passes untouched but for the delay, which keeps it in
    // line with the latency the host compensates, and keeps the delay line current for
    // the release.
    if (crossfade.isFullyBypassed())
    {
        delayByLatency (buffer, numSamples, true);
        return;
    }

    followControlTargets();
    auto block = juce::dsp::AudioBlock<float> (buffer.getArrayOfWritePointers(), 2, (size_t) numSamples);

    // The latency itself was announced by setOversamplingFactor, off this thread.
    copyDry (buffer, numSamples);

    // Without oversampling the filters alone keep anything of the input past the block,
    // and their state is checked at its end.
    const auto inputTrusted = ! oversamplingOn
                               || (isWithinTrustedMagnitude (dryBuffer.getReadPointer (0), numSamples)
                                   && isWithinTrustedMagnitude (dryBuffer.getReadPointer (1), numSamples));

    delayByLatency (dryBuffer, numSamples, false);

    if (oversamplingOn)
    {
        auto& oversampler = getActiveOversampler();
        runFilterNetwork (oversampler.processSamplesUp (block));
        oversampler.processSamplesDown (block);
    }
    else
    {
        runFilterNetwork (block);
    }

    applyGainAndMix (buffer, numSamples);

    if (limiterOn.load (std::memory_order_relaxed))
        applySoftClipper (buffer, numSamples);

    crossfade.process (buffer, dryBuffer, numSamples);
    clearSignalIfUntrusted (buffer, numSamples, inputTrusted);
}

void TanglefixAudioProcessor::followControlTargets() noexcept
{
    // Once per block: the per-sample loops then touch no atomic.
    gainSmoother.followTarget();
    mixSmoother.followTarget();

    for (auto& filter : bandFilters)
        filter.followTargets();
}

void TanglefixAudioProcessor::delayByLatency (juce::AudioBuffer<float>& buffer, int numSamples, bool bypassed) noexcept
{
    if (! oversamplingOn)
        return;

    // The dry path must meet the wet one where the oversampler puts it (16x: 42.125 samples
    // at any rate). A bypassed signal must come out untouched once the host has taken off
    // the latency it was told, a whole number: a fractional delay would interpolate it,
    // dulling the highs. Between the two the line glides, as for any change of delay.
    dryDelay.delaySmoother.setTarget (dryDelayInSamples (bypassed));
    dryDelay.process (buffer, numSamples);
}

void TanglefixAudioProcessor::startEmptiedDryDelay (bool hostBypassed) noexcept
{
    if (! dryDelayEmptied.exchange (false, std::memory_order_relaxed) || ! oversamplingOn)
        return;

    // The line was put at the delay of the state derived then, but the host's bypass,
    // known from the first block only, wants the whole number; a glide from the fraction
    // would interpolate the first few hundred bypassed samples.
    dryDelay.delaySmoother.jumpTo (dryDelayInSamples (hostBypassed || crossfade.isFullyBypassed()));
}

float TanglefixAudioProcessor::dryDelayInSamples (bool bypassed) const noexcept
{
    const auto latency = getActiveOversampler().getLatencyInSamples();
    return bypassed ? (float) juce::roundToInt (latency) : (float) latency;
}

void TanglefixAudioProcessor::copyDry (const juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    for (int ch = 0; ch < 2; ++ch)
        dryBuffer.copyFrom (ch, 0, buffer, ch, 0, numSamples);
}

void TanglefixAudioProcessor::runFilterNetwork (juce::dsp::AudioBlock<float> block)
{
    const auto pattern = operationsIndex.load (std::memory_order_relaxed);

    if (pattern < 0 || pattern > 3)
        return;

    auto* left = block.getChannelPointer (0);
    auto* right = block.getChannelPointer (1);
    const auto numSamples = block.getNumSamples();

    for (size_t i = 0; i < numSamples; ++i)
    {
        float yL[numBands], yR[numBands];

        // Left before right for each filter, so the filter ramps move once per pair.
        for (int b = 0; b < numBands; ++b)
        {
            yL[b] = bandFilters[b].processSample (left[i], 0);
            yR[b] = bandFilters[b].processSample (right[i], 1);
        }

        left[i] = combineBands (pattern, yL);
        right[i] = combineBands (pattern, yR);
    }
}

void TanglefixAudioProcessor::applyGainAndMix (juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    auto* left = buffer.getWritePointer (0);
    auto* right = buffer.getWritePointer (1);
    const auto* dryL = dryBuffer.getReadPointer (0);
    const auto* dryR = dryBuffer.getReadPointer (1);

    for (int i = 0; i < numSamples; ++i)
    {
        const auto g = gainSmoother.getNextValue();
        const auto m = mixSmoother.getNextValue();

        left[i] = (left[i] * g - dryL[i]) * m + dryL[i];
        right[i] = (right[i] * g - dryR[i]) * m + dryR[i];
    }
}

void TanglefixAudioProcessor::applySoftClipper (juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    for (int ch = 0; ch < 2; ++ch)
    {
        auto* samples = buffer.getWritePointer (ch);

        for (int i = 0; i < numSamples; ++i)
            samples[i] = SoftClipper::process (samples[i]);
    }
}

void TanglefixAudioProcessor::clearSignalIfUntrusted (const juce::AudioBuffer<float>& buffer, int numSamples,
                                                      bool inputTrusted) noexcept
{
    if (inputTrusted && isSignalTrusted (buffer, numSamples))
        return;

    for (auto& filter : bandFilters)
        filter.clearState();

    if (oversamplingOn)
    {
        getActiveOversampler().reset();
        dryDelay.clearRecent (getLongestDryDelay());
    }
}

bool TanglefixAudioProcessor::isSignalTrusted (const juce::AudioBuffer<float>& buffer, int numSamples) const noexcept
{
    // The filters' state is what never recovers by itself. The last output sample stands
    // for the rest: not finite there at the end of a block, a value may still be inside
    // the oversampler, the dry delay or a smoother.
    for (const auto& filter : bandFilters)
        if (! filter.hasStateWithin (trustedMagnitude))
            return false;

    return numSamples < 1 || (std::isfinite (buffer.getReadPointer (0)[numSamples - 1])
                              && std::isfinite (buffer.getReadPointer (1)[numSamples - 1]));
}

int TanglefixAudioProcessor::getLongestDryDelay() const noexcept
{
    auto longest = 0.0f;

    for (const auto& oversampler : oversamplers)
        longest = juce::jmax (longest, oversampler->getLatencyInSamples());

    return (int) std::ceil (longest);
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new TanglefixAudioProcessor();
}
