#include "TanglefixPresetCommands.h"

#include <BrioFolderListing.h>

#include "BrioTrash.h"

#include <fcntl.h>
#include <unistd.h>

//==============================================================================
TanglefixPresetCommands::TanglefixPresetCommands (TanglefixAudioProcessor& p, LarkspanBrio::ComboboxSubmenu& b,
                                                  juce::Component& w)
    : processor (p), browser (b), window (&w)
{
}

TanglefixPresetCommands::~TanglefixPresetCommands()
{
    // Its answer would find the window gone and do nothing; a box left open would
    // only confuse the user.
    if (auto* box = openBox.getComponent())
        box->exitModalState (0);
}

//==============================================================================
juce::File TanglefixPresetCommands::proposeSaveFile (const juce::String& currentPresetPath,
                                                     const juce::String& presetsFolder)
{
    const bool isFactory = currentPresetPath.toLowerCase().contains ("factory");
    const bool exists = juce::File::isAbsolutePath (currentPresetPath) && juce::File (currentPresetPath).existsAsFile();

    if (! isFactory && exists)
        return juce::File (currentPresetPath);

    const auto fileName = currentPresetPath.fromLastOccurrenceOf ("/", false, false);
    return juce::File (presetsFolder + "/User/" + fileName);
}

juce::File TanglefixPresetCommands::withPresetExtension (const juce::File& chosen)
{
    if (chosen == juce::File() || chosen.hasFileExtension (presetExtension))
        return chosen;

    // Appended rather than replacing, so that a name with a dot of its own keeps it.
    return BrioFolderListing::childOf (chosen.getParentDirectory(), chosen.getFileName() + presetExtension);
}

//==============================================================================
void TanglefixPresetCommands::save()
{
    if (dialogOpen)
        return;

    const auto proposal = proposeSaveFile (browser.getCurrentPresetPath(), settings.getPresetsFolder());

    auto answer = [w = window, this] (const juce::File& file)
    {
        if (w == nullptr)
            return;

        dialogOpen = false;
        chosen (file);
    };

    dialogOpen = true;

    if (saveChooser)
    {
        saveChooser (proposal, answer);
        return;
    }

    chooser = std::make_unique<juce::FileChooser> ("Save Preset", proposal, "*" + juce::String (presetExtension), true, false);
    chooser->launchAsync (juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles
                              | juce::FileBrowserComponent::warnAboutOverwriting,
                          [answer] (const juce::FileChooser& fc) { answer (fc.getResult()); });
}

void TanglefixPresetCommands::chosen (const juce::File& file)
{
    if (file == juce::File())
        return;

    const auto target = withPresetExtension (file);

    // The chooser asked about the name it was given, not about the one with the
    // extension added here.
    if (target != file && target.exists())
    {
        askOkCancel ("Replace Preset",
                     "A preset named \"" + target.getFileNameWithoutExtension() + "\" already exists. Replace it?",
                     "Replace", [this, target] { saveTo (target); });
        return;
    }

    saveTo (target);
}

void TanglefixPresetCommands::saveTo (const juce::File& file)
{
    const auto result = processor.savePresetFile (file);

    if (result.failed())
    {
        tell ("Preset Not Saved", result.getErrorMessage());
        return;
    }

    const auto path = file.getFullPathName();
    browser.rebuildMenu (false);
    browser.setPresetName (path, false, false);
    processor.setCurrentPresetName (path);
}

//==============================================================================
void TanglefixPresetCommands::deleteCurrent()
{
    if (dialogOpen)
        return;

    // The file is fixed now: the answer deletes what was asked about, whatever the
    // browser shows by then.
    const auto path = browser.getCurrentPresetPath();

    if (! presetToDelete (path).isPreset())
        return;

    askOkCancel ("Delete Preset",
                 "Are you sure you want to delete " + juce::File (path).getFileNameWithoutExtension() + "?",
                 "OK", [this, path] { trash (path); });
}

