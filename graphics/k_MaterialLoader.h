#pragma once
// Reads a material script into the passes of a material: "material" sections
// become passes, "vertexshader", "pixelshader" and "geometryshader" sections
// ("{{" ... "}}") become inline shaders keyed "<script>:<name>", "include"
// sections name further scripts read after this one, depth first, into the
// same material. Shaders, programs and textures come from the resource
// factory. Unknown sections and keys and malformed lines are logged with
// file and line and skipped; the rest of the file is still read. Each such
// mistake is also noted on the material as "file:line: message", so that a
// reload can refuse a script the loading only warned about.
#include "engine/k_Log.h"
#include "graphics/k_CFileLoader.h"
#include "graphics/k_MaterialPass.h"
#include "interfaces/r_PrimitiveTopology.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class IShader;
class k_Material;

class k_MaterialLoader : public k_CFileLoader
{
public:
    // Reads the script, then its includes, into the material; all the work happens here.
    k_MaterialLoader(IEngine* engine, k_Material* material, const std::wstring& fileName);
    // Reads the script and its includes without making anything (no shader, program or texture) and returns
    // the mistakes the reading finds, as "file:line: message" (a reload refuses a script that has any).
    static std::vector<std::string> Check(IEngine* engine, const std::wstring& fileName);
    ~k_MaterialLoader() override;

    bool BeginSection(const std::string& name, const std::vector<std::string>& tokens) override;
    bool ParseLine(const std::vector<std::string>& tokens, const std::string& line) override;
    // Keeps a shader section's blank lines, so that the compiler's line numbers are the script's.
    bool ParseTokenlessLine(const std::string& line) override;
    bool EndSection(const std::string& name) override;

    // The leading decimal number of a token (sign, digits, fraction, exponent); 0 when there is none.
    static float ParseFloat(const std::string& token);
    // The leading decimal integer of a token; 0 when there is none; clamped to the int range.
    static int ParseInt(const std::string& token);
    // GL compare function of "never", "less", ... "always"; 0 for "disabled" and anything else.
    static unsigned int ParseCompare(const std::string& token);
    // GL face of "front", "back" and "all" (which means back); 0 (culling off) for anything else.
    static unsigned int ParseCulling(const std::string& token);
    // GL blend factor of "zero", "one", "srccolor", ...; 0 (zero) for anything else.
    static unsigned int ParseBlend(const std::string& token);
    // GL wrap mode of "clamp", "repeat", "mirror"; clamp for anything else.
    static unsigned int ParseWrap(const std::string& token);

    // Includes nested deeper than this, or past this many scripts for one material, are skipped with a red
    // line: real materials include one or two levels, and a hostile pack must not make loading last forever.
    static constexpr int k_MaxIncludeDepth = 16;
    static constexpr int k_MaxScripts = 64;

private:
    enum State
    {
        None = 0,
        Material = 1,
        Include = 2,
        VertexShader = 3,
        GeometryShader = 4,
        PixelShader = 5,
        Skipped = 6, // a malformed header: the body is read over and the end does nothing
    };

    // The include chain being read (outermost first; guards against loops and depth) and the scripts read so
    // far for this material (guards against an include fan-out that grows with every level).
    struct Includes
    {
        std::vector<std::wstring> chain;
        int scriptsRead = 0;
        bool checking = false; // Check: nothing is made
    };
    // Reads one script of the include chain.
    k_MaterialLoader(IEngine* engine, k_Material* material, const std::wstring& fileName, Includes& includes);
    void Run(Includes& includes);
    void ParseMaterialKey(const std::vector<std::string>& tokens);
    void SetTextureSlot(const std::vector<std::string>& tokens, bool load);
    // " at <file>:<line>" for messages about the line being read.
    std::string Where() const;
    // Logs a mistake in the script (at the line being read, or about the whole file) and notes it on the
    // material.
    void Mistake(k_Log::Colour colour, const std::string& message, bool atLine = true);

    int m_state = None;
    k_Material* m_material;
    IShader* m_vertexShader = nullptr;
    IShader* m_pixelShader = nullptr;
    IShader* m_geometryShader = nullptr;
    std::unique_ptr<k_MaterialPass> m_pass;
    std::vector<std::wstring> m_callbackNames;
    std::vector<std::wstring> m_includes;
    std::wstring m_fileName;
    bool m_checking = false;
    std::string m_source;
    std::wstring m_shaderName;
    r_PrimitiveTopology m_geometryInput;
    r_PrimitiveTopology m_geometryOutput;
    int m_geometryMaxVertices = 0;
    std::map<std::wstring, IShader*> m_inlineShaders;
};
