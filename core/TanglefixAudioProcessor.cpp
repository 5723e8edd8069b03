#include "TanglefixAudioProcessor.h"

// Placeholder: the processor's construction, preparation and signal chain land with the
// audio-processor work.
TanglefixAudioProcessor::TanglefixAudioProcessor()
    : AudioProcessor (BusesProperties().withInput  ("Input",  juce::AudioChannelSet::stereo(), true)
                                       .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
}

TanglefixAudioProcessor::~TanglefixAudioProcessor() = default;

const juce::String TanglefixAudioProcessor::getName() const     { return "Tanglefix"; }
void TanglefixAudioProcessor::prepareToPlay (double, int)       {}
void TanglefixAudioProcessor::releaseResources()                {}
void TanglefixAudioProcessor::processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) {}
double TanglefixAudioProcessor::getTailLengthSeconds() const    { return 0.0; }
bool TanglefixAudioProcessor::acceptsMidi() const               { return false; }
bool TanglefixAudioProcessor::producesMidi() const              { return false; }
juce::AudioProcessorEditor* TanglefixAudioProcessor::createEditor() { return nullptr; }
bool TanglefixAudioProcessor::hasEditor() const                 { return false; }
int TanglefixAudioProcessor::getNumPrograms()                   { return 1; }
int TanglefixAudioProcessor::getCurrentProgram()                { return 0; }
void TanglefixAudioProcessor::setCurrentProgram (int)           {}
const juce::String TanglefixAudioProcessor::getProgramName (int) { return {}; }
void TanglefixAudioProcessor::changeProgramName (int, const juce::String&) {}

juce::int32 TanglefixAudioProcessor::getAAXPluginIDForMainBusConfig (const juce::AudioChannelSet&,
                                                                     const juce::AudioChannelSet&,
                                                                     bool) const
{
    return 0x6A636161;
}

bool TanglefixAudioProcessor::isBusesLayoutSupported (const BusesLayout&) const { return true; }
void TanglefixAudioProcessor::setOversamplingFactor (int) {}
void TanglefixAudioProcessor::ensureInternalBuffers (int) {}
void TanglefixAudioProcessor::processStereoBlock (juce::AudioBuffer<float>&, int) {}
void TanglefixAudioProcessor::runFilterNetwork (juce::dsp::AudioBlock<float>) {}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new TanglefixAudioProcessor();
}
