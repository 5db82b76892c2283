#pragma once
// What the terrain world's render steps do to a material: reach its first
// pass (the one whose program takes the steps' uniforms) and set an int or
// float uniform there. A material without passes or without a program makes
// these do nothing, so a damaged script costs its pass, not the show.
#include <string>

class IMaterial;
class IRenderable;
class k_MaterialPass;

class k_TerrainPass
{
public:
    // The first of the material's passes, or null.
    static k_MaterialPass* First(IMaterial* material);
    // The material of a mesh node, or null for any other node.
    static IMaterial* MaterialOf(IRenderable* node);
    static void SetInt(IMaterial* material, const std::string& name, int value);
    static void SetFloat(IMaterial* material, const std::string& name, float value);
};
