#pragma once
// The sync editor's own document for a show: the XML the editor opens and saves (a "sync" element with the
// number of rows, one "track" element a track with its keys, and bookmarks), made from the show's tracks, so
// that an editor opened on it starts with the show's keys instead of none. Rows cover the whole show; the
// bookmarks mark where the show's sections start.
#include <string>
#include <vector>

class ISyncTracks;

class k_SyncDocument
{
public:
    // The document of every track (in the order the show asked for them) and its keys, with `rows` rows and
    // bookmarks on the rows given.
    static std::string Make(const ISyncTracks& tracks, int rows, const std::vector<int>& bookmarks);
    // The rows a show of that length needs: every row up to and including the one at its end.
    static int RowsFor(const ISyncTracks& tracks, double length);
    // Writes the bytes (a document, a track file) at the path unless the file already holds exactly them. They
    // are written beside and renamed over, so a failed write leaves the old file whole; the file beside ends in
    // '~', as editors' backups do, which the studio's watcher takes for no save. Empty, or why it could not
    // be written; `written` says whether the file changed.
    static std::string WriteIfChanged(const std::string& path, const std::string& bytes, bool& written);
};
