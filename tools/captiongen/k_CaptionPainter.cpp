#include "tools/captiongen/k_CaptionPainter.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <cstdio>
#include <memory>
#include <pango/pangocairo.h>
#include <png.h>
#include <stdexcept>
#include <strings.h>

namespace
{
// --- the look ---

constexpr const char* k_Family = "Comfortaa";
constexpr const char* k_Package = "fonts-comfortaa";
constexpr double k_TypeSize = 80.0; // pixels per em of a caption's text
constexpr int k_Padding = 40;       // room around the text for the glow
constexpr double k_Pi = 3.14159265358979323846;

struct Rgb
{
    double r, g, b;
};

// Starlight: the halo around every letter, and the shadow that keeps letters apart from bright pictures.
constexpr Rgb k_GlowColour{0.62, 0.76, 1.0};
constexpr double k_GlowRadius = 11.0;
constexpr double k_GlowStrength = 0.75;
constexpr Rgb k_ShadowColour{0.02, 0.03, 0.09};
constexpr double k_ShadowRadius = 3.0;
constexpr double k_ShadowStrength = 0.7;
constexpr int k_ShadowDrop = 3;

template <typename T, void (*Free)(T*)> struct Owned
{
    struct Deleter
    {
        void operator()(T* p) const { Free(p); }
    };
    using Ptr = std::unique_ptr<T, Deleter>;
};
using SurfacePtr = Owned<cairo_surface_t, cairo_surface_destroy>::Ptr;
using ContextPtr = Owned<cairo_t, cairo_destroy>::Ptr;
using PatternPtr = Owned<cairo_pattern_t, cairo_pattern_destroy>::Ptr;

void Unref(PangoLayout* layout)
{
    g_object_unref(layout);
}
using LayoutPtr = Owned<PangoLayout, Unref>::Ptr;

// --- text ---

// A layout of the markup in the display font at a pixel size, centred lines, grey antialiasing and no hinting
// (so the letters scale smoothly and the result does not depend on the desktop's font settings).
LayoutPtr MakeLayout(cairo_t* cr, const std::string& markup, const char* style, double pixelSize,
                     double letterSpacing = 0.0)
{
    LayoutPtr layout(pango_cairo_create_layout(cr));
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout.get()), options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(layout.get());

    PangoFontDescription* font = pango_font_description_from_string((std::string(k_Family) + " " + style).c_str());
    pango_font_description_set_absolute_size(font, pixelSize * PANGO_SCALE);
    pango_layout_set_font_description(layout.get(), font);
    pango_font_description_free(font);
    pango_layout_set_alignment(layout.get(), PANGO_ALIGN_CENTER);
    if (letterSpacing != 0.0)
    {
        PangoAttrList* attributes = pango_attr_list_new();
        pango_attr_list_insert(attributes,
                               pango_attr_letter_spacing_new(static_cast<int>(letterSpacing * PANGO_SCALE)));
        pango_layout_set_attributes(layout.get(), attributes);
        pango_attr_list_unref(attributes);
    }
    pango_layout_set_markup(layout.get(), markup.c_str(), -1);
    return layout;
}

PangoRectangle LogicalExtents(PangoLayout* layout)
{
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    return logical;
}

// Draws a layout with its logical box centred on x and its top at y in the current source.
void ShowCentred(cairo_t* cr, PangoLayout* layout, double x, double y, double letterSpacing = 0.0)
{
    const PangoRectangle logical = LogicalExtents(layout);
    // Letter spacing also follows the last letter; half of it goes back so the word stays centred.
    cairo_move_to(cr, x - logical.width / 2.0 - logical.x + letterSpacing / 2.0, y - logical.y);
    pango_cairo_show_layout(cr, layout);
}

// --- glow, shadow and the final pixels ---

