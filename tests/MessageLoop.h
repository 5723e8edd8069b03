#pragma once

#include <juce_events/juce_events.h>

#include <functional>

namespace tanglefix_tests
{
    /** Runs the message loop until the condition holds; says whether it did. The limit
        only guards against a hang: a loaded machine may take seconds to run a fade or
        open a menu, so nothing is timed. */
    inline bool runUntil (const std::function<bool()>& condition)
    {
        const auto giveUp = juce::Time::getMillisecondCounter() + 30000;

        while (! condition())
        {
            if (juce::Time::getMillisecondCounter() > giveUp)
                return false;

            juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
        }

        return true;
    }
}
