#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <BrioSettings.h>

#include "BrioLauncher.h"

namespace LarkspanBrio
{

//==============================================================================
/**
    The preset selector: shows the current preset's name and, on a click, a menu of
    every preset file in the presets folder tree, folders as submenus, followed by
    "Open presets folder". Choosing an item, or stepping with selectNext and
    selectPrevious, makes it current and sends a change message; the listener reads
    getCurrentPresetPath() and loads it. The browser itself never loads a preset.

    Item ids follow the menu's reading order: the presets of subfolders before a
    folder's own. The menu reflects the disk as of its last rebuild.
*/
class ComboboxSubmenu  : public juce::Component,
                         public juce::ChangeBroadcaster,
                         private juce::Timer
{
public:
    static constexpr int openFolderItemId = 99999;
    static constexpr int deferredRebuildMs = 1000;

    ComboboxSubmenu();
    ~ComboboxSubmenu() override;

    /** Reads the presets folder tree into the menu now, or 1000 ms later. A later
        request for a deferred rebuild restarts the wait. */
    void rebuildMenu (bool deferred);

    /** Shows a preset in the label. "Init" stands for the Init preset in the presets
        folder; a path of an existing file makes its item the current one. */
    void setPresetName (const juce::String& nameOrPath, bool showTextOnly, bool rebuildFirst);

    /** Makes an item current and sends a change message; the last item reveals the
        presets folder instead. A preset that vanished since the menu was built is not
        selected: the user is told and the current preset stays. */
    void selectItem (int itemId);
    void selectNext();
    void selectPrevious();

    /** The current item's file, or an empty string when there is none. */
    juce::String getCurrentPresetPath() const;

    static void menuCallback (int result, ComboboxSubmenu* browser);

    /** Folders and files by name: runs of digits by value, letters without regard to
        case; names that differ only in case in a fixed order, so that their ids stay
        the same from one rebuild to the next. */
    static int compareFileNames (const juce::File& first, const juce::File& second);

    const juce::PopupMenu& getMenu() const noexcept          { return presetMenu; }
    const juce::StringArray& getPresetPaths() const noexcept { return presetPaths; }
    int getCurrentItemId() const noexcept                    { return currentItemId; }
    int getNextItemId() const noexcept                       { return nextItemId; }
    juce::String getLabelText() const                        { return presetLabel.getText(); }

    void mouseDown (const juce::MouseEvent&) override;
    void resized() override;

private:
    struct FileComparator
    {
        int compareElements (const juce::File& first, const juce::File& second) const
        {
            return compareFileNames (first, second);
        }
    };

    void timerCallback() override;
    void addFolderToMenu (juce::PopupMenu& parent, const juce::String& folderPath);
    void addPresetItems (juce::PopupMenu& menu, const juce::File& folder);
    juce::Array<juce::File> sortedChildren (const juce::File& folder, int whatToLookFor, const juce::String& pattern);
    bool shouldWalk (const juce::File& folder);
    int idOfPath (const juce::String& path) const;
    void makeCurrent (const juce::String& path, bool menuIsFresh);
    void updateTicks();
    void presetVanished (const juce::String& path);
    void revealPresetsFolder();

    juce::Label presetLabel;
    juce::PopupMenu presetMenu;
    juce::StringArray presetPaths;
    int nextItemId = 1;
    int currentItemId = 0;
    BrioSettings settings;
    FileComparator fileComparator;
    BrioLauncher launcher;
    juce::File walkRoot;
    juce::StringArray walkedFolders;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ComboboxSubmenu)
};

} // namespace LarkspanBrio
