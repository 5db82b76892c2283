#pragma once
// The landscape "Terrain": a 192 x 192 grid of quads that "Terrain/Terraform.mat"
// shapes into hills, valleys and a lake, lit by one light whose colour
// breathes slowly and stands low in the sky at dusk, seen by a camera circling
// low over the water. The water is made by four step nodes, run in order every
// frame: the ground under the water into A, the mirrored landscape and sky
// into B, the water plane from A and B, then the terrain itself; a fifth draws
// the sky where nothing else did. The terrain mesh is not a node of the world;
// only the steps draw it.
#include "engine/k_SyncValue.h"
#include "scene/k_World.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class IMaterial;
class IMeshBuffer;
class IRenderable;
class ICamera;
class ILight;
class k_FirstRenderStep;
class k_SecondRenderStep;
class k_ThirdRenderStep;
class k_FourthRenderStep;
class k_SkyRenderStep;

class k_TerrainWorld : public k_World
{
public:
    static constexpr int k_GridQuads = 192;

    explicit k_TerrainWorld(IEngine* engine);
    ~k_TerrainWorld() override;

    // Makes the light, the camera, the terrain mesh and the four steps; throws a wide message naming
    // anything the resource factory could not make.
    void Build() override;
    // Sky clear colour, the light's breathing diffuse colour and the camera's circle, from demo time; the
    // camera looks at the lake's centre but never further down than PitchFor allows. The sync
    // tracks "camera:x", "camera:y", "camera:z" move the camera off its circle and "camera:look_x",
    // "camera:look_y", "camera:look_z" its target off the lake's centre, in world units, where they have keys.
    void Update() override;
    // The names of the camera's sync tracks, in the order above.
    static const std::array<const char*, 6> CameraTrackNames;

    IMeshBuffer* GetTerrainMesh() const { return m_terrainMesh; }
    IMaterial* GetTerrainMaterial() const { return m_terrainMaterial; }
    ILight* GetLight() const { return m_light; }
    k_FirstRenderStep* GetFirstStep() const { return m_first.get(); }
    k_SecondRenderStep* GetSecondStep() const { return m_second.get(); }
    k_ThirdRenderStep* GetThirdStep() const { return m_third.get(); }
    k_FourthRenderStep* GetFourthStep() const { return m_fourth.get(); }
    k_SkyRenderStep* GetSkyStep() const { return m_sky.get(); }

    // How far (radians, positive down) the camera looks down at a target lying `drop` below it and
    // `distance` away across the ground: straight at it while that is a gentle angle, then ever less steeply,
    // never beyond k_MaxPitch, so the horizon stays in the frame when the path skims close by the island.
    static constexpr double k_GentlePitch = 0.13;
    static constexpr double k_MaxPitch = 0.2;
    static double PitchFor(double drop, double distance);
    // How far the camera rises above its flying height 12 at `distance` from the lake's centre: not at all
    // beyond k_LiftReach, smoothly up to k_MaxLift over the centre, so that the pass by the central island
    // climbs over its shoulder and looks down on it, across the lake to the far shore, instead of into its
    // slopes (the path comes within 17 units of the centre at 43.5 s).
    static constexpr double k_LiftReach = 55.0;
    static constexpr double k_MaxLift = 30.0;
    static double LiftFor(double distance);

    // The grid's vertices (position, texture coordinate: 5 floats each), four per quad, row by row.
    static std::vector<float> GridVertices();

private:
    IMeshBuffer* m_terrainMesh = nullptr;
    IMaterial* m_terrainMaterial = nullptr;
    ILight* m_light = nullptr;
    std::unique_ptr<k_FirstRenderStep> m_first;
    std::unique_ptr<k_SecondRenderStep> m_second;
    std::unique_ptr<k_ThirdRenderStep> m_third;
    std::unique_ptr<k_FourthRenderStep> m_fourth;
    std::unique_ptr<k_SkyRenderStep> m_sky;
    std::array<k_SyncValue, 6> m_cameraTracks;
};
