#include "demo/k_Text.h"

#include "engine/k_Log.h"
#include "engine/k_Utf8.h"
#include "interfaces/IMaterial.h"
#include "interfaces/r_DrawStage.h"

#include <epoxy/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include <memory>
#include <vector>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

namespace
{
constexpr int k_DefaultHeight = 16;
// Largest distance, in em units, between a glyph's curve and the straight segments that replace it.
constexpr double k_CurveTolerance = 0.002;
constexpr int k_MaxCurveSegments = 32;
} // namespace

// One font of the cache: its parameters, its glyph lists and face, and each byte value's advance in pixels.
struct k_Text::Font
{
    int height;
    float depth;
    int style;
    std::wstring fontName;
    GLuint listBase = 0;
    FT_Face face = nullptr;
    std::array<int, 256> advances{};
};

namespace
{
// --- the font cache ---

// Every font built in this process. Fonts live for the whole run; at exit the faces are closed. The glyph
// lists are not deleted then: the GL context they belong to is already gone, and they went with it.
class FontCache
{
public:
    ~FontCache()
    {
        for (auto& font : fonts)
            if (font->face)
                FT_Done_Face(font->face);
        if (library)
            FT_Done_FreeType(library);
    }

    FT_Library Library()
    {
        if (!library && FT_Init_FreeType(&library) != 0)
            library = nullptr;
        return library;
    }

    std::vector<std::unique_ptr<k_Text::Font>> fonts;

private:
    FT_Library library = nullptr;
};

FontCache& Cache()
{
    static FontCache cache;
    return cache;
}

// --- finding the face ---

struct FaceChoice
{
    std::string file;
    int index = 0;
    bool hasMatrix = false;
    FcMatrix matrix{};
    bool embolden = false;
};

// Asks fontconfig for the scalable face that best matches the name and style; its usual fallback applies
// when no face has that name. Empty file when fontconfig knows no font at all.
FaceChoice ChooseFace(const std::wstring& fontName, bool bold, bool italic)
{
    FaceChoice choice;
    if (!FcInit())
        return choice;
    FcPattern* pattern = FcPatternCreate();
    const std::string family = k_Utf8::ToUtf8(fontName);
    if (!family.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return choice;
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
        choice.file = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &choice.index);
    // A synthetic slant or weight fontconfig asks for when the family has no such face.
    FcMatrix* matrix = nullptr;
    if (FcPatternGetMatrix(match, FC_MATRIX, 0, &matrix) == FcResultMatch && matrix)
        choice.hasMatrix = true, choice.matrix = *matrix;
    FcBool embolden = FcFalse;
    if (FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden) == FcResultMatch)
        choice.embolden = embolden == FcTrue;
    FcPatternDestroy(match);
    return choice;
}

// --- glyph geometry ---

struct Point
{
    double x, y;
};

// Flattens an outline (in em units) into closed polygons, one per contour.
class Flattener
{
public:
    explicit Flattener(double unitsPerEm) : m_scale(1.0 / unitsPerEm) {}

    std::vector<std::vector<Point>> Flatten(FT_Outline* outline)
    {
        FT_Outline_Funcs funcs{};
        funcs.move_to = [](const FT_Vector* to, void* self) { return static_cast<Flattener*>(self)->MoveTo(to); };
        funcs.line_to = [](const FT_Vector* to, void* self) { return static_cast<Flattener*>(self)->LineTo(to); };
        funcs.conic_to = [](const FT_Vector* control, const FT_Vector* to, void* self) {
            return static_cast<Flattener*>(self)->ConicTo(control, to);
        };
        funcs.cubic_to = [](const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* self) {
            return static_cast<Flattener*>(self)->CubicTo(c1, c2, to);
        };
        FT_Outline_Decompose(outline, &funcs, this);
        Close();
        return std::move(m_contours);
    }

private:
    Point ToEm(const FT_Vector* v) const { return {v->x * m_scale, v->y * m_scale}; }

    void Add(Point p)
    {
        auto& contour = m_contours.back();
        if (contour.empty() || contour.back().x != p.x || contour.back().y != p.y)
            contour.push_back(p);
    }

    // Drops the repeated start point and contours too small to enclose anything.
    void Close()
    {
        if (m_contours.empty())
            return;
        auto& contour = m_contours.back();
        while (contour.size() > 1 && contour.back().x == contour.front().x && contour.back().y == contour.front().y)
            contour.pop_back();
        if (contour.size() < 3)
            m_contours.pop_back();
    }

    int MoveTo(const FT_Vector* to)
    {
        Close();
        m_contours.emplace_back();
        m_current = ToEm(to);
        Add(m_current);
        return 0;
    }

    int LineTo(const FT_Vector* to)
    {
        m_current = ToEm(to);
        Add(m_current);
        return 0;
    }