// Three box blurs of the radius, one row and one column at a time: close to a Gaussian. Outside is 0.
void Blur(std::vector<float>& values, int width, int height, int radius)
{
    std::vector<float> line;
    auto pass = [&](int count, int length, auto at) {
        line.resize(static_cast<size_t>(length));
        for (int i = 0; i < count; ++i)
            for (int round = 0; round < 3; ++round)
            {
                for (int j = 0; j < length; ++j)
                    line[static_cast<size_t>(j)] = at(i, j);
                double sum = 0.0;
                for (int j = 0; j < radius && j < length; ++j)
                    sum += line[static_cast<size_t>(j)];
                for (int j = 0; j < length; ++j)
                {
                    if (j + radius < length)
                        sum += line[static_cast<size_t>(j + radius)];
                    if (j - radius - 1 >= 0)
                        sum -= line[static_cast<size_t>(j - radius - 1)];
                    at(i, j) = static_cast<float>(sum / (2 * radius + 1));
                }
            }
    };
    pass(height, width, [&](int y, int x) -> float& { return values[static_cast<size_t>(y) * width + x]; });
    pass(width, height, [&](int x, int y) -> float& { return values[static_cast<size_t>(y) * width + x]; });
}

// Puts the glow and the shadow under the ink (a premultiplied ARGB32 surface) and returns straight RGBA.
// Fully transparent pixels take the glow's colour, so filtering the texture never darkens the edges.
k_CaptionPainter::Picture Finish(cairo_surface_t* ink)
{
    cairo_surface_flush(ink);
    const int width = cairo_image_surface_get_width(ink);
    const int height = cairo_image_surface_get_height(ink);
    const int stride = cairo_image_surface_get_stride(ink);
    const unsigned char* data = cairo_image_surface_get_data(ink);
    auto pixel = [&](int x, int y) {
        return reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride)[x];
    };

    const size_t count = static_cast<size_t>(width) * height;
    std::vector<float> glow(count), shadow(count, 0.0f);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const float alpha = static_cast<float>(pixel(x, y) >> 24) / 255.0f;
            glow[static_cast<size_t>(y) * width + x] = alpha;
            if (y + k_ShadowDrop < height)
                shadow[static_cast<size_t>(y + k_ShadowDrop) * width + x] = alpha;
        }
    Blur(glow, width, height, static_cast<int>(k_GlowRadius));
    Blur(shadow, width, height, static_cast<int>(k_ShadowRadius));

    k_CaptionPainter::Picture picture;
    picture.width = width;
    picture.height = height;
    picture.rgba.resize(count * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const size_t i = static_cast<size_t>(y) * width + x;
            // Premultiplied "over", bottom to top: glow, shadow, ink.
            const double g = std::min(1.0, std::pow(glow[i], 0.8) * k_GlowStrength);
            double r = k_GlowColour.r * g, gr = k_GlowColour.g * g, b = k_GlowColour.b * g, a = g;
            const double s = std::min(1.0, shadow[i] * k_ShadowStrength * 1.6);
            r = k_ShadowColour.r * s + r * (1 - s), gr = k_ShadowColour.g * s + gr * (1 - s);
            b = k_ShadowColour.b * s + b * (1 - s), a = s + a * (1 - s);
            const uint32_t p = pixel(x, y);
            const double ia = (p >> 24) / 255.0;
            r = ((p >> 16) & 255) / 255.0 + r * (1 - ia), gr = ((p >> 8) & 255) / 255.0 + gr * (1 - ia);
            b = (p & 255) / 255.0 + b * (1 - ia), a = ia + a * (1 - ia);

            uint8_t* out = &picture.rgba[i * 4];
            const int alpha = static_cast<int>(std::lround(a * 255.0));
            if (alpha == 0)
            {
                out[0] = static_cast<uint8_t>(std::lround(k_GlowColour.r * 255));
                out[1] = static_cast<uint8_t>(std::lround(k_GlowColour.g * 255));
                out[2] = static_cast<uint8_t>(std::lround(k_GlowColour.b * 255));
                out[3] = 0;
                continue;
            }
            auto straight = [&](double c) {
                return static_cast<uint8_t>(std::clamp(std::lround(c / a * 255.0), 0L, 255L));
            };
            out[0] = straight(r), out[1] = straight(gr), out[2] = straight(b);
            out[3] = static_cast<uint8_t>(alpha);
        }
    return picture;
}

SurfacePtr NewSurface(int width, int height)
{
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot make a " + std::to_string(width) + "x" + std::to_string(height) + " picture");
    return surface;
}

// --- the logo's mark ---

