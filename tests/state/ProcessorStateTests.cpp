#include "ProcessorFixture.h"

#include <cstring>

namespace
{
    class HostStateTest  : public ProcessorTest {};

    juce::MemoryBlock stateBlock (TanglefixAudioProcessor& p)
    {
        juce::MemoryBlock block;
        p.getStateInformation (block);
        return block;
    }
}

//==============================================================================
TEST_F (HostStateTest, FreshInstanceWithoutInitFile)
{
    auto p = makeProcessor();
    const auto xml = stateXml (*p);
    ASSERT_NE (xml, nullptr);

    juce::StringArray expected { "Frequency", "Emphasis", "Operations", "Gain", "Mix", "Bypass",
                                 "Limiter", "Oversample", "Preset", "ParameterLock" };
    for (int i = 0; i < TanglefixAudioProcessor::numRandomLockFlags; ++i)
        expected.add ("lock" + juce::String (i));

    EXPECT_EQ (xml->getTagName(), "Tanglefix_SETTINGS");
    ASSERT_EQ (xml->getNumAttributes(), expected.size());

    const juce::StringArray expectedValues { "0.5", "0.5", "0.0", "0.5", "0.5", "0.0", "0", "1", "Init", "" };

    for (int i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ (xml->getAttributeName (i), expected[i]);
        EXPECT_EQ (xml->getAttributeValue (i), i < expectedValues.size() ? expectedValues[i] : "0") << expected[i];
    }
}

TEST_F (HostStateTest, RoundTripGivesTheSameBytesAndTheSameSound)
{
    auto a = makeProcessor();
    set (a->frequencyParam, 0.31f);
    set (a->emphasisParam, 0.77f);
    set (a->operationsParam, 0.6f);
    set (a->gainParam, 0.62f);
    set (a->mixParam, 0.9f);
    a->limiterOn = true;
    a->setOversamplingFactor (4);
    a->setLockedParameterNames ({ "Gain", "Mix" });
    TanglefixAudioProcessor::RandomLockFlags flags {};
    flags[0] = flags[5] = flags[29] = true;
    a->setRandomLockFlags (flags);
    a->setCurrentPresetName (presetsFolder().getChildFile ("Bass/Deep.qzr").getFullPathName());

    const auto saved = stateBlock (*a);

    auto b = makeProcessor();
    b->setStateInformation (saved.getData(), (int) saved.getSize());

    EXPECT_EQ (stateBlock (*b), saved);
    EXPECT_EQ (b->getLockedParameterNames(), a->getLockedParameterNames());   // locks don't stop a restore
    EXPECT_EQ (b->oversamplingFactor, 4);

    const auto outA = render (*a);
    const auto outB = render (*b);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < outA.getNumSamples(); ++i)
            ASSERT_EQ (outA.getSample (ch, i), outB.getSample (ch, i)) << "channel " << ch << " sample " << i;
}

TEST_F (HostStateTest, PresetPathsThatAreNoUtf8ReadBack)
{
    // Linux file names are bytes. These are no UTF-8: a surrogate's form, a number
    // beyond U+10FFFF, and a lead byte UTF-8 never uses.
    for (const auto* name : { "\xed\xa0\x80.qzr", "\xf5\x80\x80\x80.qzr", "\xff\xbf\xbf\xbf.qzr" })
    {
        const auto path = presetsFolder().getFullPathName() + "/" + juce::String (juce::CharPointer_UTF8 (name));
        ASSERT_TRUE (juce::File (path).replaceWithText ("<Tanglefix_SETTINGS Frequency=\"0.125\" Mix=\"0.25\"/>"));

        auto p = makeProcessor();
        ASSERT_TRUE (p->loadPresetFile (path).wasOk());

        auto restored = makeProcessor();
        const auto block = stateBlock (*p);
        restored->setStateInformation (block.getData(), (int) block.getSize());

        EXPECT_EQ (restored->getCurrentPresetName(), path);
        EXPECT_EQ (restored->frequencyParam->getValue(), 0.125f);
        EXPECT_EQ (restored->mixParam->getValue(), 0.25f);

        // The restored name still leads to the file.
        EXPECT_TRUE (restored->loadPresetFile (restored->getCurrentPresetName()).wasOk());
    }
}

TEST_F (HostStateTest, RestoreAppliesBypassAndSplitsTheLockList)
{
    auto p = makeProcessor();
    auto xml = p->createSettingsXml();
    xml.setAttribute ("Bypass", 1.0);
    xml.setAttribute ("ParameterLock", "Frequency||Mix");
    xml.setAttribute ("lock3", 1);

    setState (*p, xml);
    EXPECT_EQ (p->bypassParam->getValue(), 1.0f);
    EXPECT_EQ (p->getLockedParameterNames(), juce::StringArray ({ "Frequency", "", "Mix" }));
    EXPECT_TRUE (p->getRandomLockFlags()[3]);
    EXPECT_EQ (p->getCurrentPresetName(), "");   // no "Preset" attribute

    xml.setAttribute ("ParameterLock", "");
    setState (*p, xml);
    EXPECT_TRUE (p->getLockedParameterNames().isEmpty());
}

