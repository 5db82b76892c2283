#pragma once
// The element codes of an interleaved vertex. A vertex format is an ordered
// list of them; elements are packed in list order with no gaps and the stride
// is the sum of their sizes.
#include <cstdint>

enum class r_VertexElement : uint32_t
{
    Position2 = 0,      // 2 floats, vertex array
    Position3 = 1,      // 3 floats, vertex array
    Position4 = 2,      // 4 floats, vertex array
    Normal3 = 3,        // 3 floats, normal array
    Colour3UB = 4,      // 3 unsigned bytes, colour array
    Colour4UB = 5,      // 4 unsigned bytes, colour array
    Colour3F = 6,       // 3 floats, colour array
    Colour4F = 7,       // 4 floats, colour array
    TexCoord2 = 8,      // 2 floats, texture-coordinate array of the next texture unit
    TexCoord3 = 9,      // 3 floats, same
    TexCoord4 = 10,     // 4 floats, same
    Tangent3 = 11,      // 3 floats, generic attribute "Tangent"
    Tangent4 = 12,      // 4 floats, generic attribute "Tangent"
    BlendIndices4 = 13, // 4 floats, generic attribute "BlendIndices"
    BlendWeights4 = 14, // 4 floats, generic attribute "BlendWeights"
};

// Returns the element's size in bytes; an unknown code counts one byte and binds nothing.
constexpr uint32_t r_VertexElementSize(r_VertexElement element)
{
    constexpr uint32_t k_Sizes[] = {8, 12, 16, 12, 3, 4, 12, 16, 8, 12, 16, 12, 16, 16, 16};
    const uint32_t code = static_cast<uint32_t>(element);
    return code < 15 ? k_Sizes[code] : 1;
}
