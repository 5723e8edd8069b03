#include "NotificationList.h"
#include "BrioLookAndFeel.h"

#include <BrioArt.h>
#include <PluginNotifications.h>

namespace
{
    /** The words in a news id that choose its icon. They are kept scrambled so that
        they don't stand out in the binary as a list of news categories. */
    const juce::String& firstKindWord()
    {
        static const juce::String word = BrioRot13().apply ("fcrpvny");    // offers and notices
        return word;
    }

    const juce::String& secondKindWord()
    {
        static const juce::String word = BrioRot13().apply ("hcqngr");     // new versions
        return word;
    }

    std::unique_ptr<juce::Drawable> iconForId (const juce::String& id)
    {
        if (id.containsIgnoreCase (firstKindWord()))
            return juce::Drawable::createFromImageData (BrioArt::news_kind_1_svg, BrioArt::news_kind_1_svgSize);

        if (id.containsIgnoreCase (secondKindWord()))
            return juce::Drawable::createFromImageData (BrioArt::news_kind_2_svg, BrioArt::news_kind_2_svgSize);

        return juce::Drawable::createFromImageData (BrioArt::news_other_svg, BrioArt::news_other_svgSize);
    }

    const juce::Rectangle<float> iconArea (5.0f, 5.0f, 15.0f, 15.0f);
    constexpr float textSize = 16.0f;
}

//==============================================================================
NotificationList::NotificationEntry::NotificationEntry (BrioLauncher& launcherToUse)
    : launcher (launcherToUse)
{
    text.setJustification (juce::Justification::left);
    text.setWordWrap (juce::AttributedString::byWord);
}

NotificationList::NotificationEntry::~NotificationEntry() = default;

void NotificationList::NotificationEntry::setContent (const juce::String& title, const juce::String& message,
                                                       const juce::String& newLink, const juce::String& id)
{
    text.clear();
    text.append (title + "\n", juce::Font (textSize, juce::Font::bold));
    text.append (message + "\n", juce::Font (textSize, juce::Font::plain));
    text.setJustification (juce::Justification::left);
    text.setColour (findColour (LarkspanBrio::BrioLookAndFeel::panelOutlineColourId));
    text.setWordWrap (juce::AttributedString::byWord);

    // The fetcher cleans links already; rows can be filled from elsewhere too, and
    // whatever is clicked here goes to another program.
    link = LarkspanBrio::PluginNotifications::safeLink (newLink);

    setMouseCursor (hasLink() ? juce::MouseCursor::PointingHandCursor : juce::MouseCursor::NormalCursor);
    setIconForId (id);
    repaint();
}

void NotificationList::NotificationEntry::setIconForId (const juce::String& id)
{
    icon = iconForId (id);

    if (icon == nullptr)
        return;

    addAndMakeVisible (*icon);
    icon->setTransformToFit (iconArea, juce::RectanglePlacement::centred);
    icon->replaceColour (juce::Colours::black, findColour (juce::Label::textColourId));
}

void NotificationList::NotificationEntry::setLast (bool shouldBeLast)
{
    if (isLast != shouldBeLast)
    {
        isLast = shouldBeLast;
        repaint();
    }
}

bool NotificationList::NotificationEntry::hasLink() const
{
    return link.isNotEmpty() && ! link.equalsIgnoreCase ("#");
}

void NotificationList::NotificationEntry::paint (juce::Graphics& g)
{
    const auto w = (float) getWidth();
    const auto h = (float) getHeight();

    if (hovered)
    {
        g.setColour (findColour (juce::PopupMenu::highlightedBackgroundColourId).brighter (0.08f).withAlpha (0.95f));
        g.fillRoundedRectangle (0.0f, 0.0f, w, h - 6.0f, 2.0f);
    }

    text.draw (g, { 26.0f, 4.0f, w - 30.0f, h - 6.0f });

    if (! isLast)
    {
        g.setColour (findColour (LarkspanBrio::BrioLookAndFeel::panelOutlineColourId));
        g.drawLine (0.0f, h - 3.0f, w, h - 3.0f);
    }
}

void NotificationList::NotificationEntry::mouseEnter (const juce::MouseEvent&)
{
    hovered = true;
    repaint();
}

void NotificationList::NotificationEntry::mouseExit (const juce::MouseEvent&)
{
    hovered = false;
    repaint();
}

void NotificationList::NotificationEntry::mouseDown (const juce::MouseEvent&)
{
    if (hasLink())
        launcher.open (link);
}

//==============================================================================
NotificationList::NotificationList() = default;

NotificationList::~NotificationList() = default;

void NotificationList::addEntry (const juce::String& title, const juce::String& message,
                                 const juce::String& link, const juce::String& id)
{
    auto* entry = entries.add (new NotificationEntry (launcher));
    const auto numRows = entries.size();

    addAndMakeVisible (entry);
    entry->setBounds (0, rowHeight * (numRows - 1), getWidth(), rowHeight);
    entry->setContent (title, message, link, id);
    setBounds (0, 0, getWidth(), rowHeight * numRows);

    if (numRows >= 2)
        entries[numRows - 2]->setLast (false);
}

void NotificationList::clearEntries()
{
    for (auto i = entries.size(); --i >= 0;)
        entries.remove (i);

    entries.clear (true);
}

void NotificationList::paint (juce::Graphics&)
{
}

void NotificationList::resized()
{
    // Rows follow the list's width when the panel is laid out again.
    for (int i = 0; i < entries.size(); ++i)
        entries.getUnchecked (i)->setBounds (0, rowHeight * i, getWidth(), rowHeight);
}
