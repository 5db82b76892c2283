#pragma once
// The marching-cubes triangle table: for each of the 256 cube configurations
// (bit i set when corner i lies below the iso level) up to five triangles as
// triples of edge numbers, padded with -1 to 16 entries a row.
//
// Corners: 0 (0,0,0), 1 (1,0,0), 2 (1,1,0), 3 (0,1,0), 4 (0,0,1), 5 (1,0,1),
// 6 (1,1,1), 7 (0,1,1). Edges: 0 0-1, 1 1-2, 2 2-3, 3 3-0, 4 4-5, 5 5-6, 6 6-7,
// 7 7-4, 8 0-4, 9 1-5, 10 2-6, 11 3-7. Triangles turn counter-clockwise seen
// from the side below the iso level.
//
// The table is derived from this numbering rather than typed in: on each face
// the crossed edges are joined so that corners below the level are cut off one
// by one (also on a face whose diagonal corners disagree, so two neighbouring
// cells always agree on their shared face and the surface has no holes); the
// joined segments close into loops, each laid out as a fan of triangles.
#include <array>

class k_MarchingCubesTable
{
public:
    static constexpr int Rows = 256;
    static constexpr int Columns = 16;
    // Corner positions in cell units, and the two corners of each edge.
    static constexpr int Corners[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                          {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    static constexpr int Edges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                         {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

    // The 4096 entries row after row; made on the first call.
    static const std::array<int, Rows * Columns>& Get();
};
