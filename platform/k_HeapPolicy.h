#pragma once
// How the C library's allocator serves the programs. Loading decodes, scales
// and uploads pictures through blocks of a megabyte or more that live only
// while one picture loads. glibc serves such blocks from mappings of their
// own at first, but once the first of them is freed it raises its threshold
// to that size and serves later ones from the heap, where the holes they
// leave behind are not given back: the show's start-up then kept some forty
// megabytes it no longer used. A fixed threshold keeps every large block in a
// mapping of its own, returned to the system when freed.

class k_HeapPolicy
{
public:
    // Blocks of at least this many bytes get mappings of their own (glibc's own starting threshold).
    static constexpr int k_LargeBlockBytes = 128 * 1024;

    // Fixes the threshold; called first thing in main, before the libraries load pictures. Returns false where
    // the C library does not take the setting (nothing changes then).
    static bool KeepLargeBlocksApart();
};
