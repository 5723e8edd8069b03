#include "BrioLookAndFeel.h"

#include <BrioFonts.h>

#include <ft2build.h>
#include <freetype/freetype.h>

namespace LarkspanBrio
{

//==============================================================================
BrioLookAndFeel::BrioLookAndFeel()
{
    juce::LookAndFeel::setDefaultLookAndFeel (this);

    // JUCE caches typefaces by name and style and never asks a newly installed default
    // look and feel again: fonts resolved before this one took over would keep the
    // system's faces.
    juce::Typeface::clearTypefaceCache();
}

BrioLookAndFeel::~BrioLookAndFeel()
{
    // Leave alone a default that someone installed after us.
    if (&juce::LookAndFeel::getDefaultLookAndFeel() == this)
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);

    juce::Typeface::clearTypefaceCache();
}

//==============================================================================
void BrioLookAndFeel::setColourScheme (juce::Colour panel, juce::Colour text)
{
    const juce::Colour transparent (0x00000000);

    const std::pair<int, juce::Colour> table[] =
    {
        { juce::PopupMenu::backgroundColourId,             transparent },
        { juce::PopupMenu::textColourId,                   text.brighter (0.06f) },
        { juce::PopupMenu::highlightedBackgroundColourId,  panel },
        { juce::PopupMenu::highlightedTextColourId,        text.brighter (0.5f) },
        { juce::PopupMenu::headerTextColourId,             text },
        { juce::Label::textColourId,                       text },
        { juce::BubbleComponent::backgroundColourId,       panel },
        { juce::BubbleComponent::outlineColourId,          text },
        { juce::TooltipWindow::textColourId,               text },
        { juce::TextButton::buttonColourId,                panel.brighter (0.06f) },
        { juce::TextButton::textColourOffId,               text },
        { juce::TextButton::textColourOnId,                text },
        { panelBackgroundColourId,                         panel },
        { panelOutlineColourId,                            text },
        { juce::TextEditor::backgroundColourId,            transparent },
        { juce::TextEditor::textColourId,                  text },
        { juce::Label::textWhenEditingColourId,            text },
        { juce::TextEditor::outlineColourId,               transparent },
        { juce::TextEditor::focusedOutlineColourId,        transparent },
        { juce::TextEditor::highlightColourId,             panel.brighter (0.3f) },
        { juce::TextEditor::highlightedTextColourId,       text.brighter (0.3f) },
        { juce::CaretComponent::caretColourId,             text.brighter (0.3f) },
        { juce::ScrollBar::thumbColourId,                  text },
    };

    for (const auto& [id, colour] : table)
        setColour (id, colour);

    highlightAmount = 0.15f;
    popupAlpha = 0.95f;
}

//==============================================================================
namespace
{
    /** Whether JUCE's FreeType typeface can be made of this data: it opens the first face
        and takes a character map without checking that either exists, and scales every
        outline by the face's height.
    */
    bool freeTypeCanUse (const void* data, size_t size)
    {
        if (data == nullptr || size == 0)
            return false;

        FT_Library library = nullptr;

        if (FT_Init_FreeType (&library) != 0)
            return false;

        FT_Face face = nullptr;
        const auto usable = FT_New_Memory_Face (library, static_cast<const FT_Byte*> (data),
                                                static_cast<FT_Long> (size), 0, &face) == 0
                             && (face->face_flags & FT_FACE_FLAG_SCALABLE) != 0
                             && face->ascender > face->descender
                             && FT_Select_Charmap (face, FT_ENCODING_UNICODE) == 0;

        if (face != nullptr)
            FT_Done_Face (face);

        FT_Done_FreeType (library);
        return usable;
    }

    /** The two embedded faces. Released with JUCE's other DeletedAtShutdown objects:
        function-local statics would outlive the leak detector's counters, which are
        created only when the first glyph is loaded, and be reported as leaks at exit.
    */
    class EmbeddedTypefaces  : private juce::DeletedAtShutdown
    {
    public:
        EmbeddedTypefaces() = default;
        ~EmbeddedTypefaces() override  { clearSingletonInstance(); }

        const juce::Typeface::Ptr regular = BrioLookAndFeel::createTypeface (
            BrioFonts::OpenSansRegular_ttf, (size_t) BrioFonts::OpenSansRegular_ttfSize, juce::Font::plain);
        const juce::Typeface::Ptr bold = BrioLookAndFeel::createTypeface (
            BrioFonts::OpenSansBold_ttf, (size_t) BrioFonts::OpenSansBold_ttfSize, juce::Font::bold);

        JUCE_DECLARE_SINGLETON (EmbeddedTypefaces, false)
        JUCE_DECLARE_NON_COPYABLE (EmbeddedTypefaces)
    };

    JUCE_IMPLEMENT_SINGLETON (EmbeddedTypefaces)
}

