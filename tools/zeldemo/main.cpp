// zeldemo: lists the readers and reads the user card's four files through
// the reader library, as the main program will.
//
//   zeldemo [READER]     READER: a PC/SC reader name, COMn or USB
#include <cstdio>
#include <string>

#include "orv/utf8.h"
#include "zelreader.h"

namespace {

std::string utf8(const char16_t* s) {
    std::u16string text(s ? s : u"");
    return orv::utf8::fromUtf16(text);
}

// Takes a returned string, frees it, gives its UTF-8 text.
std::string take(char16_t* s) {
    std::string text = utf8(s);
    FreeString(s);
    return text;
}

int g_progressCalls = 0;

void ZEL_CALL progress(int32_t, int32_t, int32_t*) {
    ++g_progressCalls;
}

void show(const char* name, int32_t sw, const std::string& text) {
    if (sw != 0x9000) {
        std::printf("%s: failed, result %04X\n", name, static_cast<unsigned>(sw) & 0xFFFF);
        return;
    }
    std::printf("%s: %zu hex characters\n  %.120s%s\n", name, text.size(), text.c_str(),
                text.size() > 120 ? "..." : "");
}

}  // namespace

int main(int argc, char** argv) {
    char16_t* list = nullptr;
    const int32_t n = GetReaderList(&list);
    std::printf("PC/SC readers (%d): %s\n", n, n >= 0 ? take(list).c_str() : "");
    char16_t* ports = nullptr;
    const int32_t p = GetAllCOMPorts(&ports);
    std::printf("serial ports (%d): %s\n", p, take(ports).c_str());
    if (argc > 1) {
        const std::u16string name = orv::utf8::toUtf16(argv[1]);
        SetReader(name.c_str());
    }
    std::printf("reader status: %d\n", GetReaderStatus());

    char16_t* out = nullptr;
    int32_t sw = ReadEF02(&out);
    show("EF02", sw, sw == 0x9000 ? take(out) : "");
    sw = ReadEF04(&out);
    show("EF04", sw, sw == 0x9000 ? take(out) : "");
    sw = ReadEF06(&out, progress);
    show("EF06", sw, sw == 0x9000 ? take(out) : "");
    sw = ReadEF09(&out, progress);
    show("EF09", sw, sw == 0x9000 ? take(out) : "");
    std::printf("progress callbacks: %d\n", g_progressCalls);
    return sw == 0x9000 ? 0 : 1;
}
