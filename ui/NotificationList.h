#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "BrioLauncher.h"

//==============================================================================
/**
    The rows of the news panel, one under another, each 64 pixels high. The list
    draws nothing itself; NotificationWindow shows it in a viewport.
*/
class NotificationList  : public juce::Component
{
public:
    static constexpr int rowHeight = 64;

    //==============================================================================
    /** One news entry: an icon by kind, a bold title over the message, a separator
        below unless it is the last row, and the entry's web link opened on a click. */
    class NotificationEntry  : public juce::Component
    {
    public:
        explicit NotificationEntry (BrioLauncher& launcherToUse);
        ~NotificationEntry() override;

        void setContent (const juce::String& title, const juce::String& message,
                         const juce::String& link, const juce::String& id);

        /** Rows after this one exist no more once a row is added below it. */
        void setLast (bool shouldBeLast);
        bool isLastRow() const noexcept        { return isLast; }

        const juce::String& getLink() const noexcept  { return link; }
        bool hasLink() const;

        void paint (juce::Graphics&) override;
        void mouseEnter (const juce::MouseEvent&) override;
        void mouseExit (const juce::MouseEvent&) override;
        void mouseDown (const juce::MouseEvent&) override;

    private:
        void setIconForId (const juce::String& id);

        BrioLauncher& launcher;
        bool isLast = true;
        bool hovered = false;
        juce::AttributedString text;
        std::unique_ptr<juce::Drawable> icon;
        juce::String link;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NotificationEntry)
    };

    //==============================================================================
    NotificationList();
    ~NotificationList() override;

    void addEntry (const juce::String& title, const juce::String& message,
                   const juce::String& link, const juce::String& id);

    /** Deletes every row, the last first. The list keeps its size until a row is
        added again. */
    void clearEntries();

    int getNumEntries() const noexcept                 { return entries.size(); }
    NotificationEntry* getEntry (int index) const noexcept  { return entries[index]; }

    void paint (juce::Graphics&) override;
    void resized() override;

private:
    BrioLauncher launcher;
    juce::OwnedArray<NotificationEntry> entries;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NotificationList)
};
