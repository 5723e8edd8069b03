#pragma once

#include <juce_graphics/juce_graphics.h>

namespace ArtMaker
{

struct NamedPicture
{
    juce::String name;
    juce::Image image;
};

/** Every picture of the editor under its file name. */
juce::OwnedArray<NamedPicture> makeAllPictures();

/** One picture of all the art: the panel put together as the editor shows it, the
    buttons in both states enlarged, frames of every knob and the drawings. */
juce::Image makeContactSheet (const juce::OwnedArray<NamedPicture>& pictures, const juce::File& svgFolder);

} // namespace ArtMaker
