#pragma once
// A voxel box (see IVoxelBox): the field lives in a one-channel float 3D
// texture on unit 6, the marching-cubes triangle table in an integer texture
// on unit 7, and every grid cell is one point of a static vertex buffer that a
// geometry shader ("MarchingCubes/Cubes.gs") turns into the cell's triangles.
// A draw is one display-list call; the CPU touches the field only on Unlock.
#include "interfaces/IVoxelBox.h"
#include "scene/k_Renderable.h"

class IShaderProgram;

class k_VoxelBox : public IVoxelBox, public k_Renderable
{
public:
    // Throws when a size is below 1 or beyond what the GPU's 3D textures hold.
    k_VoxelBox(IEngine* engine, int width, int height, int depth);
    ~k_VoxelBox() override;
    k_VoxelBox(const k_VoxelBox&) = delete;
    k_VoxelBox& operator=(const k_VoxelBox&) = delete;

    void GetSize(int& width, int& height, int& depth) override;
    void SetIsolevel(float isolevel) override;
    float GetIsolevel() override;
    float* Lock() override;
    void Unlock() override;

    // Stage 1: the program with the iso level, then the display list.
    void Draw(int stage) override;

    // The marching-cubes program (owned by the resource factory).
    IShaderProgram* GetProgram() const { return m_program; }
    unsigned int GetFieldTexture() const { return m_fieldTexture; }
    unsigned int GetTableTexture() const { return m_tableTexture; }

private:
    IShaderProgram* m_program = nullptr;
    int m_width;
    int m_height;
    int m_depth;
    unsigned int m_fieldTexture = 0;
    unsigned int m_tableTexture = 0;
    unsigned int m_pointBuffer = 0;
    unsigned int m_displayList = 0;
    float* m_lockedField = nullptr;
    float m_isolevel = 0.0f;
};
