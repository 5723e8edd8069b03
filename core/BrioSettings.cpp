#include "BrioSettings.h"

// Placeholder until the settings store lands: keeps the processor linkable.
BrioSettings::BrioSettings()
    : productName (juce::String ("Tanglefix").removeCharacters (" ")),
      makerName (juce::String ("Larkspan").removeCharacters (" "))
{
}

BrioSettings::~BrioSettings() = default;

juce::String BrioSettings::getBaseFolder() const       { return {}; }
juce::String BrioSettings::getPresetsFolder() const    { return {}; }
juce::String BrioSettings::getSettingsFolder() const   { return {}; }
juce::String BrioSettings::resolveAndCreateFolder (juce::File f) { return f.getFullPathName(); }
juce::String BrioSettings::getGlobalSettingsFile() const { return {}; }
juce::String BrioSettings::getSecondSettingsFile() const { return {}; }

juce::XmlElement* BrioSettings::loadGlobalSettings (bool) { return nullptr; }
bool BrioSettings::saveGlobalSettings() { return false; }
juce::String BrioSettings::getGlobalString (const juce::String&, const juce::String& d) { return d; }
double BrioSettings::getGlobalDouble (const juce::String&, double d) { return d; }
void BrioSettings::setGlobalString (const juce::String&, const juce::String&, bool) {}
void BrioSettings::setGlobalValue (const juce::String&, double, bool) {}

juce::XmlElement* BrioSettings::loadSecondSettings (bool) { return nullptr; }
bool BrioSettings::saveSecondSettings() { return false; }
juce::String BrioSettings::getSecondString (const juce::String&, const juce::String& d) { return d; }
bool BrioSettings::getSecondBool (const juce::String&, bool d) { return d; }
void BrioSettings::setSecondString (const juce::String&, const juce::String&, bool) {}

std::unique_ptr<juce::XmlElement> BrioSettings::sortedCopy (const juce::XmlElement& e)
{
    return std::make_unique<juce::XmlElement> (e.getTagName());
}

void BrioSettings::migratePresetsOnce() {}
