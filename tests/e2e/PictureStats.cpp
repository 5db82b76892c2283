// orvelant_picture_stats: what a picture of the show looks like, in numbers, for the end-to-end checks.
//   orvelant_picture_stats FILE.png [X0 Y0 X1 Y1]
//   orvelant_picture_stats --diff A.png B.png
// With --diff, prints how far two pictures of one size lie apart, per channel, in 1/255:
//   mad R G B max D
// (the mean absolute difference of red, green and blue; the largest difference of any channel of any pixel).
// The optional region is given in fractions of the width and height, y from the top. Prints one line:
//   mean M spread S bright B colours C
// M: mean luma (0 to 255); S: its standard deviation; B: share of pixels with luma above 200; C: how many of
// twelve hue sectors hold at least 2 % of the region's pixels as clear colour (saturated and not dark); R G B:
// the mean of each channel (0 to 255).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <png.h>
#include <string>
#include <vector>

namespace
{
// Reads an RGB picture; false (with a message) when it cannot.
bool Read(const char* file, std::vector<unsigned char>& pixels, int& width, int& height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file))
    {
        std::fprintf(stderr, "orvelant_picture_stats: cannot read %s\n", file);
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
    {
        std::fprintf(stderr, "orvelant_picture_stats: cannot decode %s\n", file);
        return false;
    }
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    return true;
}

int Compare(const char* a, const char* b)
{
    std::vector<unsigned char> first, second;
    int width = 0, height = 0, otherWidth = 0, otherHeight = 0;
    if (!Read(a, first, width, height) || !Read(b, second, otherWidth, otherHeight))
        return 1;
    if (width != otherWidth || height != otherHeight)
    {
        std::fprintf(stderr, "orvelant_picture_stats: %s is %dx%d, %s is %dx%d\n", a, width, height, b, otherWidth,
                     otherHeight);
        return 1;
    }
    double sums[3] = {};
    int largest = 0;
    for (size_t i = 0; i < first.size(); ++i)
    {
        const int difference = std::abs(static_cast<int>(first[i]) - static_cast<int>(second[i]));
        sums[i % 3] += difference;
        largest = std::max(largest, difference);
    }
    const double pixelCount = static_cast<double>(first.size() / 3);
    std::printf("mad %.3f %.3f %.3f max %d\n", sums[0] / pixelCount, sums[1] / pixelCount, sums[2] / pixelCount,
                largest);
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--diff")
        return Compare(argv[2], argv[3]);
    if (argc != 2 && argc != 6)
    {
        std::fprintf(stderr, "usage: orvelant_picture_stats FILE.png [X0 Y0 X1 Y1]\n"
                             "       orvelant_picture_stats --diff A.png B.png\n");
        return 2;
    }
    std::vector<unsigned char> pixels;
    int width = 0, height = 0;
    if (!Read(argv[1], pixels, width, height))
        return 1;
    double region[4] = {0.0, 0.0, 1.0, 1.0};
    if (argc == 6)
        for (int i = 0; i < 4; ++i)
            region[i] = std::atof(argv[2 + i]);
    const int x0 = std::clamp(static_cast<int>(region[0] * width), 0, width - 1);
    const int y0 = std::clamp(static_cast<int>(region[1] * height), 0, height - 1);
    const int x1 = std::clamp(static_cast<int>(region[2] * width), x0 + 1, width);
    const int y1 = std::clamp(static_cast<int>(region[3] * height), y0 + 1, height);

    double sum = 0.0;
    double squares = 0.0;
    long bright = 0;
    long count = 0;
    long sectors[12] = {};
    double channels[3] = {};
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
        {
            const unsigned char* p = &pixels[static_cast<size_t>((y * width + x) * 3)];
            const double r = p[0], g = p[1], b = p[2];
            channels[0] += r;
            channels[1] += g;
            channels[2] += b;
            const double luma = 0.299 * r + 0.587 * g + 0.114 * b;
            sum += luma;
            squares += luma * luma;
            bright += luma > 200.0;
            ++count;
            const double high = std::max({r, g, b});
            const double low = std::min({r, g, b});
            if (high > 40.0 && (high - low) / high > 0.25)
            {
                double hue = std::atan2(std::sqrt(3.0) * (g - b), 2.0 * r - g - b); // -pi to pi
                const int sector = static_cast<int>((hue + M_PI) / (2.0 * M_PI) * 12.0) % 12;
                ++sectors[sector];
            }
        }
    const double mean = sum / count;
    const double spread = std::sqrt(std::max(0.0, squares / count - mean * mean));
    int colours = 0;
    for (long s : sectors)
        colours += s * 50 >= count;
    std::printf("mean %.1f spread %.1f bright %.4f colours %d rgb %.1f %.1f %.1f\n", mean, spread,
                static_cast<double>(bright) / count, colours, channels[0] / count, channels[1] / count,
                channels[2] / count);
    return 0;
}
