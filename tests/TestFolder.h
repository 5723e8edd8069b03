#pragma once

// A temporary folder of a test's own, inside the private run's temporary folder when there
// is one (tests/private-run.sh), removed with everything in it at the end.

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace tanglefix_tests
{
    struct TestFolder
    {
        TestFolder()
        {
            const char* base = std::getenv ("TANGLEFIX_TEST_TMP");
            auto pattern = std::string (base != nullptr ? base : "/tmp") + "/tanglefix-test-XXXXXX";
            path = mkdtemp (pattern.data());
        }

        ~TestFolder()  { std::filesystem::remove_all (path); }

        TestFolder (const TestFolder&) = delete;
        TestFolder& operator= (const TestFolder&) = delete;

        std::string file (const std::string& name) const  { return path + "/" + name; }

        std::string path;
    };
}
