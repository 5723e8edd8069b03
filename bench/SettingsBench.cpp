// Loading the global settings file, which lies in a folder every local user can write to:
// a file at the store's 1 MB limit holds about 100,000 attributes, and every instance
// loads it sorted as it is made, through the process's cache, which parses it once per
// change. The loads run only inside tests/private-run.sh, as they replace the settings file.

#include <benchmark/benchmark.h>

#include "BrioSettings.h"

#include <cstdlib>

namespace
{
    constexpr size_t sizeLimit = 1024 * 1024;

    /** A settings document of unique attribute names in random order (16 hex digits, or
        with shortNames as few as make them unique), as long as fits in the byte limit when
        the count is 0. */
    juce::String makeDocument (int numAttributes, bool shortNames = false)
    {
        juce::Random random (7);
        juce::MemoryOutputStream text;
        text << "<Tanglefix_GLOBAL_SETTINGS";

        for (int i = 0; numAttributes == 0 || i < numAttributes; ++i)
        {
            const auto name = shortNames ? juce::String::toHexString ((i * 40503) & 0xfffff)
                                         : juce::String::toHexString (random.nextInt64());
            const auto attribute = " k" + name + "=\"" + juce::String (i % 10) + "\"";

            if (numAttributes == 0 && text.getDataSize() + (size_t) attribute.length() + 2 > sizeLimit)
                break;

            text << attribute;
        }

        text << "/>";
        return text.toString();
    }

    void BM_SortedCopy (benchmark::State& state)
    {
        const auto element = juce::parseXML (makeDocument ((int) state.range (0)));

        for (auto _ : state)
            benchmark::DoNotOptimize (BrioSettings::sortedCopy (*element));

        state.counters["attributes"] = element->getNumAttributes();
    }

    /** Arguments: firstInProcess, shortNames. A new file each time, which the process
        parses again. With firstInProcess, as a host's first instance loads it: JUCE keeps
        attribute names in a global pool that must take each new name in. Otherwise as a
        load after another writer changed the file, the names pooled already. */
    void BM_LoadAtSizeLimit (benchmark::State& state)
    {
        const bool firstInProcess = state.range (0) != 0;
        const bool shortNames = state.range (1) != 0;

        if (std::getenv ("TANGLEFIX_IN_PRIVATE_NS") == nullptr)
        {
            state.SkipWithError ("run inside tests/private-run.sh: it replaces the settings file");
            return;
        }

        BrioSettings store;
        const juce::File file (store.getGlobalSettingsFile());
        const auto document = makeDocument (0, shortNames);

        // Each case starts from a pool without the names another case left; then, for the
        // loads after the first, with the file's names pooled.
        file.replaceWithText ("<Tanglefix_GLOBAL_SETTINGS/>");
        store.loadGlobalSettings (true);
        juce::StringPool::getGlobalPool().garbageCollect();
        file.replaceWithText (document);

        if (! firstInProcess)
            store.loadGlobalSettings (true);

        for (auto _ : state)
        {
            state.PauseTiming();

            // Nothing that holds the names, neither the store nor the process's cache.
            if (firstInProcess)
            {
                file.replaceWithText ("<Tanglefix_GLOBAL_SETTINGS/>");
                store.loadGlobalSettings (true);
                juce::StringPool::getGlobalPool().garbageCollect();
            }

            file.replaceWithText (document);
            state.ResumeTiming();

            benchmark::DoNotOptimize (store.loadGlobalSettings (true));
        }

        state.counters["bytes"] = (double) file.getSize();
        state.counters["attributes"] = store.loadGlobalSettings (false)->getNumAttributes();
    }

    /** As instances read an unchanged file: a processor's store and its news store each
        load it, again and again while a host makes instances. */
    void BM_RepeatedLoad (benchmark::State& state)
    {
        if (std::getenv ("TANGLEFIX_IN_PRIVATE_NS") == nullptr)
        {
            state.SkipWithError ("run inside tests/private-run.sh: it replaces the settings file");
            return;
        }

        BrioSettings first;
        const juce::File file (first.getGlobalSettingsFile());
        file.replaceWithText (makeDocument ((int) state.range (0)));
        first.loadGlobalSettings (true);

        for (auto _ : state)
        {
            BrioSettings store;
            benchmark::DoNotOptimize (store.loadGlobalSettings (true));
        }

        state.counters["attributes"] = first.loadGlobalSettings (false)->getNumAttributes();
    }
}

BENCHMARK (BM_SortedCopy)->Arg (10)->Arg (10000)->Arg (30000)->Arg (90000)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_LoadAtSizeLimit)->ArgsProduct ({ { 0, 1 }, { 0, 1 } })->Unit (benchmark::kMillisecond);
BENCHMARK (BM_RepeatedLoad)->Arg (10)->Arg (30000)->Unit (benchmark::kMillisecond);

BENCHMARK_MAIN();
