// Draws the whole editor with its settings menu, its news window and its about window
// open, and writes them as PNG files into the folder given on the command line, for
// checking the look by eye. Run it with private folders and a display:
//   tests/private-run.sh --display build/tests/editor/tanglefix_editor_shots OUTDIR

#include <TanglefixPluginWindow.h>
#include <TanglefixProcessorEditor.h>

#include "WindowManagerAtoms.h"

#include <iostream>

namespace
{
    bool save (juce::Component& c, const juce::File& file)
    {
        file.deleteFile();
        juce::FileOutputStream out (file);
        juce::PNGImageFormat png;
        return out.openedOk() && png.writeImageToStream (c.createComponentSnapshot (c.getLocalBounds()), out);
    }

    /** Lets fades and timers run. */
    void settle()
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (500);
    }
}

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: tanglefix_editor_shots OUTDIR\n";
        return 2;
    }

    const tanglefix_tests::WindowManagerAtoms atoms;
    juce::ScopedJuceInitialiser_GUI juce;
    const juce::File outFolder (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    outFolder.createDirectory();
    bool ok = true;

    {
        std::unique_ptr<juce::AudioProcessor> processor (createPluginFilter());
        std::unique_ptr<juce::AudioProcessorEditor> editor (processor->createEditorIfNeeded());
        auto& window = *dynamic_cast<TanglefixProcessorEditor&> (*editor).getPluginWindow();
        settle();

        ok = save (*editor, outFolder.getChildFile ("editor-panel.png")) && ok;

        // The menu as a child of the editor, at the settings button, so that the picture holds it.
        window.buildSettingsMenu();
        window.settingsMenu.showMenuAsync (juce::PopupMenu::Options().withParentComponent (editor.get())
                                                                     .withTargetComponent (&window.settingsButton));
        ok = save (*editor, outFolder.getChildFile ("editor-settings-menu.png")) && ok;
        juce::PopupMenu::dismissAllActiveMenus();
        settle();

        window.buttonClicked (&window.newsButton);
        settle();
        ok = save (*editor, outFolder.getChildFile ("editor-news.png")) && ok;
        window.notificationWindow.setVisible (false);

        window.handleSettingsMenuResult (TanglefixPluginWindow::aboutId);
        settle();
        ok = save (*editor, outFolder.getChildFile ("editor-about.png")) && ok;

        processor->editorBeingDeleted (editor.get());
    }

    std::cout << (ok ? "written to " : "could not write to ") << outFolder.getFullPathName() << "\n";
    return ok ? 0 : 1;
}
