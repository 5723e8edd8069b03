#include <gtest/gtest.h>

#include "BrioLookAndFeel.h"

namespace
{
    using LarkspanBrio::BrioLookAndFeel;
    using SharedLookAndFeel = juce::SharedResourcePointer<BrioLookAndFeel>;

    /** The shared look and feel with the editor's colour scheme, as every window sets it. */
    struct SchemedLookAndFeel
    {
        SchemedLookAndFeel()  { lf->setColourScheme (juce::Colour (BrioLookAndFeel::darkColour),
                                                     juce::Colour (BrioLookAndFeel::lightColour)); }
        SharedLookAndFeel lf;
    };

    juce::Typeface* faceOf (BrioLookAndFeel& lf, int styleFlags)
    {
        return lf.getTypefaceForFont (juce::Font ("Whatever Sans", 14.0f, styleFlags)).get();
    }

    /** Draws through a look-and-feel call into a transparent image. */
    template <typename Draw>
    juce::Image render (int w, int h, Draw&& draw)
    {
        juce::Image image (juce::Image::ARGB, w, h, true);
        juce::Graphics g (image);
        draw (g);
        return image;
    }

    bool drawsSomething (juce::Typeface& face, juce::juce_wchar c)
    {
        juce::Array<int> glyphs;
        juce::Array<float> offsets;
        face.getGlyphPositions (juce::String::charToString (c), glyphs, offsets);

        juce::Path outline;
        return glyphs.size() == 1 && face.getOutlineForGlyph (glyphs[0], outline) && ! outline.isEmpty();
    }

    bool isBlank (const juce::Image& image)
    {
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (image.getPixelAt (x, y).getAlpha() != 0)
                    return false;

        return true;
    }
}

//==============================================================================
TEST (LookAndFeel, ColourSchemeGivesTheEditorsTable)
{
    SchemedLookAndFeel s;

    const std::pair<int, juce::uint32> expected[] =
    {
        { 0x1000700, 0x00000000 }, { 0x1000600, 0xffa9aeba }, { 0x1000900, 0xff212528 },
        { 0x1000800, 0xffc2c6ce }, { 0x1000601, 0xffa4aab6 }, { 0x1000281, 0xffa4aab6 },
        { 0x1000af0, 0xff212528 }, { 0x1000af1, 0xffa4aab6 }, { 0x1001c00, 0xffa4aab6 },
        { 0x1000100, 0xff2d3134 }, { 0x1000102, 0xffa4aab6 }, { 0x1000103, 0xffa4aab6 },
        { 0x1007700, 0xff212528 }, { 0x1007600, 0xffa4aab6 }, { 0x1000200, 0x00000000 },
        { 0x1000201, 0xffa4aab6 }, { 0x1000284, 0xffa4aab6 }, { 0x1000205, 0x00000000 },
        { 0x1000206, 0x00000000 }, { 0x1000202, 0xff545759 }, { 0x1000203, 0xffb9bdc6 },
        { 0x1000204, 0xffb9bdc6 }, { 0x1000400, 0xffa4aab6 },
    };

    for (const auto& [id, argb] : expected)
        EXPECT_EQ (s.lf->findColour (id).getARGB(), argb) << std::hex << "colour id 0x" << id;

    EXPECT_FLOAT_EQ (s.lf->highlightAmount, 0.15f);
    EXPECT_FLOAT_EQ (s.lf->popupAlpha, 0.95f);
}

TEST (LookAndFeel, IsJucesDefaultWhileAnyHolderLives)
{
    {
        SharedLookAndFeel first;
        EXPECT_FLOAT_EQ (first->highlightAmount, 0.06f);

        {
            SharedLookAndFeel second;
            EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), &first.get());
            EXPECT_EQ (&second.get(), &first.get());
        }

        EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), &first.get());
    }

    EXPECT_EQ (dynamic_cast<BrioLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()), nullptr);
}

TEST (LookAndFeel, FontsResolvedBeforeItsArrivalUseItsFaces)
{
    const juce::Font early ("Early Sans", 13.0f, juce::Font::plain);
    early.getStringWidthFloat ("resolved now");

    SharedLookAndFeel lf;
    EXPECT_EQ (juce::Font ("Early Sans", 13.0f, juce::Font::plain).getTypefacePtr().get(),
               BrioLookAndFeel::getRegularTypeface().get());
}

//==============================================================================
TEST (LookAndFeel, OnlyPlainBoldGetsTheBoldFace)
{
    SharedLookAndFeel lf;
    const auto* regular = BrioLookAndFeel::getRegularTypeface().get();
    const auto* bold = BrioLookAndFeel::getBoldTypeface().get();

    ASSERT_NE (regular, bold);
    EXPECT_EQ (faceOf (*lf, juce::Font::bold), bold);
    EXPECT_EQ (faceOf (*lf, juce::Font::plain), regular);
    EXPECT_EQ (faceOf (*lf, juce::Font::italic), regular);
    EXPECT_EQ (faceOf (*lf, juce::Font::bold | juce::Font::italic), regular);
    EXPECT_EQ (faceOf (*lf, juce::Font::bold | juce::Font::underlined), regular);
}

