#include "demo/k_MarchingCubesTable.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace
{
using Table = k_MarchingCubesTable;

std::vector<int> Row(int config)
{
    const int* row = &Table::Get()[static_cast<size_t>(config) * Table::Columns];
    return std::vector<int>(row, std::find(row, row + Table::Columns, -1));
}

std::array<double, 3> Middle(int edge)
{
    std::array<double, 3> m{};
    for (int k = 0; k < 3; ++k)
        m[k] = (Table::Corners[Table::Edges[edge][0]][k] + Table::Corners[Table::Edges[edge][1]][k]) / 2.0;
    return m;
}

// Whether triangle (a, b, c) of edge midpoints turns counter-clockwise seen from the corner.
bool FacesCorner(int a, int b, int c, int corner)
{
    const auto pa = Middle(a), pb = Middle(b), pc = Middle(c);
    const double u[3] = {pb[0] - pa[0], pb[1] - pa[1], pb[2] - pa[2]};
    const double v[3] = {pc[0] - pa[0], pc[1] - pa[1], pc[2] - pa[2]};
    const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    double dot = 0;
    for (int k = 0; k < 3; ++k)
        dot += n[k] * (Table::Corners[corner][k] - pa[k]);
    return dot > 0;
}

// The outline of a row's surface: triangle sides used once (fan diagonals are used twice), undirected.
std::set<std::pair<int, int>> Outline(int config)
{
    std::map<std::pair<int, int>, int> uses;
    const std::vector<int> row = Row(config);
    for (size_t t = 0; t + 2 < row.size(); t += 3)
        for (int k = 0; k < 3; ++k)
        {
            const int a = row[t + k], b = row[t + (k + 1) % 3];
            ++uses[{std::min(a, b), std::max(a, b)}];
        }
    std::set<std::pair<int, int>> outline;
    for (const auto& [side, count] : uses)
        if (count == 1)
            outline.insert(side);
    return outline;
}
} // namespace

TEST(k_MarchingCubesTable, HandWorkedRows)
{
    EXPECT_TRUE(Row(0).empty());
    EXPECT_TRUE(Row(255).empty());

    // Corner 0 below: one triangle across edges 0, 3 and 8, turning counter-clockwise seen from corner 0.
    std::vector<int> one = Row(1);
    ASSERT_EQ(one.size(), 3u);
    EXPECT_EQ(std::set<int>(one.begin(), one.end()), (std::set<int>{0, 3, 8}));
    EXPECT_TRUE(FacesCorner(one[0], one[1], one[2], 0));
    // Everything but corner 0 below: the same triangle turned the other way.
    std::vector<int> all = Row(254);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_FALSE(FacesCorner(all[0], all[1], all[2], 0));

    // Corners 0 and 1 below: a quad across edges 1, 3, 8 and 9 as two triangles facing the bottom edge.
    std::vector<int> edge = Row(3);
    ASSERT_EQ(edge.size(), 6u);
    EXPECT_EQ(std::set<int>(edge.begin(), edge.end()), (std::set<int>{1, 3, 8, 9}));
    EXPECT_TRUE(FacesCorner(edge[0], edge[1], edge[2], 0));
    EXPECT_TRUE(FacesCorner(edge[3], edge[4], edge[5], 1));

    // The lower face below (corners 0 to 3): a flat quad through edges 8 to 11.
    std::vector<int> floor = Row(15);
    EXPECT_EQ(std::set<int>(floor.begin(), floor.end()), (std::set<int>{8, 9, 10, 11}));

    // Opposite corners 0 and 6 below: two separate triangles.
    std::vector<int> apart = Row(1 | 64);
    ASSERT_EQ(apart.size(), 6u);
    EXPECT_EQ(std::set<int>(apart.begin(), apart.begin() + 3), (std::set<int>{0, 3, 8}));
    EXPECT_EQ(std::set<int>(apart.begin() + 3, apart.end()), (std::set<int>{5, 6, 10}));
}

TEST(k_MarchingCubesTable, RowsFitTheGeometryStageAndCloseUp)
{
    for (int config = 0; config < Table::Rows; ++config)
    {
        const int* row = &Table::Get()[static_cast<size_t>(config) * Table::Columns];
        const std::vector<int> used = Row(config);
        // At most five triangles (15 vertices, under the 16 the stage may emit), then only padding.
        EXPECT_LE(used.size(), 15u) << "row " << config;
        EXPECT_EQ(used.size() % 3, 0u) << "row " << config;
        EXPECT_TRUE(std::all_of(row + used.size(), row + Table::Columns, [](int e) { return e == -1; }));
        // Exactly the crossed edges appear.
        std::set<int> crossed;
        for (int e = 0; e < 12; ++e)
            if ((config >> Table::Edges[e][0] & 1) != (config >> Table::Edges[e][1] & 1))
                crossed.insert(e);
        EXPECT_EQ(std::set<int>(used.begin(), used.end()), crossed) << "row " << config;
        // Every crossed edge ends two outline sides: the outline closes into loops.
        std::map<int, int> ends;
        for (const auto& [a, b] : Outline(config))
            ++ends[a], ++ends[b];
        for (int e : crossed)
            EXPECT_EQ(ends[e], 2) << "row " << config << " edge " << e;
    }
}

TEST(k_MarchingCubesTable, NeighbouringCellsAgreeOnTheirSharedFace)
{
    // The face x = 1 of a cell (corners 1, 2, 6, 5; edges 1, 10, 5, 9) is the face x = 0 of the next cell
    // (corners 0, 3, 7, 4; edges 3, 11, 7, 8). For every pattern on it and any other corners, the outline
    // sides lying in that face must be the same from both sides, or the surface has a crack.
    const int right[4] = {1, 2, 6, 5}, left[4] = {0, 3, 7, 4};
    const std::map<int, int> edgeAcross = {{1, 3}, {10, 11}, {5, 7}, {9, 8}};
    auto inFace = [](const std::set<std::pair<int, int>>& outline, std::initializer_list<int> edges) {
        std::set<std::pair<int, int>> sides;
        const std::set<int> face(edges);
        for (const auto& side : outline)
            if (face.contains(side.first) && face.contains(side.second))
                sides.insert(side);
        return sides;
    };
    for (int pattern = 0; pattern < 16; ++pattern)
        for (int rest : {0, 0xFF, 0x5A, 0xA5})
        {
            int a = rest & ~(2 | 4 | 64 | 32), b = rest & ~(1 | 8 | 128 | 16);
            for (int k = 0; k < 4; ++k)
                if (pattern >> k & 1)
                    a |= 1 << right[k], b |= 1 << left[k];
            std::set<std::pair<int, int>> mapped;
            for (const auto& [x, y] : inFace(Outline(a), {1, 10, 5, 9}))
            {
                const int p = edgeAcross.at(x), q = edgeAcross.at(y);
                mapped.insert({std::min(p, q), std::max(p, q)});
            }
            EXPECT_EQ(mapped, inFace(Outline(b), {3, 11, 7, 8})) << "pattern " << pattern << " rest " << rest;
        }
}
