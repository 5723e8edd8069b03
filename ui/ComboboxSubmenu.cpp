#include "ComboboxSubmenu.h"

namespace
{
    const juce::String initName ("Init");

    juce::String nameWithoutExtension (const juce::String& path)
    {
        return path.fromLastOccurrenceOf ("/", false, false).upToLastOccurrenceOf (".", false, false);
    }

    juce::String countOf (int number, const juce::String& singular, const juce::String& plural)
    {
        return juce::String (number) + " " + (number == 1 ? singular : plural);
    }
}

namespace LarkspanBrio
{

//==============================================================================
ComboboxSubmenu::ComboboxSubmenu()
{
    addAndMakeVisible (presetLabel);
    presetLabel.setJustificationType (juce::Justification::centred);
    presetLabel.setInterceptsMouseClicks (false, false);
    presetLabel.setFont (juce::Font (16.0f, juce::Font::plain));
    setMouseCursor (juce::MouseCursor::PointingHandCursor);
}

ComboboxSubmenu::~ComboboxSubmenu() = default;

//==============================================================================
int ComboboxSubmenu::compareFileNames (const juce::File& first, const juce::File& second)
{
    return BrioPresetTree::compareNames (first.getFileName(), second.getFileName());
}

//==============================================================================
void ComboboxSubmenu::rebuildMenu (bool deferred)
{
    if (deferred)
    {
        currentItemId = -1;
        currentPath = {};
        startTimer (deferredRebuildMs);
        return;
    }

    const BrioPresetTree tree (settings.getPresetsFolder());
    ++numWalks;
    walkStamp = tree.stamp;

    juce::PopupMenu menu;
    juce::StringArray paths;
    paths.ensureStorageAllocated (tree.numPresets);
    addFolderToMenu (menu, tree.root, paths);

    // A menu already shown keeps the list it was built with: the new one replaces it.
    presetMenu = std::move (menu);
    presetPaths = std::make_shared<const juce::StringArray> (std::move (paths));
    nextItemId = presetPaths->size() + 1;

    addOmissionItems (tree);
    presetMenu.addSeparator();
    presetMenu.addItem (openFolderItemId, "Open presets folder", true, false);
}

void ComboboxSubmenu::rebuildIfChanged()
{
    if (! walkStamp.isCurrentFor (settings.getPresetsFolder()))
        rebuildMenu (false);
}

void ComboboxSubmenu::addFolderToMenu (juce::PopupMenu& menu, const BrioPresetTree::Folder& folder,
                                       juce::StringArray& paths)
{
    for (const auto& subfolder : folder.subfolders)
    {
        juce::PopupMenu submenu;
        addFolderToMenu (submenu, subfolder, paths);

        // Moved, not copied: a copy at every level costs the depth times the tree.
        menu.addSubMenu (subfolder.name, std::move (submenu), true);
    }

    for (const auto& path : folder.presetPaths)
    {
        const auto id = paths.size() + 1;
        menu.addItem (id, nameWithoutExtension (path), true, id == currentItemId);
        paths.add (path);
    }
}

void ComboboxSubmenu::addOmissionItems (const BrioPresetTree& tree)
{
    if (tree.numUnreadableNames > 0 || tree.limitReached || tree.rootPathIsNotUtf8)
        presetMenu.addSeparator();

    if (tree.rootPathIsNotUtf8)
        presetMenu.addItem (unreadableFolderItemId, "Presets not shown: the presets folder's real path is not UTF-8",
                            false, false);

    if (tree.numUnreadableNames > 0)
        presetMenu.addItem (unreadableNamesItemId,
                            countOf (tree.numUnreadableNames, "preset or folder", "presets and folders")
                                + " not shown: name is not UTF-8", false, false);

    if (tree.limitReached)
        presetMenu.addItem (limitReachedItemId, "More presets not shown: the folder holds too many", false, false);
}

//==============================================================================
int ComboboxSubmenu::idOfPath (const juce::String& path) const
{
    return presetPaths->indexOf (path) + 1;
}

void ComboboxSubmenu::makeCurrent (juce::String path)
{
    // Ids are looked up in a list that matches the disk: in an older one the path could
    // sit at an index that now belongs to another file.
    rebuildIfChanged();
    currentItemId = idOfPath (path);

    // A preset the menu showed can drop out of the rebuilt list at the limits; it is still
    // the one chosen, and the one to load.
    currentPath = (currentItemId == 0 && isInPresetsFolder (path) && juce::File (path).existsAsFile()) ? path : juce::String();
    updateTicks();
}

bool ComboboxSubmenu::isInPresetsFolder (const juce::String& path)
{
    return path.startsWith (settings.getPresetsFolder() + "/");
}

void ComboboxSubmenu::updateTicks()
{
    for (juce::PopupMenu::MenuItemIterator it (presetMenu, true); it.next();)
    {
        auto& item = it.getItem();

        if (item.subMenu == nullptr && ! item.isSeparator)
            item.isTicked = (item.itemID == currentItemId && item.itemID != openFolderItemId);
    }
}

void ComboboxSubmenu::setPresetName (juce::String nameOrPath, bool showTextOnly, bool rebuildFirst)
{
    if (rebuildFirst)
        rebuildIfChanged();

    if (showTextOnly)
    {
        presetLabel.setText (nameOrPath, juce::dontSendNotification);
        return;
    }

    if (nameOrPath == initName)
    {
        // "Init" means the Init preset of the presets folder, which need not be the
        // first item of the menu, and may be missing.
        presetLabel.setText (initName, juce::dontSendNotification);
        makeCurrent (settings.getPresetsFolder() + "/" + initName + ".qzr");
        return;
    }

    if (juce::File::isAbsolutePath (nameOrPath) && juce::File (nameOrPath).existsAsFile())
    {
        presetLabel.setText (juce::File (nameOrPath).getFileNameWithoutExtension(), juce::dontSendNotification);
        makeCurrent (nameOrPath);
        return;
    }

    presetLabel.setText (nameWithoutExtension (nameOrPath), juce::dontSendNotification);
}

void ComboboxSubmenu::selectItem (int itemId)
{
    if (itemId == openFolderItemId)
    {
        revealPresetsFolder();
        return;
    }

    const auto path = (itemId >= 1 && itemId < nextItemId) ? (*presetPaths)[itemId - 1] : juce::String();

    // A path is made current by selectPath; an empty id stays as asked for.
    if (path.isEmpty())
    {
        currentItemId = itemId;
        currentPath = {};
    }

    selectPath (path);
}

void ComboboxSubmenu::selectPath (juce::String path)
{
    if (path.isNotEmpty() && ! juce::File (path).existsAsFile())
    {
        presetVanished (path);
        return;
    }

    setPresetName (path, false, true);
    sendChangeMessage();
}

void ComboboxSubmenu::presetVanished (const juce::String& path)
{
    // Stepping on to whatever now holds the vanished item's id would load a preset
    // the user never chose; the current preset stays, under its own id in the new menu.
    const auto currentPath = getCurrentPresetPath();
    rebuildMenu (false);

    if (currentPath.isNotEmpty())
        makeCurrent (currentPath);

    BrioLauncher::tellUser ("Preset not found",
                            "The preset \"" + nameWithoutExtension (path) + "\" is no longer in the presets folder. "
                            "The list of presets has been read again.");
}

void ComboboxSubmenu::revealPresetsFolder()
{
    const juce::File folder (settings.getPresetsFolder());

    // The shared folder is writable by every user, and the presets folder may be a link.
    // Handed a file instead, xdg-open would open that with whatever application it names,
    // and a desktop entry is a program.
    if (! folder.isDirectory())
    {
        BrioLauncher::tellUser ("Cannot open", "\"" + folder.getFullPathName() + "\" is not a folder.");
        return;
    }

    launcher.open (folder.getFullPathName());
}

void ComboboxSubmenu::selectNext()
{
    // While a deferred rebuild is pending there is no current item (-1): start over
    // at the first rather than at the empty id 0.
    selectItem ((currentItemId >= 0 && currentItemId + 1 < nextItemId) ? currentItemId + 1 : 1);
}

void ComboboxSubmenu::selectPrevious()
{
    selectItem (currentItemId > 1 ? currentItemId - 1 : nextItemId - 1);
}

juce::String ComboboxSubmenu::getCurrentPresetPath() const
{
    if (currentItemId == 0)
        return currentPath;

    return (currentItemId >= 1 && currentItemId < nextItemId) ? (*presetPaths)[currentItemId - 1] : juce::String();
}

//==============================================================================
void ComboboxSubmenu::menuCallback (int result, ComboboxSubmenu* browser)
{
    if (browser != nullptr)
        menuCallback (result, browser, browser->presetPaths);
}

void ComboboxSubmenu::menuCallback (int result, ComboboxSubmenu* browser, PathList shownPaths)
{
    if (result == 0 || browser == nullptr || shownPaths == nullptr)
        return;

    if (result == openFolderItemId)
        browser->revealPresetsFolder();
    else if (result >= 1 && result <= shownPaths->size())
        browser->selectPath ((*shownPaths)[result - 1]);
}

void ComboboxSubmenu::mouseDown (const juce::MouseEvent&)
{
    presetMenu.showMenuAsync (juce::PopupMenu::Options()
                                  .withTargetComponent (this)
                                  .withItemThatMustBeVisible (currentItemId)
                                  .withMinimumWidth (getWidth())
                                  .withMaximumNumColumns (2)
                                  .withStandardItemHeight (22),
                              juce::ModalCallbackFunction::forComponent<ComboboxSubmenu, PathList> (menuCallback, this,
                                                                                                    presetPaths));
}

void ComboboxSubmenu::resized()
{
    presetLabel.setBounds (getLocalBounds());
}

void ComboboxSubmenu::timerCallback()
{
    rebuildMenu (false);
    stopTimer();
}

} // namespace LarkspanBrio
