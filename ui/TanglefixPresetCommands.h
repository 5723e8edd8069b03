#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <BrioSettings.h>
#include <TanglefixAudioProcessor.h>

#include "ComboboxSubmenu.h"

#include <functional>
#include <memory>

//==============================================================================
/**
    The main window's preset save and delete commands, with their dialogs.

    Every dialog is asynchronous: a blocking one would run a nested message loop in
    which the host may delete the editor or the whole instance, and the command would
    then return into freed memory. Each answer is checked against a SafePointer of the
    window before anything is touched. Only one dialog is open at a time; a command
    asked for meanwhile does nothing. Closing the window closes its dialog unanswered.

    Failures are always shown to the user.

    Message thread only.
*/
class TanglefixPresetCommands
{
public:
    static constexpr const char* presetExtension = ".qzr";

    TanglefixPresetCommands (TanglefixAudioProcessor&, LarkspanBrio::ComboboxSubmenu&, juce::Component& window);
    ~TanglefixPresetCommands();

    /** Asks for a file, proposing where the current preset belongs, and saves there. */
    void save();

    /** Asks whether the current preset file may go, then moves it to the trash; where its
        file system has no trash it can use, asks whether to delete it permanently. Only a
        preset of the presets folder where the walk's rules lead, as a load follows them
        (BrioPresetTree::resolvePreset), is deleted. The deleted preset is current no more:
        the settings stay, with no preset name. */
    void deleteCurrent();

    /** Tells the user that the chosen preset was refused, and why. */
    void tellNotLoaded (const juce::String& path, const juce::String& reason);

    bool isDialogOpen() const noexcept   { return dialogOpen; }

    /** The message box shown now, if any; null while the chooser or nothing is open. */
    juce::AlertWindow* getOpenBox() const noexcept  { return openBox.getComponent(); }

    /** Where the save chooser starts: the preset's own file, or, for a factory preset or
        one that no longer exists, a file of that name in the presets folder's "User". */
    static juce::File proposeSaveFile (const juce::String& currentPresetPath, const juce::String& presetsFolder);

    /** A chosen file as the preset browser lists it: a name without ".qzr" gets it. */
    static juce::File withPresetExtension (const juce::File& chosen);

    /** Answers the save chooser instead of the user: it is given the proposal and calls
        the answer function once, now or later, with the chosen file or with a null File
        for "cancel". Empty: the real chooser. */
    using SaveChooser = std::function<void (const juce::File& proposal, std::function<void (const juce::File&)> answer)>;
    SaveChooser saveChooser;

    /** The home trash, where deleted presets on its file system go. Null: the user's. */
    juce::File trashFolder;

    /** Called just before a preset is moved to the trash (BrioTrash::moveToTrash). */
    std::function<void (const juce::File& target)> beforeMove;

private:
    void chosen (const juce::File& file);
    void saveTo (const juce::File& file);
    BrioPresetTree::ResolvedPreset presetToDelete (const juce::String& path);
    void trash (const juce::String& path);
    void deletePermanently (const juce::String& path);
    void deleted (const juce::String& path);
    void askOkCancel (const juce::String& title, const juce::String& message, const juce::String& okText,
                      std::function<void()> onOk);
    void tell (const juce::String& title, const juce::String& message);
    void showBox (std::unique_ptr<juce::AlertWindow> box, std::function<void (int)> onAnswer);

    TanglefixAudioProcessor& processor;
    LarkspanBrio::ComboboxSubmenu& browser;
    juce::Component::SafePointer<juce::Component> window;
    BrioSettings settings;

    std::unique_ptr<juce::FileChooser> chooser;
    juce::Component::SafePointer<juce::AlertWindow> openBox;
    bool dialogOpen = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TanglefixPresetCommands)
};
