#pragma once
// The landscape's height field: a lake in the middle with wooded islands,
// hills around it and a ring of ridged mountains at the edge of the 192 x 192
// unit grid. The camera circles low over the lake, so the ground stays under
// the water wherever it flies during the landscape scene.
//
// Texel (i, j) holds the ground at world x = i - 96, z = j - 96; texels 0..192
// cover the grid, the rest of the 256 x 256 picture continues the field. The
// picture stores the height as 16 bits (red high byte, green low byte, 0..64
// world units) and the surface normal's x and z (blue, alpha; 0.5 is zero).
#include <cstdint>
#include <vector>

class k_TerrainShape
{
public:
    static constexpr int k_Size = 256;
    static constexpr float k_Origin = 96.0f;    // world x and z of texel 0 are -k_Origin
    static constexpr float k_MaxHeight = 64.0f; // heights are stored in 0..k_MaxHeight
    static constexpr float k_Water = 9.0f;      // height of the water plane
    // The landscape is seen from ... to ... seconds of demo time, unless the show file says otherwise (its
    // switches "landscape-on" and "plasma-on": see orvelant_terraingen).
    static constexpr double k_SceneStart = 27.0;
    static constexpr double k_SceneEnd = 76.6;

    // The ground carved along the camera's track from 3 s before sceneStart to 3 s after sceneEnd.
    explicit k_TerrainShape(double sceneStart = k_SceneStart, double sceneEnd = k_SceneEnd);

    // Height at texel (i, j), clamped to the picture.
    float Height(int i, int j) const;
    // Height at world (x, z), interpolated between texels as a vertex sees it.
    float HeightAt(float x, float z) const;
    // The world's camera position (x, z) at a demo time (it flies at height 12).
    static void CameraAt(double seconds, float& x, float& z);
    // The picture: RGBA rows from the top, as described above. Textures are uploaded bottom row first,
    // so the picture's last row is texel row 0 (z = -96): its first row holds texel row 255.
    std::vector<uint8_t> Encode() const;
    // Height as decoded from an encoded texel's red and green bytes.
    static float Decode(uint8_t high, uint8_t low);

private:
    std::vector<float> m_heights;
};
