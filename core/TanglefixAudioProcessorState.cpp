#include "TanglefixAudioProcessor.h"
#include "TanglefixBrioParameter.h"
#include "BrioXmlGuard.h"
#include "BrioPresetTree.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// The settings element carries the sound (parameters, limiter, oversampling). It is a
// preset file, the clipboard text and the core of the host state. Everything here runs
// on the message thread but the state read, which a host may make on any other: the
// changes and the read hold stateLock throughout, the callback lock only inside.

namespace
{
    const juce::String lockSeparator ("|");
    const juce::String bypassName ("Bypass");

    /** Presets, clipboard texts and host state blocks come from outside. A real settings
        document is one element of a few hundred bytes; these bounds keep anything else
        from costing unbounded memory, or unbounded stack in the XML parser. */
    constexpr BrioXmlGuard::Limits settingsTextLimits { 1024 * 1024, 256 };

    /** Whether the text of a host state block may go to getXmlFromBinary: the text
        that it reads after the 8-byte header, as many bytes as the header's length says
        and at most what the block holds. */
    bool stateTextIsSafe (const void* data, int sizeInBytes)
    {
        if (sizeInBytes <= 8)
            return true;   // holds no text; getXmlFromBinary rejects it

        const auto declared = (int) juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4));
        const auto numBytes = (size_t) juce::jlimit (0, sizeInBytes - 8, declared);

        return BrioXmlGuard::isSafeToParse (static_cast<const char*> (data) + 8, numBytes, settingsTextLimits);
    }

    juce::String attributeNameFor (const juce::AudioProcessorParameter& p)
    {
        return p.getName (50).removeCharacters (" ");
    }

    /** A stored value as the parameter should take it: a missing or non-numeric
        (NaN, infinite) value gives the default, anything else is limited to 0..1. */
    float storedValueFor (const juce::XmlElement& xml, const juce::AudioProcessorParameter& p)
    {
        const auto fallback = (double) p.getDefaultValue();
        const auto v = xml.getDoubleAttribute (attributeNameFor (p), fallback);

        return (float) juce::jlimit (0.0, 1.0, std::isfinite (v) ? v : fallback);
    }

    template <typename Function>
    void forEachBrioParameter (const juce::Array<juce::AudioProcessorParameter*>& params, Function&& f)
    {
        for (auto* p : params)
            if (auto* brio = dynamic_cast<TanglefixAudioProcessor::BrioParameter*> (p))
                f (*brio);
    }
}

//==============================================================================
juce::String TanglefixAudioProcessor::settingsElementName() const
{
    return settings.productName + "_SETTINGS";
}

juce::XmlElement TanglefixAudioProcessor::createSettingsXml()
{
    const juce::ScopedLock sl (getCallbackLock());

    juce::XmlElement xml (settingsElementName());

    forEachBrioParameter (getParameters(), [&xml] (BrioParameter& p)
    {
        xml.setAttribute (attributeNameFor (p), (double) p.getValue());
    });

    xml.setAttribute ("Limiter", limiterOn ? 1 : 0);
    xml.setAttribute ("Oversample", oversamplingFactor);
    return xml;
}

void TanglefixAudioProcessor::applySettingsXml (const juce::XmlElement* xml, bool respectLocks)
{
    const juce::ScopedLock state (stateLock);
    const ScopedSuspension suspension (*this);

    if (xml == nullptr || ! xml->hasTagName (settingsElementName()))
        return;

    const juce::ScopedLock sl (getCallbackLock());
    releaseResources();

    limiterOn = xml->getBoolAttribute ("Limiter", false);

    forEachBrioParameter (getParameters(), [this, xml, respectLocks] (BrioParameter& p)
    {
        if (respectLocks && (attributeNameFor (p) == bypassName || lockedParameterNames.contains (p.getName (50))))
            return;

        p.beginChangeGesture();
        p.setValueNotifyingHost (storedValueFor (*xml, p));
        p.endChangeGesture();
    });

    setOversamplingFactor (xml->getIntAttribute ("Oversample", 1));
}

//==============================================================================
void TanglefixAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    const juce::ScopedLock state (stateLock);
    auto xml = createSettingsXml();

    xml.setAttribute ("Preset", currentPresetName);
    xml.setAttribute ("ParameterLock", lockedParameterNames.joinIntoString (lockSeparator));

    for (int i = 0; i < numRandomLockFlags; ++i)
        xml.setAttribute ("lock" + juce::String (i), randomLockFlags[(size_t) i] ? 1 : 0);

    copyXmlToBinary (xml, destData);
}

void TanglefixAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 0 || ! stateTextIsSafe (data, sizeInBytes))
        return;

    const auto xml = getXmlFromBinary (data, sizeInBytes);

    if (xml == nullptr)
        return;

    const juce::ScopedLock state (stateLock);

    lockedParameterNames.clear();
    lockedParameterNames.addTokens (xml->getStringAttribute ("ParameterLock"), lockSeparator, "");

    applySettingsXml (xml.get(), false);

    currentPresetName = xml->getStringAttribute ("Preset");

    for (int i = 0; i < numRandomLockFlags; ++i)
        randomLockFlags[(size_t) i] = xml->getBoolAttribute ("lock" + juce::String (i), false);
}

//==============================================================================
juce::String TanglefixAudioProcessor::getCurrentPresetName() const
{
    const juce::ScopedLock state (stateLock);
    return currentPresetName;
}

void TanglefixAudioProcessor::setCurrentPresetName (const juce::String& name)
{
    const juce::ScopedLock state (stateLock);
    currentPresetName = name;
}

juce::StringArray TanglefixAudioProcessor::getLockedParameterNames() const
{
    const juce::ScopedLock state (stateLock);
    return lockedParameterNames;
}

void TanglefixAudioProcessor::setLockedParameterNames (const juce::StringArray& names)
{
    const juce::ScopedLock state (stateLock);
    lockedParameterNames = names;
}

TanglefixAudioProcessor::RandomLockFlags TanglefixAudioProcessor::getRandomLockFlags() const
{
    const juce::ScopedLock state (stateLock);
    return randomLockFlags;
}

void TanglefixAudioProcessor::setRandomLockFlags (const RandomLockFlags& flags)
{
    const juce::ScopedLock state (stateLock);
    randomLockFlags = flags;
}

//==============================================================================
juce::Result TanglefixAudioProcessor::savePresetFile (const juce::File& file)
{
    const auto xml = createSettingsXml();

    // Only the folder is created up front: an empty file made before a failed write
    // would show up in the preset list as a preset that loads nothing.
    const auto folder = file.getParentDirectory();
    const auto created = folder.createDirectory();

    if (created.failed())
        return juce::Result::fail ("Could not create the folder \"" + folder.getFullPathName()
                                   + "\": " + created.getErrorMessage());

    // A failed write leaves an older preset of that name as it was.
    if (! BrioSettings::writeDocument (xml, file))
        return juce::Result::fail ("Could not write the preset file \"" + file.getFullPathName() + "\".");

    return juce::Result::ok();
}

juce::Result TanglefixAudioProcessor::loadPresetFile (const juce::String& fullPath)
{
    if (! juce::File::isAbsolutePath (fullPath))
        return juce::Result::fail ("\"" + fullPath + "\" is not a full path.");

    // Presets lie in a folder every user can write to: anything may stand there under
    // a preset's name, so the file is read only if it is a plain file of sensible size.
    juce::MemoryBlock bytes;
    const auto read = BrioPresetTree::readPreset (settings.getPresetsFolder(), fullPath, settingsTextLimits.maxBytes, bytes);

    if (read.failed())
        return read;

    const auto xml = BrioXmlGuard::parseDocument (bytes, settingsTextLimits);

    if (xml == nullptr || ! xml->hasTagName (settingsElementName()))
        return juce::Result::fail ("\"" + fullPath + "\" is not a " + getName() + " preset.");

    // Only a preset that loaded becomes the current one: Save would otherwise propose
    // a file that was refused.
    const juce::ScopedLock state (stateLock);
    applySettingsXml (xml.get(), true);
    currentPresetName = fullPath;
    return juce::Result::ok();
}

void TanglefixAudioProcessor::loadInitPreset()
{
    const juce::ScopedLock state (stateLock);
    const ScopedSuspension suspension (*this);

    const juce::File initFile (settings.getPresetsFolder() + "/Init.qzr");

    // An Init file that cannot be loaded counts as none: the coded defaults stand.
    if (initFile.existsAsFile() && loadPresetFile (initFile.getFullPathName()).wasOk())
    {
        // What Init holds becomes what a reset, a missing attribute and the host's
        // default fall back to.
        forEachBrioParameter (getParameters(), [] (BrioParameter& p) { p.defaultValue = p.getValue(); });
    }
    else
    {
        currentPresetName = "Init";
        forEachBrioParameter (getParameters(), [] (BrioParameter& p) { p.setValueNotifyingHost (p.getDefaultValue()); });
    }
}

//==============================================================================
void TanglefixAudioProcessor::copySettingsToClipboard()
{
    juce::SystemClipboard::copyTextToClipboard (createSettingsXml().toString());
}

void TanglefixAudioProcessor::pasteSettingsFromClipboard()
{
    const auto text = juce::SystemClipboard::getTextFromClipboard();
    const auto* utf8 = text.toRawUTF8();

    const auto xml = BrioXmlGuard::parse (utf8, std::strlen (utf8), settingsTextLimits);
    applySettingsXml (xml.get(), false);
}
