#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace LarkspanBrio
{

//==============================================================================
/**
    The "Parameter Lock" submenu that knobs and image buttons offer on a right click,
    and what a choice from it does to the control that showed it.

    The item ids and the action messages are the protocol with the main window, which
    sets the other controls' flags when it receives "LockParameterAll" or
    "unLockParameterAll" and copies every control's flags into the processor on each
    lock message.
*/
struct BrioLockMenu
{
    enum ItemIds
    {
        lockItemId      = 5,
        unlockItemId    = 6,
        lockAllItemId   = 7,
        unlockAllItemId = 8
    };

    static constexpr const char* lockUpdateMessage = "LockParameterUpdate";
    static constexpr const char* lockAllMessage    = "LockParameterAll";
    static constexpr const char* unlockAllMessage  = "unLockParameterAll";

    /** A control's lock state. `locked` is shown by its lock indicator. */
    struct Flags
    {
        bool& lockEnabled;
        bool& locked;
        bool& randomLockEnabled;
        bool& randomLocked;
    };

    /** The 64 x 64 padlock pictures of the embedded art. */
    static juce::Image getClosedPadlock();
    static juce::Image getOpenPadlock();

    /** A padlock scaled down to the size of a menu icon (13 x 13). */
    static juce::Image makeMenuIcon (const juce::Image& padlock);

    /** Adds the submenu: "Lock" with the open padlock, or "Unlock" with the closed one
        when the control is locked; a separator; "Lock All"; "Unlock All".
    */
    static void addSubmenu (juce::PopupMenu& menu, bool locked,
                            const juce::Image& lockIcon, const juce::Image& unlockIcon);

    /** Applies a chosen item to the control's flags and shows or hides its indicator.
        Returns the action message the control must send, or an empty string when the
        id is none of the lock items.
    */
    static juce::String applyChoice (int itemId, Flags flags, juce::Component& lockIndicator);
};

} // namespace LarkspanBrio
