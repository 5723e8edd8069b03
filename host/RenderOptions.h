#pragma once

#include "HostOptions.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tanglefix::host
{

/** The channel layouts an instance can be made for: input and output channel counts. */
enum class ChannelLayout
{
    mono,          // mono in, mono out
    monoStereo,    // mono in, stereo out
    stereo         // stereo in, stereo out
};

int numInputsOf (ChannelLayout layout) noexcept;
int numOutputsOf (ChannelLayout layout) noexcept;
const char* nameOf (ChannelLayout layout) noexcept;

/** What `render` was asked to do. Values are checked as they are read; whether a parameter
    name exists is known only once the bundle is loaded.
*/
struct RenderOptions
{
    std::string bundlePath, inputPath, outputPath;
    std::vector<std::pair<std::string, double>> parameters;   // --set NAME=VALUE, normalised values
    std::optional<int> oversampling;                          // --oversample 1, 2, 4, 8 or 16
    bool limiter = false;
    bool masterBypass = false;
    std::optional<ChannelLayout> layout;                      // default: from the input's channels
    int blockLength = 512;
    std::string statePath;                                    // --state FILE: a 'juce' chunk
    HostOptions offered;                                      // --offer FAMILY=N

    static constexpr int maxBlockLength = 16384;

    /** Reads the arguments after "render"; false with a message for anything unusable. */
    bool parse (const std::vector<std::string>& args, std::string& errorMessage);
};

/** The sample rates a host runs a plug-in at. */
bool isSupportedSampleRate (int sampleRate) noexcept;

/** Reads a whole decimal number in [low, high]; nothing else (no trailing text, no NaN). */
std::optional<double> parseNumber (const std::string& text, double low, double high);

/** Reads a --set argument, NAME=VALUE with a normalised value from 0 to 1; false with a
    message that names the parameter, the value and the range. */
bool parseParameterSetting (const std::string& text, std::pair<std::string, double>& setting, std::string& errorMessage);

} // namespace tanglefix::host
