#pragma once
// A GL program linked from a list of shaders, shared by every k_ShaderProgram
// the resource factory makes from the same list (each caption's material has
// programs of its own, all linked from the same two shader pairs). A linked
// program costs the driver about a megabyte, and as much again for the code it
// compiles when the program is first drawn; linking once saves both.
//
// GL keeps uniform values in the program object, while each k_ShaderProgram
// has values of its own (a caption's start time, its fade). The user whose
// values are in GL is the holder. Before another user touches the program it
// claims it: the locations the holder set go back to the values linking gave
// them, and the claimer's own values are uploaded.
#include <cstddef>
#include <map>
#include <string>
#include <vector>

class IEngine;
class IShader;

class k_LinkedProgram
{
public:
    // One uniform's value as a setter gave it: which glUniform call, and its data.
    struct Value
    {
        enum class Kind
        {
            Float, // glUniform{1,2,3,4}fv with components floats
            Int,   // glUniform1i
            Matrix // glUniformMatrix{2,3,4}fv of dimension x dimension floats, count of them
        };
        Kind kind = Kind::Float;
        int size = 1; // components of a vector or dimension of a matrix
        int count = 1;
        std::vector<float> floats;
        int integer = 0;

        // Floats in one element (a vector's components or a matrix's entries) and in the whole value.
        size_t FloatsPerElement() const { return static_cast<size_t>(kind == Kind::Matrix ? size * size : size); }
        size_t FloatCount() const { return FloatsPerElement() * static_cast<size_t>(count); }
    };
    using Values = std::map<int, Value>; // by location

    // Links the shaders in list order; throws when a geometry shader's parameters were never set. A failed link
    // is kept (with its log), as GL keeps the program object.
    k_LinkedProgram(IEngine* engine, const std::vector<IShader*>& shaders);
    ~k_LinkedProgram();
    k_LinkedProgram(const k_LinkedProgram&) = delete;
    k_LinkedProgram& operator=(const k_LinkedProgram&) = delete;

    unsigned int GetHandle() const { return m_handle; }
    bool IsLinked() const { return m_linked; }
    // The driver's link log, trailing line breaks removed (empty when it gave none).
    const std::string& GetLog() const { return m_log; }

    // Makes the user's values the ones in GL (nothing to do when the user holds the program already).
    void Claim(unsigned long long user, const Values& values);
    // Uploads a value the holder sets; the first change of a location by any user first records what linking
    // gave it, so that the location can be put back for the next claimer.
    void Set(int location, const Value& value);

private:
    static void Upload(int location, const Value& value);
    // The value GL holds at the location, read in the shape the setter's value has.
    static Value Read(unsigned int handle, int location, const Value& shape);

    unsigned int m_handle = 0;
    bool m_linked = false;
    std::string m_log;
    unsigned long long m_holder = 0; // 0: no user has set or claimed anything yet
    std::vector<int> m_holderLocations;
    Values m_linkValues;
};
