#include "TanglefixAudioProcessor.h"

// Placeholder: the six parameters land with the parameter work.
void TanglefixAudioProcessor::createParameters() {}
