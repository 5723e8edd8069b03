#include "TanglefixAudioProcessor.h"

// Placeholder: the settings element, host state, presets and clipboard land with the
// state work.
juce::XmlElement TanglefixAudioProcessor::createSettingsXml() { return juce::XmlElement ("Tanglefix_SETTINGS"); }
void TanglefixAudioProcessor::applySettingsXml (const juce::XmlElement*, bool) {}
void TanglefixAudioProcessor::getStateInformation (juce::MemoryBlock&) {}
void TanglefixAudioProcessor::setStateInformation (const void*, int) {}
juce::Result TanglefixAudioProcessor::savePresetFile (const juce::File&) { return juce::Result::ok(); }
void TanglefixAudioProcessor::loadPresetFile (const juce::String&) {}
void TanglefixAudioProcessor::loadInitPreset() {}
void TanglefixAudioProcessor::copySettingsToClipboard() {}
void TanglefixAudioProcessor::pasteSettingsFromClipboard() {}
