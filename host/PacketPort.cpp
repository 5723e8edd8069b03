#include "PacketPort.h"

#include <cstring>

namespace tanglefix::host
{

PacketPort::PacketPort (std::uint32_t size)
    : packetSize (size), storage (3 * static_cast<size_t> (size), 0)
{
}

bool PacketPort::post (const void* payload, std::uint32_t size)
{
    if (size != packetSize || (payload == nullptr && size != 0))
        return false;

    const std::lock_guard<std::mutex> lock (writerLock);

    if (size != 0)
        std::memcpy (buffer (backIndex), payload, size);

    // Release: the audio thread that takes this buffer sees its bytes.
    const auto previous = middle.exchange (static_cast<std::uint8_t> (backIndex | newPacketFlag),
                                           std::memory_order_acq_rel);
    backIndex = previous & 3;
    return true;
}

const void* PacketPort::deliver() noexcept
{
    if ((middle.load (std::memory_order_relaxed) & newPacketFlag) != 0)
    {
        const auto previous = middle.exchange (frontIndex, std::memory_order_acq_rel);
        frontIndex = previous & 3;
    }

    return buffer (frontIndex);
}

} // namespace tanglefix::host
