#include "InstanceCommands.h"

#include "AudioFile.h"
#include "DescribeCommand.h"
#include "HostEditor.h"
#include "ParameterSettings.h"
#include "PluginInstance.h"
#include "RenderOptions.h"
#include "RegistrationPrinter.h"

#include <chrono>
#include <cmath>
#include <iomanip>
#include <sstream>

namespace tanglefix::host
{

namespace
{
    constexpr int usageExitCode = 64;
    constexpr int fileExitCode = 74;
    constexpr int displayExitCode = 69;

    constexpr int refusedFileExitCode = 65;
    constexpr int cannotCreateExitCode = 73;

    /** What the command line asked for: --set and --offer options, then the positional
        arguments. */
    struct Arguments
    {
        std::vector<std::pair<std::string, double>> settings;
        HostOptions offered;
        std::vector<std::string> positional;
    };

    bool parseArguments (const std::vector<std::string>& args, bool allowSettings, Arguments& parsed, std::ostream& err)
    {
        for (size_t i = 0; i < args.size(); ++i)
        {
            if (allowSettings && args[i] == "--set" && i + 1 < args.size())
            {
                std::string error;

                if (! parseParameterSetting (args[++i], parsed.settings.emplace_back(), error))
                {
                    err << "tanglefix-host: " << error << "\n";
                    return false;
                }
            }
            else if (args[i] == "--offer" && i + 1 < args.size())
            {
                if (! parsed.offered.parseOffer (args[++i]))
                {
                    err << "tanglefix-host: bad --offer value '" << args[i] << "'\n";
                    return false;
                }
            }
            else if (args[i].rfind ("--", 0) == 0)
            {
                err << "tanglefix-host: unusable option '" << args[i] << "'\n";
                return false;
            }
            else
            {
                parsed.positional.push_back (args[i]);
            }
        }

        return true;
    }

    std::string formatValue (double value)
    {
        std::ostringstream text;
        text.imbue (std::locale::classic());
        text << std::setprecision (9) << value;
        return text.str();
    }

    //==============================================================================
    /** One session with one instance: everything between loading the bundle and checking
        that it can be unloaded, with each step printed and every failure reported.
    */
    class InstanceRun
    {
    public:
        InstanceRun (const HostOptions& offered, std::ostream& o, std::ostream& e)
            : out (o), err (e), session (offered) {}

        /** Loads and registers the bundle, makes an instance of its first effect and
            initialises it; false when any of that failed. Only an instance for the editor
            has a GUI object, and that is left to initialise: JUCE's makes the editor, which
            connects to a display.
        */
        bool open (const std::string& bundlePath, bool forEditor = false)
        {
            std::string error;

            if (! session.load (bundlePath, error))
                return fail (DescribeCommand::bundleNotLoaded, error);

            loaded = true;

            if (! succeeded ("ACFStartup", session.startUp()) || ! succeeded ("ACFRegisterPlugin", session.registerPlugin()))
                return false;

            const auto& effects = session.getRegistration()->effects;

            if (effects.empty())
                return fail (DescribeCommand::bundleCallFailed, "the bundle registered no effect");

            instance = PluginInstance::create (session, effects.front(), InstanceSetup(), error, forEditor);

            if (instance == nullptr)
                return fail (DescribeCommand::bundleCallFailed, error);

            out << "Instance: " << effects.front().identifier << (instance->getGui() != nullptr ? " with GUI" : "") << "\n";
            return check ("Initialize", instance->initializeEffect());
        }

        PluginInstance& getInstance() noexcept    { return *instance; }
        HostSession& getSession() noexcept        { return session; }

        /** Prints a call's result; a failure is reported and decides the exit code. */
        bool check (const std::string& what, AAX_Result result)
        {
            out << what << ": " << result << "\n";

            if (result == AAX_SUCCESS)
                return true;

            return fail (DescribeCommand::bundleCallFailed, what + " failed with result " + std::to_string (result));
        }

        bool fail (int code, const std::string& message)
        {
            err << "tanglefix-host: " << message << "\n";

            if (exitCode == DescribeCommand::success)
                exitCode = code;

            return false;
        }

        void warn (const std::string& message)
        {
            err << "tanglefix-host: warning: " << message << "\n";
        }