    static int Segments(double bend)
    {
        // A curve of second difference |bend| split into n pieces deviates from them by about |bend| / (8 n²).
        const int n = static_cast<int>(std::ceil(std::sqrt(bend / (8.0 * k_CurveTolerance))));
        return std::clamp(n, 1, k_MaxCurveSegments);
    }

    int ConicTo(const FT_Vector* control, const FT_Vector* to)
    {
        const Point p0 = m_current, p1 = ToEm(control), p2 = ToEm(to);
        const int n = Segments(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y) * 2.0);
        for (int i = 1; i <= n; ++i)
        {
            const double t = static_cast<double>(i) / n, u = 1.0 - t;
            Add({u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x, u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y});
        }
        m_current = p2;
        return 0;
    }

    int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to)
    {
        const Point p0 = m_current, p1 = ToEm(c1), p2 = ToEm(c2), p3 = ToEm(to);
        const double bend = std::max(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y),
                                     std::hypot(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y));
        const int n = Segments(bend * 6.0);
        for (int i = 1; i <= n; ++i)
        {
            const double t = static_cast<double>(i) / n, u = 1.0 - t;
            const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            Add({a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
        }
        m_current = p3;
        return 0;
    }

    double m_scale;
    Point m_current{0, 0};
    std::vector<std::vector<Point>> m_contours;
};

// Fills the contours (non-zero winding, so overlapping contours of either orientation fill as one) in the
// plane z, wound counter-clockwise as seen from the side the normal points to.
void EmitFace(const std::vector<std::vector<Point>>& contours, double z, double normalZ)
{
    GLUtesselator* tess = gluNewTess();
    if (!tess)
        return;
    std::deque<std::array<GLdouble, 3>> vertices; // stable addresses until the polygon is done
    using Callback = void(GLAPIENTRY*)();
    gluTessCallback(tess, GLU_TESS_BEGIN, reinterpret_cast<Callback>(glBegin));
    gluTessCallback(tess, GLU_TESS_VERTEX, reinterpret_cast<Callback>(glVertex3dv));
    gluTessCallback(tess, GLU_TESS_END, reinterpret_cast<Callback>(glEnd));
    auto combine = +[](GLdouble coords[3], void* [4], GLfloat[4], void** out, void* data) {
        auto* store = static_cast<std::deque<std::array<GLdouble, 3>>*>(data);
        store->push_back({coords[0], coords[1], coords[2]});
        *out = store->back().data();
    };
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<Callback>(combine));
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    gluTessNormal(tess, 0.0, 0.0, normalZ);
    glNormal3d(0.0, 0.0, normalZ);
    gluTessBeginPolygon(tess, &vertices);
    for (const auto& contour : contours)
    {
        gluTessBeginContour(tess);
        for (const Point& p : contour)
        {
            vertices.push_back({p.x, p.y, z});
            gluTessVertex(tess, vertices.back().data(), vertices.back().data());
        }
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    gluDeleteTess(tess);
}

// The side walls from z = 0 to z = -depth, facing outwards. fillOnRight: the filled area lies to the right
// of each contour's direction (TrueType's orientation), else to its left.
void EmitWalls(const std::vector<std::vector<Point>>& contours, double depth, bool fillOnRight)
{
    glBegin(GL_QUADS);
    for (const auto& contour : contours)
        for (size_t i = 0; i < contour.size(); ++i)
        {
            Point a = contour[i], b = contour[(i + 1) % contour.size()];
            if (!fillOnRight)
                std::swap(a, b);
            // Outward is to the left of a → b.
            const double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
            if (length == 0.0)
                continue;
            glNormal3d(-dy / length, dx / length, 0.0);
            glVertex3d(a.x, a.y, 0.0);
            glVertex3d(b.x, b.y, 0.0);
            glVertex3d(b.x, b.y, -depth);
            glVertex3d(a.x, a.y, -depth);
        }
    glEnd();
}

// --- building a font ---

FT_UInt GlyphIndex(FT_Face face, bool symbol, unsigned code)
{
    if (symbol)
        if (FT_UInt index = FT_Get_Char_Index(face, 0xF000 + code))
            return index;
    return FT_Get_Char_Index(face, code);
}

