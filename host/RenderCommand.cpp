#include "RenderCommand.h"

#include "AudioFile.h"
#include "AudioThread.h"
#include "ChunkFile.h"
#include "OfflineRenderer.h"
#include "ProcessingInstance.h"
#include "StateChunkEditor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <strings.h>

namespace tanglefix::host
{

namespace
{
    constexpr AAX_CTypeID juceStateChunk = ('j' << 24) | ('u' << 16) | ('c' << 8) | 'e';
    constexpr const char* masterBypassID = "MasterBypassID";

    // Files longer than this get a progress line every tenth of the way.
    constexpr double secondsBeforeProgress = 20.0;

    int fail (std::ostream& err, int exitCode, const std::string& message)
    {
        err << "tanglefix-host render: " << message << "\n";
        return exitCode;
    }

    std::string formatLevel (double level)
    {
        if (level <= 0.0)
            return "-inf dBFS";

        char text[32];
        std::snprintf (text, sizeof (text), "%.2f dBFS", 20.0 * std::log10 (level));
        return text;
    }

    std::string describeLevels (const AudioData& audio)
    {
        double peak = 0.0, sumOfSquares = 0.0;
        long long count = 0;

        for (const auto& channel : audio.channels)
            for (const auto x : channel)
            {
                peak = std::max (peak, (double) std::abs (x));
                sumOfSquares += (double) x * x;
                ++count;
            }

        return "peak " + formatLevel (peak) + ", RMS " + formatLevel (count > 0 ? std::sqrt (sumOfSquares / (double) count) : 0.0);
    }

    /** The layout asked for, or the one the input's channels suggest; false when they differ. */
    bool chooseLayout (const RenderOptions& options, const AudioData& input, ChannelLayout& layout, std::string& error)
    {
        const auto channels = input.getNumChannels();

        if (channels != 1 && channels != 2)
        {
            error = options.inputPath + " has " + std::to_string (channels)
                  + " channels; the plug-in takes mono or stereo input";
            return false;
        }

        layout = options.layout.value_or (channels == 1 ? ChannelLayout::mono : ChannelLayout::stereo);

        if (numInputsOf (layout) != channels)
        {
            error = std::string ("the ") + nameOf (layout) + " layout takes " + std::to_string (numInputsOf (layout))
                  + "-channel input, but " + options.inputPath + " has " + std::to_string (channels);
            return false;
        }

        return true;
    }

    /** Restores the saved chunks, then the settings that only the state carries. */
    bool applyState (PluginInstance& instance, const RenderOptions& options,
                     const std::vector<ChunkRecord>& savedChunks, std::string& error)
    {
        for (const auto& chunk : savedChunks)
            if (const auto result = instance.setChunk (chunk); result != AAX_SUCCESS)
            {
                error = "the plug-in refused a chunk of " + options.statePath + " (result " + std::to_string (result) + ")";
                return false;
            }

        StateChunkEditor::Attributes settings;

        if (options.oversampling.has_value())
            settings.emplace_back ("Oversample", std::to_string (*options.oversampling));

        if (options.limiter)
            settings.emplace_back ("Limiter", "1");

        if (settings.empty())
            return true;

        ChunkRecord state;

        if (const auto result = instance.getChunk (juceStateChunk, state); result != AAX_SUCCESS)
        {
            error = "the plug-in gave no state chunk (result " + std::to_string (result) + ")";
            return false;
        }

        if (! StateChunkEditor::setRootAttributes (state.data, settings, error))
            return false;

        if (const auto result = instance.setChunk (state); result != AAX_SUCCESS)
        {
            error = "the plug-in refused its own state chunk (result " + std::to_string (result) + ")";
            return false;
        }

        return true;
    }

    const ParameterListing* findParameter (const std::vector<ParameterListing>& parameters, const std::string& name)
    {
        for (const auto& parameter : parameters)
            if (parameter.id == name || strcasecmp (parameter.name.c_str(), name.c_str()) == 0)
                return &parameter;

        return nullptr;
    }

