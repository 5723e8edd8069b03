// Draws the news window with one and with three rows and the about window with its
// bubble over a stand-in main window, and writes them as PNG files into the folder
// given on the command line, for checking the look by eye.

#include "OverlayTestHelpers.h"

#include <AboutWindow.h>
#include <BrioArt.h>
#include <BrioTopNotificationAmount.h>
#include <NotificationWindow.h>

namespace
{
    /** Stands in for the main window: its background and the news button. */
    struct Backdrop  : public juce::Component
    {
        void paint (juce::Graphics& g) override
        {
            g.drawImageAt (juce::ImageFileFormat::loadFrom (BrioArt::background_png, BrioArt::background_pngSize), 0, 0);
            g.drawImageAt (juce::ImageFileFormat::loadFrom (BrioArt::news_png, BrioArt::news_pngSize), 557, 13);
        }
    };

    bool save (juce::Component& c, const juce::File& file)
    {
        file.deleteFile();
        juce::FileOutputStream out (file);
        juce::PNGImageFormat png;
        return out.openedOk() && png.writeImageToStream (c.createComponentSnapshot (c.getLocalBounds()), out);
    }

    void fillNews (NotificationWindow& news, int numRows)
    {
        static const char* const titles[] = { "Tanglefix 1.2.7 is out", "Winter offer", "New preset pack" };
        static const char* const messages[] = { "Smoother oversampling and a few fixes.",
                                                 "30% off every plug-in until Sunday.",
                                                 "Forty pads and leads, free for owners." };
        static const char* const ids[] = { "update-12", "special-3", "n-40" };

        news.clearNotifications();

        for (int i = 0; i < numRows; ++i)
            news.addNotification (titles[i], messages[i], "https://example.invalid/", ids[i]);

        news.showWindow (1);
    }
}

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: tanglefix_overlay_shots OUTDIR\n";
        return 2;
    }

    juce::ScopedJuceInitialiser_GUI juce;
    const OverlayTests::EditorLookAndFeel lookAndFeel;

    const juce::File outFolder (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    outFolder.createDirectory();
    bool ok = true;

    {
        Backdrop main;
        main.setBounds (0, 0, 650, 420);
        LarkspanBrio::BrioTopNotificationAmount badge;
        main.addAndMakeVisible (badge);
        badge.setBounds (569, 10, 10, 12);
        badge.setUnreadCount (3);

        NotificationWindow news (300);
        main.addChildComponent (news);
        news.setBounds (main.getLocalBounds());
        news.setPanelPosition (576, 16);

        // What the news command shows when there is no news.
        news.clearNotifications();
        news.addNotification ("No News Today", "Please, check back later to get news and updates.", "#", "nonews");
        news.showWindow (1);
        ok = OverlayTests::runUntil ([&] { return news.isVisible() && news.getAlpha() == 1.0f; }) && ok;
        ok = save (main, outFolder.getChildFile ("news-one-row.png")) && ok;

        fillNews (news, 3);
        ok = save (main, outFolder.getChildFile ("news-three-rows.png")) && ok;
    }

    {
        Backdrop main;
        main.setBounds (0, 0, 650, 420);
        AboutWindow about;
        main.addChildComponent (about);
        about.setBounds (main.getLocalBounds());
        about.show (1);
        ok = OverlayTests::runUntil ([&] { return about.getAlpha() == 1.0f; }) && ok;
        ok = save (main, outFolder.getChildFile ("about.png")) && ok;

        for (int i = 0; i < 6; ++i)
            about.mouseDown (OverlayTests::clickAt (about, about.getLogoStrip().getCentre()));

        ok = OverlayTests::runUntil ([&] { return about.getAlpha() == 1.0f && about.getBubble().getAlpha() == 1.0f; }) && ok;
        ok = save (main, outFolder.getChildFile ("about-with-bubble.png")) && ok;
    }

    return ok ? 0 : 1;
}