// Compiles the 256 glyph lists and measures the advances.
void BuildGlyphs(k_Text::Font& font, int pixels, const FaceChoice& choice, bool symbol)
{
    FT_Face face = font.face;
    const double unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 1000.0;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels));
    FT_Matrix matrix{};
    if (choice.hasMatrix)
        matrix = {static_cast<FT_Fixed>(choice.matrix.xx * 65536.0), static_cast<FT_Fixed>(choice.matrix.xy * 65536.0),
                  static_cast<FT_Fixed>(choice.matrix.yx * 65536.0), static_cast<FT_Fixed>(choice.matrix.yy * 65536.0)};
    for (unsigned code = 0; code < 256; ++code)
    {
        const FT_UInt index = GlyphIndex(face, symbol, code);
        // The advance as the text's height lays it out (whole pixels, as the width is measured).
        int advance = 0;
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) == 0)
            advance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
        font.advances[code] = advance;

        std::vector<std::vector<Point>> contours;
        bool fillOnRight = true;
        if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0 &&
            face->glyph->format == FT_GLYPH_FORMAT_OUTLINE)
        {
            FT_Outline* outline = &face->glyph->outline;
            if (choice.hasMatrix)
                FT_Outline_Transform(outline, &matrix);
            if (choice.embolden)
                FT_Outline_Embolden(outline, static_cast<FT_Pos>(unitsPerEm / 24.0));
            fillOnRight = FT_Outline_Get_Orientation(outline) == FT_ORIENTATION_TRUETYPE;
            contours = Flattener(unitsPerEm).Flatten(outline);
        }

        glNewList(font.listBase + code, GL_COMPILE);
        if (!contours.empty())
        {
            EmitFace(contours, 0.0, 1.0);
            EmitFace(contours, -font.depth, -1.0);
            if (font.depth != 0.0f)
                EmitWalls(contours, font.depth, fillOnRight);
        }
        glTranslated(static_cast<double>(advance) / pixels, 0.0, 0.0);
        glEndList();
    }
}
} // namespace

// --- the text ---

k_Text::k_Text(IEngine* engine, const std::string& text, const std::wstring& fontName, int height, float depth,
               int style)
    : k_Renderable(engine), m_text(text), m_fontName(fontName), m_height(height), m_depth(depth), m_style(style)
{
    BuildFont();
}

void k_Text::BuildFont()
{
    if (m_listBase != 0)
        return;
    FontCache& cache = Cache();
    for (const auto& font : cache.fonts)
        if (font->depth == m_depth && font->style == m_style && font->fontName == m_fontName &&
            font->height == m_height)
        {
            m_font = font.get();
            m_listBase = font->listBase;
            return;
        }

    auto font = std::make_unique<Font>();
    font->depth = m_depth;
    font->style = m_style;
    font->fontName = m_fontName;
    font->height = m_height;
    const FaceChoice choice = ChooseFace(m_fontName, (m_style & 1) != 0, (m_style & 2) != 0);
    FT_Library library = cache.Library();
    if (!library || choice.file.empty() || FT_New_Face(library, choice.file.c_str(), choice.index, &font->face) != 0)
    {
        k_Log(k_Log::Colour::Error) << "Cannot open a font for '" << m_fontName << "'"
                                    << (choice.file.empty() ? std::string() : " (" + choice.file + ")");
        throw L"No font could be opened for the text.";
    }
    // The symbol font's own code page, as the byte values of its texts mean its pictures.
    const bool symbol = m_fontName == L"Wingdings" && FT_Select_Charmap(font->face, FT_ENCODING_MS_SYMBOL) == 0;
    font->listBase = glGenLists(256);
    if (font->listBase == 0)
    {
        FT_Done_Face(font->face);
        throw L"No display lists are left for the text's glyphs.";
    }
    const long long magnitude = std::llabs(static_cast<long long>(m_height));
    const int pixels = magnitude == 0 ? k_DefaultHeight : static_cast<int>(std::min(magnitude, 0xFFFFLL));
    BuildGlyphs(*font, pixels, choice, symbol);
    m_font = font.get();
    m_listBase = font->listBase;
    cache.fonts.push_back(std::move(font));
}

std::string k_Text::GetText()
{
    return m_text;
}

void k_Text::SetText(const std::string text)
{
    m_text = text;
}

int k_Text::GetHeight()
{
    return m_height;
}

int k_Text::GetTextWidth()
{
    int width = 0;
    for (unsigned char c : m_text)
        width += m_font->advances[c];
    return width;
}

float k_Text::GetDepth()
{
    return m_depth;
}

std::wstring k_Text::GetFontName()
{
    return m_fontName;
}

int k_Text::GetStyle()
{
    return m_style;
}

void k_Text::SetMaterial(IMaterial* material)
{
    m_material = material;
}

IMaterial* k_Text::GetMaterial()
{
    return m_material;
}

void k_Text::Draw(int stage)
{
    if (stage != r_DrawStage::Geometry || !m_material || !m_material->Apply() || m_text.empty())
        return;
    // Each glyph's list moves along its advance; the node's children must not inherit that.
    glPushMatrix();
    glListBase(m_listBase);
    glCallLists(static_cast<GLsizei>(m_text.size()), GL_UNSIGNED_BYTE, m_text.data());
    glPopMatrix();
}
