#pragma once
// The first read of a file handle, which also captures the file's first
// marker-sized bytes without changing what the caller sees.
#include <cstdint>

#include "content/virtual_file_table.h"

// The real file under the read.
class RealFile {
public:
    virtual ~RealFile() = default;
    virtual bool read(void* buffer, uint32_t length, uint32_t* got) = 0;
    // Moves the file pointer back from where it is.
    virtual void moveBack(uint32_t distance) = 0;
};

struct ProbeOutcome {
    bool succeeded;  // the result of the real read
    bool captured;   // `capture` holds the first kMarkerSize bytes read
};

// Reads `toRead` bytes into `buffer` as the plain read would, reporting the
// count in `reported`. A request shorter than a marker is enlarged to a
// marker, the surplus is given back by moving the file pointer back.
ProbeOutcome probeRead(RealFile& file, void* buffer, uint32_t toRead, uint32_t* reported, Marker& capture);
