// JUCE's AAX wrapper: the plug-in's effect and GUI classes on top of this layer's base
// classes, the describe function and (through AAX_Exports.cpp) the exported entry points.
//
// JUCE builds it from an Objective-C++ file on macOS and from the plain source on Windows
// only; on Linux we take the macOS route's switch so that the same wrapper compiles here.

#define JUCE_INCLUDED_AAX_IN_MM 1
#include <juce_audio_plugin_client/AAX/juce_AAX_Wrapper.cpp>
