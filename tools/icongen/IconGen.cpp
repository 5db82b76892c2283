// Draws the program's desktop icon with Cairo: a rounded tile of night sky
// over layered hills, a bright four-pointed star with its glow and a thin
// waning crescent around it. Vector drawing, so each size is drawn afresh
// and stays sharp; the install puts the PNGs into the hicolor icon theme.
//   orvelant_icongen <out-dir> <size>...   writes <out-dir>/<size>/starwane.png
#include <cairo.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace
{
constexpr double k_Pi = 3.14159265358979323846;

// A rounded rectangle path.
void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -k_Pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, k_Pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, k_Pi / 2, k_Pi);
    cairo_arc(cr, x + r, y + r, r, k_Pi, 3 * k_Pi / 2);
    cairo_close_path(cr);
}

// A four-pointed star with slightly concave sides, centred at (x, y).
void StarPath(cairo_t* cr, double x, double y, double longArm, double shortArm, double waist)
{
    const double arms[4][2] = {{0, -longArm}, {shortArm, 0}, {0, longArm}, {-shortArm, 0}};
    cairo_move_to(cr, x + arms[0][0], y + arms[0][1]);
    for (int i = 0; i < 4; ++i)
    {
        const double* to = arms[(i + 1) % 4];
        const double cx = (arms[i][0] + to[0]) * waist, cy = (arms[i][1] + to[1]) * waist;
        cairo_curve_to(cr, x + cx, y + cy, x + cx, y + cy, x + to[0], y + to[1]);
    }
    cairo_close_path(cr);
}

// A hill line across the tile: a sum of soft waves, filled down to the bottom.
void Hills(cairo_t* cr, double size, double base, double amplitude, double phase, double r, double g, double b)
{
    cairo_move_to(cr, 0, size);
    for (int i = 0; i <= 64; ++i)
    {
        const double x = size * i / 64.0;
        const double t = x / size;
        const double y = base - amplitude * (0.6 * std::sin(t * 5.1 + phase) + 0.4 * std::sin(t * 11.3 + phase * 2.1));
        cairo_line_to(cr, x, y);
    }
    cairo_line_to(cr, size, size);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, r, g, b);
    cairo_fill(cr);
}

