#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <BrioPresetTree.h>
#include <BrioSettings.h>

#include "BrioLauncher.h"

#include <memory>

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
    folder's own. The menu reflects the disk as of its last rebuild; stepping and
    choosing read the tree again only when a walked folder changed. What the walk left
    out (names that are not UTF-8, presets beyond its limits) is counted in disabled
    items at the end of the menu.

    A choice made in an open menu loads the preset that menu showed, even when a
    rebuild has since given its id to another file, or nothing when it vanished.
*/
class ComboboxSubmenu  : public juce::Component,
                         public juce::ChangeBroadcaster,
                         private juce::Timer
{
public:
    static constexpr int openFolderItemId = 99999;
    static constexpr int unreadableNamesItemId = 99998;
    static constexpr int limitReachedItemId = 99997;
    static constexpr int unreadableFolderItemId = 99996;
    static constexpr int deferredRebuildMs = 1000;

    static_assert (BrioPresetTree::defaultLimits.maxPresets < limitReachedItemId);

    /** The paths of a menu's items, index id - 1; a menu shown keeps its own. */
    using PathList = std::shared_ptr<const juce::StringArray>;

    ComboboxSubmenu();
    ~ComboboxSubmenu() override;

    /** Reads the presets folder tree into the menu now, or 1000 ms later. A later
        request for a deferred rebuild restarts the wait. */
    void rebuildMenu (bool deferred);

    /** Shows a preset in the label. "Init" stands for the Init preset in the presets
        folder; a path of an existing file makes its item the current one. */
    void setPresetName (juce::String nameOrPath, bool showTextOnly, bool rebuildFirst);

    /** Makes an item current and sends a change message; the last item reveals the
        presets folder instead. A preset that vanished since the menu was built is not
        selected: the user is told and the current preset stays. */
    void selectItem (int itemId);
    void selectNext();
    void selectPrevious();

    /** The current item's file, or an empty string when there is none. A preset of the
        presets folder that was chosen but is not in the menu (left out by the limits
        after a change on disk) is current without an item. */
    juce::String getCurrentPresetPath() const;

    /** A result of the menu as it is now. */
    static void menuCallback (int result, ComboboxSubmenu* browser);

    /** A result of a menu that was shown with the given paths. */
    static void menuCallback (int result, ComboboxSubmenu* browser, PathList shownPaths);

    /** Folders and files by name (BrioPresetTree::compareNames). */
    static int compareFileNames (const juce::File& first, const juce::File& second);

    const juce::PopupMenu& getMenu() const noexcept          { return presetMenu; }
    const juce::StringArray& getPresetPaths() const noexcept { return *presetPaths; }
    PathList getPresetPathList() const noexcept              { return presetPaths; }

    /** How often the presets folder tree was read. */
    int getNumWalks() const noexcept                         { return numWalks; }
    int getCurrentItemId() const noexcept                    { return currentItemId; }
    int getNextItemId() const noexcept                       { return nextItemId; }
    juce::String getLabelText() const                        { return presetLabel.getText(); }

    void mouseDown (const juce::MouseEvent&) override;
    void resized() override;

private:
    void timerCallback() override;
    void addFolderToMenu (juce::PopupMenu& menu, const BrioPresetTree::Folder& folder, juce::StringArray& paths);
    void addOmissionItems (const BrioPresetTree& tree);
    void rebuildIfChanged();
    void selectPath (juce::String path);
    int idOfPath (const juce::String& path) const;
    void makeCurrent (juce::String path);
    void updateTicks();
    void presetVanished (const juce::String& path);
    bool isInPresetsFolder (const juce::String& path);
    void revealPresetsFolder();

    juce::Label presetLabel;
    juce::PopupMenu presetMenu;
    PathList presetPaths = std::make_shared<const juce::StringArray>();
    int nextItemId = 1;
    int currentItemId = 0;
    juce::String currentPath;       // the file made current, while currentItemId is 0
    BrioSettings settings;
    BrioLauncher launcher;
    BrioPresetTree::Stamp walkStamp;
    int numWalks = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ComboboxSubmenu)
};

} // namespace LarkspanBrio
