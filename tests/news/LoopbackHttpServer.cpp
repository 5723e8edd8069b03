#include "LoopbackHttpServer.h"

#include <csignal>

LoopbackHttpServer::LoopbackHttpServer()
    : juce::Thread ("LoopbackHttpServer")
{
    // A client that stops reading early must not take the test binary down with it.
    std::signal (SIGPIPE, SIG_IGN);

    listener.createListener (0, "127.0.0.1");
    released.signal();
    startThread();
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    release();
    stopThread (10000);
    listener.close();
}

juce::String LoopbackHttpServer::getAddress() const
{
    return "http://127.0.0.1:" + juce::String (listener.getBoundPort()) + "/news";
}

void LoopbackHttpServer::setReply (const juce::MemoryBlock& body)
{
    const juce::ScopedLock sl (lock);
    reply = body;
}

void LoopbackHttpServer::setReply (const juce::String& body)
{
    setReply (juce::MemoryBlock (body.toRawUTF8(), body.getNumBytesAsUTF8()));
}

void LoopbackHttpServer::holdAnswers()  { released.reset(); }
void LoopbackHttpServer::release()      { released.signal(); }

void LoopbackHttpServer::setBeforeAnswer (std::function<void()> callback)
{
    const juce::ScopedLock sl (lock);
    beforeAnswer = std::move (callback);
}

bool LoopbackHttpServer::waitForRequest (int timeoutMs)  { return requestArrived.wait (timeoutMs); }

int LoopbackHttpServer::getNumRequests() const
{
    const juce::ScopedLock sl (lock);
    return numRequests;
}

juce::String LoopbackHttpServer::getLastRequest() const
{
    const juce::ScopedLock sl (lock);
    return lastRequest;
}

int LoopbackHttpServer::getNumAnswered() const
{
    const juce::ScopedLock sl (lock);
    return numAnswered;
}

void LoopbackHttpServer::run()
{
    while (! threadShouldExit())
    {
        if (listener.waitUntilReady (true, 50) <= 0)
            continue;

        if (std::unique_ptr<juce::StreamingSocket> connection { listener.waitForNextConnection() })
            serve (*connection);
    }
}

void LoopbackHttpServer::serve (juce::StreamingSocket& connection)
{
    const auto request = readRequest (connection);

    {
        const juce::ScopedLock sl (lock);
        lastRequest = request;
        ++numRequests;
    }

    requestArrived.signal();

    for (int i = 0; i < 600 && ! released.wait (100); ++i) {}

    juce::MemoryBlock body;
    std::function<void()> callback;

    {
        const juce::ScopedLock sl (lock);
        body = reply;
        callback = beforeAnswer;
    }

    if (callback != nullptr)
        callback();

    const auto header = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: "
                      + juce::String ((juce::int64) body.getSize()) + "\r\nConnection: close\r\n\r\n";
    connection.write (header.toRawUTF8(), (int) header.getNumBytesAsUTF8());

    for (size_t sent = 0; sent < body.getSize();)
    {
        const auto n = connection.write (static_cast<const char*> (body.getData()) + sent,
                                         (int) juce::jmin ((size_t) 65536, body.getSize() - sent));
        if (n <= 0)
            break;

        sent += (size_t) n;
    }

    const juce::ScopedLock sl (lock);
    ++numAnswered;
}

juce::String LoopbackHttpServer::readRequest (juce::StreamingSocket& connection) const
{
    juce::MemoryOutputStream received;
    char buffer[4096];
    int expectedSize = -1;

    // Reads the head, then as much body as Content-Length announces.
    for (int i = 0; i < 1000 && (expectedSize < 0 || (int) received.getDataSize() < expectedSize); ++i)
    {
        if (connection.waitUntilReady (true, 5000) <= 0)
            break;

        const auto n = connection.read (buffer, (int) sizeof (buffer), false);

        if (n <= 0)
            break;

        received.write (buffer, (size_t) n);
        const auto text = received.toString();
        const auto headEnd = text.indexOf ("\r\n\r\n");

        if (expectedSize < 0 && headEnd >= 0)
        {
            const auto length = text.fromFirstOccurrenceOf ("Content-Length:", false, true)
                                    .upToFirstOccurrenceOf ("\r\n", false, false).trim();
            expectedSize = headEnd + 4 + length.getIntValue();
        }
    }

    return received.toString();
}

juce::String addressWithNoListener()
{
    juce::StreamingSocket probe;
    probe.createListener (0, "127.0.0.1");
    const auto port = probe.getBoundPort();
    probe.close();
    return "http://127.0.0.1:" + juce::String (port) + "/news";
}