        /** Sets the parameters the settings name; a name that is none of them stops the
            command, as a chunk saved over it would silently hold the defaults. */
        bool applySettings (std::vector<std::pair<std::string, double>> settings)
        {
            if (settings.empty())
                return true;

            std::vector<ParameterListing> parameters;
            std::string error;

            if (const auto listed = instance->listParameters (parameters); listed != AAX_SUCCESS)
                return fail (DescribeCommand::bundleCallFailed, "listing the parameters failed with result " + std::to_string (listed));

            if (! ParameterSettings::resolve (parameters, settings, error))
                return fail (usageExitCode, error);

            for (const auto& [id, value] : settings)
                if (! check ("Set " + id + " to " + formatValue (value), instance->setParameter (id, value)))
                    return false;

            return true;
        }

        /** Uninitialises and releases the instance (GUI first), shuts the bundle down and
            checks that nothing of the bundle or the host is left; returns the exit code.
        */
        int close()
        {
            if (instance != nullptr)
            {
                check ("Uninitialize", instance->uninitialize());
                instance->release();
                instance.reset();
            }

            if (! loaded)
                return exitCode;

            succeeded ("ACFShutdown", session.shutDown());

            const RegistrationPrinter printer (out, [] (const void*) { return std::string(); });
            printer.printTraces (session.getTraces());
            printer.printAsserts (session.getAsserts());

            acfUInt32 activeObjects = 0;

            if (succeeded ("ACFCanUnloadNow", session.canUnloadNow (activeObjects)) && activeObjects != 0)
                fail (DescribeCommand::bundleNotClean, std::to_string (activeObjects) + " of the bundle's objects are still alive");

            out << "Active objects after release: " << activeObjects << "\n";

            if (const auto leaked = session.getLeakedHostObjectCount(); leaked != 0)
                fail (DescribeCommand::bundleNotClean, "the bundle still holds " + std::to_string (leaked) + " host object(s)");

            return exitCode;
        }

    private:
        bool succeeded (const char* what, const EntryPointResult& result)
        {
            if (result.succeeded())
                return true;

            return fail (DescribeCommand::bundleCallFailed, std::string (what) + " failed with result " + std::to_string (result.code)
                                                             + (result.problem.empty() ? "" : ": " + result.problem));
        }

        std::ostream& out;
        std::ostream& err;
        HostSession session;
        std::unique_ptr<PluginInstance> instance;
        bool loaded = false;
        int exitCode = DescribeCommand::success;
    };

    //==============================================================================
    void printParameter (const ParameterListing& parameter, std::ostream& out)
    {
        out << "Parameter " << parameter.id << "\n"
            << "  name: \"" << parameter.name << "\"\n"
            << "  shortened:";

        for (size_t i = 0; i < parameter.shortenedNames.size(); ++i)
            out << " " << PluginInstance::shortenedNameLengths[i] << ":\"" << parameter.shortenedNames[i] << "\"";

        out << "\n  steps: " << parameter.numSteps << "\n"
            << "  automatable: " << (parameter.automatable ? "yes" : "no") << "\n"
            << "  default: " << formatValue (parameter.defaultValue) << "\n"
            << "  value: " << formatValue (parameter.value) << "\n"
            << "  text: \"" << parameter.valueText << "\"\n";
    }

    std::string describeChunk (const ChunkRecord& chunk)
    {
        return RegistrationPrinter::formatFourCharCode (chunk.id) + " \"" + chunk.name + "\", "
             + std::to_string (chunk.data.size()) + " bytes, version " + std::to_string (chunk.version);
    }

    void getChunks (InstanceRun& run, const std::string& path, std::ostream& out)
    {
        std::vector<AAX_CTypeID> ids;

        if (! run.check ("Chunk ids", run.getInstance().getChunkIDs (ids)))
            return;

        std::vector<ChunkRecord> chunks;

        for (const auto id : ids)
        {
            ChunkRecord chunk;

            if (! run.check ("Get chunk " + RegistrationPrinter::formatFourCharCode (id), run.getInstance().getChunk (id, chunk)))
                return;

            out << "Chunk " << describeChunk (chunk) << "\n";
            chunks.push_back (std::move (chunk));
        }

        std::string error;

        if (! ChunkFile::write (path, chunks, error))
        {
            run.fail (fileExitCode, error);
            return;
        }

        if (! error.empty())
            run.warn (error);

        out << "Wrote " << chunks.size() << " chunk(s)\n";
    }

