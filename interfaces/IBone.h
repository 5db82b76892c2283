#pragma once
// One bone of a skeleton for vertex skinning: a name, an index (its slot in
// the skeleton's matrix array), a bind transformation, an optional
// transformation animation, a parent and children. The root of a tree keeps
// the map of every bone by index and the array of matrices that the "bones"
// shader callback uploads as "bonematrix". Made and owned by the resource
// factory; bones point to each other and to their animation without owning.
//
// Matrices are 16 floats in the engine's storage order with the translation in
// elements 3, 7 and 11; a shader applies one to a position as row vector times
// matrix (vec4(position, 1.0) * bonematrix[i]).
#include <map>
#include <string>
#include <vector>

class ITransformationAnimation;

class IBone
{
public:
    // Frees what the bone holds; the bones, animation and parent it points to are untouched.
    virtual ~IBone() = default;

    // The skinning matrix at the time: the bone's transformation (its parent's at the same time composed with
    // its own animated one) composed with its inverse bind matrix. Also written into the root's matrix array at
    // the bone's index. Computed once per (time, stamp); pass a new stamp to see changes made since.
    virtual const float* GetTransformation(float time, int stamp) = 0;
    // The bind matrix R∘(T∘S) built from the construction values.
    virtual const float* GetBindMatrix() = 0;
    // Leaves the old parent's children, stores the parent (null for a root) and joins its children.
    virtual void SetParent(IBone* parent) = 0;
    // The parent, or null for a root.
    virtual IBone* GetParent() = 0;
    // The children in the order they were attached.
    virtual std::vector<IBone*>* GetChildren() = 0;
    // A copy of the name.
    virtual std::wstring GetName() = 0;
    // The slot of the bone in the matrix array.
    virtual int GetIndex() = 0;
    // Stores the animation (not owned; null for none) and forgets the cached matrix.
    virtual void SetAnimation(ITransformationAnimation* animation) = 0;
    // The animation, or null.
    virtual ITransformationAnimation* GetAnimation() = 0;
    // The root's map from index to bone, built depth first on its first use and fixed from then on.
    virtual std::map<int, IBone*>* GetBoneMap() = 0;
    // The root's matrix array (one per map entry, identities at first), made on first use.
    virtual float* GetMatrices() = 0;
    // The number of matrices in the root's array (making it if needed).
    virtual int GetMatrixCount() = 0;
    // The number to attach the "bones" shader callback with to upload this bone's skeleton; never 0.
    virtual int GetHandle() = 0;
};
