#pragma once
// A bone of a skinned skeleton (see IBone). The skinning matrix of a bone at a
// time is its global transformation (its animated local transformation placed
// under the parent's global one) with the inverse bind matrix applied first,
// so a vertex of the bind pose moves with the bone. Every evaluation writes the
// result into the root's matrix array at the bone's index.
#include "interfaces/IBone.h"
#include "math/k_Matrix.h"
#include "math/k_VectorUA.h"

#include <map>
#include <string>
#include <vector>

class IEngine;

class alignas(16) k_Bone : public IBone
{
public:
    // The bind matrix is R∘(T∘S) of the rotation quaternion, the position (x, y, z, w) and the scale.
    k_Bone(IEngine* engine, const std::wstring& name, int index, const k_VectorUA& position, float scaleX, float scaleY,
           float scaleZ, const k_VectorUA& rotation);
    ~k_Bone() override;
    k_Bone(const k_Bone&) = delete;
    k_Bone& operator=(const k_Bone&) = delete;

    const float* GetTransformation(float time, int stamp) override;
    const float* GetBindMatrix() override;
    void SetParent(IBone* parent) override;
    IBone* GetParent() override;
    std::vector<IBone*>* GetChildren() override;
    std::wstring GetName() override;
    int GetIndex() override;
    void SetAnimation(ITransformationAnimation* animation) override;
    ITransformationAnimation* GetAnimation() override;
    std::map<int, IBone*>* GetBoneMap() override;
    float* GetMatrices() override;
    int GetMatrixCount() override;
    int GetHandle() override;

    // The bone attached under the handle, or null (0, unknown or destroyed).
    static IBone* FromHandle(int handle);
    // The inverse bind matrix.
    const float* GetInverseBindMatrix() const { return m_inverseBind.Data(); }

private:
    // Forgets the cached matrix of this bone and of every bone below it.
    void Invalidate();
    IBone* Root();
    void FillMap(IBone* bone);

    IEngine* m_engine;
    std::wstring m_name;
    int m_index;
    int m_handle;
    k_Matrix m_bind;
    k_Matrix m_inverseBind;
    k_Matrix m_cached;
    float m_cachedTime = -1.0f;
    int m_cachedStamp = 0;
    bool m_cacheValid = false;
    std::vector<IBone*> m_children;
    IBone* m_parent = nullptr;
    ITransformationAnimation* m_animation = nullptr;
    std::map<int, IBone*> m_boneMap;
    k_Matrix* m_matrices = nullptr;
    int m_matrixCount = 0;
};
