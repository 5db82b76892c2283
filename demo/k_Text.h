#pragma once
// A scene node drawing a line of 8-bit text as solid letters: each glyph's
// outline filled front and back and walled to the extrusion depth, compiled
// once per font into one display list per byte value. Texts with equal font
// parameters share the lists through a process-wide font cache; a list ends
// by moving along the glyph's advance, so one glCallLists draws the line.
//
// Fonts are found by name through fontconfig (which falls back to its best
// match for an unknown name), outlines and advances come from FreeType and
// the faces are filled by the GLU tessellator. Glyph units: the em square is
// 1; the text starts at the origin on the baseline, front face at z = 0, back
// face at z = -depth. Byte values are Latin-1 code points.
#include "interfaces/IText.h"
#include "scene/k_Renderable.h"

#include <string>

class k_Text : public IText, public k_Renderable
{
public:
    // Builds (or finds in the cache) the font. A negative height means the same as its magnitude; 0 takes
    // a default of 16 pixels. Throws a wide message when no font at all can be opened.
    k_Text(IEngine* engine, const std::string& text, const std::wstring& fontName, int height, float depth, int style);

    std::string GetText() override;
    void SetText(const std::string text) override;
    int GetHeight() override;
    int GetTextWidth() override;
    float GetDepth() override;
    std::wstring GetFontName() override;
    int GetStyle() override;
    void SetMaterial(IMaterial* material) override;
    IMaterial* GetMaterial() override;

    // Stage 1: applies the material and, if it has a pass for this world, calls the glyph lists of the text.
    void Draw(int stage) override;

    // The first of the 256 glyph lists this text draws with (shared with equal fonts).
    unsigned GetListBase() const { return m_listBase; }

    // An entry of the font cache (defined with the cache, in the source).
    struct Font;

private:
    void BuildFont();

    unsigned m_listBase = 0;
    const Font* m_font = nullptr;
    std::string m_text;
    std::wstring m_fontName;
    int m_height;
    float m_depth;
    int m_style;
    IMaterial* m_material = nullptr;
};
