// Renders a built-in test signal through the plug-in's processor and writes a WAV file.

#include "TanglefixAudioProcessor.h"

#include <sndfile.h>

#include <cmath>
#include <iostream>
#include <map>
#include <vector>

namespace
{
    constexpr double renderRate = 48000.0;
    constexpr int renderBlock = 512;

    const char* const usage = R"(Usage: tanglefix_render --out FILE [options]

Processes a built-in test signal through the Tanglefix processor (the real signal chain,
created through createPluginFilter) and writes the result as a 32-bit float WAV file.

The test signal: 48 kHz stereo, 4 seconds by default. A logarithmic sine sweep from 20 Hz
to 20 kHz at -12 dBFS on both channels, plus 100 ms bursts of white noise at -18 dBFS
(different on the left and the right) starting every 500 ms. It is the same on every run.

Options (knob values are normalised, 0 to 1, as the host sees them):
  --out FILE            where to write the WAV file (required)
  --frequency V         Frequency knob (each knob defaults to the Init preset's value)
  --emphasis V          Emphasis knob
  --operations V        Operations knob (0-0.25, 0.25-0.5, 0.5-0.75, 0.75-1 choose the pattern)
  --gain V              Gain knob (0.5 is 0 dB)
  --mix V               Mix knob (0 dry, 1 wet)
  --limiter on|off      soft clipper (default off)
  --oversampling N      1, 2, 4, 8 or 16 (default 1)
  --layout L            stereo, mono (mono in, mono out) or mono-stereo (default stereo)
  --seconds S           length of the test signal, 0.1 to 60 (default 4)
  --help                this text
)";

    struct Options
    {
        juce::String outFile;
        std::map<juce::String, float> knobs;       // parameter name -> normalised value
        bool limiter = false;
        int oversampling = 1;
        juce::String layout = "stereo";
        double seconds = 4.0;
    };

    struct Levels
    {
        float peak = 0.0f;
        double sumOfSquares = 0.0;
        long long count = 0;

        void add (const juce::AudioBuffer<float>& buffer, int numSamples)
        {
            for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
                for (int i = 0; i < numSamples; ++i)
                {
                    const auto x = buffer.getSample (ch, i);
                    peak = juce::jmax (peak, std::abs (x));
                    sumOfSquares += (double) x * x;
                }

            count += (long long) buffer.getNumChannels() * numSamples;
        }

        static juce::String toDb (double level)
        {
            return level > 0.0 ? juce::String (20.0 * std::log10 (level), 2) + " dBFS" : juce::String ("-inf dBFS");
        }

        juce::String describe() const
        {
            const auto rms = count > 0 ? std::sqrt (sumOfSquares / (double) count) : 0.0;
            return "peak " + toDb (peak) + ", RMS " + toDb (rms);
        }
    };

    bool fail (const juce::String& message)
    {
        std::cerr << "tanglefix_render: " << message << "\n\n" << usage;
        return false;
    }

    bool parseNumber (const juce::String& text, double low, double high, double& result)
    {
        const auto trimmed = text.trim();

        if (trimmed.isEmpty() || ! trimmed.containsOnly ("0123456789.-+eE"))
            return false;

        result = trimmed.getDoubleValue();
        return result >= low && result <= high;
    }

    bool parseArguments (int argc, char** argv, Options& options)
    {
        const std::map<juce::String, juce::String> knobOptions { { "--frequency", "Frequency" }, { "--emphasis", "Emphasis" },
                                                                 { "--operations", "Operations" }, { "--gain", "Gain" },
                                                                 { "--mix", "Mix" } };

        for (int i = 1; i < argc; ++i)
        {
            const juce::String option (argv[i]);

            if (option == "--help" || option == "-h")
            {
                std::cout << usage;
                std::exit (0);
            }

            if (i + 1 >= argc)
                return fail (option + " needs a value");

            const juce::String value (argv[++i]);
            double number = 0.0;

            if (option == "--out")
                options.outFile = value;
            else if (knobOptions.count (option) != 0)
            {
                if (! parseNumber (value, 0.0, 1.0, number))
                    return fail (option + " takes a value from 0 to 1, not \"" + value + "\"");

                options.knobs[knobOptions.at (option)] = (float) number;
            }
            else if (option == "--limiter")
            {
                if (value != "on" && value != "off")
                    return fail ("--limiter takes on or off");

                options.limiter = value == "on";
            }
            else if (option == "--oversampling")
            {
                if (! juce::StringArray { "1", "2", "4", "8", "16" }.contains (value))
                    return fail ("--oversampling takes 1, 2, 4, 8 or 16");

                options.oversampling = value.getIntValue();
            }
            else if (option == "--layout")
            {
                if (! juce::StringArray { "stereo", "mono", "mono-stereo" }.contains (value))
                    return fail ("--layout takes stereo, mono or mono-stereo");

                options.layout = value;
            }
            else if (option == "--seconds")
            {
                if (! parseNumber (value, 0.1, 60.0, number))
                    return fail ("--seconds takes a length from 0.1 to 60");

                options.seconds = number;
            }
            else
                return fail ("unknown option " + option);
        }

        if (options.outFile.isEmpty())
            return fail ("--out FILE is required");

        return true;
    }

