#include <gtest/gtest.h>

#include <BrioFonts.h>

#include "BrioLookAndFeel.h"

// The embedded typefaces without a display: what data makes them, and how long they live.
// Each test holds its own JUCE GUI session, as a host holds one per plug-in instance.
namespace
{
    using LarkspanBrio::BrioLookAndFeel;

    bool drawsLetters (juce::Typeface& face)
    {
        juce::Array<int> glyphs;
        juce::Array<float> offsets;
        face.getGlyphPositions ("A", glyphs, offsets);

        juce::Path outline;
        return glyphs.size() == 1 && face.getOutlineForGlyph (glyphs[0], outline) && ! outline.isEmpty();
    }

    juce::Typeface::Ptr defaultSansFace (int styleFlags)
    {
        return juce::Font::getDefaultTypefaceForFont (
            juce::Font (juce::Font::getDefaultSansSerifFontName(), 1.0f, styleFlags));
    }
}

TEST (EmbeddedTypefaces, DataThatMakesNoFaceGivesJucesDefaultSansFace)
{
    const juce::ScopedJuceInitialiser_GUI gui;

    const char notAFont[] = "<svg>this is no font</svg>";
    const char emptySfnt[12] = { 0, 1, 0, 0 };    // a TrueType header naming no tables
    const juce::MemoryBlock truncated (BrioFonts::OpenSansRegular_ttf, 64);

    const std::pair<const void*, size_t> unusable[] =
    {
        { nullptr, 0 }, { BrioFonts::OpenSansRegular_ttf, 0 }, { notAFont, sizeof (notAFont) },
        { emptySfnt, sizeof (emptySfnt) }, { truncated.getData(), truncated.getSize() },
    };

    for (const auto styleFlags : { (int) juce::Font::plain, (int) juce::Font::bold })
    {
        const auto expected = defaultSansFace (styleFlags);

        for (const auto& [data, size] : unusable)
        {
            const auto face = BrioLookAndFeel::createTypeface (data, size, styleFlags);
            ASSERT_NE (face, nullptr) << size << " bytes";
            EXPECT_EQ (face->getName(), expected->getName()) << size << " bytes";
            EXPECT_EQ (face->getStyle(), expected->getStyle()) << size << " bytes";
        }
    }
}

TEST (EmbeddedTypefaces, AreReleasedWhenJuceShutsItsGuiDown)
{
    juce::Typeface::Ptr regular, bold;

    {
        const juce::ScopedJuceInitialiser_GUI gui;
        const juce::SharedResourcePointer<BrioLookAndFeel> lf;

        // Glyphs load lazily; the editor's first paint loads some through fonts that
        // JUCE's typeface cache resolves.
        regular = juce::Font ("Any Sans", 14.0f, juce::Font::plain).getTypefacePtr();
        bold = juce::Font ("Any Sans", 14.0f, juce::Font::bold).getTypefacePtr();
        ASSERT_EQ (regular, BrioLookAndFeel::getRegularTypeface());
        ASSERT_EQ (bold, BrioLookAndFeel::getBoldTypeface());
        EXPECT_TRUE (drawsLetters (*regular));
        EXPECT_TRUE (drawsLetters (*bold));
    }

    // Only this test holds them now: nothing is left for the leak detector to report.
    EXPECT_EQ (regular->getReferenceCount(), 1);
    EXPECT_EQ (bold->getReferenceCount(), 1);

    // A later session (the host's next instance) parses them anew.
    const juce::ScopedJuceInitialiser_GUI gui;
    const auto again = BrioLookAndFeel::getRegularTypeface();
    EXPECT_NE (again, regular);
    EXPECT_EQ (again->getName(), "Open Sans");
    EXPECT_TRUE (drawsLetters (*again));
}
