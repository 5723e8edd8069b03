// What the preset browser costs on large and hostile trees: the menu build (a walk of the
// presets folder), opening the editor (the build and showing the current preset) and one
// step to the next preset, on 2,000 folders holding 20,000 presets, on 20,000 folders and
// on a chain of folders 1,500 deep. Each tree is made once in the run's temporary folder
// and the presets folder is pointed at it by a link.
//   tests/private-run.sh build/bench/tanglefix_browser_bench

#include <benchmark/benchmark.h>

#include "ComboboxSubmenu.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace
{
    namespace fs = std::filesystem;

    void touch (const fs::path& file)
    {
        std::ofstream (file) << "<TanglefixSETTINGS/>";
    }

    void makeWide (const fs::path& root)
    {
        for (int top = 0; top < 20; ++top)
            for (int sub = 0; sub < 100; ++sub)
            {
                const auto folder = sub == 0 ? root / ("Bank " + std::to_string (top))
                                             : root / ("Bank " + std::to_string (top)) / ("Set " + std::to_string (sub));
                fs::create_directories (folder);

                for (int p = 0; p < 10; ++p)
                    touch (folder / ("Preset " + std::to_string (p) + ".qzr"));
            }
    }

    void makeManyFolders (const fs::path& root)
    {
        for (int i = 0; i < 20000; ++i)
            fs::create_directories (root / ("Folder " + std::to_string (i)));

        touch (root / "Top.qzr");
    }

    void makeDeep (const fs::path& root)
    {
        auto folder = root;
        touch (root / "Top.qzr");

        for (int i = 0; i < 1500; ++i)
        {
            folder /= "d";
            fs::create_directory (folder);
            touch (folder / "p.qzr");
        }
    }

    /** Points the presets folder at the named tree, making the tree on first use. */
    void useTree (const std::string& name, void (*make) (const fs::path&))
    {
        static const fs::path scratch = []
        {
            const char* base = std::getenv ("TANGLEFIX_TEST_TMP");
            auto pattern = std::string (base != nullptr ? base : "/tmp") + "/browser-bench-XXXXXX";
            return fs::path (::mkdtemp (pattern.data()));
        }();

        const auto tree = scratch / name;

        if (! fs::exists (tree))
        {
            fs::create_directories (tree);
            make (tree);
        }

        // Taken before it becomes a link: the store hands out a link's target.
        static const fs::path presets (BrioSettings().getPresetsFolder().toStdString());
        fs::remove_all (presets);
        fs::create_directory_symlink (tree, presets);
    }

    struct Tree
    {
        const char* name;
        void (*make) (const fs::path&);
    };

    const Tree trees[] = { { "2000 folders, 20000 presets", makeWide },
                           { "20000 folders", makeManyFolders },
                           { "1500 levels deep", makeDeep } };

    void BM_MenuBuild (benchmark::State& state)
    {
        const auto& tree = trees[state.range (0)];
        useTree (tree.name, tree.make);
        state.SetLabel (tree.name);
        LarkspanBrio::ComboboxSubmenu browser;

        for (auto _ : state)
            browser.rebuildMenu (false);

        state.counters["presets"] = browser.getPresetPaths().size();
    }

    /** What the window does as it opens. */
    void BM_EditorOpen (benchmark::State& state)
    {
        const auto& tree = trees[state.range (0)];
        useTree (tree.name, tree.make);
        state.SetLabel (tree.name);

        for (auto _ : state)
        {
            LarkspanBrio::ComboboxSubmenu browser;
            browser.rebuildMenu (false);
            browser.setPresetName (browser.getPresetPaths()[0], false, false);
        }
    }

    /** The next button, the tree unchanged. */
    void BM_NextPreset (benchmark::State& state)
    {
        const auto& tree = trees[state.range (0)];
        useTree (tree.name, tree.make);
        state.SetLabel (tree.name);
        LarkspanBrio::ComboboxSubmenu browser;
        browser.rebuildMenu (false);
        browser.setPresetName (browser.getPresetPaths()[0], false, false);

        for (auto _ : state)
            browser.selectNext();
    }
}

BENCHMARK (BM_MenuBuild)->DenseRange (0, 2)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_EditorOpen)->DenseRange (0, 2)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_NextPreset)->DenseRange (0, 2)->Unit (benchmark::kMillisecond);

int main (int argc, char** argv)
{
    // The browser is a component: JUCE's message manager must outlive it, and go before
    // the statics it uses.
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
