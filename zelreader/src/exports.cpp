// The exported C functions: argument conversion and the exception barrier.
#include <new>
#include <string>

#include "cardfiles.h"
#include "crypto.h"
#include "orv/gbk.h"
#include "outstrings.h"
#include "platform.h"
#include "session.h"
#include "status.h"
#include "zelreader.h"

namespace {

std::u16string_view view(const char16_t* s) {
    return s ? std::u16string_view(s) : std::u16string_view();
}

// Runs a card export; no exception may cross the C boundary, and an aborted
// operation must not leave a session open.
template <typename F>
int32_t guarded(F&& f) {
    try {
        return f();
    } catch (const std::bad_alloc&) {
        zel::Session::instance().eject();
        return ZEL_OUT_OF_MEMORY;
    } catch (...) {
        zel::Session::instance().eject();
        return zel::sw::kInternal;
    }
}

template <typename Read>
int32_t readText(char16_t** out, Read&& read) {
    return guarded([&] {
        std::string& text = zel::Session::instance().textBuffer();
        const int32_t r = read(text);
        return r == zel::sw::kOk ? zel::handOut(text, out, r, orv::gbk::toUtf16) : r;
    });
}

}  // namespace

extern "C" {

ZEL_API int32_t ZEL_CALL GetReaderList(char16_t** out) {
    return guarded([&] {
        std::string text;
        const int32_t n = zel::Session::instance().listReaders(text);
        return n < 0 ? n : zel::handOut(text, out, n, zel::platform::readerNameToUtf16);
    });
}

ZEL_API int32_t ZEL_CALL SetReader(const char16_t* name) {
    return guarded([&] {
        zel::Session::instance().setReader(zel::platform::readerNameFromUtf16(view(name)));
        return 0;
    });
}

ZEL_API int32_t ZEL_CALL ResetCard(void) {
    return guarded([] { return zel::Session::instance().reset(); });
}

ZEL_API int32_t ZEL_CALL EjectCard(void) {
    return guarded([] { return zel::Session::instance().eject(); });
}

ZEL_API int32_t ZEL_CALL RunCommand(const char* hex) {
    return guarded([&] { return zel::Session::instance().transmit(hex ? hex : ""); });
}

ZEL_API int32_t ZEL_CALL GetReaderStatus(void) {
    return guarded([] { return zel::Session::instance().readerStatus(); });
}

ZEL_API int32_t ZEL_CALL GetAllCOMPorts(char16_t** out) {
    return guarded([&] { return zel::handOutPorts(zel::platform::listSerialPorts(), out); });
}

ZEL_API int32_t ZEL_CALL ReadEF02(char16_t** out) {
    return readText(out, zel::readEF02);
}

ZEL_API int32_t ZEL_CALL ReadEF04(char16_t** out) {
    return readText(out, zel::readEF04);
}

ZEL_API int32_t ZEL_CALL ReadEF06(char16_t** out, ZelProgress cb) {
    return readText(out, [cb](std::string& t) { return zel::readGroups(zel::kEF06, t, cb); });
}

ZEL_API int32_t ZEL_CALL ReadEF09(char16_t** out, ZelProgress cb) {
    return readText(out, [cb](std::string& t) { return zel::readGroups(zel::kEF09, t, cb); });
}

ZEL_API int32_t ZEL_CALL EchoControls(const char16_t* data) {
    return guarded([&] {
        const std::u16string_view text = view(data);
        // The length is judged in characters, before conversion.
        if (text.empty() || text.size() % 74 != 0) return zel::sw::kWrongLength;
        return zel::echoControls(orv::gbk::fromUtf16(text));
    });
}

ZEL_API int32_t ZEL_CALL ClearEF06(const uint8_t* counts, ZelProgress cb) {
    return guarded([&] { return zel::clearGroups(zel::kEF06, counts, cb); });
}

ZEL_API int32_t ZEL_CALL ClearEF09(const uint8_t* counts, ZelProgress cb) {
    return guarded([&] { return zel::clearGroups(zel::kEF09, counts, cb); });
}

ZEL_API int32_t ZEL_CALL CRC32(const uint8_t* data, int32_t len) {
    return len <= 0 || !data ? 0 : static_cast<int32_t>(zel::crc32Variant(data, len));
}

ZEL_API void ZEL_CALL des(uint8_t* block, const uint8_t* key, uint8_t mode) {
    zel::desBlock(block, key, mode != 0);
}

ZEL_API void ZEL_CALL tri_des(uint8_t* block, const uint8_t* key1, const uint8_t* key2,
                              uint8_t mode) {
    zel::tripleDes(block, key1, key2, mode != 0);
}

ZEL_API void ZEL_CALL GenerateMAC(const uint8_t* data, const uint8_t* key, uint8_t* mac,
                                  int32_t keyLen, int32_t dataLen) {
    try {
        zel::retailMac(data, dataLen, key, keyLen, mac);
    } catch (...) {
        // Out of memory for the padded copy: the MAC buffer is left as given.
    }
}

ZEL_API int32_t ZEL_CALL getSHA1(const uint8_t* data, int32_t len, uint8_t* out20) {
    if (len <= 0 || !data || !out20) return 0;
    zel::sha1(data, static_cast<std::size_t>(len), out20);
    return 1;
}

ZEL_API int32_t ZEL_CALL getMD5(const uint8_t* data, int32_t len, uint8_t* out16) {
    if (len <= 0 || !data || !out16) return 0;
    zel::md5(data, static_cast<std::size_t>(len), out16);
    return 1;
}

ZEL_API void ZEL_CALL FreeString(char16_t* s) {
    zel::platform::freeString(s);
}

}  // extern "C"
