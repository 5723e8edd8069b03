// Feeds arbitrary bytes to the processor as a host state block.

#include "FuzzedProcessor.h"

#include <cstddef>
#include <cstdint>
#include <limits>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    if (size > (std::size_t) std::numeric_limits<int>::max())
        return 0;

    auto& processor = fuzzedProcessor();
    processor.setStateInformation (data, (int) size);
    checkProcessorIsSound (processor);
    return 0;
}
