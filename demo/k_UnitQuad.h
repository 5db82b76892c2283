#pragma once
// The unit square as one quad (positions at z = 0.5 with texture coordinates
// equal to x and y) that the show's full-screen and caption meshes are made
// of; their shaders map it to the screen themselves.
class IMeshBuffer;
class IMaterial;

class k_UnitQuad
{
public:
    // Gives the mesh topology Quad, the material and the four vertices and indices (static, copied).
    static void Fill(IMeshBuffer* mesh, IMaterial* material);
};
