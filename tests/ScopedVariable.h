#pragma once

// Sets an environment variable (to any bytes) for the lifetime of the object, or unsets it,
// and puts back what was there before.

#include <cstdlib>
#include <optional>
#include <string>

namespace tanglefix_tests
{
    class ScopedVariable
    {
    public:
        ScopedVariable (const char* nameToSet, const std::optional<std::string>& value)  : name (nameToSet)
        {
            if (const auto* old = std::getenv (name))
                previous = old;

            if (value)
                ::setenv (name, value->c_str(), 1);
            else
                ::unsetenv (name);
        }

        ~ScopedVariable()
        {
            if (previous)
                ::setenv (name, previous->c_str(), 1);
            else
                ::unsetenv (name);
        }

        ScopedVariable (const ScopedVariable&) = delete;
        ScopedVariable& operator= (const ScopedVariable&) = delete;

    private:
        const char* name;
        std::optional<std::string> previous;
    };
}
