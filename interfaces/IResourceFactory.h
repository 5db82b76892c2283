#pragma once
// The only place where the engine's resources and scene objects are made.
//
// Ownership: the resource factory owns every object it makes (and every shader
// callback it accepts) until the engine destroys it; nothing is released
// earlier. Nodes, worlds, materials, passes and programs hold plain
// non-owning pointers to what the factory made. Callers never delete them.
//
// Textures, materials, shaders and transformation animations are cached by
// name: asking twice returns the same object. Everything else is made anew
// on each call. A creating operation that fails returns null and caches
// nothing; no error escapes it.
#include "interfaces/IPath.h"
#include "interfaces/r_ShaderType.h"
#include "math/k_VectorUA.h"

#include <string>
#include <vector>

class ITexture;
class IMaterial;
class IShader;
class IShaderProgram;
class IShaderCallback;
class IRenderable;
class IMeshBuffer;
class IText;
class ICamera;
class ILight;
class IRenderTarget;
class ITransformationAnimation;
class IBone;
class IBillboard;
class IBillboardBatch;
class IVoxelBox;

class IResourceFactory
{
public:
    // Deletes everything the factory owns, group by group.
    virtual ~IResourceFactory() = default;

    // Logs that the factory is ready; called once by the engine's Initialize.
    virtual void Initialize() = 0;
    // What failed among the things made so far, one message each ("file:line:column: ..." for shaders):
    // materials that could not be made or cannot draw as written, shaders that did not compile, programs that
    // did not link. Empty when all is well (a program's start-up checks it: see k_Application).
    virtual std::vector<std::string> GetFailures() const = 0;
    // The texture cached under name, else a JPEG or PNG texture loaded from fileName; null on failure.
    // Owned by the factory.
    virtual ITexture* CreateTexture(const std::wstring& name, const std::wstring& fileName) = 0;
    // The material cached under name, else one loaded from the material script fileName; null on failure.
    // Owned by the factory.
    virtual IMaterial* CreateMaterial(const std::wstring& name, const std::wstring& fileName) = 0;
    // The shader cached under key, else one compiled from source and named displayName; null on failure.
    // Owned by the factory.
    virtual IShader* CreateShaderFromSource(const std::wstring& key, r_ShaderType type, const std::wstring& displayName,
                                            std::string source) = 0;
    // The shader cached under name, else one compiled from the file; null on failure. Owned by the factory.
    virtual IShader* CreateShader(const std::wstring& name, r_ShaderType type, const std::wstring& fileName) = 0;
    // The transformation animation cached under name, else a new one without keys; null on failure.
    // Owned by the factory.
    virtual ITransformationAnimation* CreateTransformationAnimation(const std::wstring& name) = 0;
    // A new program linked from the shaders (never cached); null on failure. Owned by the factory.
    virtual IShaderProgram* CreateShaderProgram(std::vector<IShader*> shaders) = 0;
    // A new grouping node that draws nothing itself. Owned by the factory.
    virtual IRenderable* CreateEmptyRenderable() = 0;
    // A new empty mesh buffer (topology Triangle); the object is also a node (dynamic_cast to IRenderable).
    // Owned by the factory.
    virtual IMeshBuffer* CreateMeshBuffer() = 0;
    // A new billboard (no texture, fixed facing); the object is also a node (dynamic_cast to IRenderable).
    // Owned by the factory.
    virtual IBillboard* CreateBillboard() = 0;
    // A new camera looking from (0, 0, -5) at the origin with up +y. Owned by the factory.
    virtual ICamera* CreateCamera() = 0;
    // A new light: no ambient, white diffuse and specular, at the origin, no spot, no attenuation.
    // Owned by the factory.
    virtual ILight* CreateLight() = 0;
    // A new billboard batch with room for capacity billboards (at least 1), drawn with the material; null on
    // failure. The object is also a node (dynamic_cast to IRenderable). Owned by the factory.
    virtual IBillboardBatch* CreateBillboardBatch(int capacity, IMaterial* material) = 0;
    // CreateRenderTarget, then a first colour texture of the format code; null on failure. Owned by the factory.
    virtual IRenderTarget* CreateRenderTargetWithTexture(int width, int height, int format) = 0;
    // A new render target of the size with a depth buffer and no colour texture yet; null on failure.
    // Owned by the factory.
    virtual IRenderTarget* CreateRenderTarget(int width, int height) = 0;
    // A new bone whose bind matrix is made of the position, scale (x, y, z) and rotation quaternion; null on
    // failure. Owned by the factory.
    virtual IBone* CreateBone(const std::wstring& name, int index, const k_VectorUA& position, const k_VectorUA& scale,
                              const k_VectorUA& rotation) = 0;
    // A new voxel box of width x height x depth samples holding the initial field; null on failure. The object
    // is also a node (dynamic_cast to IRenderable). Owned by the factory.
    virtual IVoxelBox* CreateVoxelBox(int width, int height, int depth) = 0;
    // A new text node drawing the text as extruded letters of the font (see IText); null when no font can
    // be opened. The object is also a node (dynamic_cast to IRenderable). Owned by the factory.
    virtual IText* CreateText(const std::string& text, const std::wstring& fontName, int height, float depth,
                              int style) = 0;
    // A new vector path without keys (linear). Owned by the factory.
    virtual IPath<k_VectorUA>* CreateVectorPath() = 0;
    // A new float path without keys (linear). Owned by the factory.
    virtual IPath<float>* CreateFloatPath() = 0;
    // Takes ownership of the callback under its name; false (caller keeps it) when null or the name is taken.
    virtual bool RegisterShaderCallback(IShaderCallback* callback) = 0;
    // The registered callback of that name, or null.
    virtual IShaderCallback* FindShaderCallback(const std::wstring& name) = 0;
};
