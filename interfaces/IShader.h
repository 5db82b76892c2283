#pragma once
// One compiled GLSL shader (vertex, geometry or pixel). Compile failures are
// logged, never raised; a geometry shader also carries the input and output
// primitive topologies and the vertex limit its program is linked with.
#include "interfaces/r_PrimitiveTopology.h"
#include "interfaces/r_ShaderType.h"

class IShader
{
public:
    // Deletes the GL shader.
    virtual ~IShader() = default;

    // The kind of shader.
    virtual r_ShaderType GetType() = 0;
    // The GL shader name; 0 when the source could not be read.
    virtual unsigned int GetHandle() = 0;
    // Stores the geometry parameters; throws when this is not a geometry shader or the output is not
    // Point, LineStrip or TriangleStrip.
    virtual void SetGeometryParameters(r_PrimitiveTopology input, r_PrimitiveTopology output,
                                       int maxOutputVertices) = 0;
    // Writes the stored geometry parameters; throws when SetGeometryParameters never succeeded.
    virtual void GetGeometryParameters(r_PrimitiveTopology& input, r_PrimitiveTopology& output,
                                       int& maxOutputVertices) = 0;
};