juce::Typeface::Ptr BrioLookAndFeel::createTypeface (const void* data, size_t size, int styleFlags)
{
    if (freeTypeCanUse (data, size))
        return juce::Typeface::createSystemTypefaceFor (data, size);

    return juce::Font::getDefaultTypefaceForFont (
        juce::Font (juce::Font::getDefaultSansSerifFontName(), 1.0f, styleFlags));
}

juce::Typeface::Ptr BrioLookAndFeel::getRegularTypeface()
{
    return EmbeddedTypefaces::getInstance()->regular;
}

juce::Typeface::Ptr BrioLookAndFeel::getBoldTypeface()
{
    return EmbeddedTypefaces::getInstance()->bold;
}

juce::Typeface::Ptr BrioLookAndFeel::getTypefaceForFont (const juce::Font& font)
{
    // Only plain bold has a face of its own; italic and underlined styles have none, so
    // they fall back to the regular face rather than to a system font.
    return font.getStyleFlags() == juce::Font::bold ? getBoldTypeface()
                                                    : getRegularTypeface();
}

juce::Font BrioLookAndFeel::makeEmbeddedFont (float height) const
{
    return juce::Font (getRegularTypeface()).withHeight (height).withExtraKerningFactor (0.01f);
}

juce::Font BrioLookAndFeel::getTextButtonFont (juce::TextButton&, int)
{
    return juce::Font (16.0f);
}

juce::Font BrioLookAndFeel::getPopupMenuFont()
{
    return juce::Font (16.0f).withExtraKerningFactor (0.01f);
}

juce::Font BrioLookAndFeel::getSliderPopupFont (juce::Slider&)
{
    return getPopupMenuFont();
}

juce::Font BrioLookAndFeel::getLabelFont (juce::Label& label)
{
    if (label.getName() == "pluginName")
        return juce::Font (getBoldTypeface()).withHeight (27.0f).withExtraKerningFactor (0.01f);

    return label.getFont().withExtraKerningFactor (0.01f);
}

juce::Font BrioLookAndFeel::getComboBoxFont (juce::ComboBox& box)
{
    return makeEmbeddedFont (box.getName() == "QuorleType" ? 16.0f : 14.0f);
}

int BrioLookAndFeel::getDefaultMenuBarHeight()
{
    return 22;
}

int BrioLookAndFeel::getMinimumScrollbarThumbSize (juce::ScrollBar& scrollBar)
{
    return 2 * juce::jmin (scrollBar.getWidth(), scrollBar.getHeight());
}

//==============================================================================
void BrioLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button,
                                            const juce::Colour& backgroundColour,
                                            bool isMouseOverButton, bool isButtonDown)
{
    auto base = backgroundColour.withMultipliedAlpha (button.isEnabled() ? 0.9f : 0.5f);
    const auto outline = findColour (juce::TextButton::textColourOffId);

    if (isMouseOverButton)
        base = base.brighter (highlightAmount);

    if (isButtonDown)
        base = base.brighter (0.1f);

    const auto w = (float) button.getWidth() - 1.0f;
    const auto h = (float) button.getHeight() - 1.0f;

    if (w <= 0.0f || h <= 0.0f)
        return;

    const auto left = button.isConnectedOnLeft(), right = button.isConnectedOnRight();
    const auto top = button.isConnectedOnTop(), bottom = button.isConnectedOnBottom();

    juce::Path shape;
    shape.addRoundedRectangle (0.5f, 0.5f, w, h, 3.0f, 3.0f,
                               ! (left || top), ! (right || top),
                               ! (left || bottom), ! (right || bottom));

    drawButtonShape (g, shape, base, outline, isButtonDown);
}

void BrioLookAndFeel::drawButtonShape (juce::Graphics& g, const juce::Path& shape, juce::Colour base,
                                       juce::Colour outline, bool isButtonDown) const
{
    g.setColour (base);
    g.fillPath (shape);

    g.setColour (isButtonDown ? outline.darker (0.2f) : outline);
    g.strokePath (shape, juce::PathStrokeType (1.0f));
}

void BrioLookAndFeel::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool)
{
    const auto font = getTextButtonFont (button, button.getHeight());
    g.setFont (font);

    const auto colourId = button.getToggleState() ? juce::TextButton::textColourOnId
                                                  : juce::TextButton::textColourOffId;
    g.setColour (button.findColour (colourId).withMultipliedAlpha (button.isEnabled() ? 1.0f : 0.5f));

    const auto yIndent = juce::jmin (4, juce::roundToInt ((float) button.getHeight() * 0.5f));
    const auto side = juce::jmin (button.getWidth(), button.getHeight()) / 8 + 2;
    const auto indent = juce::jmin (side, juce::roundToInt (font.getHeight()));

    g.drawText (button.getButtonText(), indent, yIndent,
                button.getWidth() - 2 * indent, button.getHeight() - 2 * yIndent,
                juce::Justification::centred, true);
}

