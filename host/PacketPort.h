#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace tanglefix::host
{

/** One data-in port of an instance: packets posted on the host's main thread reach the audio
    thread before its next process call, without the audio thread ever waiting.

    Three buffers of the port's size: the main thread fills its back buffer and swaps it with
    the middle one, marking it new; the audio thread, when it finds a new middle buffer, swaps
    it with its front buffer, which is what the algorithm context points at. The newest packet
    wins; packets in between are replaced, as a host replaces a packet not yet delivered.
    Every buffer starts zeroed, so the first process call sees a packet of zeros.
*/
class PacketPort
{
public:
    explicit PacketPort (std::uint32_t packetSize);

    std::uint32_t getPacketSize() const noexcept   { return packetSize; }

    /** Main thread (or any non-audio thread): false when the size is not the port's. */
    bool post (const void* payload, std::uint32_t size);

    /** Audio thread: takes the newest posted packet, if any, and returns the current one. */
    const void* deliver() noexcept;

private:
    static constexpr std::uint8_t newPacketFlag = 4;

    std::uint32_t packetSize;
    std::vector<std::uint8_t> storage;          // three buffers, one after the other

    std::mutex writerLock;                      // between posting threads only
    std::uint8_t backIndex = 0;                 // owned by the writers
    std::atomic<std::uint8_t> middle { 1 };     // index, plus newPacketFlag when not yet taken
    std::uint8_t frontIndex = 2;                // owned by the audio thread

    std::uint8_t* buffer (std::uint8_t index) noexcept   { return storage.data() + index * packetSize; }
};

} // namespace tanglefix::host
