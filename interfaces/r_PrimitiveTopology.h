#pragma once
// The kinds of primitives the engine draws and that geometry shaders take and
// emit. The values are the OpenGL primitive modes themselves, so a value goes
// to glDrawElements and to the geometry-shader parameters unchanged.
#include <cstdint>
#include <string_view>

class r_PrimitiveTopology
{
public:
    enum Value : int32_t
    {
        Point = 0,
        Line = 1,
        LineLoop = 2,
        LineStrip = 3,
        Triangle = 4,
        TriangleStrip = 5,
        // 6 (triangle fan) has no name.
        Quad = 7,
    };

    constexpr r_PrimitiveTopology(Value value = Point) : m_value(value) {}
    constexpr operator Value() const { return m_value; }

    // The topology of an exact, case-sensitive name ("Triangle", "TriangleStrip", "Line", "LineStrip",
    // "LineLoop", "Quad", "Point"); throws L"Invalid value passed to r_PrimitiveTopology::Parse!" otherwise.
    static r_PrimitiveTopology Parse(std::string_view text)
    {
        struct Entry
        {
            std::string_view name;
            Value value;
        };
        static constexpr Entry k_Names[] = {
            {"Triangle", Triangle},   {"TriangleStrip", TriangleStrip}, {"Line", Line},
            {"LineStrip", LineStrip}, {"LineLoop", LineLoop},           {"Quad", Quad},
            {"Point", Point},
        };
        for (const Entry& entry : k_Names)
            if (entry.name == text)
                return entry.value;
        throw L"Invalid value passed to r_PrimitiveTopology::Parse!";
    }

private:
    Value m_value;
};
static_assert(sizeof(r_PrimitiveTopology) == 4);
