#pragma once
// A look at a stage file on disk before it is opened. Opening treats an existing file shorter
// than one record as a new database and writes a header into it; the catalogue opens only files
// that are stage databases already, or that are missing or empty, so that a file of another
// program is never overwritten.
#include <cstddef>
#include <cstdint>
#include <string>

struct StageFileProbe {
    bool exists = false;
    bool regular = false;  // a plain file (or a link to one)
    std::size_t size = 0;
    int version = 0;  // the 16-bit number at the start, 0 when shorter than 2 bytes

    // Reads the first bytes of path; nothing is written or created.
    static StageFileProbe Of(const std::string& path);

    // Missing or empty: opening creates or fills a new database.
    bool IsNewFile() const { return !exists || (regular && size == 0); }
    // A file with the layout's version and at least its header and minRecords records.
    bool HoldsDatabase(int layoutVersion, std::size_t recordSize, std::size_t minRecords) const;
    // Header and whole records, followed by nothing or by a 2-byte checksum.
    bool HasWholeRecords(std::size_t recordSize) const;
};