    void setChunks (InstanceRun& run, const std::vector<ChunkRecord>& chunks, std::ostream& out)
    {
        for (const auto& chunk : chunks)
        {
            const auto name = RegistrationPrinter::formatFourCharCode (chunk.id);

            if (! run.check ("Set chunk " + name, run.getInstance().setChunk (chunk)))
                continue;

            bool equal = false;

            if (run.check ("Compare chunk " + name, run.getInstance().compareChunk (chunk, equal)))
            {
                out << "Chunk " << name << (equal ? " is active" : " differs from the active state") << "\n";

                if (! equal)
                    run.fail (DescribeCommand::bundleCallFailed, "chunk " + name + " does not compare equal after it was set");
            }
        }
    }
}

//==============================================================================
int runParamsCommand (const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Arguments parsed;

    if (! parseArguments (args, true, parsed, err) || parsed.positional.size() != 1)
        return usageExitCode;

    InstanceRun run (parsed.offered, out, err);

    if (run.open (parsed.positional[0]) && run.applySettings (parsed.settings))
    {
        std::vector<ParameterListing> parameters;

        if (run.check ("List parameters", run.getInstance().listParameters (parameters)))
        {
            out << "Parameters: " << parameters.size() << "\n";

            for (const auto& parameter : parameters)
                printParameter (parameter, out);
        }

        run.check ("GenerateCoefficients", run.getInstance().generateCoefficients());
    }

    return run.close();
}

int runChunkCommand (const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Arguments parsed;
    const bool isGet = ! args.empty() && args[0] == "get";
    const bool isSet = ! args.empty() && args[0] == "set";

    if (! (isGet || isSet) || ! parseArguments ({ args.begin() + 1, args.end() }, isGet, parsed, err)
         || parsed.positional.size() != 2)
        return usageExitCode;

    const auto& bundlePath = parsed.positional[0];
    const auto& chunkPath = parsed.positional[1];
    std::vector<ChunkRecord> chunks;
    std::string error;

    // A file that cannot be read stops the command before the bundle is touched. One that
    // is no chunk file at all (a folder, a pipe, a device, too large) is refused as data.
    if (isSet)
    {
        if (const auto outcome = ChunkFile::read (chunkPath, chunks, error); outcome != ChunkFile::ReadOutcome::read)
        {
            err << "tanglefix-host: " << error << "\n";
            return outcome == ChunkFile::ReadOutcome::refused ? refusedFileExitCode : fileExitCode;
        }
    }

    // Nothing the command reads is written over, and only a regular file is replaced.
    if (isGet && AudioFile::isSameFile (chunkPath, bundlePath))
    {
        err << "tanglefix-host: " << chunkPath << " is the bundle being loaded; the chunks are never written over it\n";
        return usageExitCode;
    }

    if (isGet && ! ReplacingFile::checkTarget (chunkPath, error))
    {
        err << "tanglefix-host: " << error << "\n";
        return cannotCreateExitCode;
    }

    InstanceRun run (parsed.offered, out, err);

    if (run.open (bundlePath) && run.applySettings (parsed.settings))
    {
        if (isGet)
            getChunks (run, chunkPath, out);
        else
            setChunks (run, chunks, out);
    }

    return run.close();
}

//==============================================================================
namespace
{
    struct EditorOptions
    {
        std::string screenshotPath;
        double scale = 1.0;
        bool scaleGiven = false;   // without --scale the editor keeps the size it opens at
        int holdMilliseconds = 500;
    };

    /** Takes the editor's own options out of the arguments; the rest stay for parseArguments. */
    bool parseEditorOptions (std::vector<std::string>& args, EditorOptions& options, std::ostream& err)
    {
        for (size_t i = 0; i < args.size(); ++i)
        {
            const auto& name = args[i];

            if (name != "--screenshot" && name != "--scale" && name != "--hold")
                continue;

            if (i + 1 >= args.size())
            {
                err << "tanglefix-host: " << name << " needs a value\n";
                return false;
            }

            std::istringstream value (args[i + 1]);
            value.imbue (std::locale::classic());

            if (name == "--screenshot")
                options.screenshotPath = args[i + 1];
            else if (name == "--scale")
                options.scaleGiven = static_cast<bool> (value >> options.scale);
            else
                value >> options.holdMilliseconds;

            const bool bad = name != "--screenshot" && (value.fail() || ! value.eof());

            if (bad || ! (options.scale >= 0.5 && options.scale <= 2.0) || options.holdMilliseconds < 0)
            {
                err << "tanglefix-host: unusable value '" << args[i + 1] << "' for " << name << "\n";
                return false;
            }

            // The editor keeps exactly the scales that a size stands for: those in hundredths.
            if (name == "--scale" && std::abs (options.scale * 100.0 - std::round (options.scale * 100.0)) > 1.0e-9)
            {
                err << "tanglefix-host: unusable value '" << args[i + 1] << "' for --scale: "
                    << "give a scale from 0.5 to 2 in hundredths\n";
                return false;
            }

            args.erase (args.begin() + (long) i, args.begin() + (long) i + 2);
            --i;
        }

        return true;
    }