void DrawIcon(cairo_t* cr, double s)
{
    // The tile: a small margin, as the icon theme's square icons have, and a soft shadow under it.
    const double m = s * 0.06, w = s - 2 * m, radius = s * 0.19;
    cairo_save(cr);
    for (int i = 6; i >= 1; --i)
    {
        RoundedRect(cr, m - i * s * 0.002, m + s * 0.012 - i * s * 0.001, w + i * s * 0.004, w + i * s * 0.004,
                    radius + i * s * 0.002);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.045);
        cairo_fill(cr);
    }
    RoundedRect(cr, m, m, w, w, radius);
    cairo_clip(cr);

    // Night sky, deep blue above, warm violet towards the horizon.
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, m, 0, m + w);
    cairo_pattern_add_color_stop_rgb(sky, 0.0, 0.035, 0.05, 0.16);
    cairo_pattern_add_color_stop_rgb(sky, 0.45, 0.10, 0.10, 0.34);
    cairo_pattern_add_color_stop_rgb(sky, 0.72, 0.42, 0.18, 0.46);
    cairo_pattern_add_color_stop_rgb(sky, 0.85, 0.93, 0.47, 0.42);
    cairo_set_source(cr, sky);
    cairo_paint(cr);
    cairo_pattern_destroy(sky);

    // Faint stars, placed by a fixed little generator so every build draws the same sky.
    unsigned seed = 0x5eed1234u;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) / 16777216.0;
    };
    for (int i = 0; i < 26; ++i)
    {
        const double x = m + next() * w, y = m + next() * w * 0.55, r = s * (0.003 + next() * 0.006);
        cairo_arc(cr, x, y, r, 0, 2 * k_Pi);
        cairo_set_source_rgba(cr, 0.85, 0.9, 1.0, 0.35 + next() * 0.5);
        cairo_fill(cr);
    }

    // The star's glow, then a thin waning crescent around it.
    const double sx = s * 0.5, sy = s * 0.43;
    cairo_pattern_t* glow = cairo_pattern_create_radial(sx, sy, 0, sx, sy, s * 0.36);
    cairo_pattern_add_color_stop_rgba(glow, 0.0, 1.0, 0.93, 0.78, 0.85);
    cairo_pattern_add_color_stop_rgba(glow, 0.25, 1.0, 0.72, 0.55, 0.35);
    cairo_pattern_add_color_stop_rgba(glow, 1.0, 0.9, 0.4, 0.7, 0.0);
    cairo_set_source(cr, glow);
    cairo_paint(cr);
    cairo_pattern_destroy(glow);

    cairo_new_path(cr);
    cairo_arc(cr, sx, sy, s * 0.25, k_Pi * 0.62, k_Pi * 1.78);
    cairo_arc_negative(cr, sx + s * 0.05, sy - s * 0.02, s * 0.235, k_Pi * 1.74, k_Pi * 0.66);
    cairo_close_path(cr);
    cairo_pattern_t* crescent = cairo_pattern_create_linear(sx - s * 0.25, sy, sx + s * 0.1, sy - s * 0.25);
    cairo_pattern_add_color_stop_rgba(crescent, 0.0, 1.0, 0.86, 0.7, 0.95);
    cairo_pattern_add_color_stop_rgba(crescent, 1.0, 0.75, 0.8, 1.0, 0.35);
    cairo_set_source(cr, crescent);
    cairo_fill(cr);

    // Layered hills, far ones lighter, with a rim of light on the nearest ridge.
    Hills(cr, s, s * 0.74, s * 0.035, 0.7, 0.27, 0.13, 0.33);
    Hills(cr, s, s * 0.80, s * 0.045, 2.3, 0.15, 0.08, 0.22);
    Hills(cr, s, s * 0.87, s * 0.04, 4.1, 0.06, 0.04, 0.12);

    // The star itself: a warm white core with a hot centre.
    StarPath(cr, sx, sy, s * 0.21, s * 0.095, 0.16);
    cairo_pattern_t* core = cairo_pattern_create_radial(sx, sy, 0, sx, sy, s * 0.21);
    cairo_pattern_add_color_stop_rgb(core, 0.0, 1.0, 1.0, 1.0);
    cairo_pattern_add_color_stop_rgb(core, 0.5, 1.0, 0.93, 0.8);
    cairo_pattern_add_color_stop_rgb(core, 1.0, 1.0, 0.75, 0.55);
    cairo_set_source(cr, core);
    cairo_fill(cr);

    // A glassy edge: a light line along the top of the tile, a darker one at its bottom.
    cairo_restore(cr);
    RoundedRect(cr, m + s * 0.004, m + s * 0.004, w - s * 0.008, w - s * 0.008, radius - s * 0.004);
    cairo_pattern_t* edge = cairo_pattern_create_linear(0, m, 0, m + w);
    cairo_pattern_add_color_stop_rgba(edge, 0.0, 1, 1, 1, 0.35);
    cairo_pattern_add_color_stop_rgba(edge, 0.5, 1, 1, 1, 0.05);
    cairo_pattern_add_color_stop_rgba(edge, 1.0, 0, 0, 0, 0.3);
    cairo_set_source(cr, edge);
    cairo_set_line_width(cr, std::max(1.0, s * 0.008));
    cairo_stroke(cr);
    cairo_pattern_destroy(edge);
    cairo_pattern_destroy(core);
    cairo_pattern_destroy(crescent);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: %s <out-dir> <size>...\n", argv[0]);
        return 2;
    }
    for (int i = 2; i < argc; ++i)
    {
        const int size = std::atoi(argv[i]);
        if (size < 16 || size > 1024)
        {
            std::fprintf(stderr, "icongen: size %s is not between 16 and 1024\n", argv[i]);
            return 2;
        }
        const std::filesystem::path folder = std::filesystem::path(argv[1]) / std::to_string(size);
        std::filesystem::create_directories(folder);
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
        cairo_t* cr = cairo_create(surface);
        DrawIcon(cr, size);
        cairo_destroy(cr);
        const std::string file = (folder / "starwane.png").string();
        const cairo_status_t status = cairo_surface_write_to_png(surface, file.c_str());
        cairo_surface_destroy(surface);
        if (status != CAIRO_STATUS_SUCCESS)
        {
            std::fprintf(stderr, "icongen: cannot write %s: %s\n", file.c_str(), cairo_status_to_string(status));
            return 1;
        }
    }
    return 0;
}