    std::string listNames (const std::vector<ParameterListing>& parameters)
    {
        std::string names;

        for (const auto& parameter : parameters)
            if (parameter.id != masterBypassID)
                names += (names.empty() ? "" : ", ") + parameter.name;

        return names;
    }

    /** Sets the --set parameters and the master bypass as the host's automation would. */
    int applyParameters (ProcessingInstance& processing, const RenderOptions& options, std::ostream& err)
    {
        std::vector<ParameterListing> parameters;

        if (const auto result = processing.getInstance().listParameters (parameters); result != AAX_SUCCESS)
            return fail (err, RenderCommand::bundleCallFailed, "the plug-in could not list its parameters");

        for (const auto& [name, value] : options.parameters)
        {
            const auto* parameter = findParameter (parameters, name);

            if (parameter == nullptr || parameter->id == masterBypassID)
                return fail (err, RenderCommand::badArguments,
                             "the plug-in has no parameter \"" + name + "\"; it has " + listNames (parameters));

            if (processing.setParameter (parameter->id, value) != AAX_SUCCESS)
                return fail (err, RenderCommand::bundleCallFailed, "the plug-in refused " + name);
        }

        if (options.masterBypass && processing.setParameter (masterBypassID, 1.0) != AAX_SUCCESS)
            return fail (err, RenderCommand::bundleCallFailed, "the plug-in refused the master bypass");

        return RenderCommand::success;
    }

    std::string trimmed (const std::string& text)
    {
        const auto first = text.find_first_not_of (' ');
        return first == std::string::npos ? std::string() : text.substr (first, text.find_last_not_of (' ') - first + 1);
    }

    void printSettings (ProcessingInstance& processing, std::ostream& out)
    {
        std::vector<ParameterListing> parameters;
        processing.getInstance().listParameters (parameters);

        for (const auto& parameter : parameters)
            out << "  " << parameter.name << ": " << parameter.value << " (" << trimmed (parameter.valueText) << ")\n";

        ChunkRecord state;

        if (processing.getInstance().getChunk (juceStateChunk, state) == AAX_SUCCESS)
            out << "  Limiter: " << (StateChunkEditor::getRootAttribute (state.data, "Limiter") == "1" ? "on" : "off") << "\n"
                << "  Oversampling: " << StateChunkEditor::getRootAttribute (state.data, "Oversample") << "x\n";
    }

    /** Renders on the audio thread while the main thread serves the plug-in's run loop. */
    void renderOnAudioThread (HostSession& session, OfflineRenderer& renderer, double sampleRate, std::ostream& out)
    {
        const auto total = renderer.getTotalFrames();
        const auto showProgress = (double) total / sampleRate > secondsBeforeProgress;
        int lastTenth = 0;

        AudioThread audioThread ([&renderer] { renderer.run(); });

        audioThread.serveUntilFinished ([&]
        {
            session.dispatchRunLoop();
            const auto tenth = total > 0 ? (int) (10 * renderer.getFramesDone() / total) : 10;

            if (showProgress && tenth > lastTenth && tenth < 10)
            {
                lastTenth = tenth;
                out << "Rendered " << 10 * tenth << "% (" << (double) renderer.getFramesDone() / sampleRate
                    << " of " << (double) total / sampleRate << " s)\n" << std::flush;
            }
        }, std::chrono::milliseconds (10));
    }
    /** Reads and checks everything the command was given before the bundle is touched. */
    int readInputs (const RenderOptions& options, AudioData& input, ChannelLayout& layout,
                    std::vector<ChunkRecord>& savedChunks, std::ostream& err)
    {
        std::string error;

        if (! AudioFile::read (options.inputPath, input, error))
            return fail (err, RenderCommand::unusableInput, error);

        if (AudioFile::isSameFile (options.inputPath, options.outputPath))
            return fail (err, RenderCommand::badArguments, options.outputPath + " is the input file; the input is never written over");

        if (! isSupportedSampleRate (input.sampleRate))
            return fail (err, RenderCommand::unusableInput, options.inputPath + " runs at " + std::to_string (input.sampleRate)
                                         + " Hz; the host runs at 44100, 48000, 88200, 96000, 176400 or 192000 Hz");

        if (! chooseLayout (options, input, layout, error))
            return fail (err, RenderCommand::unusableInput, error);

        if (! options.statePath.empty() && ! ChunkFile::read (options.statePath, savedChunks, error))
            return fail (err, RenderCommand::unusableInput, error);

        return RenderCommand::success;
    }