void BrioLookAndFeel::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button,
                                        bool isMouseOverButton, bool isButtonDown)
{
    if (button.hasKeyboardFocus (true))
    {
        g.setColour (button.findColour (juce::TextEditor::focusedOutlineColourId));
        g.drawRect (0, 0, button.getWidth(), button.getHeight());
    }

    const auto fontSize = juce::jmin (16.0f, (float) button.getHeight() * 0.75f);
    const auto tickWidth = fontSize * 1.1f;

    drawTickBox (g, button, 4.0f, ((float) button.getHeight() - tickWidth) * 0.5f, tickWidth, tickWidth,
                 button.getToggleState(), button.isEnabled(), isMouseOverButton, isButtonDown);

    g.setColour (button.findColour (juce::ToggleButton::textColourId));
    g.setFont (fontSize);

    if (! button.isEnabled())
        g.setOpacity (0.5f);

    const auto tw = (int) tickWidth;
    g.drawFittedText (button.getButtonText(), tw + 5, 0, button.getWidth() - tw - 5 - 2, button.getHeight(),
                      juce::Justification::centredLeft, 10);
}

void BrioLookAndFeel::drawTickBox (juce::Graphics& g, juce::Component&, float x, float y, float w, float h,
                                   bool ticked, bool, bool, bool)
{
    const auto d = w * 0.7f;
    const juce::Rectangle<float> circle (x - 2.0f, y + (h - d) * 0.5f + 0.5f, d, d);

    g.setColour (findColour (juce::ToggleButton::textColourId));
    g.fillEllipse (circle);

    if (ticked)
    {
        const auto inner = juce::jmax (0.0f, d - 6.0f);
        g.setColour (findColour (juce::TextButton::buttonColourId));
        g.fillEllipse (circle.getX() + 3.0f, circle.getY() + 3.0f, inner, inner);
    }
}

//==============================================================================
bool BrioLookAndFeel::menuWindowsAreOpaque() const
{
    // The same test PopupMenu's window makes before it paints itself white underneath.
    return findColour (juce::PopupMenu::backgroundColourId).isOpaque()
            || ! juce::Desktop::canUseSemiTransparentWindows();
}

void BrioLookAndFeel::drawPopupMenuBackground (juce::Graphics& g, int width, int height)
{
    const juce::Rectangle<float> panel (0.5f, 0.5f, (float) width - 1.0f, (float) height - 1.0f);
    auto fill = findColour (juce::PopupMenu::highlightedBackgroundColourId).withAlpha (popupAlpha);

    // Without a compositor (X without XRender) JUCE draws menu windows opaque on a white
    // ground: translucency and the corners outside the rounded panel would show white.
    if (menuWindowsAreOpaque())
    {
        fill = fill.withAlpha (1.0f);
        g.fillAll (fill);
    }

    g.setColour (fill);
    g.fillRoundedRectangle (panel, 3.0f);

    g.setColour (findColour (juce::PopupMenu::textColourId));
    g.drawRoundedRectangle (panel, 3.0f, 1.0f);
}

