#pragma once

#include "AAX_IACFEffectGUI.h"

/** The GUI object of one instance, as the plug-in's classes implement it. */
class AAX_IEffectGUI : public AAX_IACFEffectGUI
{
protected:
    ~AAX_IEffectGUI() = default;
};
