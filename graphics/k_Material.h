#pragma once
// A material: passes read from a material script, each for one world or
// for any world. Created and cached by name by the resource factory only.
#include "interfaces/IMaterial.h"

#include <map>
#include <string>
#include <vector>

class IEngine;
class IShaderProgram;

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

    // --- live reload ---
    // The script the material was made from (empty for none).
    const std::wstring& GetFileName() const { return m_fileName; }
    // Every script read into the material: the first, then its includes as they were read.
    const std::vector<std::wstring>& GetScripts() const { return m_scripts; }
    void AddScript(const std::wstring& fileName) { m_scripts.push_back(fileName); }
    void SetScripts(std::vector<std::wstring> scripts) { m_scripts = std::move(scripts); }
    // The mistakes found while reading the scripts ("file:line: message"): loading skipped those lines.
    const std::vector<std::string>& GetScriptErrors() const { return m_scriptErrors; }
    void AddScriptError(std::string error) { m_scriptErrors.push_back(std::move(error)); }
    // What keeps the material from drawing as its scripts say (a script that cannot be read, a shader named but
    // not defined, a texture that cannot be loaded, an include refused), as "file[:line]: message".
    const std::vector<std::string>& GetFailures() const { return m_failures; }
    void AddFailure(std::string failure) { m_failures.push_back(std::move(failure)); }
    // Takes the passes of a material made again from the same script. A pass for the same target keeps its
    // object (worlds and meshes point to it) and takes the new state, textures and program; texture slots the
    // new script only reserves keep what code put into them. The program keeps its object too: it is moved
    // onto the new one's link, keeping the uniform values code gave it. A pass the script gives no shaders
    // any more draws without a program (its program rests, and comes back when shaders do). New targets are
    // added; passes the script no longer has stay as they were. Returns the programs of the fresh material that are no
    // longer used (the caller's factory releases them).
    std::vector<IShaderProgram*> TakePassesOf(k_Material& fresh);

private:
    IEngine* m_engine;
    std::wstring m_fileName;
    std::vector<std::wstring> m_scripts;
    std::vector<std::string> m_scriptErrors;
    std::vector<std::string> m_failures;
    std::vector<k_MaterialPass*> m_passes;
    // By target: the programs of passes whose script dropped their shaders (the factory owns them).
    std::map<std::string, IShaderProgram*> m_restingPrograms;
};
