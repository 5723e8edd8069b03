#pragma once

// Helpers for native (host-processor) algorithms. The product's algorithm needs none
// beyond the basic types.

#include "AAX.h"
