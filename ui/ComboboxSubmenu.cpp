#include "ComboboxSubmenu.h"

#include <cstdlib>

namespace
{
    const juce::String presetPattern ("*.qzr");
    const juce::String initName ("Init");

    /** The folder's path with every link on the way resolved, or an empty string when
        it can't be resolved. */
    juce::String realPathOf (const juce::File& folder)
    {
        std::unique_ptr<char, decltype (&std::free)> resolved (::realpath (folder.getFullPathName().toRawUTF8(), nullptr),
                                                               &std::free);
        return resolved != nullptr ? juce::String (juce::CharPointer_UTF8 (resolved.get())) : juce::String();
    }

    juce::String nameWithoutExtension (const juce::String& path)
    {
        return path.fromLastOccurrenceOf ("/", false, false).upToLastOccurrenceOf (".", false, false);
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
    const auto a = first.getFileName();
    const auto b = second.getFileName();

    if (const auto byNature = a.compareNatural (b, false); byNature != 0)
        return byNature;

    // Linux allows "Pad.qzr" beside "pad.qzr"; without a fixed order between them
    // their ids could swap from one rebuild to the next.
    if (const auto byCase = a.compareNatural (b, true); byCase != 0)
        return byCase;

    return a.compare (b);
}

juce::Array<juce::File> ComboboxSubmenu::sortedChildren (const juce::File& folder, int whatToLookFor,
                                                        const juce::String& pattern)
{
    auto children = folder.findChildFiles (whatToLookFor, false, pattern);
    children.sort (fileComparator, true);
    return children;
}

//==============================================================================
void ComboboxSubmenu::rebuildMenu (bool deferred)
{
    if (deferred)
    {
        currentItemId = -1;
        startTimer (deferredRebuildMs);
        return;
    }

    presetMenu.clear();
    presetPaths.clear();
    nextItemId = 1;

    const auto root = settings.getPresetsFolder();
    walkRoot = juce::File (realPathOf (root));
    walkedFolders.clearQuick();
    walkedFolders.add (walkRoot.getFullPathName());

    addFolderToMenu (presetMenu, root);
    addPresetItems (presetMenu, root);

    presetMenu.addSeparator();
    presetMenu.addItem (openFolderItemId, "Open presets folder", true, false);
}

bool ComboboxSubmenu::shouldWalk (const juce::File& folder)
{
    const auto realPath = realPathOf (folder);

    // A link may lead out of the presets tree (to / or /usr, say), or back up into it,
    // where the walk would go round without end: each folder of the tree is listed
    // once, wherever the links lead, and nothing outside it is read.
    if (realPath.isEmpty() || walkRoot == juce::File() || ! juce::File (realPath).isAChildOf (walkRoot)
        || walkedFolders.contains (realPath))
        return false;

    walkedFolders.add (realPath);
    return true;
}

void ComboboxSubmenu::addFolderToMenu (juce::PopupMenu& parent, const juce::String& folderPath)
{
    for (auto entry : sortedChildren (juce::File (folderPath), juce::File::findDirectories, "*"))
    {
        if (entry.getLinkedTarget().isDirectory())
            entry = entry.getLinkedTarget();

        if (! entry.isDirectory() || ! shouldWalk (entry))
            continue;

        juce::PopupMenu submenu;
        addFolderToMenu (submenu, entry.getFullPathName());
        addPresetItems (submenu, entry);
        parent.addSubMenu (entry.getFileName(), submenu, true);
    }
}

void ComboboxSubmenu::addPresetItems (juce::PopupMenu& menu, const juce::File& folder)
{
    for (const auto& file : sortedChildren (folder, juce::File::findFiles, presetPattern))
    {
        // Ids from here on would reach the id of "Open presets folder".
        if (nextItemId >= openFolderItemId)
            return;

        const auto id = nextItemId++;
        menu.addItem (id, file.getFileNameWithoutExtension(), true, id == currentItemId);
        presetPaths.add (file.getFullPathName());
    }
}

//==============================================================================
int ComboboxSubmenu::idOfPath (const juce::String& path) const
{
    return presetPaths.indexOf (path) + 1;
}

void ComboboxSubmenu::makeCurrent (const juce::String& path, bool menuIsFresh)
{
    // Ids are looked up in a list just read from disk: in an older one the path could
    // sit at an index that now belongs to another file.
    if (! menuIsFresh)
        rebuildMenu (false);

    currentItemId = idOfPath (path);
    updateTicks();
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

void ComboboxSubmenu::setPresetName (const juce::String& nameOrPath, bool showTextOnly, bool rebuildFirst)
{
    if (rebuildFirst)
        rebuildMenu (false);

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
        makeCurrent (settings.getPresetsFolder() + "/" + initName + ".qzr", rebuildFirst);
        return;
    }

    if (juce::File::isAbsolutePath (nameOrPath) && juce::File (nameOrPath).existsAsFile())
    {
        presetLabel.setText (juce::File (nameOrPath).getFileNameWithoutExtension(), juce::dontSendNotification);
        makeCurrent (nameOrPath, rebuildFirst);
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

    const auto path = (itemId >= 1 && itemId < nextItemId) ? presetPaths[itemId - 1] : juce::String();

    if (path.isNotEmpty() && ! juce::File (path).existsAsFile())
    {
        presetVanished (path);
        return;
    }

    currentItemId = itemId;
    setPresetName (path, false, true);
    sendChangeMessage();
}

void ComboboxSubmenu::presetVanished (const juce::String& path)
{
    // Stepping on to whatever now holds the vanished item's id would load a preset
    // the user never chose; the current preset stays, under its own id in the new menu.
    const auto currentPath = getCurrentPresetPath();

    if (currentPath.isNotEmpty())
        makeCurrent (currentPath, false);
    else
        rebuildMenu (false);

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
    return (currentItemId >= 1 && currentItemId < nextItemId) ? presetPaths[currentItemId - 1] : juce::String();
}

//==============================================================================
void ComboboxSubmenu::menuCallback (int result, ComboboxSubmenu* browser)
{
    if (result != 0 && browser != nullptr)
        browser->selectItem (result);
}

void ComboboxSubmenu::mouseDown (const juce::MouseEvent&)
{
    presetMenu.showMenuAsync (juce::PopupMenu::Options()
                                  .withTargetComponent (this)
                                  .withItemThatMustBeVisible (currentItemId)
                                  .withMinimumWidth (getWidth())
                                  .withMaximumNumColumns (2)
                                  .withStandardItemHeight (22),
                              juce::ModalCallbackFunction::forComponent (menuCallback, this));
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
