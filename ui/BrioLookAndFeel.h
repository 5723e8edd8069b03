#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace LarkspanBrio
{

//==============================================================================
/**
    The one look and feel of the editor: the two embedded typefaces, a dark colour
    scheme and its own drawing of text buttons, toggle buttons, tick boxes, popup menus
    and tooltips. Everything else is LookAndFeel_V3's.

    Hold it through juce::SharedResourcePointer<BrioLookAndFeel>: the first holder
    creates it and it makes itself JUCE's default look and feel, so every component,
    menu, bubble and tooltip of the editor uses it; the last holder's release resets the
    default and deletes it. Message thread only.

    Every font, whatever family it names, is drawn with the embedded Open Sans: plain
    bold with the bold face, everything else (bold italic too) with the regular face.
*/
class BrioLookAndFeel  : public juce::LookAndFeel_V3
{
public:
    /** Colour ids of the editor's own, for the overlay panels (news, about). */
    enum ColourIds
    {
        panelBackgroundColourId = 0x1007700,   /**< fill of the overlay panels */
        panelOutlineColourId    = 0x1007600    /**< outline, text and separators of the overlay panels */
    };

    BrioLookAndFeel();
    ~BrioLookAndFeel() override;

    //==============================================================================
    /** Sets the editor's colour table from its two base colours (the panel's dark and
        the text's light) and the highlight amount it draws hovered items with.
        Every editor window calls this when it is built; the values never differ.
    */
    void setColourScheme (juce::Colour panel, juce::Colour text);

    /** The embedded faces; parsed on first use and kept until JUCE shuts its GUI down
        (DeletedAtShutdown), so that none of their glyphs outlives JUCE's leak detector.
        A later use parses them again.
    */
    static juce::Typeface::Ptr getRegularTypeface();
    static juce::Typeface::Ptr getBoldTypeface();

    /** A typeface from TrueType data in memory, or JUCE's default sans face with the
        given style flags when FreeType can make no usable face of the data (none at all,
        not a font, no Unicode character map): JUCE's own FreeType typeface crashes on such
        data.
    */
    static juce::Typeface::Ptr createTypeface (const void* data, size_t size, int styleFlags);

    /** The editor's base colours. */
    static constexpr juce::uint32 darkColour  = 0xff212528;
    static constexpr juce::uint32 lightColour = 0xffa4aab6;

    /** How much a hovered text button or a highlighted menu item is brightened. */
    float highlightAmount = 0.06f;
    /** Alpha of the menu background and highlight; also the width scale of shortcut texts. */
    float popupAlpha = 0.95f;
    /** Vertical offset of the tick dot in menu items. */
    float tickOffsetY = 0.0f;

    //==============================================================================
    int getMinimumScrollbarThumbSize (juce::ScrollBar&) override;
    juce::Typeface::Ptr getTypefaceForFont (const juce::Font&) override;

    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool isMouseOverButton, bool isButtonDown) override;
    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&, bool isMouseOverButton, bool isButtonDown) override;
    void drawToggleButton (juce::Graphics&, juce::ToggleButton&, bool isMouseOverButton, bool isButtonDown) override;
    void drawTickBox (juce::Graphics&, juce::Component&, float x, float y, float w, float h,
                      bool ticked, bool isEnabled, bool isMouseOverButton, bool isButtonDown) override;

    void drawPopupMenuBackground (juce::Graphics&, int width, int height) override;
    void drawPopupMenuItem (juce::Graphics&, const juce::Rectangle<int>& area,
                            bool isSeparator, bool isActive, bool isHighlighted, bool isTicked, bool hasSubMenu,
                            const juce::String& text, const juce::String& shortcutKeyText,
                            const juce::Drawable* icon, const juce::Colour* textColour) override;
    void drawPopupMenuSectionHeader (juce::Graphics&, const juce::Rectangle<int>& area,
                                     const juce::String& sectionName) override;
    juce::Font getPopupMenuFont() override;
    int getDefaultMenuBarHeight() override;

    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown,
                       int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox&) override;
    juce::Font getComboBoxFont (juce::ComboBox&) override;
    void positionComboBoxText (juce::ComboBox&, juce::Label&) override;

    juce::Font getLabelFont (juce::Label&) override;
    juce::Font getSliderPopupFont (juce::Slider&) override;

    juce::Rectangle<int> getTooltipBounds (const juce::String& tipText, juce::Point<int> screenPos,
                                           juce::Rectangle<int> parentArea) override;
    void drawTooltip (juce::Graphics&, const juce::String& text, int width, int height) override;

private:
    void drawButtonShape (juce::Graphics&, const juce::Path&, juce::Colour base,
                          juce::Colour outline, bool isButtonDown) const;
    juce::Font makeEmbeddedFont (float height) const;
    juce::TextLayout layoutTooltipText (const juce::String& text, juce::Colour colour);
    bool menuWindowsAreOpaque() const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BrioLookAndFeel)
};

} // namespace LarkspanBrio
