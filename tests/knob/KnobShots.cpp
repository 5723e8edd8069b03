// Draws every knob of the editor at three positions, once with its value bubble and once
// with its Edit Value bubble open, on the editor's background, and writes one contact
// sheet per knob into the folder given: tanglefix_knob_shots FOLDER (needs a display).

#include "BrioArt.h"
#include "BrioKnob.h"
#include "BrioKnobBubbles.h"
#include "BrioLookAndFeel.h"
#include "TanglefixBrioParameter.h"
#include "TanglefixOperationsKnob.h"
#include "WindowManagerAtoms.h"

#include <iostream>

namespace
{
    struct Panel  : public juce::Component
    {
        void paint (juce::Graphics& g) override
        {
            g.drawImageAt (juce::ImageCache::getFromMemory (BrioArt::background_png, BrioArt::background_pngSize), 0, 0);
        }
    };

    struct KnobPlace
    {
        const char* name;
        const void* png;
        int pngSize;
        int frames;
        int x, y;
        float offsetX, offsetY;
    };

    void settle()
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (450);
    }

    juce::Image shoot (Panel& panel, LarkspanBrio::BrioKnob& knob)
    {
        const auto area = knob.getBounds().expanded (40, 50).getIntersection (panel.getLocalBounds());
        return panel.createComponentSnapshot (area);
    }

    juce::Image makeSheet (Panel& panel, LarkspanBrio::BrioKnob& knob, juce::AudioProcessorParameter& parameter,
                           const float (&values)[3])
    {
        juce::Array<juce::Image> shots;

        for (auto v : values)
        {
            parameter.setValueNotifyingHost (v);
            knob.updateFromParameter();

            knob.showValueBubble();
            settle();
            shots.add (shoot (panel, knob));
            knob.valueBubble->closeBubble();

            knob.showEditValueBubble();
            settle();
            shots.add (shoot (panel, knob));
            knob.editBubble->closeBubble();
            settle();
        }

        const auto w = shots[0].getWidth(), h = shots[0].getHeight();
        juce::Image sheet (juce::Image::RGB, w * 2 + 10, h * 3 + 20, true);
        juce::Graphics g (sheet);
        g.fillAll (juce::Colours::white);

        for (int i = 0; i < shots.size(); ++i)
            g.drawImageAt (shots[i], (i % 2) * (w + 10), (i / 2) * (h + 10));

        return sheet;
    }
}

int main (int argc, char** argv)
{
    if (argc < 2)
    {
        std::cerr << "usage: tanglefix_knob_shots FOLDER\n";
        return 2;
    }

    const tanglefix_tests::WindowManagerAtoms atoms;
    juce::ScopedJuceInitialiser_GUI juce;
    const juce::File folder (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    folder.createDirectory();

    juce::SharedResourcePointer<LarkspanBrio::BrioLookAndFeel> lookAndFeel;
    lookAndFeel->setColourScheme (juce::Colour (LarkspanBrio::BrioLookAndFeel::darkColour),
                                  juce::Colour (LarkspanBrio::BrioLookAndFeel::lightColour));

    TanglefixAudioProcessor processor;
    Panel panel;
    panel.setBounds (0, 0, 650, 420);
    panel.addToDesktop (0);
    panel.setVisible (true);

    const KnobPlace places[] =
    {
        { "frequency",  BrioArt::knob_frequency_png,  BrioArt::knob_frequency_pngSize,  149, 27, 89,   1.0f, -20.0f },
        { "emphasis",   BrioArt::knob_emphasis_png,   BrioArt::knob_emphasis_pngSize,   65, 350, 84,  -4.0f, -30.0f },
        { "gain",       BrioArt::knob_gain_png,       BrioArt::knob_gain_pngSize,       65, 499, 84,  -5.0f, -30.0f },
        { "mix",        BrioArt::knob_mix_png,        BrioArt::knob_mix_pngSize,        65, 499, 236, -4.0f, -32.0f },
        { "operations", BrioArt::knob_operations_png, BrioArt::knob_operations_pngSize, 4,  356, 235, -7.0f, -20.0f }
    };

    juce::AudioProcessorParameter* parameters[] = { processor.frequencyParam, processor.emphasisParam,
                                                    processor.gainParam, processor.mixParam,
                                                    processor.operationsParam };
    int failures = 0;

    for (int i = 0; i < 5; ++i)
    {
        const auto& place = places[i];
        LarkspanBrio::BrioKnob knob ({});
        panel.addAndMakeVisible (knob);
        knob.setup (parameters[i], LarkspanBrio::BrioKnob::loadFilmstrip (place.png, place.pngSize),
                    place.frames, place.x, place.y);

        if (i == 4)
            TanglefixOperationsKnob::configure (knob);

        knob.displayMode = LarkspanBrio::BrioKnob::bubbleMode;
        knob.bubbleParent = &panel;
        knob.bubbleAlpha = 0.97f;
        knob.editBubbleWidth = 80;
        knob.bubbleOffsetX = place.offsetX;
        knob.bubbleOffsetY = place.offsetY;
        knob.setLockIconStyle (3);
        knob.lockIndicator.setBounds (10, 10, 13, 13);
        knob.locked = (i == 1);                  // one knob shows its padlock
        knob.lockIndicator.setVisible (knob.locked);

        const float values[3] = { 0.0f, i == 4 ? 0.5f : 0.42f, 1.0f };
        const auto sheet = makeSheet (panel, knob, *parameters[i], values);
        const auto file = folder.getChildFile (juce::String ("knob-") + place.name + ".png");
        file.deleteFile();
        juce::FileOutputStream out (file);
        juce::PNGImageFormat png;

        if (! out.openedOk() || ! png.writeImageToStream (sheet, out))
            ++failures;
        else
            std::cout << file.getFullPathName() << "\n";
    }

    return failures == 0 ? 0 : 1;
}
