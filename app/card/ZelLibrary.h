// The reader library, bound by export name at run time on first use from
// the program folder. When it cannot be loaded, every export reads as
// absent and `reason()` says why.
#pragma once

#include <QLibrary>
#include <QString>

#include "zelreader.h"

namespace orv {

class ZelLibrary {
public:
    explicit ZelLibrary(QString programFolder);

    // Loads on the first call; false when the library or an export is missing.
    bool load();
    const QString& reason() const { return reason_; }
    // libzelreader.so / zelreader.dll (ZelLibrary_posix.cpp, ZelLibrary_win.cpp)
    static QString fileName();

    decltype(&::GetReaderList) GetReaderList = nullptr;
    decltype(&::SetReader) SetReader = nullptr;
    decltype(&::GetReaderStatus) GetReaderStatus = nullptr;
    decltype(&::GetAllCOMPorts) GetAllCOMPorts = nullptr;
    decltype(&::ReadEF02) ReadEF02 = nullptr;
    decltype(&::ReadEF04) ReadEF04 = nullptr;
    decltype(&::ReadEF06) ReadEF06 = nullptr;
    decltype(&::ReadEF09) ReadEF09 = nullptr;
    decltype(&::EchoControls) EchoControls = nullptr;
    decltype(&::ClearEF06) ClearEF06 = nullptr;
    decltype(&::ClearEF09) ClearEF09 = nullptr;
    decltype(&::CRC32) CRC32 = nullptr;
    decltype(&::GenerateMAC) GenerateMAC = nullptr;
    decltype(&::getSHA1) getSHA1 = nullptr;
    decltype(&::getMD5) getMD5 = nullptr;
    decltype(&::FreeString) FreeString = nullptr;

    // Takes a string the library returned: its text, and the string freed.
    QString take(char16_t* s);

private:
    QLibrary lib_;
    bool tried_ = false;
    bool loaded_ = false;
    QString reason_;
};

}  // namespace orv
