#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <optional>

#include "BrioSettings.h"

//==============================================================================
/** One news entry, from the attributes of one element of the news reply. */
struct NotificationRecord
{
    juce::String title;
    juce::String message;
    juce::String link;     // an http or https address, or "#" for none
    juce::String id;
};

//==============================================================================
/** Swaps each Latin letter for the one 13 places further on; other characters stay. */
struct BrioRot13
{
    BrioRot13();

    juce::String apply (const juce::String& text) const;

    juce::String letters;   // the 52 Latin letters, upper case first
    juce::String images;    // what each of them becomes, at the same index
};

namespace LarkspanBrio
{

//==============================================================================
/**
    Fetches the maker's news once per start on a low-priority thread of its own and
    counts the entries the user has not read yet.

    The fetch thread builds its results privately and publishes them whole when the
    reply has been handled, so the message thread, which reads them through
    getRecords() and getNewCount(), never sees a list that is still growing.

    Destroying the fetcher never waits for the network: it cancels the request in
    flight, and the thread, which also checks for the stop while reading the reply and
    between entries, ends at once.
*/
class PluginNotifications  : public juce::Thread
{
public:
    explicit PluginNotifications (const juce::String& productName);
    ~PluginNotifications() override;

    //==============================================================================
    /** Reads the stored news state and starts the fetch when it is enabled.
        Message thread. */
    void reloadSettingsAndStart();

    /** Marks everything fetched so far as read and stores the newest ids in the two
        settings files. Message thread. */
    void saveReadState();

    /** A copy of the entries in reply order. Any thread. */
    juce::Array<NotificationRecord> getRecords() const;

    /** The number of entries not read yet. Any thread. */
    int getNewCount() const;

    /** Sends the request somewhere other than the maker's endpoint. Takes effect at the
        next start; the product itself never calls it. */
    void setEndpoint (const juce::String& address);

    //==============================================================================
    /** What one reply yields. */
    struct FetchResult
    {
        juce::Array<NotificationRecord> records;
        int newCount = 0;
        juce::String latestId;          // the first ordinary entry's id
        juce::String latestSpecialId;   // the last new special entry's id
    };

    /** Turns the raw bytes of a reply into text: everything up to the first zero byte.
        Returns nothing when the bytes are not UTF-8 text. */
    static std::optional<juce::String> decodeReply (const juce::MemoryBlock& bytes);

    /** Reads the entries of a reply text and counts the new ones against the read ids.
        A reply containing "error" in any letter case, one that isn't a news document,
        or one too large to be one, yields nothing. When shouldStop returns true the
        entries read so far are returned. */
    static FetchResult parseReply (const juce::String& reply,
                                   const juce::String& lastReadId,
                                   const juce::String& lastReadSpecialId,
                                   const std::function<bool()>& shouldStop = {});

    /** The link to keep for an entry: http and https addresses made only of plain URL
        characters pass; anything else, which the browser launcher might hand to a
        shell or another application, becomes "#". */
    static juce::String safeLink (const juce::String& link);

    //==============================================================================
    /** The fetch: one request, one pass over the reply. */
    void run() override;

    const juce::String productName;
    const BrioRot13 rot13;

private:
    /** Sends the request and reads the whole reply; nothing when it fails or is stopped. */
    std::optional<juce::MemoryBlock> fetchReply (const juce::String& address);
    std::optional<juce::MemoryBlock> readReply (juce::InputStream& stream);

    /** Any thread: releases the fetch thread from a request that is waiting for the network. */
    void cancelRequest();
    void publish (FetchResult result);

    BrioSettings settings;   // message thread only

    juce::CriticalSection requestLock;             // guards request
    juce::WebInputStream* request = nullptr;       // the fetch thread's request in flight

    mutable juce::CriticalSection lock;   // guards everything below
    juce::String endpoint;
    juce::String lastReadId;
    juce::String lastReadSpecialId;
    FetchResult published;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginNotifications)
};

} // namespace LarkspanBrio
