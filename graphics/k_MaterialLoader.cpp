#include "graphics/k_MaterialLoader.h"

#include "engine/k_Log.h"
#include "engine/k_Utf8.h"
#include "graphics/k_Material.h"
#include "interfaces/IEngine.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShader.h"
#include "interfaces/IShaderProgram.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <charconv>
#include <climits>
#include <system_error>

namespace
{
constexpr const char* k_Label = "MaterialLoader: ";

struct Name
{
    const char* text;
    unsigned int value;
};

unsigned int Lookup(const Name* table, size_t count, const std::string& token, unsigned int otherwise)
{
    for (size_t i = 0; i < count; ++i)
        if (token == table[i].text)
            return table[i].value;
    return otherwise;
}

// The parameters of a header: the tokens after the kind, without a closing "{" or "{{".
size_t HeaderParameters(const std::vector<std::string>& tokens)
{
    size_t count = tokens.size() - 1;
    if (count > 0 && (tokens.back() == "{" || tokens.back() == "{{"))
        --count;
    return count;
}

// The largest texture unit GL offers to shaders.
int MaxTextureUnits()
{
    GLint units = 0;
    glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS, &units);
    return units > 0 ? units : 16;
}
} // namespace

// --- values ---

float k_MaterialLoader::ParseFloat(const std::string& token)
{
    size_t i = 0;
    if (i < token.size() && (token[i] == '+' || token[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < token.size() && token[i] >= '0' && token[i] <= '9')
        ++i, ++digits;
    if (i < token.size() && token[i] == '.')
    {
        ++i;
        while (i < token.size() && token[i] >= '0' && token[i] <= '9')
            ++i, ++digits;
    }
    if (digits == 0)
        return 0.0f;
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E'))
    {
        size_t j = i + 1;
        if (j < token.size() && (token[j] == '+' || token[j] == '-'))
            ++j;
        if (j < token.size() && token[j] >= '0' && token[j] <= '9')
        {
            while (j < token.size() && token[j] >= '0' && token[j] <= '9')
                ++j;
            i = j;
        }
    }
    // from_chars reads the same text whatever the process locale (strtof would stop at the "." of
    // "0.85" under a comma-decimal locale); it takes no "+".
    const char* first = token.data() + (token[0] == '+' ? 1 : 0);
    const char* last = token.data() + i;
    float value = 0.0f;
    if (std::from_chars(first, last, value).ec == std::errc::result_out_of_range)
    {
        // Too large or too small for a float: infinity or zero, as the wider type rounds it.
        long double wide = 0.0L;
        if (std::from_chars(first, last, wide).ec == std::errc())
            value = static_cast<float>(wide);
    }
    return value;
}

int k_MaterialLoader::ParseInt(const std::string& token)
{
    size_t i = 0;
    if (i < token.size() && (token[i] == '+' || token[i] == '-'))
        ++i;
    const size_t first = i;
    while (i < token.size() && token[i] >= '0' && token[i] <= '9')
        ++i;
    if (i == first)
        return 0;
    int value = 0;
    const char* begin = token.data() + (token[0] == '+' ? 1 : 0);
    if (std::from_chars(begin, token.data() + i, value).ec == std::errc::result_out_of_range)
        return token[0] == '-' ? INT_MIN : INT_MAX;
    return value;
}

unsigned int k_MaterialLoader::ParseCompare(const std::string& token)
{
    static constexpr Name k_Table[] = {
        {"never", GL_NEVER},      {"disabled", 0},         {"less", GL_LESS},         {"equal", GL_EQUAL},
        {"lessequal", GL_LEQUAL}, {"greater", GL_GREATER}, {"notequal", GL_NOTEQUAL}, {"greaterequal", GL_GEQUAL},
        {"always", GL_ALWAYS},
    };
    return Lookup(k_Table, std::size(k_Table), token, 0);
}

unsigned int k_MaterialLoader::ParseCulling(const std::string& token)
{
    static constexpr Name k_Table[] = {{"none", 0}, {"front", GL_FRONT}, {"back", GL_BACK}, {"all", GL_BACK}};
    return Lookup(k_Table, std::size(k_Table), token, 0);
}

unsigned int k_MaterialLoader::ParseBlend(const std::string& token)
{
    static constexpr Name k_Table[] = {
        {"zero", GL_ZERO},
        {"one", GL_ONE},
        {"srccolor", GL_SRC_COLOR},
        {"oneminussrccolor", GL_ONE_MINUS_SRC_COLOR},
        {"srcalpha", GL_SRC_ALPHA},
        {"oneminussrcalpha", GL_ONE_MINUS_SRC_ALPHA},
        {"destalpha", GL_DST_ALPHA},
        {"oneminusdestalpha", GL_ONE_MINUS_DST_ALPHA},
        {"destcolor", GL_DST_COLOR},
        {"oneminusdestcolor", GL_ONE_MINUS_DST_COLOR},
        {"srcalphasaturate", GL_SRC_ALPHA_SATURATE},
    };
    return Lookup(k_Table, std::size(k_Table), token, GL_ZERO);
}

unsigned int k_MaterialLoader::ParseWrap(const std::string& token)
{
    static constexpr Name k_Table[] = {
        {"clamp", GL_CLAMP_TO_EDGE}, {"repeat", GL_REPEAT}, {"mirror", GL_MIRRORED_REPEAT}};
    return Lookup(k_Table, std::size(k_Table), token, GL_CLAMP_TO_EDGE);
}

// --- construction: the file, then its includes ---

k_MaterialLoader::k_MaterialLoader(IEngine* engine, k_Material* material, const std::wstring& fileName)
    : k_CFileLoader(engine), m_material(material), m_fileName(fileName)
{
    Includes includes;
    Run(includes);
}

k_MaterialLoader::k_MaterialLoader(IEngine* engine, k_Material* material, const std::wstring& fileName,
                                   Includes& includes)
    : k_CFileLoader(engine), m_material(material), m_fileName(fileName), m_checking(includes.checking)
{
    Run(includes);
}

k_MaterialLoader::~k_MaterialLoader() = default;

std::vector<std::string> k_MaterialLoader::Check(IEngine* engine, const std::wstring& fileName)
{
    k_Material scratch(engine, L"");
    try
    {
        Includes includes;
        includes.checking = true;
        k_MaterialLoader loader(engine, &scratch, fileName, includes);
    }
    catch (const wchar_t* message)
    {
        scratch.AddScriptError(k_Utf8::ToUtf8(fileName) + ": " + k_Utf8::ToUtf8(message));
    }
    return scratch.GetScriptErrors();
}

void k_MaterialLoader::Run(Includes& includes)
{
    std::vector<std::wstring>& chain = includes.chain;
    k_Log() << k_Label << "Loading material: " << m_fileName << "...";
    chain.push_back(m_fileName);
    m_material->AddScript(m_fileName);
    ++includes.scriptsRead;
    // A stop without a mistake noted is a file that cannot be read (the reader said why).
    const size_t mistakes = m_material->GetScriptErrors().size();
    if (!Load(m_fileName) && m_material->GetScriptErrors().size() == mistakes)
    {
        k_Log(m_checking ? k_Log::Colour::Normal : k_Log::Colour::Error) << k_Label << "Cannot read " << m_fileName;
        m_material->AddScriptError(k_Utf8::ToUtf8(m_fileName) + ": cannot be read");
        if (!m_checking)
            m_material->AddFailure(k_Utf8::ToUtf8(m_fileName) + ": cannot be read");
    }
    k_Log() << k_Label << "Finished loading material.";
    k_Log() << k_Label << "Loading material includes...";
    for (const std::wstring& include : m_includes)
    {
        // A script that includes itself, directly or through others, would be read forever.
        if (std::find(chain.begin(), chain.end(), include) != chain.end())
        {
            Mistake(k_Log::Colour::Warning, "Include loop skipped: " + k_Utf8::ToUtf8(include), false);
            continue;
        }
        if (static_cast<int>(chain.size()) >= k_MaxIncludeDepth)
        {
            Mistake(k_Log::Colour::Error,
                    "Includes nested deeper than " + std::to_string(k_MaxIncludeDepth) + " levels; skipped " +
                        k_Utf8::ToUtf8(include),
                    false);
            continue;
        }
        if (includes.scriptsRead >= k_MaxScripts)
        {
            Mistake(k_Log::Colour::Error,
                    "More than " + std::to_string(k_MaxScripts) + " scripts for one material; skipped " +
                        k_Utf8::ToUtf8(include),
                    false);
            continue;
        }
        k_MaterialLoader loader(m_engine, m_material, include, includes);
    }
    chain.pop_back();
    k_Log() << k_Label << "Finished loading material.";
}

std::string k_MaterialLoader::Where() const
{
    return " at " + k_Utf8::ToUtf8(m_fileName) + ":" + std::to_string(m_lineNumber);
}

void k_MaterialLoader::Mistake(k_Log::Colour colour, const std::string& message, bool atLine)
{
    const std::string file = k_Utf8::ToUtf8(m_fileName);
    if (m_checking)
        colour = k_Log::Colour::Normal;
    const std::string error =
        atLine ? file + ":" + std::to_string(m_lineNumber) + ": " + message : file + ": " + message;
    if (atLine)
        k_Log(colour) << k_Label << message << Where();
    else
        k_Log(colour) << k_Label << message << " in " << m_fileName;
    m_material->AddScriptError(error);
    // A red mistake leaves the material unable to draw as written; a warning skips a line that changes little.
    if (colour == k_Log::Colour::Error)
        m_material->AddFailure(error);
}

// --- sections ---

bool k_MaterialLoader::BeginSection(const std::string& name, const std::vector<std::string>& tokens)
{
    const size_t parameters = HeaderParameters(tokens);
    if (name == "material")
    {
        m_state = Material;
        m_vertexShader = m_pixelShader = m_geometryShader = nullptr;
        m_pass = std::make_unique<k_MaterialPass>();
        m_callbackNames.clear();
    }
    else if (name == "include")
    {
        m_state = Include;
    }
    else if (name == "vertexshader" || name == "pixelshader" || name == "geometryshader")
    {
        const bool geometry = name == "geometryshader";
        if (parameters < (geometry ? 4u : 1u))
        {
            Mistake(k_Log::Colour::Warning, "Missing values for section " + name);
            m_state = Skipped;
            return true;
        }
        m_state = name == "vertexshader" ? VertexShader : geometry ? GeometryShader : PixelShader;
        m_shaderName = k_Utf8::FromUtf8(tokens[1]);
        if (geometry)
        {
            m_geometryInput = r_PrimitiveTopology::Parse(tokens[2]);
            m_geometryOutput = r_PrimitiveTopology::Parse(tokens[3]);
            m_geometryMaxVertices = ParseInt(tokens[4]);
        }
        m_source.assign(static_cast<size_t>(m_lineNumber), '\n');
    }
    else
    {
        Mistake(k_Log::Colour::Warning, "Unknown section " + name);
        return false;
    }
    return true;
}

bool k_MaterialLoader::ParseLine(const std::vector<std::string>& tokens, const std::string& line)
{
    switch (m_state)
    {
    case Material:
        ParseMaterialKey(tokens);
        return true;
    case Include:
        m_includes.push_back(k_Utf8::FromUtf8(tokens.front()));
        return true;
    case VertexShader:
    case GeometryShader:
    case PixelShader:
        m_source += line;
        m_source += '\n';
        return true;
    case Skipped:
        return true;
    default:
        return false;
    }
}

bool k_MaterialLoader::ParseTokenlessLine(const std::string& line)
{
    if (m_state == VertexShader || m_state == GeometryShader || m_state == PixelShader)
    {
        m_source += line;
        m_source += '\n';
    }
    return true;
}

bool k_MaterialLoader::EndSection(const std::string& name)
{
    const int state = m_state;
    m_state = None;
    if (state == Skipped)
        return true;
    IResourceFactory* factory = m_engine->GetResourceFactory();
    if (name == "material")
    {
        std::vector<IShader*> shaders;
        for (IShader* shader : {m_pixelShader, m_vertexShader, m_geometryShader})
            if (shader)
                shaders.push_back(shader);
        if (shaders.empty() && !m_checking)
        {
            // A pass without shaders draws with the fixed-function state: allowed, but rarely meant.
            k_Log(k_Log::Colour::Error) << k_Label << "No shaders definied." << Where();
        }
        else if (!shaders.empty())
        {
            m_pass->program = factory->CreateShaderProgram(shaders);
            if (m_pass->program)
                for (const std::wstring& callback : m_callbackNames)
                    m_pass->program->AddShaderCallback(callback, 0);
        }
        m_material->AddPass(m_pass.release());
        return true;
    }
    if (name == "include")
        return true;
    if (name == "vertexshader" || name == "pixelshader" || name == "geometryshader")
    {
        const r_ShaderType type = state == VertexShader     ? r_ShaderType::Vertex
                                  : state == GeometryShader ? r_ShaderType::Geometry
                                                            : r_ShaderType::Pixel;
        const std::wstring key = m_fileName + L":" + m_shaderName;
        if (m_checking)
        {
            m_inlineShaders[m_shaderName] = nullptr;
            return true;
        }
        IShader* shader = factory->CreateShaderFromSource(key, type, key, m_source);
        if (shader && type == r_ShaderType::Geometry)
            shader->SetGeometryParameters(m_geometryInput, m_geometryOutput, m_geometryMaxVertices);
        m_inlineShaders[m_shaderName] = shader;
        return true;
    }
    return false;
}

// --- material keys ---

void k_MaterialLoader::ParseMaterialKey(const std::vector<std::string>& tokens)
{
    const std::string& key = tokens.front();
    const size_t values = tokens.size() - 1;
    k_MaterialPass& pass = *m_pass;

    // Keys taking a fixed number of values: a line with fewer is malformed and skipped as a whole.
    static const std::map<std::string, size_t, std::less<>> k_ValueCounts = {
        {"target", 1},       {"alphatestfunc", 1}, {"alphatestvalue", 1}, {"depthfunc", 1},      {"depthwrite", 1},
        {"culling", 1},      {"alphablend", 1},    {"srcblendmode", 1},   {"destblendmode", 1},  {"ambient", 4},
        {"diffuse", 4},      {"specular", 4},      {"emissive", 4},       {"shininess", 1},      {"useshader", 1},
        {"vertexshader", 1}, {"pixelshader", 1},   {"geometryshader", 4}, {"shadercallback", 1},
    };
    if (auto needed = k_ValueCounts.find(key); needed != k_ValueCounts.end() && values < needed->second)
    {
        Mistake(k_Log::Colour::Warning, "Missing values for contenttype: " + key);
        return;
    }
    auto colour = [&tokens](std::array<float, 4>& target) {
        for (size_t i = 0; i < 4; ++i)
            target[i] = ParseFloat(tokens[i + 1]);
    };

    if (key == "target")
        pass.target = tokens[1];
    else if (key == "alphatestfunc")
        pass.alphaTestFunc = ParseCompare(tokens[1]);
    else if (key == "alphatestvalue")
        pass.alphaTestValue = ParseFloat(tokens[1]);
    else if (key == "depthfunc")
        pass.depthFunc = ParseCompare(tokens[1]);
    else if (key == "depthwrite")
        pass.depthWrite = tokens[1] == "true";
    else if (key == "culling")
        pass.cullMode = ParseCulling(tokens[1]);
    else if (key == "alphablend")
        pass.alphaBlend = tokens[1] == "true";
    else if (key == "srcblendmode")
        pass.srcBlend = ParseBlend(tokens[1]);
    else if (key == "destblendmode")
        pass.dstBlend = ParseBlend(tokens[1]);
    else if (key == "ambient")
        colour(pass.ambient);
    else if (key == "diffuse")
        colour(pass.diffuse);
    else if (key == "specular")
        colour(pass.specular);
    else if (key == "emissive")
        colour(pass.emissive);
    else if (key == "shininess")
        pass.shininess = ParseFloat(tokens[1]);
    else if (key == "useshader")
    {
        const std::wstring name = k_Utf8::FromUtf8(tokens[1]);
        auto found = m_inlineShaders.find(name);
        if (found == m_inlineShaders.end())
        {
            Mistake(k_Log::Colour::Error, "Shader not definied: " + tokens[1]);
            return;
        }
        IShader* shader = found->second;
        if (!shader)
            return;
        switch (shader->GetType())
        {
        case r_ShaderType::Vertex:
            m_vertexShader = shader;
            break;
        case r_ShaderType::Pixel:
            m_pixelShader = shader;
            break;
        case r_ShaderType::Geometry:
            m_geometryShader = shader;
            break;
        }
    }
    else if (key == "vertexshader" || key == "pixelshader")
    {
        const std::wstring file = k_Utf8::FromUtf8(tokens[1]);
        const bool vertex = key == "vertexshader";
        if (m_checking)
            return;
        IShader* shader = m_engine->GetResourceFactory()->CreateShader(
            file, vertex ? r_ShaderType::Vertex : r_ShaderType::Pixel, file);
        (vertex ? m_vertexShader : m_pixelShader) = shader;
    }
    else if (key == "geometryshader")
    {
        const std::wstring file = k_Utf8::FromUtf8(tokens[1]);
        const r_PrimitiveTopology input = r_PrimitiveTopology::Parse(tokens[2]);
        const r_PrimitiveTopology output = r_PrimitiveTopology::Parse(tokens[3]);
        if (m_checking)
            return;
        m_geometryShader = m_engine->GetResourceFactory()->CreateShader(file, r_ShaderType::Geometry, file);
        if (m_geometryShader)
            m_geometryShader->SetGeometryParameters(input, output, ParseInt(tokens[4]));
    }
    else if (key == "shadercallback")
        m_callbackNames.push_back(k_Utf8::FromUtf8(tokens[1]));
    else if (key == "loadtexture" && values >= 2)
        SetTextureSlot(tokens, true);
    else if (key == "reservetexture" && values >= 1)
        SetTextureSlot(tokens, false);
    else
        Mistake(k_Log::Colour::Warning, "Unknown contenttype: " + key);
}

void k_MaterialLoader::SetTextureSlot(const std::vector<std::string>& tokens, bool load)
{
    const int unit = ParseInt(tokens[1]);
    std::map<int32_t, k_MaterialPass::TextureSlot>& slots = m_pass->textures;
    if (unit < 0 || unit >= MaxTextureUnits())
    {
        Mistake(k_Log::Colour::Warning, "Invalid texture unit: " + tokens[1]);
        return;
    }
    if (!slots.contains(unit) && static_cast<int>(slots.size()) >= k_MaterialPass::k_MaxTextureSlots)
    {
        Mistake(k_Log::Colour::Warning, "Too many texture slots (at most " +
                                            std::to_string(k_MaterialPass::k_MaxTextureSlots) + "): " + tokens[0] +
                                            " " + tokens[1]);
        return;
    }
    const size_t firstWrap = load ? 3 : 2;
    k_MaterialPass::TextureSlot slot;
    slot.wrapS = slot.wrapT = GL_REPEAT;
    if (tokens.size() > firstWrap)
        slot.wrapS = slot.wrapT = ParseWrap(tokens[firstWrap]);
    if (tokens.size() > firstWrap + 1)
        slot.wrapT = ParseWrap(tokens[firstWrap + 1]);
    if (load && !m_checking)
    {
        const std::wstring file = k_Utf8::FromUtf8(tokens[2]);
        slot.texture = m_engine->GetResourceFactory()->CreateTexture(file, file);
        if (!slot.texture)
            m_material->AddFailure(k_Utf8::ToUtf8(m_fileName) + ":" + std::to_string(m_lineNumber) + ": the texture " +
                                   tokens[2] + " cannot be loaded");
    }
    slots[unit] = slot;
}
