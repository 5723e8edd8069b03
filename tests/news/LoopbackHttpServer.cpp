#include "LoopbackHttpServer.h"

#include <csignal>

namespace
{
    /** Reads the head of a request, then as much body as Content-Length announces. */
    juce::String readRequest (juce::StreamingSocket& connection)
    {
        juce::MemoryOutputStream received;
        char buffer[4096];

        for (int expected = -1; expected < 0 || (int) received.getDataSize() < expected;)
        {
            const auto n = connection.waitUntilReady (true, 5000) > 0
                             ? connection.read (buffer, (int) sizeof (buffer), false) : 0;

            if (n <= 0)
                break;

            received.write (buffer, (size_t) n);
            const auto text = received.toString();

            if (const auto headEnd = text.indexOf ("\r\n\r\n"); expected < 0 && headEnd >= 0)
                expected = headEnd + 4 + text.fromFirstOccurrenceOf ("Content-Length:", false, true).getIntValue();
        }

        return received.toString();
    }
}

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

void LoopbackHttpServer::setReply (const juce::String& body)
{
    const juce::ScopedLock sl (lock);
    reply = body;
}

void LoopbackHttpServer::setBeforeAnswer (std::function<void()> callback)
{
    const juce::ScopedLock sl (lock);
    beforeAnswer = std::move (callback);
}

int LoopbackHttpServer::getNumRequests() const   { const juce::ScopedLock sl (lock); return numRequests; }
int LoopbackHttpServer::getNumAnswered() const   { const juce::ScopedLock sl (lock); return numAnswered; }
juce::String LoopbackHttpServer::getLastRequest() const   { const juce::ScopedLock sl (lock); return lastRequest; }

void LoopbackHttpServer::run()
{
    while (! threadShouldExit())
        if (listener.waitUntilReady (true, 50) > 0)
            if (std::unique_ptr<juce::StreamingSocket> connection { listener.waitForNextConnection() })
                serve (*connection);
}

void LoopbackHttpServer::serve (juce::StreamingSocket& connection)
{
    const auto request = readRequest (connection);
    juce::String body;
    std::function<void()> callback;

    {
        const juce::ScopedLock sl (lock);
        lastRequest = request;
        ++numRequests;
    }

    requestArrived.signal();
    released.wait (60000);

    {
        const juce::ScopedLock sl (lock);
        body = reply;
        callback = beforeAnswer;
    }

    if (callback != nullptr)
        callback();

    const auto head = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: "
                    + juce::String (body.getNumBytesAsUTF8()) + "\r\nConnection: close\r\n\r\n";

    if (trickle)
    {
        if (send (connection, head.toRawUTF8(), head.getNumBytesAsUTF8()))
            sendSlowly (connection, body);
    }
    else
    {
        const auto answer = head + body;
        send (connection, answer.toRawUTF8(), answer.getNumBytesAsUTF8());
    }

    const juce::ScopedLock sl (lock);
    ++numAnswered;
}

bool LoopbackHttpServer::send (juce::StreamingSocket& connection, const char* data, size_t size)
{
    for (size_t sent = 0; sent < size;)
    {
        const auto n = connection.write (data + sent, (int) juce::jmin ((size_t) 65536, size - sent));

        if (n <= 0)
            return false;

        sent += (size_t) n;
    }

    return true;
}

void LoopbackHttpServer::sendSlowly (juce::StreamingSocket& connection, const juce::String& body)
{
    const auto* data = body.toRawUTF8();

    for (size_t i = 0; i < body.getNumBytesAsUTF8() && send (connection, data + i, 1); ++i)
        for (int slice = 0; slice < 20 && ! threadShouldExit(); ++slice)
            juce::Thread::sleep (50);
}

juce::String addressWithNoListener()
{
    juce::StreamingSocket probe;
    probe.createListener (0, "127.0.0.1");
    const auto port = probe.getBoundPort();
    probe.close();
    return "http://127.0.0.1:" + juce::String (port) + "/news";
}
