#include <gtest/gtest.h>

#include <BrioArt.h>

#include "BrioButton.h"
#include "BrioLockMenu.h"
#include "BrioLookAndFeel.h"

// Draws the buttons in each state, the text widgets and popup menus as the editor shows
// them, and checks what the pictures must hold. The pictures go to the test's temporary
// folder, or to TANGLEFIX_SHOTS_DIR when whoever runs the test names one to look at.
namespace
{
    using namespace LarkspanBrio;

    juce::Image picture (const char* name)
    {
        int size = 0;
        const auto* data = BrioArt::getNamedResource (name, size);
        return data != nullptr ? juce::ImageCache::getFromMemory (data, size) : juce::Image();
    }

    void save (const juce::Image& image, const juce::String& name)
    {
        auto folder = juce::File (juce::SystemStats::getEnvironmentVariable ("TANGLEFIX_SHOTS_DIR", {}));

        if (folder == juce::File())
            folder = juce::File (juce::SystemStats::getEnvironmentVariable ("TANGLEFIX_TEST_TMP", {}));

        if (folder == juce::File() || ! folder.createDirectory())
            return;

        const auto file = folder.getChildFile (name);
        file.deleteFile();
        juce::FileOutputStream out (file);
        juce::PNGImageFormat().writeImageToStream (image, out);
    }

    /** A dark panel, as the editor's, that the widgets are shown on. */
    struct Panel  : public juce::Component
    {
        void paint (juce::Graphics& g) override  { g.fillAll (juce::Colour (BrioLookAndFeel::darkColour)); }
    };

    /** Every button picture pair, normal above and down below; a locked bypass; then
        the text widgets that the look and feel draws.
    */
    struct Gallery  : public Panel
    {
        static constexpr int width = 420, height = 230;

        Gallery()
        {
            const char* names[] = { "previous", "next", "save", "delete", "random", "news", "settings", "bypass" };
            auto x = 12;

            for (const auto* name : names)
            {
                const auto normal = picture ((juce::String (name) + "_png").toRawUTF8());
                const auto down = picture ((juce::String (name) + "_down_png").toRawUTF8());

                for (const auto isDown : { false, true })
                {
                    auto& b = *buttons.add (new BrioButton());
                    b.setUpImageButton (normal, down, x, isDown ? 52 : 12, nullptr);
                    b.setToggleState (isDown, juce::dontSendNotification);
                    addAndMakeVisible (b);
                }

                x += juce::jmax (normal.getWidth(), 20) + 14;
            }

            lockedBypass.setUpParameterToggle (&bypass, picture ("bypass_png"), picture ("bypass_down_png"), x, 12);
            lockedBypass.lockMenuResult (BrioLockMenu::lockItemId);
            addAndMakeVisible (lockedBypass);

            addTextWidgets();
        }

        void addTextWidgets()
        {
            name.setName ("pluginName");
            name.setText ("TANGLEFIX", juce::dontSendNotification);
            name.setBounds (12, 90, 160, 40);

            accents.setText (juce::String (juce::CharPointer_UTF8 (
                                 "Pr\xc3\xa9set \xc5\x81\xc3\xb3" "d\xc5\xba \xe2\x80\x93 \xe2\x82\xac" "5\xe2\x84\xa2 2\xc3\x97 \xe2\x88\x92" "3 dB")),
                             juce::dontSendNotification);
            accents.setFont (juce::Font (16.0f));
            accents.setBounds (180, 96, 230, 28);

            presets.setName ("QuorleType");
            presets.addItem ("Init", 1);
            presets.setSelectedId (1, juce::dontSendNotification);
            presets.setBounds (12, 140, 120, 24);

            copy.setBounds (150, 140, 80, 26);
            paste.setBounds (240, 140, 80, 26);
            paste.setEnabled (false);
            limiter.setToggleState (true, juce::dontSendNotification);
            limiter.setBounds (12, 180, 120, 26);
            oversample.setBounds (150, 180, 150, 26);

            for (auto* c : std::initializer_list<juce::Component*> { &name, &accents, &presets, &copy, &paste, &limiter, &oversample })
                addAndMakeVisible (c);
        }

        juce::AudioParameterBool bypass { "bypass", "Bypass", false };
        juce::OwnedArray<BrioButton> buttons;
        BrioButton lockedBypass;
        juce::Label name, accents;
        juce::ComboBox presets;
        juce::TextButton copy { "Copy" }, paste { "Paste" };
        juce::ToggleButton limiter { "Limiter" }, oversample { "Oversampling" };
    };

