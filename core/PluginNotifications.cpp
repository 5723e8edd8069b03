#include "PluginNotifications.h"

#include "BrioXmlGuard.h"
#include "NewsNames.h"

#include <cstring>

//==============================================================================
BrioRot13::BrioRot13()
    : letters ("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"),
      images  ("NOPQRSTUVWXYZABCDEFGHIJKLMnopqrstuvwxyzabcdefghijklm")
{
}

juce::String BrioRot13::apply (const juce::String& text) const
{
    juce::String result;
    result.preallocateBytes (text.getNumBytesAsUTF8());

    for (auto p = text.getCharPointer(); ! p.isEmpty();)
    {
        const auto c = p.getAndAdvance();
        const auto index = letters.indexOfChar (c);
        result += index >= 0 ? images[index] : c;
    }

    return result;
}

namespace LarkspanBrio
{

namespace
{
    /** What a reply may hold: a news list is a few KiB, but may list a few thousand
        entries. */
    constexpr BrioXmlGuard::Limits replyLimits { NewsNames::maxReplyBytes, NewsNames::maxElementTags };

    NotificationRecord makeRecord (const juce::XmlElement& entry)
    {
        return { entry.getStringAttribute (NewsNames::titleAttribute),
                 entry.getStringAttribute (NewsNames::messageAttribute),
                 PluginNotifications::safeLink (entry.getStringAttribute (NewsNames::linkAttribute)),
                 entry.getStringAttribute (NewsNames::idAttribute) };
    }

    /** Walks the entries in reply order. Ordinary entries come newest first, so those
        before the one last read are new and the first one is the latest. */
    class EntryCounter
    {
    public:
        EntryCounter (PluginNotifications::FetchResult& r, const juce::String& readId, const juce::String& specialReadId)
            : result (r), lastReadId (readId), lastReadSpecialId (specialReadId)
        {
        }

        void count (const juce::String& id)
        {
            if (id.contains (NewsNames::specialIdMarker))
                countSpecial (id);
            else
                countOrdinary (id);
        }

    private:
        void countSpecial (const juce::String& id)
        {
            if (id.equalsIgnoreCase (lastReadSpecialId))
                return;

            ++result.newCount;
            result.latestSpecialId = id;
        }

        void countOrdinary (const juce::String& id)
        {
            const auto isLastRead = id.equalsIgnoreCase (lastReadId);

            if (! readReached && ! isLastRead)
                ++result.newCount;

            if (first)
            {
                result.latestId = id;
                first = false;
            }

            readReached = readReached || isLastRead;
        }