void BrioLookAndFeel::drawPopupMenuItem (juce::Graphics& g, const juce::Rectangle<int>& area,
                                         bool isSeparator, bool isActive, bool isHighlighted,
                                         bool isTicked, bool hasSubMenu,
                                         const juce::String& text, const juce::String& shortcutKeyText,
                                         const juce::Drawable* icon, const juce::Colour* textColour)
{
    const auto font = getPopupMenuFont();
    g.setFont (font);

    const auto x = area.getX() + 1, y = area.getY() + 1;
    const auto w = juce::jmax (0, area.getWidth() - 2), h = juce::jmax (0, area.getHeight() - 2);

    if (isSeparator)
    {
        g.setColour (findColour (juce::PopupMenu::textColourId).withAlpha (0.5f));
        g.fillRect ((float) x, (float) y + (float) h * 0.5f, (float) w, juce::jmin (0.5f, (float) h * 0.5f));
        return;
    }

    const auto colour = textColour != nullptr ? *textColour : findColour (juce::PopupMenu::textColourId);

    if (isHighlighted)
    {
        g.setColour (findColour (juce::PopupMenu::highlightedBackgroundColourId)
                         .brighter (highlightAmount).withAlpha (popupAlpha));
        g.fillRoundedRectangle (2.0f, 0.0f, (float) (w - 2), (float) (h + 1), 2.0f);
        g.setColour (findColour (juce::PopupMenu::highlightedTextColourId));
    }
    else
    {
        g.setColour (colour);
    }

    if (! isActive)
        g.setOpacity (0.3f);

    const auto iconColumn = juce::jmin (w, h);
    const auto iconW = (float) juce::jmax (0, iconColumn - 2), iconH = (float) juce::jmax (0, h - 2);

    // An icon takes the tick's place.
    if (icon != nullptr)
        icon->drawWithin (g, { (float) (x + 5), (float) y, iconW, iconH + 1.0f },
                          juce::RectanglePlacement::centred | juce::RectanglePlacement::onlyReduceInSize, 1.0f);
    else if (isTicked)
        g.fillEllipse (3.0f + iconW * 0.5f, iconH * 0.5f - 2.0f + tickOffsetY, 6.0f, 6.0f);

    auto textLeft = (float) (x + iconColumn);
    auto textWidth = (float) (w - iconColumn);

    if (hasSubMenu)
    {
        const auto a = 0.65f * font.getAscent();
        const auto rw = juce::jmin (textWidth, (float) (int) a);
        const auto ax = textLeft + textWidth - rw - 5.0f;
        const auto cy = (float) y + (float) h * 0.5f;

        juce::Path arrow;
        arrow.addTriangle (ax, cy - a * 0.5f, ax, cy + a * 0.5f, ax + 0.6f * a, cy);
        g.fillPath (arrow);
        textWidth -= rw;
    }

    const juce::Rectangle<int> textBox (juce::roundToInt (textLeft + 8.0f), y - 1,
                                        juce::roundToInt (textWidth - juce::jmin (textWidth, 9.0f)), h);
    g.drawFittedText (text, textBox, juce::Justification::centredLeft, 1);

    if (shortcutKeyText.isNotEmpty())
    {
        auto shortcutFont = font;
        shortcutFont.setHeight (font.getHeight() * 0.75f);
        shortcutFont.setHorizontalScale (popupAlpha);
        g.setFont (shortcutFont);
        g.drawText (shortcutKeyText, textBox, juce::Justification::centredRight, true);
    }
}

void BrioLookAndFeel::drawPopupMenuSectionHeader (juce::Graphics& g, const juce::Rectangle<int>& area,
                                                  const juce::String& sectionName)
{
    g.setFont (juce::Font (getBoldTypeface()).withHeight (16.0f));
    g.setColour (findColour (juce::PopupMenu::headerTextColourId));
    g.drawFittedText (sectionName, area.getX() + 12, area.getY(), area.getWidth() - 16,
                      (int) ((float) area.getHeight() * 0.8f), juce::Justification::bottomLeft, 1);
}

//==============================================================================
void BrioLookAndFeel::drawComboBox (juce::Graphics&, int, int, bool, int, int, int, int, juce::ComboBox&)
{
    // A combo box shows only its label.
}

void BrioLookAndFeel::positionComboBoxText (juce::ComboBox& box, juce::Label& label)
{
    label.setBounds (1, 1, box.getWidth(), box.getHeight() - 2);
    label.setFont (getComboBoxFont (box));
    label.repaint();
}

//==============================================================================
juce::TextLayout BrioLookAndFeel::layoutTooltipText (const juce::String& text, juce::Colour colour)
{
    juce::AttributedString attributed;
    attributed.setJustification (juce::Justification::centred);
    attributed.append (text, getPopupMenuFont(), colour);

    juce::TextLayout layout;
    layout.createLayout (attributed, 400.0f);
    return layout;
}

juce::Rectangle<int> BrioLookAndFeel::getTooltipBounds (const juce::String& tipText, juce::Point<int> screenPos,
                                                        juce::Rectangle<int> parentArea)
{
    const auto layout = layoutTooltipText (tipText, juce::Colours::black);
    const auto w = (int) (layout.getWidth() + 18.0f);
    const auto h = (int) (layout.getHeight() + 9.0f);
    const auto centre = parentArea.getCentre();

    // Open away from the middle of the area, so the tip stays on the pointer's near side.
    const auto x = screenPos.x > centre.x ? screenPos.x - (w + 12) : screenPos.x + 24;
    const auto y = screenPos.y > centre.y ? screenPos.y - (h + 6) : screenPos.y + 6;

    return juce::Rectangle<int> (x, y, w, h).constrainedWithin (parentArea);
}

void BrioLookAndFeel::drawTooltip (juce::Graphics& g, const juce::String& text, int width, int height)
{
    // JUCE 7's tooltip window is opaque, so the whole box is filled: corners left out of
    // a rounded fill would show whatever was in the window's buffer.
    g.fillAll (findColour (juce::TooltipWindow::backgroundColourId));

    g.setColour (findColour (juce::TooltipWindow::outlineColourId));
    g.drawRoundedRectangle (0.5f, 0.5f, (float) juce::jmax (0, width - 1), (float) juce::jmax (0, height - 1),
                            3.0f, 1.0f);

    layoutTooltipText (text, findColour (juce::TooltipWindow::textColourId))
        .draw (g, { (float) width, (float) height });
}

} // namespace LarkspanBrio
