// PNG decoding as the texture class does it, without GL: any bytes either
// decode into a picture within the size limits or are refused with a thrown
// message.
#include "fuzz/k_FuzzCheck.h"
#include "graphics/k_PngTexture.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    k_ImageTexture::Image image;
    try
    {
        k_PngTexture::Decode(data, size, image);
    }
    catch (const wchar_t*)
    {
        ORV_FUZZ_REQUIRE(image.pixels.empty());
        return 0;
    }
    ORV_FUZZ_REQUIRE(image.components == 3 || image.components == 4);
    ORV_FUZZ_REQUIRE(image.width > 0 && image.height > 0);
    ORV_FUZZ_REQUIRE(k_ImageTexture::IsWithinLimits(image.width, image.height));
    ORV_FUZZ_REQUIRE(image.pixels.size() == static_cast<size_t>(image.width) * image.height * image.components);
    return 0;
}