        PluginNotifications::FetchResult& result;
        const juce::String& lastReadId;
        const juce::String& lastReadSpecialId;
        bool first = true;
        bool readReached = false;
    };
}

//==============================================================================
PluginNotifications::PluginNotifications (const juce::String& name)
    : juce::Thread ("LarkspanPN", NewsNames::fetchThreadStackBytes),
      productName (name),
      endpoint (NewsNames::endpoint)
{
}

PluginNotifications::~PluginNotifications()
{
    // Hosts build and destroy processors while they scan, so this must not wait for a
    // slow or silent server: the request in flight is cancelled from here, and the fetch
    // thread, released from the network, ends at its next check. No time-out: a thread
    // is never killed half-way.
    signalThreadShouldExit();
    cancelRequest();
    stopThread (-1);

    const juce::ScopedLock sl (lock);
    published = {};
}

//==============================================================================
void PluginNotifications::reloadSettingsAndStart()
{
    settings.loadSecondSettings (true);
    settings.loadGlobalSettings (true);

    const auto enabled = settings.getSecondBool (BrioStoredNames::newsEnabledKey, true);

    {
        const juce::ScopedLock sl (lock);
        published = {};
        lastReadId = settings.getSecondString (BrioStoredNames::newsReadIdKey, {});
        lastReadSpecialId = settings.getGlobalString (BrioStoredNames::specialNewsReadIdKey, {});
    }

    if (enabled)
        startThread (juce::Thread::Priority::low);
}

void PluginNotifications::saveReadState()
{
    juce::String idToStore, specialIdToStore;

    {
        const juce::ScopedLock sl (lock);
        published.newCount = 0;

        if (published.latestId.isEmpty())
            published.latestId = lastReadId;

        if (published.latestSpecialId.isEmpty())
            published.latestSpecialId = lastReadSpecialId;

        idToStore = published.latestId;
        specialIdToStore = published.latestSpecialId;
    }

    settings.loadSecondSettings (true);
    settings.setSecondString (BrioStoredNames::newsReadIdKey, idToStore, false);
    settings.saveSecondSettings();

    settings.loadGlobalSettings (true);
    settings.setGlobalString (BrioStoredNames::specialNewsReadIdKey, specialIdToStore, false);
    settings.saveGlobalSettings();
}

juce::Array<NotificationRecord> PluginNotifications::getRecords() const
{
    const juce::ScopedLock sl (lock);
    return published.records;
}

int PluginNotifications::getNewCount() const
{
    const juce::ScopedLock sl (lock);
    return published.newCount;
}

void PluginNotifications::setEndpoint (const juce::String& address)
{
    const juce::ScopedLock sl (lock);
    endpoint = address;
}

//==============================================================================
void PluginNotifications::run()
{
    juce::String address, readId, specialReadId;

    {
        const juce::ScopedLock sl (lock);
        address = endpoint;
        readId = lastReadId;
        specialReadId = lastReadSpecialId;
    }

    const auto bytes = fetchReply (address);

    if (! bytes.has_value())
        return;

    if (const auto text = decodeReply (*bytes))
        publish (parseReply (*text, readId, specialReadId, [this] { return threadShouldExit(); }));
}

std::optional<juce::MemoryBlock> PluginNotifications::fetchReply (const juce::String& address)
{
    const auto url = juce::URL (address)
                         .withParameter (NewsNames::clientKeyField, NewsNames::clientKey)
                         .withParameter (NewsNames::productField, rot13.apply (productName))
                         .withParameter (NewsNames::versionField, JucePlugin_VersionString);

    // The parameters travel as the body of a POST.
    juce::WebInputStream stream (url, true);
    stream.withConnectionTimeout (NewsNames::requestTimeoutMs).withNumRedirectsToFollow (5);

    // Published before connecting, so that the destructor can cancel it. A stop asked
    // for before it was published is seen here.
    {
        const juce::ScopedLock sl (requestLock);
        request = &stream;
    }

    std::optional<juce::MemoryBlock> bytes;

    if (! threadShouldExit() && stream.connect (nullptr) && ! stream.isError())
    {
        bytes = readReply (stream);

        // A reply cut short (cancelled, or the connection failed) is no reply.
        if (stream.isError() || threadShouldExit())
            bytes.reset();
    }

    const juce::ScopedLock sl (requestLock);
    request = nullptr;
    return bytes;
}

void PluginNotifications::cancelRequest()
{
    const juce::ScopedLock sl (requestLock);

    if (request != nullptr)
        request->cancel();
}

std::optional<juce::MemoryBlock> PluginNotifications::readReply (juce::InputStream& stream)
{
    juce::MemoryOutputStream reply;
    char chunk[8192];

    while (! threadShouldExit())
    {
        const auto numRead = stream.read (chunk, (int) sizeof (chunk));

        if (numRead <= 0)
            return reply.getMemoryBlock();

        // Like a text read: the reply ends at its first zero byte.
        const auto* zero = static_cast<const char*> (std::memchr (chunk, 0, (size_t) numRead));
        const auto numText = zero != nullptr ? (size_t) (zero - chunk) : (size_t) numRead;

        if (reply.getDataSize() + numText > NewsNames::maxReplyBytes)
            return {};

        reply.write (chunk, numText);

        if (zero != nullptr)
            return reply.getMemoryBlock();
    }

    return {};
}

void PluginNotifications::publish (FetchResult result)
{
    const juce::ScopedLock sl (lock);
    published = std::move (result);
}

//==============================================================================
std::optional<juce::String> PluginNotifications::decodeReply (const juce::MemoryBlock& bytes)
{
    if (bytes.isEmpty())
        return juce::String();

    const auto* data = static_cast<const char*> (bytes.getData());
    const auto* zero = static_cast<const char*> (std::memchr (data, 0, bytes.getSize()));
    const auto size = zero != nullptr ? (size_t) (zero - data) : bytes.getSize();

    // JUCE's own check lets overlong forms through, which its strings then measure
    // and copy differently, so the reply is held to the strict rules.
    if (! BrioXmlGuard::isStrictUtf8 (data, size))
        return std::nullopt;

    return juce::String (juce::CharPointer_UTF8 (data), juce::CharPointer_UTF8 (data + size));
}

PluginNotifications::FetchResult PluginNotifications::parseReply (const juce::String& reply,
                                                                  const juce::String& lastReadId,
                                                                  const juce::String& lastReadSpecialId,
                                                                  const std::function<bool()>& shouldStop)
{
    FetchResult result;

    if (reply.containsIgnoreCase (NewsNames::errorWord))
        return result;

    const auto root = BrioXmlGuard::parse (reply, replyLimits);

    if (root == nullptr || ! root->getTagName().equalsIgnoreCase (NewsNames::rootTag))
        return result;

    EntryCounter counter (result, lastReadId, lastReadSpecialId);

    for (const auto* child : root->getChildIterator())
    {
        if (shouldStop && shouldStop())
            break;

        if (! child->getTagName().equalsIgnoreCase (NewsNames::entryTag))
            continue;

        auto record = makeRecord (*child);
        counter.count (record.id);
        result.records.add (std::move (record));
    }

    return result;
}

juce::String PluginNotifications::safeLink (const juce::String& link)
{
    // Unreserved and reserved URL characters and '%', without '$': the Linux browser
    // launcher passes the address to a shell inside double quotes.
    static constexpr const char* urlCharacters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                 "0123456789-._~:/?#[]@!&'()*+,;=%";

    const auto scheme = link.startsWithIgnoreCase ("https://") ? 8
                      : link.startsWithIgnoreCase ("http://")  ? 7
                                                               : 0;

    if (scheme == 0 || link.length() == scheme || ! link.containsOnly (urlCharacters))
        return "#";

    return link;
}

} // namespace LarkspanBrio
