// Everything the library needs from the operating system besides PC/SC.
// platform_posix.cpp and platform_win32.cpp are the only files that differ.
#pragma once

#include <cstdint>
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

// Serial port names, such as "COM3", in enumeration order.
std::vector<std::string> listSerialPorts();

}  // namespace zel::platform
