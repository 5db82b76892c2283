#pragma once
// A material: a list of passes, each a full set of fixed-function state,
// texture slots and an optional shader program, meant for one world (by its
// name) or for any world. Meshes apply the pass chosen for the world being
// rendered before they draw.
#include <vector>

class k_MaterialPass;
class IWorld;

class IMaterial
{
public:
    // Deletes the passes.
    virtual ~IMaterial() = default;

    // Applies the pass chosen for the current world; false (and nothing changed) when there is none.
    virtual bool Apply() = 0;
    // Takes the pass: replaces the first pass with the same target in place, else appends.
    virtual void AddPass(k_MaterialPass* pass) = 0;
    // The passes in the order they were added.
    virtual std::vector<k_MaterialPass*>& GetPasses() = 0;
    // The first pass targeting the world (the current world when null), else the first default pass, else null.
    virtual k_MaterialPass* FindPass(IWorld* world) = 0;
};