BrioPresetTree::ResolvedPreset TanglefixPresetCommands::presetToDelete (const juce::String& path)
{
    // A host state may name any path, and the presets folder is every user's: only a
    // preset the walk's rules lead to is deleted, taken from the folder they opened, so
    // that a folder swapped for a link meanwhile leads nowhere outside.
    auto preset = BrioPresetTree::resolvePreset (settings.getPresetsFolder(), path);

    if (! preset.isPreset())
        tell ("Preset Not Deleted", "There is no preset file to delete.");
    else if (! preset.isRegularFile())
        tell ("Preset Not Deleted", "The preset file \"" + path + "\" no longer exists.");
    else
        return preset;

    return {};
}

void TanglefixPresetCommands::trash (const juce::String& path)
{
    const auto preset = presetToDelete (path);

    if (! preset.isPreset())
        return;

    const juce::File file (path);
    const auto homeTrash = trashFolder == juce::File() ? BrioTrash::getHomeTrash() : trashFolder;

    // A trash on another file system would take a copy of the file, however large.
    if (! BrioTrash::findTrashFor (file, homeTrash).has_value())
    {
        askOkCancel ("Delete Permanently",
                     "There is no trash on the file system of " + file.getFileNameWithoutExtension()
                         + ". Delete it permanently? This cannot be undone.",
                     "Delete", [this, path] { deletePermanently (path); });
        return;
    }

    const auto result = BrioTrash::moveToTrash (preset.folder->descriptor, preset.fileName, file, homeTrash, beforeMove);

    if (result.failed())
    {
        tell ("Preset Not Deleted", result.getErrorMessage());
        return;
    }

    deleted (path);
}

void TanglefixPresetCommands::deletePermanently (const juce::String& path)
{
    const auto preset = presetToDelete (path);

    if (! preset.isPreset())
        return;

    if (::unlinkat (preset.folder->descriptor, preset.fileName.toRawUTF8(), 0) != 0)
    {
        tell ("Preset Not Deleted", "Could not delete \"" + path + "\".");
        return;
    }

    deleted (path);
}

void TanglefixPresetCommands::deleted (const juce::String& path)
{
    // A deleted preset is no longer current, or a refused load would show its name again
    // and Save would propose it. The settings stay as they sound, under no name, as after
    // a host state that names no preset.
    const bool wasShown = browser.getCurrentPresetPath() == path;

    if (processor.getCurrentPresetName() == path)
        processor.setCurrentPresetName ({});

    browser.rebuildMenu (true);

    if (wasShown)
        browser.setPresetName ({}, true, false);
}

void TanglefixPresetCommands::tellNotLoaded (const juce::String& path, const juce::String& reason)
{
    const auto name = path.fromLastOccurrenceOf ("/", false, false).upToLastOccurrenceOf (".", false, false);
    tell ("Preset Not Loaded", "The preset \"" + name + "\" was not loaded, and the current settings stay. " + reason);
}

//==============================================================================
void TanglefixPresetCommands::askOkCancel (const juce::String& title, const juce::String& message,
                                           const juce::String& okText, std::function<void()> onOk)
{
    auto& lf = juce::LookAndFeel::getDefaultLookAndFeel();
    std::unique_ptr<juce::AlertWindow> box (lf.createAlertWindow (title, message, okText, "Cancel", {},
                                                                  juce::MessageBoxIconType::QuestionIcon, 2,
                                                                  window.getComponent()));
    showBox (std::move (box), [onOk] (int answer)
    {
        if (answer == 1)
            onOk();
    });
}

void TanglefixPresetCommands::tell (const juce::String& title, const juce::String& message)
{
    auto& lf = juce::LookAndFeel::getDefaultLookAndFeel();
    std::unique_ptr<juce::AlertWindow> box (lf.createAlertWindow (title, message, "OK", {}, {},
                                                                  juce::MessageBoxIconType::WarningIcon, 1,
                                                                  window.getComponent()));
    showBox (std::move (box), [] (int) {});
}

void TanglefixPresetCommands::showBox (std::unique_ptr<juce::AlertWindow> box, std::function<void (int)> onAnswer)
{
    dialogOpen = true;
    openBox = box.get();

    auto answer = [w = window, this, onAnswer] (int result)
    {
        if (w == nullptr)
            return;

        dialogOpen = false;
        openBox = nullptr;
        onAnswer (result);
    };

    box.release()->enterModalState (true, juce::ModalCallbackFunction::create (answer), true);
}
