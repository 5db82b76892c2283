// Paints the show's caption pictures from the caption manifest, and the logo,
// into the folder of generated pack files under their pack names.
//
//   orvelant_captiongen <manifest> <output folder>
#include "tools/captiongen/k_CaptionManifest.h"
#include "tools/captiongen/k_CaptionPainter.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::cerr << "usage: orvelant_captiongen <manifest> <output folder>\n";
        return 2;
    }
    try
    {
        std::ifstream file(argv[1], std::ios::binary);
        if (!file)
            throw std::runtime_error(std::string("cannot read the caption manifest ") + argv[1]);
        std::stringstream text;
        text << file.rdbuf();
        const auto captions = k_CaptionManifest::Parse(text.str(), argv[1]);

        const std::filesystem::path folder = argv[2];
        const k_CaptionPainter painter;
        for (const k_Caption& caption : captions)
        {
            const std::filesystem::path path = folder / caption.name;
            std::filesystem::create_directories(path.parent_path());
            k_CaptionPainter::WritePng(painter.PaintCaption(caption), path.string());
        }
        std::filesystem::create_directories(folder);
        k_CaptionPainter::WritePng(painter.PaintLogo(), (folder / "OrvelantLogo.png").string());
    }
    catch (const std::exception& error)
    {
        std::cerr << "captiongen: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
