#pragma once

// The algorithm-context fields that JUCE's AAX wrapper declares for this product (an effect
// without MIDI, meters or side chain), in order: what the registration must list and what
// the host lays a context out from.

#include "Registration.h"

#include <vector>

namespace host_test
{
    inline std::vector<tanglefix::host::FieldRecord> juceAlgorithmFields()
    {
        using Kind = tanglefix::host::FieldRecord::Kind;
        return { { Kind::audioIn, 0, 0, 0, {}, {} },
                 { Kind::audioOut, 1, 0, 0, {}, {} },
                 { Kind::audioBufferLength, 2, 0, 0, {}, {} },
                 { Kind::dataInPort, 3, 4, 1, {}, {} },
                 { Kind::privateData, 4, 8, 0, {}, {} },
                 { Kind::privateData, 5, 4, 0, {}, {} },
                 { Kind::privateData, 6, 8, 0, {}, {} },
                 { Kind::privateData, 7, 8, 0, {}, {} } };
    }
}
