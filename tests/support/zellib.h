// A fresh instance of the reader library: the built libzelreader.so is
// copied into a temp program folder (with the serial simulator when asked)
// and loaded from there, so every instance starts with the library's initial
// state and finds only the files of its own folder.
#pragma once

#include <cstdint>
#include <string>

#include "tempdir.h"
#include "zelreader.h"

namespace orvtest {

class ZelLib {
public:
    enum class Serial { Simulator, Missing };
    explicit ZelLib(Serial serial = Serial::Simulator);
    ~ZelLib();
    ZelLib(const ZelLib&) = delete;
    ZelLib& operator=(const ZelLib&) = delete;

    const TempDir& folder() const { return dir_; }

    int32_t(ZEL_CALL* GetReaderList)(char16_t**) = nullptr;
    int32_t(ZEL_CALL* SetReader)(const char16_t*) = nullptr;
    int32_t(ZEL_CALL* ResetCard)() = nullptr;
    int32_t(ZEL_CALL* EjectCard)() = nullptr;
    int32_t(ZEL_CALL* RunCommand)(const char*) = nullptr;
    int32_t(ZEL_CALL* GetReaderStatus)() = nullptr;
    int32_t(ZEL_CALL* GetAllCOMPorts)(char16_t**) = nullptr;
    int32_t(ZEL_CALL* ReadEF02)(char16_t**) = nullptr;
    int32_t(ZEL_CALL* ReadEF04)(char16_t**) = nullptr;
    int32_t(ZEL_CALL* ReadEF06)(char16_t**, ZelProgress) = nullptr;
    int32_t(ZEL_CALL* ReadEF09)(char16_t**, ZelProgress) = nullptr;
    int32_t(ZEL_CALL* EchoControls)(const char16_t*) = nullptr;
    int32_t(ZEL_CALL* ClearEF06)(const uint8_t*, ZelProgress) = nullptr;
    int32_t(ZEL_CALL* ClearEF09)(const uint8_t*, ZelProgress) = nullptr;
    void(ZEL_CALL* FreeString)(char16_t*) = nullptr;

    // Convenience: SetReader with UTF-8 text.
    void select(const std::string& name);
    // Calls a string-returning export; `text` gets the UTF-8 content (the
    // string is freed), or stays unchanged when nothing was returned.
    template <typename F, typename... A>
    int32_t call(F f, std::string& text, A... args) {
        char16_t* out = nullptr;
        const int32_t r = f(&out, args...);
        if (out) text = take(out);
        return r;
    }
    std::string take(char16_t* s);

private:
    TempDir dir_;
    void* handle_ = nullptr;
};

// Descriptors open in this process: a PC/SC context left open holds one.
int openDescriptors();

// The folder holding the built binaries.
std::string binDir();

// Copies the built reader library (and the serial reader simulator, when
// asked) into a program folder.
void installReaderLibrary(const TempDir& folder, bool withSerialSimulator);
// Copies the built serial reader simulator into a program folder.
void installSerialSimulator(const TempDir& folder);

}  // namespace orvtest