    double millisecondsSince (std::chrono::steady_clock::time_point start)
    {
        return std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - start).count();
    }

    /** The editor's own rule from scale to size: the layout size times the scale, halves
        rounded down (0.75 gives 487 x 315). */
    int sizeForScale (int layoutSize, double scale)
    {
        return (int) std::ceil (layoutSize * scale - 0.5);
    }

    /** Drags the editor's resize corner (its bottom-right 14 pixels) until the editor has the
        size the scale gives, as a user would, whatever size it opened at. The drag ends a
        little short in height: the editor keeps its aspect ratio by adjusting the side that
        moved less, and the width must be the one kept. */
    void dragToScale (HostEditor& editor, const HostEditorWindow& window, double scale)
    {
        const auto targetWidth = sizeForScale (650, scale);
        const auto targetHeight = sizeForScale (420, scale);
        const auto x = window.getWidth() - 7, y = window.getHeight() - 7;
        editor.drag (x, y, x + targetWidth - window.getWidth(), y + targetHeight - 2 - window.getHeight());
    }

    void runEditor (InstanceRun& run, const EditorOptions& options, HostEditorWindow& window, std::ostream& out)
    {
        auto& instance = run.getInstance();

        // Cold: the first editor of the process, so every picture is decoded now.
        const auto start = std::chrono::steady_clock::now();

        if (! run.check ("Initialize GUI", instance.initializeGui()))
            return;

        const auto initialized = millisecondsSince (start);
        HostEditor editor (run.getSession(), instance, window);

        if (! run.check ("SetViewContainer", editor.attach()))
            return;

        const auto attached = millisecondsSince (start);
        editor.pumpUntilIdle();
        const auto idle = millisecondsSince (start);

        out << std::fixed << std::setprecision (1)
            << "Editor opened in " << attached << " ms (GUI initialised " << initialized << " ms, view attached "
            << attached - initialized << " ms), run loop idle after " << idle << " ms\n";

        editor.pump (std::chrono::milliseconds (options.holdMilliseconds));

        if (options.scaleGiven)
        {
            // Scale 1 too: the editor opens at the size an earlier run stored. An editor
            // already at the size may hold a scale stored by other means (the width is the
            // same for a band of scales), so it is dragged away first: it then takes the
            // scale from the size it is dragged back to.
            const auto atScale = window.getWidth() == sizeForScale (650, options.scale)
                              && window.getHeight() == sizeForScale (420, options.scale);

            if (! window.canPlayInput())
            {
                run.fail (displayExitCode, "the X server has no XTEST extension to drag the editor's corner with");
            }
            else
            {
                if (atScale)
                {
                    dragToScale (editor, window, options.scale < 2.0 ? options.scale + 0.05 : options.scale - 0.05);
                    editor.pump (std::chrono::milliseconds (300));
                }

                dragToScale (editor, window, options.scale);
            }

            editor.pump (std::chrono::milliseconds (300));
        }

        out << "Editor size: " << window.getWidth() << " x " << window.getHeight() << "\n";

        if (! options.screenshotPath.empty())
        {
            std::string error;

            if (window.saveScreenshot (options.screenshotPath, error))
                out << "Screenshot: " << options.screenshotPath << "\n";
            else
                run.fail (fileExitCode, error);
        }

        run.check ("SetViewContainer (none)", editor.detach());
    }
}

int runEditorCommand (const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    auto remaining = args;
    EditorOptions options;
    Arguments parsed;

    if (! parseEditorOptions (remaining, options, err) || ! parseArguments (remaining, true, parsed, err)
         || parsed.positional.size() != 1)
        return usageExitCode;

    HostEditorWindow window;
    std::string error;

    if (! window.open (650, 420, error))
    {
        err << "tanglefix-host: " << error << "\n";
        return displayExitCode;
    }

    InstanceRun run (parsed.offered, out, err);

    if (run.open (parsed.positional[0], true) && run.applySettings (parsed.settings))
    {
        if (run.getInstance().getGui() == nullptr)
            run.fail (DescribeCommand::bundleCallFailed, "the effect has no GUI");
        else
            runEditor (run, options, window, out);
    }

    return run.close();
}

} // namespace tanglefix::host
