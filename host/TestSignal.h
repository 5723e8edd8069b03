#pragma once

#include "AudioFile.h"

namespace tanglefix::host
{

/** The built-in test signal: a logarithmic sine sweep from 20 Hz to 20 kHz at -12 dBFS on
    every channel, plus 100 ms bursts of white noise at -18 dBFS RMS (different on each
    channel) starting every 500 ms. The same on every run.
*/
AudioData makeTestSignal (double seconds, int sampleRate, int numChannels);

} // namespace tanglefix::host
