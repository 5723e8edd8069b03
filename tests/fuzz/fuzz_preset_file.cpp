// Feeds arbitrary bytes to the processor as a preset file. Pasted settings text goes
// through the same parsing.

#include "FuzzedProcessor.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    auto& processor = fuzzedProcessor();

    static const auto preset = juce::File (BrioSettings().getPresetsFolder()).getChildFile ("Fuzzed.qzr");
    preset.replaceWithData (data, size);

    processor.setLockedParameterNames ({ "Gain" });
    processor.loadPresetFile (preset.getFullPathName());
    checkProcessorIsSound (processor);
    return 0;
}
