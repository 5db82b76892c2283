#pragma once
// A line of 8-bit text drawn as solid letters: the glyph outlines of a font,
// extruded to a depth. The node side is IRenderable (dynamic_cast); this side
// gives the text, the font parameters, the material and the text's width.
#include <string>

class IMaterial;

class IText
{
public:
    virtual ~IText() = default;

    // A copy of the text.
    virtual std::string GetText() = 0;
    // Replaces the text; the font's glyphs are kept (one per byte value).
    virtual void SetText(const std::string text) = 0;
    // The character height the font was made for, in pixels.
    virtual int GetHeight() = 0;
    // The width of the text at the font's height, in pixels: the sum of the glyphs' advances.
    virtual int GetTextWidth() = 0;
    // The extrusion depth of the letters, in glyph units (the em square is 1).
    virtual float GetDepth() = 0;
    // A copy of the font name the text was made with (not the name of the face found for it).
    virtual std::wstring GetFontName() = 0;
    // Bit 0 bold, bit 1 italic, bit 2 strike-out, bit 3 underline.
    virtual int GetStyle() = 0;
    // The material applied before the letters are drawn (not owned); without one nothing is drawn.
    virtual void SetMaterial(IMaterial* material) = 0;
    // The material, or null.
    virtual IMaterial* GetMaterial() = 0;
};
