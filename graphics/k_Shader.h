#pragma once
// One GLSL shader object compiled from a file of the data pack or from text.
// Compile failures are logged (with the driver's info log, its line numbers
// pointing at the source file) and never raised.
//
// Geometry shaders take their input and output primitive topologies and their
// vertex limit from SetGeometryParameters. Where the driver offers
// GL_EXT_geometry_shader4 they are handed to the program before linking;
// elsewhere they are written into the GLSL source as layout qualifiers, so a
// geometry shader is compiled when its parameters are set.
#include "interfaces/IShader.h"

#include <string>
#include <string_view>

class IEngine;

class k_Shader : public IShader
{
public:
    // Reads the source from the file (logs "Cannot read from file: " and keeps handle 0 when it cannot).
    k_Shader(IEngine* engine, r_ShaderType type, const std::wstring& fileName);
    // Compiles the source text; name is used in log lines.
    k_Shader(IEngine* engine, r_ShaderType type, const std::wstring& name, std::string source);
    ~k_Shader() override;
    k_Shader(const k_Shader&) = delete;
    k_Shader& operator=(const k_Shader&) = delete;

    r_ShaderType GetType() override;
    unsigned int GetHandle() override;
    void SetGeometryParameters(r_PrimitiveTopology input, r_PrimitiveTopology output, int maxOutputVertices) override;
    void GetGeometryParameters(r_PrimitiveTopology& input, r_PrimitiveTopology& output,
                               int& maxOutputVertices) override;

    // --- compiling again (live reload) ---
    // Compiles the new source into a new shader object. When it compiles, the old object goes and true is
    // returned; when it does not, the errors are logged, kept for GetLastErrors, and the old object stays in
    // use (unless it had not compiled either). The same source again does nothing. Programs must be linked again
    // to take the new object.
    bool Recompile(const std::string& source);
    // A shader read from a file: reads the file again and recompiles; false when unreadable or failing.
    bool ReloadFile();
    // The source the shader was last compiled from (without geometry layout qualifiers).
    const std::string& GetSource() const { return m_source; }
    // The file the shader was read from, or empty for a shader made from text.
    std::wstring GetFileName() const { return m_fromFile ? m_name : std::wstring(); }
    // Whether the shader object in use compiled.
    bool IsCompiled() const { return m_compiled; }
    // Not compiled, and not waiting for its geometry parameters to be compiled: GetLastErrors says why.
    bool HasFailed() const;
    // The errors of the last compile that failed, as "file:line:column: message" lines where the driver gave them.
    const std::string& GetLastErrors() const { return m_lastErrors; }

    // Longer sources are refused before the driver sees them (logged like a compile failure; no GL shader is
    // made): no shader of ours comes near, and the compiler's time grows with the text.
    static constexpr size_t k_MaxSourceBytes = 256 * 1024;

    // Whether the driver itself lists GL_EXT_geometry_shader4 (asked once per process).
    static bool DriverHasGeometryShader4();
    // The source with layout qualifiers for the geometry parameters put at the start of its first line of
    // code (after the #version and other directives), on that same line so line numbers stay.
    static std::string InjectGeometryLayout(const std::string& source, r_PrimitiveTopology input,
                                            r_PrimitiveTopology output, int maxOutputVertices);
    // The driver's info log with each "0:LINE(COL): " prefix written as "file:LINE:COL: ". Given the source
    // compiled, COL becomes the column (in characters) of that line of the source: the driver counts columns
    // in its preprocessed text, where a run of blanks is one space.
    static std::string FormatInfoLog(const std::string& infoLog, const std::string& fileName,
                                     std::string_view source = {});
    // The column (from 1, in characters) in a source line of what a preprocessed column points at.
    static int SourceColumn(std::string_view line, int preprocessedColumn);

private:
    void Compile(const std::string& source);

    IEngine* m_engine;
    std::wstring m_name;
    r_ShaderType m_type;
    unsigned int m_handle = 0;
    bool m_geometryParametersSet = false;
    r_PrimitiveTopology m_inputTopology = r_PrimitiveTopology::Point;
    r_PrimitiveTopology m_outputTopology = r_PrimitiveTopology::Point;
    int m_maxOutputVertices = 0;
    // Kept only for geometry shaders on drivers without GL_EXT_geometry_shader4 (compiled once parameters
    // are known).
    std::string m_deferredSource;
    bool m_hasSource = false;
    bool m_fromFile = false;
    std::string m_source;
    bool m_compiled = false;
    std::string m_lastErrors;
};
