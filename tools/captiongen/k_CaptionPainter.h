#pragma once
// Paints the show's pictures with text: captions and the logo, light letters
// on transparency with a soft cool glow and a tight dark shadow (so they read
// over black, over the bright landscape and over the plasma alike). Text is
// laid out by Pango in one display font and drawn by Cairo; pictures come
// out as straight (not premultiplied) RGBA and are written as PNG.
#include "tools/captiongen/k_CaptionManifest.h"

#include <cstdint>
#include <string>
#include <vector>

class k_CaptionPainter
{
public:
    struct Picture
    {
        int width = 0;
        int height = 0;
        std::vector<uint8_t> rgba; // straight alpha, rows top first
    };

    // Every caption is this wide; its height fits its lines.
    static constexpr int k_CaptionWidth = 1024;

    // Throws std::runtime_error naming the font and its package when the family is not installed (fontconfig
    // would otherwise quietly substitute another).
    k_CaptionPainter();

    // The caption's lines centred one above the other at the common type size (smaller only if a line
    // would not fit the width). Throws std::runtime_error for markup Pango cannot read.
    Picture PaintCaption(const k_Caption& caption) const;
    // The "Orvelant" mark (an orbit around a waning crescent and a star), the name and the show's title.
    Picture PaintLogo() const;

    // Writes the picture as an 8-bit RGBA PNG, byte for byte the same for the same picture. Throws on failure.
    static void WritePng(const Picture& picture, const std::string& path);
};
