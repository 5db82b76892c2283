#pragma once
// A material: passes read from a material script, each for one world or
// for any world. Created and cached by name by the resource factory only.
#include "interfaces/IMaterial.h"

#include <string>
#include <vector>

class IEngine;

class k_Material : public IMaterial
{
public:
    // Reads the script (and its includes) into passes; an empty file name gives a material without passes.
    // Errors raised by the script's topologies or geometry parameters leave the constructor.
    k_Material(IEngine* engine, const std::wstring& fileName);
    ~k_Material() override;
    k_Material(const k_Material&) = delete;
    k_Material& operator=(const k_Material&) = delete;

    bool Apply() override;
    void AddPass(k_MaterialPass* pass) override;
    std::vector<k_MaterialPass*>& GetPasses() override;
    k_MaterialPass* FindPass(IWorld* world) override;

    // The engine the passes draw with.
    IEngine* GetEngine() const { return m_engine; }

private:
    IEngine* m_engine;
    std::vector<k_MaterialPass*> m_passes;
};
