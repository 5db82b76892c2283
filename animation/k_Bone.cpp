#include "animation/k_Bone.h"

#include "engine/k_Log.h"
#include "interfaces/ITransformationAnimation.h"
#include "math/k_Quaternion.h"

#include <algorithm>
#include <new>

namespace
{
// Live bones by handle. The callback's value is a 32-bit int, too small for a
// pointer, so programs are given a bone's handle and the callback looks it up.
// The map is never destroyed: bones owned by an object of static lifetime may
// be destroyed at exit after any function-local static.
std::map<int, k_Bone*>& Handles()
{
    static auto* handles = new std::map<int, k_Bone*>;
    return *handles;
}

int NextHandle()
{
    static int next = 0;
    return ++next;
}
} // namespace

// --- construction ---

k_Bone::k_Bone(IEngine* engine, const std::wstring& name, int index, const k_VectorUA& position, float scaleX,
               float scaleY, float scaleZ, const k_VectorUA& rotation)
    : m_engine(engine), m_name(name), m_index(index), m_handle(NextHandle())
{
    const k_Matrix t = k_Matrix::Translation(position);
    const k_Matrix s = k_Matrix::Scale(scaleX, scaleY, scaleZ);
    const k_Matrix r = k_Quaternion::ToMatrix(rotation);
    m_bind = r * (t * s);
    m_inverseBind = m_bind.Inverse();
    Handles()[m_handle] = this;
}

k_Bone::~k_Bone()
{
    Handles().erase(m_handle);
    ::operator delete[](m_matrices, std::align_val_t(alignof(k_Matrix)));
}

IBone* k_Bone::FromHandle(int handle)
{
    auto found = Handles().find(handle);
    return found == Handles().end() ? nullptr : found->second;
}

int k_Bone::GetHandle()
{
    return m_handle;
}

// --- the tree ---

void k_Bone::SetParent(IBone* parent)
{
    // A bone cannot hang below itself: evaluating or mapping the tree would never end.
    for (IBone* above = parent; above != nullptr; above = above->GetParent())
        if (above == this)
        {
            k_Log(k_Log::Colour::Error) << "Bone: " << m_name << " cannot be a child of itself or of a bone below it.";
            return;
        }
    if (m_parent != nullptr)
    {
        std::vector<IBone*>* siblings = m_parent->GetChildren();
        auto found = std::find(siblings->begin(), siblings->end(), this);
        if (found != siblings->end())
            siblings->erase(found);
    }
    m_parent = parent;
    if (parent != nullptr)
        parent->GetChildren()->push_back(this);
    Invalidate();
}

IBone* k_Bone::GetParent()
{
    return m_parent;
}

std::vector<IBone*>* k_Bone::GetChildren()
{
    return &m_children;
}

std::wstring k_Bone::GetName()
{
    return m_name;
}

int k_Bone::GetIndex()
{
    return m_index;
}

IBone* k_Bone::Root()
{
    IBone* bone = this;
    while (bone->GetParent() != nullptr)
        bone = bone->GetParent();
    return bone;
}

// --- animation ---

void k_Bone::SetAnimation(ITransformationAnimation* animation)
{
    m_animation = animation;
    Invalidate();
}

ITransformationAnimation* k_Bone::GetAnimation()
{
    return m_animation;
}

void k_Bone::Invalidate()
{
    m_cacheValid = false;
    m_cachedTime = -1.0f;
    m_cached = k_Matrix();
    for (IBone* child : m_children)
        if (auto* bone = dynamic_cast<k_Bone*>(child))
            bone->Invalidate();
}

const float* k_Bone::GetBindMatrix()
{
    return m_bind.Data();
}

// Global transformation G = L∘Gp (the local animated transformation under the
// parent's global one, Gp = Bp∘Sp recovered from the parent's skinning matrix);
// skinning matrix S = B⁻¹∘G. A bone without an animation keeps its bind pose
// relative to its parent, so its skinning matrix is the parent's (identity for
// a root): a bone that is not animated follows the bone it hangs from.
const float* k_Bone::GetTransformation(float time, int stamp)
{
    if (m_cacheValid && time == m_cachedTime && stamp == m_cachedStamp)
        return m_cached.Data();

    k_Matrix parentSkin;
    k_Matrix parentGlobal;
    if (m_parent != nullptr)
    {
        parentSkin = k_Matrix(m_parent->GetTransformation(time, stamp));
        parentGlobal = k_Matrix(m_parent->GetBindMatrix()) * parentSkin;
    }
    if (m_animation != nullptr)
        m_cached = m_inverseBind * (m_animation->GetTransformation(time) * parentGlobal);
    else
        m_cached = parentSkin;
    m_cachedTime = time;
    m_cachedStamp = stamp;
    m_cacheValid = true;

    // Into the root's array, once that exists (it is made when a program first uploads the skeleton).
    if (auto* root = dynamic_cast<k_Bone*>(Root()); root != nullptr && root->m_matrices != nullptr)
    {
        auto found = root->m_boneMap.find(m_index);
        if (m_index >= 0 && m_index < root->m_matrixCount && found != root->m_boneMap.end() && found->second == this)
            root->m_matrices[m_index] = m_cached;
    }
    return m_cached.Data();
}

// --- the root's map and matrices ---

std::map<int, IBone*>* k_Bone::GetBoneMap()
{
    if (m_parent != nullptr)
        return m_parent->GetBoneMap();
    if (m_boneMap.empty())
        FillMap(this);
    return &m_boneMap;
}

void k_Bone::FillMap(IBone* bone)
{
    m_boneMap[bone->GetIndex()] = bone;
    for (IBone* child : *bone->GetChildren())
        FillMap(child);
}

// One matrix per index from 0 to the highest index in the map, so a shader
// can use a bone's index directly even when the indices have gaps (the
// places of missing indices stay identities). Bones of negative index get
// no matrix.
float* k_Bone::GetMatrices()
{
    if (m_parent != nullptr)
        return m_parent->GetMatrices();
    if (m_matrices == nullptr)
    {
        const std::map<int, IBone*>& map = *GetBoneMap();
        const int highest = map.rbegin()->first;
        m_matrixCount = highest < 0 ? 0 : highest + 1;
        m_matrices = static_cast<k_Matrix*>(
            ::operator new[](sizeof(k_Matrix) * std::max(m_matrixCount, 1), std::align_val_t(alignof(k_Matrix))));
        for (int i = 0; i < std::max(m_matrixCount, 1); ++i)
            new (&m_matrices[i]) k_Matrix();
    }
    return m_matrices[0].Data();
}

int k_Bone::GetMatrixCount()
{
    if (m_parent != nullptr)
        return m_parent->GetMatrixCount();
    GetMatrices();
    return m_matrixCount;
}
