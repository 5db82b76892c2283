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
//
// Values are kept per location, and an array element has a location of its
// own, so every element set is recorded and put back on its own whatever the
// shape of the call that set it. Linking records each active uniform's type,
// its place in its array and the value linking gave it, so that a value GL
// would refuse (another type, or several elements for a single uniform) is
// never kept and resent.
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
        size_t FloatsPerElement() const { return FloatsPerElement(kind, size); }
        size_t FloatCount() const { return FloatsPerElement() * static_cast<size_t>(count); }
        static size_t FloatsPerElement(Kind kind, int size)
        {
            return static_cast<size_t>(kind == Kind::Matrix ? size * size : size);
        }
    };
    using Values = std::map<int, Value>; // by location, one element each

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

    // How many elements from the location on a value of this shape sets: at most count, cut at the end of the
    // location's array; 0 when GL refuses the value (no such uniform, another type, or several elements for
    // a uniform that is no array).
    int Fit(int location, Value::Kind kind, int size, int count) const;
    // The location of the array element after the one at location (-1 after the last).
    int Next(int location) const;
    // The value linking gave the location, or null for a uniform of a type no setter writes.
    const Value* LinkValue(int location) const;

    // Makes the user's values the ones in GL (nothing to do when the user holds the program already).
    void Claim(unsigned long long user, const Values& values);
    // Uploads elements (as Fit gave them) from the location on for the holder and notes every one of them, so
    // that it is put back for the next claimer.
    void Set(int location, int elements, Value::Kind kind, int size, const float* floats, int integer);
    // The glUniform call of a value of that shape.
    static void Upload(int location, Value::Kind kind, int size, int count, const float* floats, int integer);

private:
    // One element of an active uniform.
    struct Slot
    {
        unsigned int type = 0; // the GL type of the uniform
        bool array = false;
        int remaining = 1; // elements from this one to the end of its array
        int next = -1;     // the next element's location
        bool hasLinkValue = false;
        Value linkValue;
        bool changed = false; // the holder set it
    };

    void ReadUniforms();
    void Changed(int location);

    unsigned int m_handle = 0;
    bool m_linked = false;
    std::string m_log;
    unsigned long long m_holder = 0; // 0: no user has set or claimed anything yet
    std::vector<int> m_holderLocations;
    std::map<int, Slot> m_slots; // by location
};
