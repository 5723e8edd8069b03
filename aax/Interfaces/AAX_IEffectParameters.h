#pragma once

#include "AAX_IACFEffectParameters.h"

/** The effect object of one instance, as the plug-in's classes implement it. */
class AAX_IEffectParameters : public AAX_IACFEffectParameters_V4
{
protected:
    ~AAX_IEffectParameters() = default;
};
