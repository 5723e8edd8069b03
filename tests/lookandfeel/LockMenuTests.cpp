#include <gtest/gtest.h>

#include "BrioLockMenu.h"

namespace
{
    using LarkspanBrio::BrioLockMenu;

    struct MenuEntry
    {
        int id;
        juce::String text;
        bool isSeparator, hasIcon, hasSubmenu;
    };

    /** The items of a menu and of its submenus, in the order shown, without opening it. */
    std::vector<MenuEntry> entriesOf (const juce::PopupMenu& menu)
    {
        std::vector<MenuEntry> entries;

        for (juce::PopupMenu::MenuItemIterator it (menu, true); it.next();)
        {
            const auto& item = it.getItem();
            entries.push_back ({ item.itemID, item.text, item.isSeparator,
                                 item.image != nullptr, item.subMenu != nullptr });
            EXPECT_TRUE (item.isEnabled);
            EXPECT_FALSE (item.isTicked);
        }

        return entries;
    }

    struct Control
    {
        bool lockEnabled = true, locked = false, randomLockEnabled = true, randomLocked = false;
        juce::Component indicator;

        juce::String choose (int id)
        {
            return BrioLockMenu::applyChoice (id, { lockEnabled, locked, randomLockEnabled, randomLocked }, indicator);
        }
    };
}

TEST (LockMenu, OffersLockOrUnlockThenTheAllItems)
{
    const auto closed = BrioLockMenu::getClosedPadlock();
    ASSERT_EQ (closed.getBounds(), juce::Rectangle<int> (64, 64));
    ASSERT_EQ (BrioLockMenu::getOpenPadlock().getBounds(), juce::Rectangle<int> (64, 64));
    EXPECT_EQ (BrioLockMenu::makeMenuIcon (closed).getBounds(), juce::Rectangle<int> (13, 13));

    const auto icon = BrioLockMenu::makeMenuIcon (closed);

    for (const auto locked : { false, true })
    {
        juce::PopupMenu menu;
        BrioLockMenu::addSubmenu (menu, locked, icon, icon);
        const auto entries = entriesOf (menu);

        ASSERT_EQ (entries.size(), 5u);
        EXPECT_EQ (entries[0].text, "Parameter Lock");
        EXPECT_TRUE (entries[0].hasSubmenu);
        EXPECT_EQ (entries[1].id, locked ? 6 : 5);
        EXPECT_EQ (entries[1].text, locked ? "Unlock" : "Lock");
        EXPECT_TRUE (entries[1].hasIcon);
        EXPECT_TRUE (entries[2].isSeparator);
        EXPECT_EQ (entries[3].id, 7);
        EXPECT_EQ (entries[3].text, "Lock All");
        EXPECT_EQ (entries[4].id, 8);
        EXPECT_EQ (entries[4].text, "Unlock All");
    }
}

TEST (LockMenu, ChoicesSetTheFlagsTheControlOffers)
{
    Control c;
    EXPECT_EQ (c.choose (5), "LockParameterUpdate");
    EXPECT_TRUE (c.locked);
    EXPECT_TRUE (c.randomLocked);
    EXPECT_TRUE (c.indicator.isVisible());

    EXPECT_EQ (c.choose (6), "LockParameterUpdate");
    EXPECT_FALSE (c.locked);
    EXPECT_FALSE (c.randomLocked);
    EXPECT_FALSE (c.indicator.isVisible());

    Control noRandom;
    noRandom.randomLockEnabled = false;
    noRandom.choose (5);
    EXPECT_TRUE (noRandom.locked);
    EXPECT_FALSE (noRandom.randomLocked);

    Control all;
    EXPECT_EQ (all.choose (7), "LockParameterAll");
    EXPECT_EQ (all.choose (8), "unLockParameterAll");
    EXPECT_EQ (all.choose (12), juce::String());
    EXPECT_FALSE (all.locked || all.randomLocked || all.indicator.isVisible());
}