// A four-pointed star: long points on the axes, curved flanks through the centre.
void StarPath(cairo_t* cr, double x, double y, double size)
{
    const double waist = size * 0.16;
    cairo_move_to(cr, x, y - size);
    cairo_curve_to(cr, x + waist * 0.4, y - waist, x + waist, y - waist * 0.4, x + size, y);
    cairo_curve_to(cr, x + waist, y + waist * 0.4, x + waist * 0.4, y + waist, x, y + size);
    cairo_curve_to(cr, x - waist * 0.4, y + waist, x - waist, y + waist * 0.4, x - size, y);
    cairo_curve_to(cr, x - waist, y - waist * 0.4, x - waist * 0.4, y - waist, x, y - size);
    cairo_close_path(cr);
}

// The mark: a waning crescent inside a tilted orbit that passes behind it and in front of it, a star riding
// the orbit where it breaks and a small companion on the far side.
void DrawEmblem(cairo_t* cr, double cx, double cy, double radius)
{
    const double tilt = -0.32, flatten = 0.36, starAngle = -0.62, gap = 0.34;
    auto orbitArc = [&](double from, double to) {
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_rotate(cr, tilt);
        cairo_scale(cr, 1.0, flatten);
        cairo_new_path(cr);
        cairo_arc(cr, 0, 0, radius, from, to);
        cairo_restore(cr);
    };
    auto onOrbit = [&](double angle, double& x, double& y) {
        const double ex = radius * std::cos(angle), ey = radius * flatten * std::sin(angle);
        x = cx + ex * std::cos(tilt) - ey * std::sin(tilt);
        y = cy + ex * std::sin(tilt) + ey * std::cos(tilt);
    };
    const double line = radius * 0.045;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);

    cairo_push_group(cr);
    // The far half of the orbit (above the centre), open around the star.
    orbitArc(k_Pi, starAngle + 2 * k_Pi - gap);
    cairo_set_source_rgb(cr, 0.93, 0.95, 1.0);
    cairo_set_line_width(cr, line);
    cairo_stroke(cr);
    orbitArc(starAngle + 2 * k_Pi + gap, 2 * k_Pi);
    cairo_stroke(cr);

    // The crescent: a disc with a slightly smaller disc taken out of its right side.
    cairo_push_group(cr);
    cairo_set_source_rgb(cr, 1.0, 0.9, 0.72);
    cairo_arc(cr, cx, cy, radius * 0.5, 0, 2 * k_Pi);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_arc(cr, cx + radius * 0.2, cy - radius * 0.08, radius * 0.44, 0, 2 * k_Pi);
    cairo_fill(cr);
    cairo_pop_group_to_source(cr);
    cairo_paint(cr);

    // The near half, with a hairline of empty space along it where it crosses the crescent.
    orbitArc(0, k_Pi);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_set_line_width(cr, line * 3.0);
    cairo_stroke_preserve(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_source_rgb(cr, 0.93, 0.95, 1.0);
    cairo_set_line_width(cr, line);
    cairo_stroke(cr);

    double sx, sy;
    onOrbit(starAngle, sx, sy);
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    StarPath(cr, sx, sy, radius * 0.26);
    cairo_fill(cr);
    onOrbit(starAngle + k_Pi * 1.08, sx, sy);
    cairo_arc(cr, sx, sy, radius * 0.05, 0, 2 * k_Pi);
    cairo_fill(cr);
    cairo_pop_group_to_source(cr);
    cairo_paint(cr);
}
} // namespace

// --- the painter ---

k_CaptionPainter::k_CaptionPainter()
{
    PangoFontMap* map = pango_cairo_font_map_get_default();
    PangoContext* context = pango_font_map_create_context(map);
    PangoFontDescription* wanted = pango_font_description_from_string(k_Family);
    PangoFont* font = pango_font_map_load_font(map, context, wanted);
    std::string found;
    if (font)
    {
        PangoFontDescription* described = pango_font_describe(font);
        if (const char* family = pango_font_description_get_family(described))
            found = family;
        pango_font_description_free(described);
        g_object_unref(font);
    }
    pango_font_description_free(wanted);
    g_object_unref(context);
    if (strcasecmp(found.c_str(), k_Family) != 0)
        throw std::runtime_error(std::string("the display font '") + k_Family + "' is not installed (found '" + found +
                                 "' instead); install the Debian package " + k_Package + " (tools/setup.sh does)");
}

