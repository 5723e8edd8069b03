// Feeds arbitrary bytes to the settings store as its global settings file, as anybody
// who can write to the shared folder could leave it there.

#include "BrioSettings.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    // The store writes below /opt and HOME, which only tests/private-run.sh makes private.
    if (std::getenv ("TANGLEFIX_IN_PRIVATE_NS") == nullptr)
    {
        std::fputs ("run fuzz targets through tests/private-run.sh\n", stderr);
        std::abort();
    }

    static BrioSettings store;
    static const juce::File file (store.getGlobalSettingsFile());

    if (! file.replaceWithData (data, size))
        std::abort();

    // Whatever the file holds, loading gives one element without children.
    const auto* settings = store.loadGlobalSettings (true);

    if (settings == nullptr || settings->getNumChildElements() != 0)
        __builtin_trap();

    return 0;
}