    int startSession (HostSession& session, const std::string& bundlePath, std::ostream& err)
    {
        std::string error;

        if (! session.load (bundlePath, error))
            return fail (err, RenderCommand::bundleNotLoaded, error);

        if (! session.startUp().succeeded())
            return fail (err, RenderCommand::bundleCallFailed, "ACFStartup failed");

        if (const auto registered = session.registerPlugin(); ! registered.succeeded())
            return fail (err, RenderCommand::bundleCallFailed, "ACFRegisterPlugin failed: "
                                                             + std::to_string (registered.code) + " " + registered.problem);

        return RenderCommand::success;
    }

    void printReport (const RenderOptions& options, ProcessingInstance& processing, const AudioData& input,
                      const AudioData& output, int latency, std::ostream& out)
    {
        out << "Tanglefix render through " << options.bundlePath << ": " << nameOf (processing.getLayout()) << ", "
            << input.sampleRate << " Hz, " << options.blockLength << "-sample blocks, "
            << (double) input.getNumFrames() / input.sampleRate << " s"
            << (options.masterBypass ? ", master bypass on" : "") << "\n";
        printSettings (processing, out);
        out << "Latency: " << latency << " samples (compensated)\n"
            << "Input:  " << describeLevels (input) << "\n"
            << "Output: " << describeLevels (output) << "\n";
    }

    /** Releases the instance and shuts the bundle down; it must then hold nothing. */
    int shutDownSession (HostSession& session, std::unique_ptr<ProcessingInstance> processing, std::ostream& err)
    {
        processing.reset();
        session.dispatchRunLoop();
        session.shutDown();

        acfUInt32 activeObjects = 0;

        if (! session.canUnloadNow (activeObjects).succeeded() || activeObjects != 0 || session.getLeakedHostObjectCount() != 0)
            return fail (err, RenderCommand::bundleNotClean, "the bundle kept " + std::to_string (activeObjects) + " object(s) and "
                                                           + std::to_string (session.getLeakedHostObjectCount())
                                                           + " host object(s) after shut-down");

        return RenderCommand::success;
    }
}

RenderCommand::RenderCommand (RenderOptions o)
    : options (std::move (o))
{
}

int RenderCommand::run (std::ostream& out, std::ostream& err) const
{
    AudioData input;
    ChannelLayout layout;
    std::vector<ChunkRecord> savedChunks;

    if (const auto read = readInputs (options, input, layout, savedChunks, err); read != success)
        return read;

    HostSession session;

    if (const auto started = startSession (session, options.bundlePath, err); started != success)
        return started;

    std::string error;
    auto processing = ProcessingInstance::create (session, layout, input.sampleRate, options.blockLength, error);

    if (processing == nullptr)
        return fail (err, bundleCallFailed, error);

    if (! applyState (processing->getInstance(), options, savedChunks, error))
        return fail (err, bundleCallFailed, error);

    if (const auto applied = applyParameters (*processing, options, err); applied != success)
        return applied;

    session.dispatchRunLoop();
    const auto latency = processing->getLatency();

    OfflineRenderer renderer (processing->getContext(), processing->getProcessProc(), input, options.blockLength, latency);
    renderOnAudioThread (session, renderer, input.sampleRate, out);
    printReport (options, *processing, input, renderer.getOutput(), latency, out);

    if (processing->getLatency() != latency)
        err << "tanglefix-host render: warning: the latency changed to " << processing->getLatency()
            << " samples while rendering; the output is aligned for " << latency << "\n";

    if (! AudioFile::writeWav (options.outputPath, renderer.getOutput(), error))
        return fail (err, cannotWrite, error);

    out << "Wrote " << options.outputPath << "\n";
    return shutDownSession (session, std::move (processing), err);
}

} // namespace tanglefix::host
