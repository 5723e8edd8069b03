#include "RenderCommand.h"

#include "AudioFile.h"
#include "AudioThread.h"
#include "ChunkFile.h"
#include "OfflineRenderer.h"
#include "ParameterSettings.h"
#include "ProcessingInstance.h"
#include "StateChunkEditor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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

    /** Peak, RMS and the samples that are no numbers at all, gathered block by block. */
    struct LevelMeter
    {
        double peak = 0.0, sumOfSquares = 0.0;
        long long count = 0, nonFinite = 0;

        void add (const float* const* channels, int numChannels, int numFrames) noexcept
        {
            for (int ch = 0; ch < numChannels; ++ch)
                for (int i = 0; i < numFrames; ++i)
                {
                    const auto x = (double) channels[ch][i];

                    if (! std::isfinite (x))
                    {
                        ++nonFinite;
                        continue;
                    }

                    peak = std::max (peak, std::abs (x));
                    sumOfSquares += x * x;
                    ++count;
                }
        }

        std::string describe() const
        {
            return "peak " + formatLevel (peak) + ", RMS " + formatLevel (count > 0 ? std::sqrt (sumOfSquares / (double) count) : 0.0)
                 + (nonFinite > 0 ? ", " + std::to_string (nonFinite) + " non-finite samples" : "");
        }
    };

    /** The layout asked for, or the one the input's channels suggest; false when they differ. */
    bool chooseLayout (const RenderOptions& options, int channels, ChannelLayout& layout, std::string& error)
    {
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

    /** True when a saved state chunk is one the plug-in reads: JUCE's wrapper takes any
        data without a word, and the plug-in then keeps its defaults. */
    bool isReadableState (PluginInstance& instance, const ChunkRecord& saved)
    {
        ChunkRecord own;

        if (saved.id != juceStateChunk || instance.getChunk (juceStateChunk, own) != AAX_SUCCESS)
            return true;

        const auto name = StateChunkEditor::getRootElementName (saved.data);
        return ! name.empty() && name == StateChunkEditor::getRootElementName (own.data);
    }

    /** Restores the saved chunks. */
    bool restoreChunks (PluginInstance& instance, const RenderOptions& options,
                        const std::vector<ChunkRecord>& savedChunks, std::ostream& err, std::string& error)
    {
        for (const auto& chunk : savedChunks)
        {
            if (! isReadableState (instance, chunk))
                err << "tanglefix-host render: warning: the plug-in does not read the state in " << options.statePath
                    << "; that state was not restored\n";

            if (const auto result = instance.setChunk (chunk); result != AAX_SUCCESS)
            {
                error = "the plug-in refused a chunk of " + options.statePath + " (result " + std::to_string (result) + ")";
                return false;
            }
        }

        return true;
    }

    /** Sets what only the state carries, by restoring the plug-in's own state with those
        settings changed. That comes last, and always: a restored state takes every value
        in it at once, so the settings and the parameters set before hold from the first
        sample, as in a session reopened, instead of gliding there from the defaults. */
    bool applySettings (PluginInstance& instance, const RenderOptions& options, std::string& error)
    {
        StateChunkEditor::Attributes settings;

        if (options.oversampling.has_value())
            settings.emplace_back ("Oversample", std::to_string (*options.oversampling));

        if (options.limiter)
            settings.emplace_back ("Limiter", "1");

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

    /** Sets the --set parameters and the master bypass; an exit code, with the reason. */
    int applyParameters (ProcessingInstance& processing, const RenderOptions& options, std::string& error)
    {
        std::vector<ParameterListing> parameters;

        if (const auto result = processing.getInstance().listParameters (parameters); result != AAX_SUCCESS)
        {
            error = "the plug-in could not list its parameters";
            return RenderCommand::bundleCallFailed;
        }

        // The master bypass is --bypass, the host's own control, not a --set.
        parameters.erase (std::remove_if (parameters.begin(), parameters.end(),
                                          [] (const ParameterListing& p) { return p.id == masterBypassID; }),
                          parameters.end());
        auto settings = options.parameters;

        if (! ParameterSettings::resolve (parameters, settings, error))
            return RenderCommand::badArguments;

        for (const auto& [id, value] : settings)
        {
            if (processing.setParameter (id, value) != AAX_SUCCESS)
            {
                error = "the plug-in refused " + id;
                return RenderCommand::bundleCallFailed;
            }
        }

        if (options.masterBypass && processing.setParameter (masterBypassID, 1.0) != AAX_SUCCESS)
        {
            error = "the plug-in refused the master bypass";
            return RenderCommand::bundleCallFailed;
        }

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

    /** What a render moves besides the plug-in: the input file, the output file and the
        levels of both. */
    struct Streams
    {
        AudioFileReader reader;
        WavFileWriter writer;
        LevelMeter inputLevels, outputLevels;
        std::string error;
        int failure = RenderCommand::success;   // the exit code of a file that failed
    };

    /** Renders on the audio thread while the main thread reads and writes the files and
        serves the plug-in's run loop; false with the reason when a file failed. */
    bool renderOnAudioThread (HostSession& session, OfflineRenderer& renderer, Streams& streams,
                              int numOutputs, std::ostream& out)
    {
        const auto sampleRate = (double) streams.reader.getSampleRate();
        const auto claimed = streams.reader.getClaimedFrames();
        // Tenths of a length the header does not give are unknown too: no progress then.
        const auto showProgress = claimed != AudioFileReader::unknownLength && (double) claimed / sampleRate > secondsBeforeProgress;
        int lastTenth = 0;

        const auto source = [&] (float* const* channels, int maxFrames)
        {
            const auto frames = streams.reader.read (channels, maxFrames, streams.error);

            if (frames < 0)
                streams.failure = RenderCommand::unusableInput;
            else
                streams.inputLevels.add (channels, streams.reader.getNumChannels(), frames);

            return frames;
        };

        const auto sink = [&] (const float* const* channels, int frames)
        {
            streams.outputLevels.add (channels, numOutputs, frames);

            if (streams.writer.write (channels, frames, streams.error))
                return true;

            streams.failure = RenderCommand::writeFailed;
            return false;
        };

        return renderer.render (source, sink, [&]
        {
            session.dispatchRunLoop();
            const auto done = renderer.getFramesDone();
            const auto tenth = claimed > 0 ? (int) std::min<long long> (10, 10 * done / claimed) : 10;

            if (showProgress && tenth > lastTenth && tenth < 10)
            {
                lastTenth = tenth;
                out << "Rendered " << 10 * tenth << "% (" << (double) done / sampleRate
                    << " of " << (double) claimed / sampleRate << " s)\n" << std::flush;
            }
        });
    }

    /** The output may be none of the files the command reads. */
    int checkOutputIsNoInput (const RenderOptions& options, std::ostream& err)
    {
        const std::pair<const std::string*, const char*> inputs[] = {
            { &options.inputPath, "the input file; the input is never written over" },
            { &options.bundlePath, "the bundle being loaded" },
            { &options.statePath, "the --state file" },
        };

        for (const auto& [path, what] : inputs)
            if (! path->empty() && AudioFile::isSameFile (*path, options.outputPath))
                return fail (err, RenderCommand::badArguments, options.outputPath + " is " + what);

        return RenderCommand::success;
    }

    /** Opens and checks everything the command was given before the bundle is touched: the
        input's header, the state file, and the output's place (its temporary file made). */
    int openFiles (const RenderOptions& options, Streams& streams, ChannelLayout& layout,
                   std::vector<ChunkRecord>& savedChunks, std::ostream& err)
    {
        std::string error;

        if (! streams.reader.open (options.inputPath, error))
            return fail (err, RenderCommand::unusableInput, error);

        if (const auto checked = checkOutputIsNoInput (options, err); checked != RenderCommand::success)
            return checked;

        const auto rate = streams.reader.getSampleRate();

        if (! isSupportedSampleRate (rate))
            return fail (err, RenderCommand::unusableInput, options.inputPath + " runs at " + std::to_string (rate)
                                         + " Hz; the host runs at 44100, 48000, 88200, 96000, 176400 or 192000 Hz");

        if (! chooseLayout (options, streams.reader.getNumChannels(), layout, error))
            return fail (err, RenderCommand::unusableInput, error);

        if (! options.statePath.empty())
        {
            if (ChunkFile::read (options.statePath, savedChunks, error) != ChunkFile::ReadOutcome::read)
                return fail (err, RenderCommand::unusableInput, error);

            if (savedChunks.empty())
                err << "tanglefix-host render: warning: " << options.statePath << " holds no chunks; no state was restored\n";
        }

        if (! streams.writer.open (options.outputPath, rate, numOutputsOf (layout), streams.reader.getClaimedFrames(), error))
            return fail (err, RenderCommand::cannotWrite, error);

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

    void printReport (const RenderOptions& options, ProcessingInstance& processing, const Streams& streams,
                      int latency, std::ostream& out, std::ostream& err)
    {
        const auto& reader = streams.reader;

        out << "Tanglefix render through " << options.bundlePath << ": " << nameOf (processing.getLayout()) << ", "
            << reader.getSampleRate() << " Hz, " << options.blockLength << "-sample blocks, "
            << (double) reader.getFramesRead() / reader.getSampleRate() << " s"
            << (options.masterBypass ? ", master bypass on" : "") << "\n";
        printSettings (processing, out);
        out << "Latency: " << latency << " samples (compensated)\n"
            << "Input:  " << streams.inputLevels.describe() << "\n"
            << "Output: " << streams.outputLevels.describe() << "\n";

        if (reader.getFramesRead() < reader.getClaimedFrames())
            err << "tanglefix-host render: warning: " << options.inputPath << " ends after " << reader.getFramesRead()
                << " frames, though its header claims " << reader.getClaimedFrames() << "; rendered what is there\n";
        else if (reader.getHeldDataBytes() < reader.getDeclaredDataBytes())
            err << "tanglefix-host render: warning: " << options.inputPath << " holds " << reader.getHeldDataBytes()
                << " bytes of audio, though its header declares " << reader.getDeclaredDataBytes()
                << "; the file is cut short, rendered what is there\n";
        else if (reader.isDataSizeMissing())
            err << "tanglefix-host render: warning: the header of " << options.inputPath << " declares no audio, though "
                << reader.getHeldDataBytes() << " bytes of it follow (a header never finished); rendered its "
                << reader.getFramesRead() << " frames\n";
        else if (reader.getFramesRead() == 0)
            err << "tanglefix-host render: warning: " << options.inputPath << " holds no audio; the output is empty\n";

        for (const auto& [levels, what] : { std::pair (&streams.inputLevels, "input"), std::pair (&streams.outputLevels, "output") })
            if (levels->nonFinite > 0)
                err << "tanglefix-host render: warning: the " << what << " has " << levels->nonFinite
                    << " non-finite samples (NaN or infinity), left out of its levels\n";
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
    Streams streams;
    ChannelLayout layout;
    std::vector<ChunkRecord> savedChunks;

    if (const auto opened = openFiles (options, streams, layout, savedChunks, err); opened != success)
        return opened;

    HostSession session (options.offered);

    if (const auto started = startSession (session, options.bundlePath, err); started != success)
        return started;

    std::string error;
    auto processing = ProcessingInstance::create (session, layout, streams.reader.getSampleRate(), options.blockLength, error);

    if (processing == nullptr)
        return fail (err, bundleCallFailed, error);

    if (! restoreChunks (processing->getInstance(), options, savedChunks, err, error))
        return fail (err, bundleCallFailed, error);

    if (const auto applied = applyParameters (*processing, options, error); applied != success)
        return fail (err, applied, error);

    if (! applySettings (processing->getInstance(), options, error))
        return fail (err, bundleCallFailed, error);

    session.dispatchRunLoop();
    const auto latency = processing->getLatency();

    OfflineRenderer renderer (processing->getContext(), processing->getProcessProc(), options.blockLength, latency);

    if (! renderOnAudioThread (session, renderer, streams, numOutputsOf (layout), out))
        return fail (err, streams.failure, streams.error);

    printReport (options, *processing, streams, latency, out, err);

    if (processing->getLatency() != latency)
        err << "tanglefix-host render: warning: the latency changed to " << processing->getLatency()
            << " samples while rendering; the output is aligned for " << latency << "\n";

    // A report that could not be delivered (standard output closed, as by `| head`) is a
    // failed run: the output is not put in place behind the user's back.
    if (! out.flush())
        return fail (err, writeFailed, "cannot write the report to standard output; " + options.outputPath + " was left as it was");

    if (! streams.writer.commit (error))
        return fail (err, writeFailed, error);

    if (! error.empty())
        err << "tanglefix-host render: warning: " << error << "\n";

    // Where the file is: a folder moved meanwhile took it along.
    const auto& movedPath = streams.writer.getMovedPath();
    out << "Wrote " << (movedPath.empty() ? options.outputPath : movedPath) << "\n";
    return shutDownSession (session, std::move (processing), err);
}

} // namespace tanglefix::host
