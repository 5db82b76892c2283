#pragma once
// One pass of a material: the complete fixed-function state, the texture
// slots and the optional shader program that a mesh draws with, meant for
// one world (target) or for any world (empty target). A plain record: the
// material loader fills it, worlds may fill reserved texture slots and set
// uniforms on its program. Textures and programs belong to the resource
// factory; the pass only points to them.
#include <array>
#include <cstdint>
#include <map>
#include <string>

class ITexture;
class IShaderProgram;
class k_Material;

class k_MaterialPass
{
public:
    // A texture unit's content. A null texture is a reserved slot: skipped when binding, but counted in
    // the numbering of the "texture%d" uniforms. Wrap modes are GL enums (0 until set).
    struct TextureSlot
    {
        ITexture* texture = nullptr;
        unsigned int wrapS = 0;
        unsigned int wrapT = 0;
    };

    // Sets all the state the pass controls, binds its textures and uploads the built-in uniforms.
    // The material supplies the engine (timeline, renderer, graphics device).
    void Apply(k_Material* material);

    // Puts a texture into the slot of the unit, as code fills the slots a script reserved. Wrap modes
    // of 0 keep the slot's own; a slot the script did not reserve then gets clamp-to-edge, since a wrap
    // mode of 0 would be rejected by GL at every draw.
    void SetTexture(int32_t unit, ITexture* texture, unsigned int wrapS = 0, unsigned int wrapT = 0);

    std::string target;
    std::map<int32_t, TextureSlot> textures;
    IShaderProgram* program = nullptr;
    std::array<float, 4> ambient{0.0f, 0.0f, 0.0f, 0.0f};
    std::array<float, 4> diffuse{0.0f, 0.0f, 0.0f, 0.0f};
    std::array<float, 4> specular{0.0f, 0.0f, 0.0f, 0.0f};
    std::array<float, 4> emissive{0.0f, 0.0f, 0.0f, 0.0f};
    float shininess = 8.0f;
    bool depthWrite = true;
    unsigned int depthFunc = 0x0201; // GL_LESS
    unsigned int alphaTestFunc = 0;  // 0: alpha testing off
    float alphaTestValue = 0.0f;
    bool alphaBlend = false;
    unsigned int srcBlend = 1;      // GL_ONE
    unsigned int dstBlend = 0;      // GL_ZERO
    unsigned int cullMode = 0x0405; // GL_BACK; 0: culling off

    // A pass holds at most this many texture slots (their uniform names carry one decimal digit).
    static constexpr int k_MaxTextureSlots = 10;

private:
    // Whether the last view matrix had no inverse (its red line is written when this turns true).
    bool m_viewSingular = false;
    // The index of the sync track "show:beat" once it exists (tracks are never removed), so the frame does
    // not look it up by name.
    int m_beatTrack = -1;
};
