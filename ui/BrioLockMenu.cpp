#include "BrioLockMenu.h"

#include <BrioArt.h>

namespace LarkspanBrio
{

juce::Image BrioLockMenu::getClosedPadlock()
{
    // Every knob and button loads the same two pictures: the cache decodes them once.
    return juce::ImageCache::getFromMemory (BrioArt::padlock_closed_png, BrioArt::padlock_closed_pngSize);
}

juce::Image BrioLockMenu::getOpenPadlock()
{
    return juce::ImageCache::getFromMemory (BrioArt::padlock_open_png, BrioArt::padlock_open_pngSize);
}

juce::Image BrioLockMenu::makeMenuIcon (const juce::Image& padlock)
{
    return padlock.rescaled (13, 13, juce::Graphics::mediumResamplingQuality);
}

void BrioLockMenu::addSubmenu (juce::PopupMenu& menu, bool locked,
                               const juce::Image& lockIcon, const juce::Image& unlockIcon)
{
    juce::PopupMenu submenu;

    if (locked)
        submenu.addItem (unlockItemId, "Unlock", true, false, unlockIcon);
    else
        submenu.addItem (lockItemId, "Lock", true, false, lockIcon);

    submenu.addSeparator();
    submenu.addItem (lockAllItemId, "Lock All");
    submenu.addItem (unlockAllItemId, "Unlock All");

    menu.addSubMenu ("Parameter Lock", submenu, true);
}

juce::String BrioLockMenu::applyChoice (int itemId, Flags flags, juce::Component& lockIndicator)
{
    switch (itemId)
    {
        case lockItemId:
        case unlockItemId:
        {
            const auto lock = itemId == lockItemId;

            if (flags.lockEnabled)
            {
                flags.locked = lock;
                lockIndicator.setVisible (lock);
            }

            if (flags.randomLockEnabled)
                flags.randomLocked = lock;

            return lockUpdateMessage;
        }

        case lockAllItemId:    return lockAllMessage;
        case unlockAllItemId:  return unlockAllMessage;
        default:               return {};
    }
}

} // namespace LarkspanBrio
