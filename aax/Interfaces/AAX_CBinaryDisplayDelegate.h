#pragma once

#include "AAX_IDisplayDelegate.h"

/** An on/off display. This product's parameters all use the number display, so only the
    name is declared. */
template <typename T>
class AAX_CBinaryDisplayDelegate;
