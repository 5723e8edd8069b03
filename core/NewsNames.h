#pragma once

#include <cstddef>

//==============================================================================
/**
    Everything the news fetcher and the maker's news endpoint have to agree on: the
    address, the request's fields, the reply's element and attribute names, and the
    limits the fetcher puts on a reply.

    The endpoint answers with a document like this, ordinary entries newest first:

        <notifications>
          <notification title="..." message="..." link="https://..." id="n-42"/>
          <notification title="..." message="..." link="#" id="special-7"/>
        </notifications>

    or with a text containing the word "error" when it has nothing to say.
    The keys under which the read state is stored live with the other settings keys in
    BrioStoredNames.
*/
namespace NewsNames
{
    //==============================================================================
    // The request

    /** The maker's news endpoint, asked once per start with a POST. Until the maker's
        service is published this is a placeholder on a reserved domain that never
        resolves, so no build sends requests to somebody else's server. */
    inline constexpr const char* endpoint = "https://news.larkspan.invalid/api/plugin-news";

    /** Field carrying the fixed client key below, which lets the endpoint tell our
        plug-ins from stray requests. */
    inline constexpr const char* clientKeyField = "client";

    /** The fixed client key: 64 hexadecimal characters. */
    inline constexpr const char* clientKey = "d66b649128d5d5930d23429fe1775608c690a237678b6008a1fc2eed2d3d8dab";

    /** Field carrying the product name passed through BrioRot13. */
    inline constexpr const char* productField = "product";

    /** Field carrying the plug-in's version, e.g. "1.2.6". */
    inline constexpr const char* versionField = "version";

    //==============================================================================
    // The reply

    /** Root element of a reply. */
    inline constexpr const char* rootTag = "notifications";

    /** One news entry; children with any other tag are skipped. */
    inline constexpr const char* entryTag = "notification";

    /** The four attributes of an entry, in the order of NotificationRecord. */
    inline constexpr const char* titleAttribute   = "title";
    inline constexpr const char* messageAttribute = "message";
    inline constexpr const char* linkAttribute    = "link";
    inline constexpr const char* idAttribute      = "id";

    /** An entry whose id contains this text is a special one (an offer, a notice for
        everybody); it is counted against its own read id, not the ordinary one. */
    inline constexpr const char* specialIdMarker = "special";

    /** A reply containing this word, in any letter case, is ignored altogether. */
    inline constexpr const char* errorWord = "error";

    //==============================================================================
    // Limits on what the fetcher accepts. The reply comes from the network, so nothing
    // in it may make the fetcher read, allocate or recurse without bound.

    /** Replies longer than this are dropped unread beyond it: a news list is a few KiB. */
    inline constexpr size_t maxReplyBytes = 1024 * 1024;

    /** Replies with more element tags than this are dropped before parsing. The XML
        parser recurses once per nesting level, so this also bounds its stack use. */
    inline constexpr int maxElementTags = 4096;

    /** The request gives up when connecting takes longer than this, or when the reply
        then trickles in slower than 100 bytes a second for as long. Without it a server
        that accepts and never answers would hold the fetch, and so the processor's
        destructor, forever. */
    inline constexpr int requestTimeoutMs = 20000;

    /** Stack for the fetch thread: room for the parser at maxElementTags levels deep,
        whatever the host's default stack size is. */
    inline constexpr size_t fetchThreadStackBytes = 4 * 1024 * 1024;
}
