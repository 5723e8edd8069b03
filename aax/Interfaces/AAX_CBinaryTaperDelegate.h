#pragma once

#include "AAX_ITaperDelegate.h"

/** An on/off taper. This product's parameters all use the linear taper, so only the name
    is declared. */
template <typename T>
class AAX_CBinaryTaperDelegate;
