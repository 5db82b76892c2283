#pragma once
// The kinds of GLSL shader the engine compiles: vertex, geometry and pixel
// (fragment) shaders.
#include <cstdint>

enum class r_ShaderType : int32_t
{
    Vertex = 0,
    Geometry = 1,
    Pixel = 2,
};
