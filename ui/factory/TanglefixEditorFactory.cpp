// Makes TanglefixProcessorEditor the processor's editor in every program or bundle that
// links this object (tanglefix_editor_factory). It is an object of its own, not part of
// the ui library, because nothing refers to it: from a static library the linker would
// leave it out.

#include "../TanglefixProcessorEditor.h"

namespace
{
    juce::AudioProcessorEditor* createTanglefixEditor (TanglefixAudioProcessor& processor)
    {
        return new TanglefixProcessorEditor (processor);
    }

    // Runs while the program or bundle is loaded, before anyone can create a processor.
    [[maybe_unused]] const bool installed = []
    {
        TanglefixAudioProcessor::setEditorFactory (createTanglefixEditor);
        return true;
    }();
}
