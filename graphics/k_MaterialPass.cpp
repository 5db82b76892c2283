#include "graphics/k_MaterialPass.h"

#include "engine/k_Log.h"
#include "graphics/k_Material.h"
#include "interfaces/ICamera.h"
#include "interfaces/IEngine.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IRenderer.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/ISyncTracks.h"
#include "interfaces/ITexture.h"
#include "interfaces/ITimeline.h"
#include "interfaces/IWorld.h"
#include "math/k_Matrix.h"

#include <epoxy/gl.h>
#include <cstdio>

namespace
{
// "texture%d" and "texture%dDdxy" for the first slots, made once instead of on every draw.
struct SlotUniformNames
{
    std::string sampler[k_MaterialPass::k_MaxTextureSlots];
    std::string size[k_MaterialPass::k_MaxTextureSlots];

    SlotUniformNames()
    {
        for (int k = 0; k < k_MaterialPass::k_MaxTextureSlots; ++k)
        {
            sampler[k] = "texture" + std::to_string(k);
            size[k] = sampler[k] + "Ddxy";
        }
    }
};

const SlotUniformNames& SlotNames()
{
    static const SlotUniformNames names;
    return names;
}

// The built-in uniform names, made once: the program's setters take std::string, and a literal would
// build a new string (for the longer names on the heap) on every draw.
const std::string k_NumOfLights = "numOfLights";
const std::string k_DemoTime = "demoTime";
const std::string k_DemoBeat = "demoBeat";
const std::string k_SyncBeat = "syncBeat";
const std::string k_SyncBeatTrack = "show:beat";
const std::string k_AspectRatio = "aspectRatio";
const std::string k_EyePosition = "eyePosition";
const std::string k_EyeDirection = "eyeDirection";
const std::string k_ViewMatrix = "viewMatrix";
const std::string k_ViewMatrixInverse = "viewMatrixInverse";
} // namespace

void k_MaterialPass::Apply(k_Material* material)
{
    IEngine* engine = material->GetEngine();

    // --- fixed-function state ---
    if (cullMode != 0)
    {
        glEnable(GL_CULL_FACE);
        glCullFace(cullMode);
    }
    else
    {
        glDisable(GL_CULL_FACE);
    }
    glDepthMask(depthWrite ? GL_TRUE : GL_FALSE);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emissive.data());
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
    glDepthFunc(depthFunc);
    if (alphaBlend)
    {
        glEnable(GL_BLEND);
        glBlendFunc(srcBlend, dstBlend);
    }
    else
    {
        glDisable(GL_BLEND);
    }
    if (alphaTestFunc != 0)
    {
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(alphaTestFunc, alphaTestValue);
    }
    else
    {
        glDisable(GL_ALPHA_TEST);
    }

    // --- textures ---
    GLint units = 0;
    glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS, &units);
    for (GLint u = 0; u < units; ++u)
    {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(u));
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    // A pass without a program draws with the fixed-function state, not with the program used before it.
    if (program)
        program->Use();
    else
        glUseProgram(0);
    int k = 0;
    for (auto& [unit, slot] : textures)
    {
        if (slot.texture)
        {
            slot.texture->Bind(unit);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(slot.wrapS));
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(slot.wrapT));
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                            slot.texture->HasMipmaps() ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            if (program)
            {
                const float width = static_cast<float>(slot.texture->GetWidth());
                const float height = static_cast<float>(slot.texture->GetHeight());
                const float size[4] = {static_cast<float>(1.0 / static_cast<double>(width)),
                                       static_cast<float>(1.0 / static_cast<double>(height)), width, height};
                if (k < k_MaxTextureSlots)
                {
                    program->SetUniformInt(SlotNames().sampler[k], unit);
                    program->SetUniformVector(SlotNames().size[k], size, 4);
                }
                else
                {
                    program->SetUniformInt("texture" + std::to_string(k), unit);
                    program->SetUniformVector("texture" + std::to_string(k) + "Ddxy", size, 4);
                }
            }
        }
        ++k;
    }

    // --- built-in uniforms of the world being drawn ---
    IWorld* world = engine->GetRenderer()->GetCurrentWorld();
    if (!world || !program)
        return;
    program->SetUniformInt(k_NumOfLights, static_cast<int>(world->GetLights().size()));
    program->SetUniformFloat(k_DemoTime, static_cast<float>(engine->GetTimeline()->GetTime()));
    // The music's beats since its first downbeat (the tempo map's), for shaders that move with the tune.
    program->SetUniformFloat(k_DemoBeat, static_cast<float>(engine->GetTimeline()->GetBeat()));
    // The free sync track "show:beat", for any shader a demo maker wants to key by hand (0 without keys).
    if (ISyncTracks* tracks = engine->GetSyncTracks())
    {
        if (m_beatTrack < 0)
            m_beatTrack = tracks->FindTrack(k_SyncBeatTrack);
        const std::optional<double> beat = tracks->GetValue(m_beatTrack, engine->GetTimeline()->GetTime());
        program->SetUniformFloat(k_SyncBeat, static_cast<float>(beat.value_or(0.0)));
    }
    program->SetUniformFloat(k_AspectRatio, engine->GetGraphics()->GetAspectRatio());
    if (ICamera* camera = world->GetCamera())
    {
        const k_VectorUA position = camera->GetPosition();
        const k_VectorUA direction = camera->GetDirection();
        program->SetUniformVector(k_EyePosition, &position.x, 3);
        program->SetUniformVector(k_EyeDirection, &direction.x, 3);
        const float* view = camera->GetViewMatrix();
        program->SetUniformMatrix(k_ViewMatrix, view, 4);
        bool invertible = true;
        const k_Matrix inverse = k_Matrix(view).Inverse(&invertible);
        program->SetUniformMatrix(k_ViewMatrixInverse, inverse.Data(), 4);
        // Said once when the view turns singular (a camera on its own target), not on every draw.
        if (!invertible && !m_viewSingular)
            k_Log(k_Log::Colour::Error) << "Material: the view matrix is singular; its inverse is the identity.";
        m_viewSingular = !invertible;
    }
}

void k_MaterialPass::SetTexture(int32_t unit, ITexture* texture, unsigned int wrapS, unsigned int wrapT)
{
    constexpr unsigned int k_ClampToEdge = 0x812F;
    TextureSlot& slot = textures[unit];
    slot.texture = texture;
    if (wrapS != 0)
        slot.wrapS = wrapS;
    if (wrapT != 0)
        slot.wrapT = wrapT;
    if (slot.wrapS == 0)
        slot.wrapS = k_ClampToEdge;
    if (slot.wrapT == 0)
        slot.wrapT = k_ClampToEdge;
}