k_CaptionPainter::Picture k_CaptionPainter::PaintCaption(const k_Caption& caption) const
{
    std::string markup;
    for (const std::string& line : caption.lines)
        markup += (markup.empty() ? "" : "\n") + line;
    GError* error = nullptr;
    if (!pango_parse_markup(markup.c_str(), -1, 0, nullptr, nullptr, nullptr, &error))
    {
        const std::string why = error ? error->message : "unreadable markup";
        g_clear_error(&error);
        throw std::runtime_error("line " + std::to_string(caption.lineNumber) + ", caption '" + caption.name +
                                 "': " + why);
    }

    // Measure at the common size; a line too wide for the picture makes the whole caption smaller.
    SurfacePtr scratch = NewSurface(1, 1);
    ContextPtr measure(cairo_create(scratch.get()));
    double size = k_TypeSize;
    LayoutPtr layout = MakeLayout(measure.get(), markup, "Bold", size);
    PangoRectangle logical = LogicalExtents(layout.get());
    const int room = k_CaptionWidth - 2 * k_Padding;
    if (logical.width > room)
    {
        size *= static_cast<double>(room) / logical.width;
        layout = MakeLayout(measure.get(), markup, "Bold", size);
        logical = LogicalExtents(layout.get());
    }
    const int height = (logical.height + 2 * k_Padding + 7) / 8 * 8;

    SurfacePtr ink = NewSurface(k_CaptionWidth, height);
    ContextPtr cr(cairo_create(ink.get()));
    layout = MakeLayout(cr.get(), markup, "Bold", size);
    const double top = (height - logical.height) / 2.0;
    // Warm white at the top of the letters to a cool white at their feet.
    PatternPtr gradient(cairo_pattern_create_linear(0, top, 0, top + logical.height));
    cairo_pattern_add_color_stop_rgb(gradient.get(), 0.0, 1.0, 0.97, 0.9);
    cairo_pattern_add_color_stop_rgb(gradient.get(), 1.0, 0.84, 0.9, 1.0);
    cairo_set_source(cr.get(), gradient.get());
    ShowCentred(cr.get(), layout.get(), k_CaptionWidth / 2.0, top);
    return Finish(ink.get());
}

k_CaptionPainter::Picture k_CaptionPainter::PaintLogo() const
{
    constexpr int width = 1024, height = 512;
    SurfacePtr ink = NewSurface(width, height);
    ContextPtr cr(cairo_create(ink.get()));

    DrawEmblem(cr.get(), width / 2.0, 128.0, 118.0);

    constexpr double nameSpacing = 6.0, titleSpacing = 26.0;
    LayoutPtr name = MakeLayout(cr.get(), "Orvelant", "Bold", 150.0, nameSpacing);
    cairo_set_source_rgb(cr.get(), 0.97, 0.98, 1.0);
    ShowCentred(cr.get(), name.get(), width / 2.0, 196.0, nameSpacing);

    LayoutPtr title = MakeLayout(cr.get(), "starwane", "Light", 56.0, titleSpacing);
    const PangoRectangle titleBox = LogicalExtents(title.get());
    const double titleTop = 392.0;
    cairo_set_source_rgb(cr.get(), 0.78, 0.86, 1.0);
    ShowCentred(cr.get(), title.get(), width / 2.0, titleTop, titleSpacing);
    // Fine rules either side of the title, fading outwards.
    const double ruleY = titleTop + titleBox.height * 0.56, inner = titleBox.width / 2.0 + 24.0, length = 150.0;
    for (int side : {-1, 1})
    {
        const double from = width / 2.0 + side * inner, to = from + side * length;
        PatternPtr fade(cairo_pattern_create_linear(from, 0, to, 0));
        cairo_pattern_add_color_stop_rgba(fade.get(), 0.0, 0.78, 0.86, 1.0, 1.0);
        cairo_pattern_add_color_stop_rgba(fade.get(), 1.0, 0.78, 0.86, 1.0, 0.0);
        cairo_set_source(cr.get(), fade.get());
        cairo_rectangle(cr.get(), std::min(from, to), ruleY - 1.5, length, 3.0);
        cairo_fill(cr.get());
    }
    return Finish(ink.get());
}

void k_CaptionPainter::WritePng(const Picture& picture, const std::string& path)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        throw std::runtime_error("cannot write " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        std::fclose(out);
        std::remove(path.c_str());
        throw std::runtime_error("cannot encode " + path);
    }
    png_init_io(png, out);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y)
        png_write_row(png, &picture.rgba[static_cast<size_t>(y) * picture.width * 4]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(out) != 0)
    {
        std::remove(path.c_str());
        throw std::runtime_error("cannot write " + path);
    }
}
