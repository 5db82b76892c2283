#include "demo/k_MarchingCubesTable.h"

#include <algorithm>
#include <vector>

namespace
{
struct Vec
{
    double x, y, z;
    Vec operator-(const Vec& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec operator-() const { return {-x, -y, -z}; }
    double Dot(const Vec& o) const { return x * o.x + y * o.y + z * o.z; }
    Vec Cross(const Vec& o) const { return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x}; }
};

// The faces as corner cycles with their outward normals.
struct Face
{
    int corners[4];
    Vec normal;
};
constexpr Face k_Faces[6] = {
    {{0, 1, 2, 3}, {0, 0, -1}}, {{4, 5, 6, 7}, {0, 0, 1}},  {{0, 1, 5, 4}, {0, -1, 0}},
    {{3, 2, 6, 7}, {0, 1, 0}},  {{0, 3, 7, 4}, {-1, 0, 0}}, {{1, 2, 6, 5}, {1, 0, 0}},
};

using Table = k_MarchingCubesTable;

Vec Corner(int c)
{
    return {double(Table::Corners[c][0]), double(Table::Corners[c][1]), double(Table::Corners[c][2])};
}

Vec Middle(int e)
{
    const Vec a = Corner(Table::Edges[e][0]), b = Corner(Table::Edges[e][1]);
    return {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2};
}

int EdgeBetween(int a, int b)
{
    for (int e = 0; e < 12; ++e)
        if ((Table::Edges[e][0] == a && Table::Edges[e][1] == b) ||
            (Table::Edges[e][0] == b && Table::Edges[e][1] == a))
            return e;
    return -1;
}

// A piece of the surface's outline on one face, from one crossed edge to another.
struct Segment
{
    int from, to;
    Vec faceNormal;
};

std::vector<Segment> Segments(int config)
{
    auto below = [config](int corner) { return (config >> corner & 1) != 0; };
    std::vector<Segment> segments;
    for (const Face& face : k_Faces)
    {
        int edges[4];
        std::vector<int> crossed;
        for (int i = 0; i < 4; ++i)
        {
            edges[i] = EdgeBetween(face.corners[i], face.corners[(i + 1) % 4]);
            if (below(face.corners[i]) != below(face.corners[(i + 1) % 4]))
                crossed.push_back(i);
        }
        if (crossed.size() == 2)
            segments.push_back({edges[crossed[0]], edges[crossed[1]], face.normal});
        else if (crossed.size() == 4) // diagonal corners agree: cut each corner below off on its own
            for (int i = 0; i < 4; ++i)
                if (below(face.corners[i]))
                    segments.push_back({edges[(i + 3) % 4], edges[i], face.normal});
    }
    return segments;
}

// Turns the loop so that, seen from below the level, it runs counter-clockwise:
// along its first segment the surface lies inside the cell (against the face's
// normal), so its normal is the segment's direction crossed with the inward
// direction, and it must point towards the corners below the level.
void Orient(std::vector<int>& loop, const Segment& first, int config)
{
    auto below = [config](int corner) { return (config >> corner & 1) != 0; };
    const Vec a = Middle(first.from), b = Middle(first.to);
    const Vec normal = (b - a).Cross(-first.faceNormal);
    const int* ea = Table::Edges[first.from];
    const int* eb = Table::Edges[first.to];
    int corner = -1;
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            if (ea[i] == eb[j])
                corner = ea[i];
    double side;
    if (corner >= 0) // neighbouring edges: the corner they share is cut off
        side = below(corner) ? 1.0 : -1.0;
    else // opposite edges: the corner below on the first one
        corner = below(ea[0]) ? ea[0] : ea[1], side = 1.0;
    if (normal.Dot(Corner(corner) - a) * side < 0)
        std::reverse(loop.begin(), loop.end());
}

std::array<int, Table::Rows * Table::Columns> Build()
{
    std::array<int, Table::Rows * Table::Columns> table;
    table.fill(-1);
    for (int config = 0; config < Table::Rows; ++config)
    {
        std::vector<Segment> segments = Segments(config);
        std::vector<bool> used(segments.size(), false);
        int* row = &table[static_cast<size_t>(config) * Table::Columns];
        int written = 0;
        for (size_t s = 0; s < segments.size(); ++s)
        {
            if (used[s])
                continue;
            used[s] = true;
            // Every crossed edge ends exactly two segments, so following them closes the loop.
            std::vector<int> loop = {segments[s].from, segments[s].to};
            int current = segments[s].to;
            for (bool extended = true; extended && current != segments[s].from;)
            {
                extended = false;
                for (size_t t = 0; t < segments.size(); ++t)
                    if (!used[t] && (segments[t].from == current || segments[t].to == current))
                    {
                        used[t] = true;
                        current = segments[t].from == current ? segments[t].to : segments[t].from;
                        if (current != segments[s].from)
                            loop.push_back(current);
                        extended = true;
                        break;
                    }
            }
            Orient(loop, segments[s], config);
            for (size_t i = 1; i + 1 < loop.size() && written + 3 <= 15; ++i)
            {
                row[written++] = loop[0];
                row[written++] = loop[i];
                row[written++] = loop[i + 1];
            }
        }
    }
    return table;
}
} // namespace

const std::array<int, Table::Rows * Table::Columns>& k_MarchingCubesTable::Get()
{
    static const std::array<int, Rows* Columns> table = Build();
    return table;
}
