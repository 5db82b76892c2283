#pragma once
// The iso-surface of a scalar field sampled on a W x H x D grid, extracted on
// the GPU by marching cubes. The box spans [-1, 1] on each axis in node
// space; sample (x, y, z) sits at (2x/W - 1, 2y/H - 1, 2z/D - 1) and is stored
// at index x + W * (y + H * z). The object behind this interface is a scene
// node too (reach it with dynamic_cast to IRenderable). Made and owned by the
// resource factory.
class IVoxelBox
{
public:
    // Frees a locked array and the GPU objects.
    virtual ~IVoxelBox() = default;

    // The grid size in samples.
    virtual void GetSize(int& width, int& height, int& depth) = 0;
    // Sets the level whose surface is drawn; takes effect at the next draw, without an upload.
    virtual void SetIsolevel(float isolevel) = 0;
    // The iso level (0 at creation).
    virtual float GetIsolevel() = 0;
    // Hands out an array of W * H * D floats (contents undefined) to be filled completely;
    // throws "Voxel Box is already locked!" while one is out.
    virtual float* Lock() = 0;
    // Uploads the locked array as the whole field and frees it; throws "Voxel Box is already unlocked!"
    // when no array is out.
    virtual void Unlock() = 0;
};
