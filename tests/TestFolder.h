#pragma once

// A temporary folder of a test's own, inside the private run's temporary folder when there
// is one (tests/private-run.sh), removed with everything in it at the end.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

        /** The names of what the folder holds, sorted. */
        static std::vector<std::string> namesIn (const std::string& folder)
        {
            std::vector<std::string> names;

            for (const auto& entry : std::filesystem::directory_iterator (folder))
                names.push_back (entry.path().filename().string());

            std::sort (names.begin(), names.end());
            return names;
        }

        std::vector<std::string> names() const  { return namesIn (path); }

        std::string path;
    };

    /** A file's whole contents (empty when it can't be read). */
    inline std::string contentsOf (const std::string& path)
    {
        std::ifstream file (path, std::ios::binary);
        return { std::istreambuf_iterator<char> (file), {} };
    }
}