    struct MenuShot
    {
        juce::Image image;                 // the panel at twice its size, menu open
        juce::Rectangle<int> menuBounds;   // where the menu sat in the panel
    };

    /** Shows a menu inside a panel (as a child, so no desktop window is needed) and
        takes a picture of the panel with the menu open.
    */
    MenuShot snapshotOfMenu (juce::PopupMenu menu, int highlightedId)
    {
        Panel host;
        host.setSize (260, 220);

        menu.showMenuAsync (juce::PopupMenu::Options()
                                .withParentComponent (&host)
                                .withTargetScreenArea ({ 10, 10, 1, 1 })
                                .withInitiallySelectedItem (highlightedId)
                                .withStandardItemHeight (22));

        // At once: a menu whose panel has no keyboard focus closes itself within
        // milliseconds, as it would when the host's window lost the focus.
        MenuShot shot { host.createComponentSnapshot (host.getLocalBounds(), true, 2.0f), {} };

        if (auto* window = host.getChildComponent (0))
            shot.menuBounds = window->getBounds();

        juce::PopupMenu::dismissAllActiveMenus();
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        return shot;
    }

    struct Screenshots  : public ::testing::Test
    {
        Screenshots()
        {
            lf->setColourScheme (juce::Colour (BrioLookAndFeel::darkColour), juce::Colour (BrioLookAndFeel::lightColour));
        }

        juce::SharedResourcePointer<BrioLookAndFeel> lf;
    };
}

//==============================================================================
TEST_F (Screenshots, ButtonGalleryShowsEachStateAtItsPictureSize)
{
    Gallery gallery;
    gallery.setSize (Gallery::width, Gallery::height);

    for (auto* b : gallery.buttons)
    {
        EXPECT_GT (b->getWidth(), 1);
        EXPECT_EQ (b->getToggleState(), b->getY() > 12);
    }

    EXPECT_TRUE (gallery.lockedBypass.lockIndicator.isVisible());

    const auto shot = gallery.createComponentSnapshot (gallery.getLocalBounds(), true, 2.0f);
    EXPECT_EQ (shot.getBounds(), juce::Rectangle<int> (2 * Gallery::width, 2 * Gallery::height));
    save (shot, "buttons.png");

    // The normal and down pictures of a pair differ where the button is drawn.
    const auto& save = *gallery.buttons[4];
    const auto& saveDown = *gallery.buttons[5];
    EXPECT_NE (shot.getPixelAt (2 * save.getBounds().getCentreX(), 2 * save.getBounds().getCentreY()),
               shot.getPixelAt (2 * saveDown.getBounds().getCentreX(), 2 * saveDown.getBounds().getCentreY()));
}

TEST_F (Screenshots, MenusAreDarkEvenWhereWindowsCannotBeTranslucent)
{
    const auto icon = BrioLockMenu::makeMenuIcon (BrioLockMenu::getOpenPadlock());

    juce::PopupMenu settings;
    settings.addSectionHeader ("Oversampling");
    settings.addItem (1, "Off", true, true);
    settings.addItem (2, "2x");
    settings.addItem (3, "16x", false);
    settings.addSeparator();
    settings.addItem (4, "Copy Settings", true, false, icon);
    settings.addItem (5, "Paste Settings");
    BrioLockMenu::addSubmenu (settings, false, icon, icon);

    const auto shot = snapshotOfMenu (settings, 2);
    EXPECT_EQ (shot.image.getBounds(), juce::Rectangle<int> (520, 440));
    ASSERT_GT (shot.menuBounds.getHeight(), 7 * 22);
    save (shot.image, "menu.png");

    // Outside the rounded panel the menu shows the panel's colour, not the white JUCE
    // paints under an opaque menu window.
    const auto corner = shot.image.getPixelAt (2 * shot.menuBounds.getX(), 2 * shot.menuBounds.getY());
    EXPECT_LT (corner.getBrightness(), 0.25f) << corner.toDisplayString (true);

    juce::PopupMenu lockItems;
    BrioLockMenu::addSubmenu (lockItems, true, icon, BrioLockMenu::makeMenuIcon (BrioLockMenu::getClosedPadlock()));
    juce::PopupMenu::MenuItemIterator it (lockItems);
    ASSERT_TRUE (it.next());
    save (snapshotOfMenu (*it.getItem().subMenu, BrioLockMenu::unlockItemId).image, "lock-menu.png");
}
