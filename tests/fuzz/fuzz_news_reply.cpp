// Feeds arbitrary bytes to the news reply handling, as if the endpoint had sent them.

#include "PluginNotifications.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    using LarkspanBrio::PluginNotifications;

    const auto text = PluginNotifications::decodeReply (juce::MemoryBlock (data, size));

    if (! text.has_value())
        return 0;

    const auto result = PluginNotifications::parseReply (*text, "B2", "special-1");

    if (result.newCount < 0 || result.newCount > result.records.size())
        __builtin_trap();

    for (const auto& record : result.records)
        if (record.link != "#" && ! record.link.startsWithIgnoreCase ("http"))
            __builtin_trap();

    return 0;
}