TEST_F (HostStateTest, ForeignRootKeepsTheSoundAndMissingAttributesFallBack)
{
    auto p = makeProcessor();
    set (p->gainParam, 0.9f);
    p->limiterOn = true;
    p->setOversamplingFactor (8);
    TanglefixAudioProcessor::RandomLockFlags flags {};
    flags[1] = true;
    p->setRandomLockFlags (flags);

    // Locks, preset name and flags are read from any root; the sound only from ours.
    juce::XmlElement foreign ("SomethingElse");
    foreign.setAttribute ("Gain", 0.1);
    foreign.setAttribute ("ParameterLock", "Mix");
    foreign.setAttribute ("Preset", "Elsewhere");
    foreign.setAttribute ("lock7", 1);
    setState (*p, foreign);

    EXPECT_EQ (p->gainParam->getValue(), 0.9f);
    EXPECT_TRUE (p->limiterOn);
    EXPECT_EQ (p->oversamplingFactor, 8);
    EXPECT_EQ (p->getLockedParameterNames(), juce::StringArray ({ "Mix" }));
    EXPECT_EQ (p->getCurrentPresetName(), "Elsewhere");
    EXPECT_TRUE (p->getRandomLockFlags()[7]);
    EXPECT_FALSE (p->getRandomLockFlags()[1]);

    juce::XmlElement sparse ("Tanglefix_SETTINGS");
    sparse.setAttribute ("Mix", 0.2);
    setState (*p, sparse);

    EXPECT_EQ (p->mixParam->getValue(), 0.2f);
    EXPECT_EQ (p->gainParam->getValue(), p->gainParam->getDefaultValue());
    EXPECT_FALSE (p->limiterOn);
    EXPECT_EQ (p->oversamplingFactor, 1);
    EXPECT_TRUE (p->getLockedParameterNames().isEmpty());
    EXPECT_FALSE (p->getRandomLockFlags()[7]);
}

//==============================================================================
TEST_F (HostStateTest, BadBlocksLeaveValidSettings)
{
    auto p = makeProcessor();
    set (p->mixParam, 0.3f);
    const auto good = stateBlock (*p);

    // Every truncation of a good block, and no block at all.
    for (size_t n = 0; n <= good.getSize(); ++n)
        p->setStateInformation (good.getData(), (int) n);

    p->setStateInformation (nullptr, 100);
    expectValidSettings (*p);

    // Random bytes, with and without the binary XML header in front.
    juce::Random random (42);

    for (int round = 0; round < 200; ++round)
    {
        juce::MemoryBlock noise ((size_t) random.nextInt (4096) + 1);
        random.fillBitsRandomly (noise.getData(), noise.getSize());

        if (round % 2 == 0)
            noise.copyFrom (good.getData(), 0, juce::jmin ((size_t) 8, noise.getSize()));

        p->setStateInformation (noise.getData(), (int) noise.getSize());
    }

    expectValidSettings (*p);

    // Huge blocks: megabytes of text, and nesting deep enough to exhaust the parser's stack.
    const auto wrap = [] (const juce::String& text)
    {
        juce::MemoryBlock block;
        juce::AudioProcessor::copyXmlToBinary (juce::XmlElement ("x"), block);
        block.setSize (8);
        block.append (text.toRawUTF8(), text.getNumBytesAsUTF8() + 1);
        static_cast<juce::uint32*> (block.getData())[1] = (juce::uint32) text.getNumBytesAsUTF8();
        return block;
    };

    for (const auto& text : { juce::String::repeatedString ("<a>", 2000000),
                              "<Tanglefix_SETTINGS Preset=\"" + juce::String::repeatedString ("x", 20000000) + "\"/>" })
    {
        const auto block = wrap (text);
        p->setStateInformation (block.getData(), (int) block.getSize());
    }

    expectValidSettings (*p);
    const auto out = render (*p, 2);
    EXPECT_TRUE (std::isfinite (out.getMagnitude (0, out.getNumSamples())));
}