    /** The test signal: a log sweep with noise bursts, both channels. */
    juce::AudioBuffer<float> makeTestSignal (double seconds)
    {
        const auto numSamples = (int) std::round (seconds * renderRate);
        juce::AudioBuffer<float> signal (2, numSamples);
        juce::Random random (20261207);

        const auto sweepLevel = std::pow (10.0, -12.0 / 20.0);
        const auto burstLevel = (float) std::pow (10.0, -18.0 / 20.0) * std::sqrt (3.0f);  // RMS of uniform noise
        const auto logRatio = std::log (20000.0 / 20.0);
        const auto duration = numSamples / renderRate;
        double phase = 0.0;

        for (int i = 0; i < numSamples; ++i)
        {
            const auto t = i / renderRate;
            const auto frequency = 20.0 * std::exp (logRatio * t / duration);
            phase = std::fmod (phase + juce::MathConstants<double>::twoPi * frequency / renderRate,
                               juce::MathConstants<double>::twoPi);
            const auto sweep = (float) (sweepLevel * std::sin (phase));
            const auto inBurst = std::fmod (t, 0.5) < 0.1;

            for (int ch = 0; ch < 2; ++ch)
                signal.setSample (ch, i, sweep + (inBurst ? burstLevel * (random.nextFloat() * 2.0f - 1.0f) : 0.0f));
        }

        return signal;
    }

    juce::AudioProcessor::BusesLayout makeLayout (const juce::String& name)
    {
        const auto in = name == "stereo" ? juce::AudioChannelSet::stereo() : juce::AudioChannelSet::mono();
        const auto out = name == "mono" ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();

        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (in);
        layout.outputBuses.add (out);
        return layout;
    }

    juce::AudioProcessorParameter* findParameter (juce::AudioProcessor& processor, const juce::String& name)
    {
        for (auto* parameter : processor.getParameters())
            if (parameter->getName (100) == name)
                return parameter;

        return nullptr;
    }

    bool writeWav (const juce::String& path, const juce::AudioBuffer<float>& audio)
    {
        SF_INFO info {};
        info.samplerate = (int) renderRate;
        info.channels = audio.getNumChannels();
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;

        auto* file = sf_open (path.toRawUTF8(), SFM_WRITE, &info);

        if (file == nullptr)
        {
            std::cerr << "tanglefix_render: cannot write " << path << ": " << sf_strerror (nullptr) << "\n";
            return false;
        }

        std::vector<float> interleaved ((size_t) audio.getNumSamples() * (size_t) info.channels);

        for (int i = 0; i < audio.getNumSamples(); ++i)
            for (int ch = 0; ch < info.channels; ++ch)
                interleaved[(size_t) (i * info.channels + ch)] = audio.getSample (ch, i);

        const auto frames = sf_writef_float (file, interleaved.data(), audio.getNumSamples());
        const auto closed = sf_close (file) == 0;

        if (frames != audio.getNumSamples() || ! closed)
        {
            std::cerr << "tanglefix_render: writing " << path << " failed\n";
            return false;
        }

        return true;
    }
}

int main (int argc, char** argv)
{
    Options options;

    if (! parseArguments (argc, argv, options))
        return 2;

    const juce::ScopedJuceInitialiser_GUI juce;
    std::unique_ptr<juce::AudioProcessor> created (createPluginFilter());
    auto& processor = dynamic_cast<TanglefixAudioProcessor&> (*created);

    if (! processor.setBusesLayout (makeLayout (options.layout)))
    {
        std::cerr << "tanglefix_render: the processor refused the " << options.layout << " layout\n";
        return 1;
    }

    processor.prepareToPlay (renderRate, renderBlock);
    processor.setOversamplingFactor (options.oversampling);
    processor.limiterOn = options.limiter;

    for (const auto& [name, value] : options.knobs)
    {
        if (auto* parameter = findParameter (processor, name))
            parameter->setValueNotifyingHost (value);
        else
            std::cerr << "tanglefix_render: warning: the processor has no parameter \"" << name << "\"\n";
    }

    const auto numIns = processor.getTotalNumInputChannels();
    const auto numOuts = processor.getTotalNumOutputChannels();
    const auto signal = makeTestSignal (options.seconds);
    const auto numSamples = signal.getNumSamples();

    juce::AudioBuffer<float> output (numOuts, numSamples);
    juce::AudioBuffer<float> block (juce::jmax (numIns, numOuts), renderBlock);
    juce::MidiBuffer midi;
    Levels levelsIn, levelsOut;

    for (int start = 0; start < numSamples; start += renderBlock)
    {
        const auto n = juce::jmin (renderBlock, numSamples - start);
        block.setSize (block.getNumChannels(), n, false, false, true);
        block.clear();

        for (int ch = 0; ch < numIns; ++ch)
            block.copyFrom (ch, 0, signal, ch, start, n);

        juce::AudioBuffer<float> inputView (block.getArrayOfWritePointers(), numIns, n);
        levelsIn.add (inputView, n);

        processor.processBlock (block, midi);

        for (int ch = 0; ch < numOuts; ++ch)
            output.copyFrom (ch, start, block, ch, 0, n);
    }

    levelsOut.add (output, numSamples);

    std::cout << "Tanglefix render: " << numIns << " in, " << numOuts << " out (" << options.layout << "), "
              << renderRate << " Hz, " << renderBlock << "-sample blocks, " << options.seconds << " s\n";

    for (auto* parameter : processor.getParameters())
        std::cout << "  " << parameter->getName (100) << ": " << parameter->getValue()
                  << " (" << parameter->getText (parameter->getValue(), 100).trim() << ")\n";

    std::cout << "  Limiter: " << (processor.limiterOn ? "on" : "off") << "\n"
              << "  Oversampling: " << processor.oversamplingFactor << "x\n"
              << "Latency: " << processor.getLatencySamples() << " samples\n"
              << "Input:  " << levelsIn.describe() << "\n"
              << "Output: " << levelsOut.describe() << "\n";

    if (! writeWav (options.outFile, output))
        return 1;

    std::cout << "Wrote " << options.outFile << "\n";
    return 0;
}
