// The user card's file reads and writes, built on one session each.
#pragma once

#include <cstdint>
#include <string>

#include "zelreader.h"

namespace zel {

// Which record file, with its command texts and sizes.
struct RecordFile {
    uint16_t fid;           // file identifier
    uint8_t subRecordSize;  // bytes in one sub-file record
    int defaultClearCount;  // sub-file records zeroed when no count list is given
};
extern const RecordFile kEF06;
extern const RecordFile kEF09;

// Each returns the status word. `text` is the caller's scratch buffer: it
// holds the file's text on 0x9000 and anything otherwise.
int32_t readEF02(std::string& text);
int32_t readEF04(std::string& text);
int32_t readGroups(const RecordFile& file, std::string& text, ZelProgress cb);

// `records`: the monitoring text in the ANSI code page.
int32_t echoControls(const std::string& records);
int32_t clearGroups(const RecordFile& file, const uint8_t* counts, ZelProgress cb);

}  // namespace zel