TEST_F (HostStateTest, TextThatTrapsTheXmlParserIsRefusedEverywhere)
{
    // Each way in goes through the guard; every form it refuses is in its own tests.
    const char* texts[] =
    {
        // a processing instruction inside an element: the parser never gets past it
        "<Tanglefix_SETTINGS Gain=\"0.1\">text<?pi?>more</Tanglefix_SETTINGS>",
        // a character reference cut short: the parser reads past the end of the text
        "<Tanglefix_SETTINGS Gain=\"0.1\">&#x",
    };

    auto p = makeProcessor();
    const auto preset = presetsFolder().getChildFile ("Hostile.qzr");

    for (const auto* text : texts)
    {
        juce::MemoryBlock block;
        juce::AudioProcessor::copyXmlToBinary (juce::XmlElement ("x"), block);
        block.setSize (8);
        block.append (text, std::strlen (text));
        static_cast<juce::uint32*> (block.getData())[1] = (juce::uint32) std::strlen (text);

        p->setStateInformation (block.getData(), (int) block.getSize());
        preset.replaceWithData (text, std::strlen (text));
        p->loadPresetFile (preset.getFullPathName());
        juce::SystemClipboard::copyTextToClipboard (juce::String::fromUTF8 (text, (int) std::strlen (text)));
        p->pasteSettingsFromClipboard();

        EXPECT_EQ (p->gainParam->getValue(), 0.5f) << text;
    }
}

TEST_F (HostStateTest, DocumentsCutShortChangeNothing)
{
    auto p = makeProcessor();
    set (p->gainParam, 0.7f);
    const auto preset = presetsFolder().getChildFile ("Whole.qzr");
    ASSERT_TRUE (p->savePresetFile (preset).wasOk());
    ASSERT_TRUE (p->loadPresetFile (preset.getFullPathName()).wasOk());
    p->setLockedParameterNames ({ "Mix" });
    const auto before = stateBlock (*p);

    const char* texts[] =
    {
        // cut inside the start tag: the parser takes what it read for the whole element
        "<Tanglefix_SETTINGS Gain=\"0.1\" Mix=\"0.2\" Preset=\"Cut\" ParameterLock=\"Gain\"",
        // a whole element with something after it
        "<Tanglefix_SETTINGS Gain=\"0.1\" Preset=\"Cut\"/><Tanglefix_SETTINGS/>",
        // a value without quotes: the parser ends the element there and reports success
        "<Tanglefix_SETTINGS Frequency=\"0.9\" Emphasis=0.9 Operations=\"0.9\" Gain=\"0.9\" Preset=\"Cut\"/>",
    };

    const auto cut = presetsFolder().getChildFile ("Cut.qzr");

    for (const auto* text : texts)
    {
        juce::MemoryBlock block;
        juce::AudioProcessor::copyXmlToBinary (juce::XmlElement ("x"), block);
        block.setSize (8);
        block.append (text, std::strlen (text) + 1);
        static_cast<juce::uint32*> (block.getData())[1] = (juce::uint32) std::strlen (text) + 1;
        p->setStateInformation (block.getData(), (int) block.getSize());
        EXPECT_EQ (stateBlock (*p), before) << "state " << text;

        ASSERT_TRUE (cut.replaceWithData (text, std::strlen (text)));
        const auto loaded = p->loadPresetFile (cut.getFullPathName());
        EXPECT_TRUE (loaded.failed() && loaded.getErrorMessage().contains ("Cut.qzr")) << text;
        EXPECT_EQ (stateBlock (*p), before) << "preset " << text;

        juce::SystemClipboard::copyTextToClipboard (text);
        p->pasteSettingsFromClipboard();
        EXPECT_EQ (stateBlock (*p), before) << "paste " << text;
    }

    EXPECT_EQ (p->getCurrentPresetName(), preset.getFullPathName());
}

TEST_F (HostStateTest, HostileValuesAreLimitedOrReplacedByDefaults)
{
    auto p = makeProcessor();

    for (const auto* bad : { "nan", "-nan", "inf", "-inf", "1e308", "-7", "12", "text", "" })
    {
        juce::XmlElement xml ("Tanglefix_SETTINGS");

        for (const auto* name : { "Frequency", "Emphasis", "Operations", "Gain", "Mix", "Bypass", "Limiter" })
            xml.setAttribute (name, bad);

        xml.setAttribute ("Oversample", bad);
        setState (*p, xml);
        expectValidSettings (*p);
    }

    for (const auto* factor : { "3", "-8", "2147483647", "99999999999999" })
    {
        juce::XmlElement xml ("Tanglefix_SETTINGS");
        xml.setAttribute ("Oversample", factor);
        setState (*p, xml);
        EXPECT_EQ (p->oversamplingFactor, 1) << factor;
    }

    juce::XmlElement nan ("Tanglefix_SETTINGS");
    nan.setAttribute ("Gain", "nan");
    setState (*p, nan);
    EXPECT_EQ (p->gainParam->getValue(), p->gainParam->getDefaultValue());

    // Thousands of lock names, most of them nonsense, cost nothing but the list.
    juce::StringArray names;
    for (int i = 0; i < 20000; ++i)
        names.add ("Name" + juce::String (i));
    names.add ("Gain");

    auto many = p->createSettingsXml();
    many.setAttribute ("ParameterLock", names.joinIntoString ("|"));
    setState (*p, many);
    EXPECT_EQ (p->getLockedParameterNames().size(), names.size());

    const auto out = render (*p, 2);
    EXPECT_TRUE (std::isfinite (out.getMagnitude (0, out.getNumSamples())));
}
