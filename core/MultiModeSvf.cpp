#include "MultiModeSvf.h"

// Placeholder until the filter lands.
void MultiModeSvf::setType (const int& mode) noexcept { type = mode; }
void MultiModeSvf::setCutoff (float) noexcept {}
void MultiModeSvf::setResonance (float) noexcept {}
void MultiModeSvf::setSampleRate (const float&) noexcept {}
void MultiModeSvf::prepare() noexcept {}
float MultiModeSvf::processSample (const float& x, const int&) noexcept { return x; }
void MultiModeSvf::updateCoefficients (float, float, float) noexcept {}
