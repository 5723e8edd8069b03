#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <functional>

//==============================================================================
/**
    A small HTTP server on 127.0.0.1 for the news tests. It answers every request with
    the same canned body, and can hold its answers until the test releases them.
    It listens on a port the system picks, so parallel test runs never collide.
*/
class LoopbackHttpServer  : private juce::Thread
{
public:
    LoopbackHttpServer();
    ~LoopbackHttpServer() override;

    /** The address to point the fetcher at. */
    juce::String getAddress() const;

    void setReply (const juce::String& body);

    /** Answers wait (a minute at most) until release() from now on. */
    void holdAnswers()   { released.reset(); }
    void release()       { released.signal(); }

    /** From now on the answers' bodies go out one byte a second, as from a server
        that is alive but barely. */
    void trickleAnswers()   { trickle = true; }

    /** Called on the server's thread just before each answer goes out. */
    void setBeforeAnswer (std::function<void()> callback);

    /** Waits (up to the time-out) until a request has been read. */
    bool waitForRequest (int timeoutMs)   { return requestArrived.wait (timeoutMs); }

    int getNumRequests() const;
    int getNumAnswered() const;
    juce::String getLastRequest() const;   // the request line, headers and body

private:
    void run() override;
    void serve (juce::StreamingSocket& connection);
    bool send (juce::StreamingSocket& connection, const char* data, size_t size);
    void sendSlowly (juce::StreamingSocket& connection, const juce::String& body);

    juce::StreamingSocket listener;
    mutable juce::CriticalSection lock;
    juce::String reply, lastRequest;
    std::function<void()> beforeAnswer;
    int numRequests = 0, numAnswered = 0;
    juce::WaitableEvent requestArrived, released { true };
    std::atomic<bool> trickle { false };
};

//==============================================================================
/** A loopback address where nothing listens: a port that was free a moment ago. */
juce::String addressWithNoListener();
