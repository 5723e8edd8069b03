// Draws every picture of the editor into a folder; the build embeds them from there.
// With --sheet it lays those files out on one contact sheet, for looking at them together.

#include "ContactSheet.h"
#include "IconArt.h"
#include "KnobArt.h"
#include "PanelArt.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace ArtMaker
{

namespace
{
    /** The buttons' pairs, in the names the editor knows them by. */
    struct ButtonPicture { const char* name; Glyph glyph; int width, height; bool round; };

    const ButtonPicture buttonPictures[] {
        { "previous", Glyph::previous,  21, 12, false },
        { "next",     Glyph::next,      21, 12, false },
        { "save",     Glyph::save,      31, 25, false },
        { "delete",   Glyph::remove,    31, 25, false },
        { "random",   Glyph::randomise, 31, 25, false },
        { "news",     Glyph::news,      20, 20, true },
        { "settings", Glyph::settings,  20, 20, true },
        { "bypass",   Glyph::bypass,    20, 20, true },
    };

    juce::Image makeButton (const ButtonPicture& b, bool down)
    {
        return b.round ? makeRoundButton (b.glyph, b.width, down)
                       : makeKeyButton (b.glyph, b.width, b.height, down);
    }
}

juce::OwnedArray<NamedPicture> makeAllPictures()
{
    juce::OwnedArray<NamedPicture> pictures;
    const auto add = [&pictures] (const juce::String& name, juce::Image image)
    {
        pictures.add (new NamedPicture { name, std::move (image) });
    };

    add ("background.png", makeBackground());
    add ("preset_bar.png", makePresetBar());

    for (const auto& b : buttonPictures)
    {
        add (juce::String (b.name) + ".png", makeButton (b, false));
        add (juce::String (b.name) + "_down.png", makeButton (b, true));
    }

    for (const auto& look : getKnobLooks())
        add (look.fileName, makeKnobFilmstrip (look));

    add ("padlock_closed.png", makePadlock (false));
    add ("padlock_open.png", makePadlock (true));

    for (int style = 0; style < 4; ++style)
        add ("lock_style_" + juce::String (style + 1) + ".png", makeLockStyle (style));

    return pictures;
}

static bool writePng (const juce::Image& image, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream out (file);
    return out.openedOk() && juce::PNGImageFormat().writeImageToStream (image, out);
}

static juce::OwnedArray<NamedPicture> loadPictures (const juce::File& folder)
{
    juce::OwnedArray<NamedPicture> pictures;

    for (const auto& file : folder.findChildFiles (juce::File::findFiles, false, "*.png"))
        pictures.add (new NamedPicture { file.getFileName(), juce::ImageFileFormat::loadFrom (file) });

    return pictures;
}

static int writePictures (const juce::File& folder)
{
    folder.createDirectory();

    for (const auto* picture : makeAllPictures())
    {
        if (! writePng (picture->image, folder.getChildFile (picture->name)))
        {
            std::cerr << "tanglefix_art: cannot write " << picture->name << "\n";
            return 1;
        }
    }

    return 0;
}

static int run (const juce::StringArray& args)
{
    if (args.size() == 1)
        return writePictures (juce::File (args[0]));

    // The sheet shows the files as the build embeds them, so it only reads them.
    if (args.size() == 4 && args[0] == "--sheet")
    {
        const auto sheet = makeContactSheet (loadPictures (juce::File (args[2])), juce::File (args[3]));
        return writePng (sheet, juce::File (args[1])) ? 0 : 1;
    }

    std::cerr << "usage: tanglefix_art OUTPUT_FOLDER\n"
                 "       tanglefix_art --sheet SHEET_PNG PICTURE_FOLDER SVG_FOLDER\n";
    return 2;
}

} // namespace ArtMaker

int main (int argc, char* argv[])
{
    // Text on the contact sheet needs JUCE's font machinery, which wants the message
    // manager; the pictures themselves need nothing but the software renderer.
    const juce::ScopedJuceInitialiser_GUI juce;
    juce::StringArray args;

    for (int i = 1; i < argc; ++i)
        args.add (juce::String::fromUTF8 (argv[i]));

    return ArtMaker::run (args);
}
