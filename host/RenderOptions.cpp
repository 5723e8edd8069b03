#include "RenderOptions.h"

#include <cmath>
#include <cstdlib>

namespace tanglefix::host
{

int numInputsOf (ChannelLayout layout) noexcept    { return layout == ChannelLayout::stereo ? 2 : 1; }
int numOutputsOf (ChannelLayout layout) noexcept   { return layout == ChannelLayout::mono ? 1 : 2; }

const char* nameOf (ChannelLayout layout) noexcept
{
    switch (layout)
    {
        case ChannelLayout::mono:        return "mono";
        case ChannelLayout::monoStereo:  return "mono-stereo";
        case ChannelLayout::stereo:      return "stereo";
    }

    return "?";
}

bool isSupportedSampleRate (int sampleRate) noexcept
{
    for (const auto rate : { 44100, 48000, 88200, 96000, 176400, 192000 })
        if (sampleRate == rate)
            return true;

    return false;
}

std::optional<double> parseNumber (const std::string& text, double low, double high)
{
    if (text.empty() || text.find_first_not_of ("0123456789.-+eE") != std::string::npos)
        return std::nullopt;

    char* end = nullptr;
    const auto value = std::strtod (text.c_str(), &end);

    // strtod's ERANGE is no refusal: past double's range the value is infinite (refused
    // here), and below its normal numbers it is still the nearest double, a subnormal or 0.
    if (end != text.c_str() + text.size() || ! std::isfinite (value) || value < low || value > high)
        return std::nullopt;

    return value;
}

bool parseParameterSetting (const std::string& text, std::pair<std::string, double>& setting, std::string& errorMessage)
{
    const auto equals = text.find ('=');

    if (equals == std::string::npos || equals == 0)
    {
        errorMessage = "--set takes NAME=VALUE, not '" + text + "'";
        return false;
    }

    const auto value = parseNumber (text.substr (equals + 1), 0.0, 1.0);

    if (! value.has_value())
    {
        errorMessage = "--set " + text.substr (0, equals) + " takes a normalised value from 0 to 1, not '"
                     + text.substr (equals + 1) + "'";
        return false;
    }

    setting = { text.substr (0, equals), *value };
    return true;
}

namespace
{
    std::optional<ChannelLayout> layoutNamed (const std::string& name)
    {
        for (const auto layout : { ChannelLayout::mono, ChannelLayout::monoStereo, ChannelLayout::stereo })
            if (name == nameOf (layout))
                return layout;

        return std::nullopt;
    }
}

bool RenderOptions::parse (const std::vector<std::string>& args, std::string& errorMessage)
{
    std::vector<std::string> positional;

    for (size_t i = 0; i < args.size(); ++i)
    {
        const auto& option = args[i];

        if (option == "--limiter")        { limiter = true; continue; }
        if (option == "--bypass")         { masterBypass = true; continue; }

        if (option.rfind ("--", 0) != 0)
        {
            positional.push_back (option);
            continue;
        }

        if (option != "--set" && option != "--oversample" && option != "--layout" && option != "--block"
            && option != "--state" && option != "--offer")
        {
            errorMessage = "unknown option " + option;
            return false;
        }

        if (i + 1 >= args.size())
        {
            errorMessage = option + " needs a value";
            return false;
        }

        const auto& value = args[++i];

        if (option == "--set")
        {
            if (! parseParameterSetting (value, parameters.emplace_back(), errorMessage))
                return false;
        }
        else if (option == "--oversample")
        {
            const auto factor = parseNumber (value, 1, 16);

            if (! factor.has_value() || (*factor != 1 && *factor != 2 && *factor != 4 && *factor != 8 && *factor != 16))
            {
                errorMessage = "--oversample takes 1, 2, 4, 8 or 16, not '" + value + "'";
                return false;
            }

            oversampling = (int) *factor;
        }
        else if (option == "--layout")
        {
            layout = layoutNamed (value);

            if (! layout.has_value())
            {
                errorMessage = "--layout takes mono, mono-stereo or stereo, not '" + value + "'";
                return false;
            }
        }
        else if (option == "--block")
        {
            const auto length = parseNumber (value, 1, maxBlockLength);

            if (! length.has_value() || *length != std::floor (*length))
            {
                errorMessage = "--block takes a whole number of samples from 1 to " + std::to_string (maxBlockLength)
                             + ", not '" + value + "'";
                return false;
            }

            blockLength = (int) *length;
        }
        else if (option == "--offer")
        {
            if (! offered.parseOffer (value))
            {
                errorMessage = "bad --offer value '" + value + "'";
                return false;
            }
        }
        else
        {
            statePath = value;
        }
    }

    if (positional.size() != 3)
    {
        errorMessage = "render needs a bundle, an input file and an output file";
        return false;
    }

    bundlePath = positional[0];
    inputPath = positional[1];
    outputPath = positional[2];
    return true;
}

} // namespace tanglefix::host
