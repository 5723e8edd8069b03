#pragma once

#include <juce_graphics/juce_graphics.h>

namespace ArtMaker
{

/** The glyphs of the buttons. Each is a shape in the button's own pixels; the parts cut
    out of it (the die's pips, the disk's label) are holes of an even-odd path. */
enum class Glyph { previous, next, save, remove, randomise, news, settings, bypass };

/** A button of the preset bar: a key with its glyph, lit when down. */
juce::Image makeKeyButton (Glyph glyph, int width, int height, bool down);

/** A round button of the top bar: the glyph alone at rest, on a lit disc when down. */
juce::Image makeRoundButton (Glyph glyph, int size, bool down);

/** The 64 x 64 padlock, closed or open. */
juce::Image makePadlock (bool open);

/** The four 26 x 26 lock indicators of the knobs (styles 0 to 3). */
juce::Image makeLockStyle (int style);

} // namespace ArtMaker
