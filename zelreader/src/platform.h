// Everything the library needs from the operating system besides PC/SC.
// platform_posix.cpp and platform_win32.cpp are the only files that differ.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel::platform {

// An OLE Automation string holding `text`; nullptr when out of memory.
char16_t* allocString(std::u16string_view text);
// The same for ASCII text, widened without an intermediate copy.
char16_t* allocString(std::string_view ascii);
void freeString(char16_t* s);

// Folder of this library file, with a trailing separator ("" if unknown).
std::string moduleFolder();

void* loadLibrary(const std::string& path);
void* findSymbol(void* lib, const char* name);
// File name of the serial reader maker's library.
const char* dcicLibraryName();

// Serial port names, such as "COM3", in enumeration order; nullopt when
// the system's port list cannot be read.
std::optional<std::vector<std::string>> listSerialPorts();

// PC/SC reader names as the smart-card service takes and gives them:
// UTF-8 for pcsc-lite, the ANSI code page for WinSCard's ANSI functions.
// (Card and monitoring texts are GBK on every platform.)
std::string readerNameFromUtf16(std::u16string_view name);
std::u16string readerNameToUtf16(std::string_view name);

}  // namespace zel::platform