TEST (LookAndFeel, EmbeddedFacesDrawEveryLetterOfTheirSet)
{
    juce::String letters;

    for (juce::juce_wchar c = 0x21; c <= 0x17f; ++c)
        if ((c < 0x7f || c > 0xa0) && c != 0xad)    // the soft hyphen is invisible by design
            letters += juce::String::charToString (c);

    letters += juce::String (juce::CharPointer_UTF8 ("\xe2\x82\xac\xe2\x84\xa2\xc3\x97\xe2\x88\x92\xe2\x80\xa6"));

    for (auto* face : { BrioLookAndFeel::getRegularTypeface().get(), BrioLookAndFeel::getBoldTypeface().get() })
    {
        ASSERT_NE (face, nullptr);
        EXPECT_EQ (face->getName(), "Open Sans");

        for (const auto c : letters)
            EXPECT_TRUE (drawsSomething (*face, c)) << face->getStyle() << " lacks U+" << std::hex << (int) c;

        // Kerned, as the whole typeface is.
        EXPECT_LT (face->getStringWidth ("AV"), face->getStringWidth ("A") + face->getStringWidth ("V"));
    }

    // The subset really is one: a Cyrillic letter has no glyph.
    EXPECT_FALSE (drawsSomething (*BrioLookAndFeel::getRegularTypeface(), 0x416));
}

TEST (LookAndFeel, NamedComponentsGetTheirFonts)
{
    SharedLookAndFeel lf;

    juce::Label name ("pluginName");
    name.setFont (juce::Font (12.0f));
    const auto nameFont = lf->getLabelFont (name);
    EXPECT_EQ (nameFont.getTypefacePtr().get(), BrioLookAndFeel::getBoldTypeface().get());
    EXPECT_FLOAT_EQ (nameFont.getHeight(), 27.0f);
    EXPECT_FLOAT_EQ (nameFont.getExtraKerningFactor(), 0.01f);

    name.setName ("caption");
    const auto captionFont = lf->getLabelFont (name);
    EXPECT_FLOAT_EQ (captionFont.getHeight(), 12.0f);
    EXPECT_FLOAT_EQ (captionFont.getExtraKerningFactor(), 0.01f);

    juce::ComboBox presets ("QuorleType"), other ("other");
    EXPECT_FLOAT_EQ (lf->getComboBoxFont (presets).getHeight(), 16.0f);
    EXPECT_FLOAT_EQ (lf->getComboBoxFont (other).getHeight(), 14.0f);
    EXPECT_EQ (lf->getComboBoxFont (other).getTypefacePtr().get(), BrioLookAndFeel::getRegularTypeface().get());

    juce::TextButton button;
    EXPECT_FLOAT_EQ (lf->getTextButtonFont (button, 40).getHeight(), 16.0f);
    EXPECT_FLOAT_EQ (lf->getTextButtonFont (button, 40).getExtraKerningFactor(), 0.0f);
    EXPECT_FLOAT_EQ (lf->getPopupMenuFont().getHeight(), 16.0f);
    EXPECT_FLOAT_EQ (lf->getPopupMenuFont().getExtraKerningFactor(), 0.01f);
    EXPECT_EQ (lf->getDefaultMenuBarHeight(), 22);
}

//==============================================================================
TEST (LookAndFeel, TextButtonBackgrounds)
{
    SchemedLookAndFeel s;
    juce::TextButton button;
    const juce::Colour base (0xff405060);

    button.setSize (1, 20);
    EXPECT_TRUE (isBlank (render (4, 24, [&] (juce::Graphics& g) { s.lf->drawButtonBackground (g, button, base, false, false); })));

    button.setSize (40, 20);
    const auto centreOf = [&] (bool over, bool down)
    {
        return render (40, 20, [&] (juce::Graphics& g) { s.lf->drawButtonBackground (g, button, base, over, down); })
                   .getPixelAt (20, 10);
    };

    const auto plain = centreOf (false, false);
    EXPECT_NEAR (plain.getFloatAlpha(), 0.9f, 0.01f);
    EXPECT_GT (centreOf (true, false).getBrightness(), plain.getBrightness());
    EXPECT_GT (centreOf (true, true).getBrightness(), centreOf (true, false).getBrightness());

    button.setEnabled (false);
    EXPECT_NEAR (centreOf (false, false).getFloatAlpha(), 0.5f, 0.01f);
}

TEST (LookAndFeel, TooltipsOpenAwayFromTheCentreAndStayInside)
{
    SharedLookAndFeel lf;
    const juce::Rectangle<int> area (0, 0, 800, 600);

    const auto leftAbove = lf->getTooltipBounds ("Tip", { 600, 500 }, area);
    EXPECT_LT (leftAbove.getRight(), 600);
    EXPECT_LT (leftAbove.getBottom(), 500);

    const auto rightBelow = lf->getTooltipBounds ("Tip", { 100, 100 }, area);
    EXPECT_EQ (rightBelow.getX(), 124);
    EXPECT_EQ (rightBelow.getY(), 106);

    const auto nearEdge = lf->getTooltipBounds ("A rather longer tip", { 5, 590 }, area);
    EXPECT_TRUE (area.contains (nearEdge));
}
