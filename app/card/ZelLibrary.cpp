#include "card/ZelLibrary.h"

#include <cstring>

#include "base/ProgramFolder.h"

namespace orv {

ZelLibrary::ZelLibrary(QString programFolder) : lib_(inFolder(programFolder, fileName())) {}

bool ZelLibrary::load() {
    if (tried_) return loaded_;
    tried_ = true;
    if (!lib_.load()) {
        reason_ = lib_.errorString();
        return false;
    }
    bool all = true;
    auto bind = [&](auto& fn, const char* name) {
        fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(lib_.resolve(name));
        if (!fn) {
            all = false;
            if (reason_.isEmpty())
                reason_ = QStringLiteral("export %1 missing in %2")
                              .arg(QLatin1String(name), lib_.fileName());
        }
    };
    bind(GetReaderList, "GetReaderList");
    bind(SetReader, "SetReader");
    bind(GetReaderStatus, "GetReaderStatus");
    bind(GetAllCOMPorts, "GetAllCOMPorts");
    bind(ReadEF02, "ReadEF02");
    bind(ReadEF04, "ReadEF04");
    bind(ReadEF06, "ReadEF06");
    bind(ReadEF09, "ReadEF09");
    bind(EchoControls, "EchoControls");
    bind(ClearEF06, "ClearEF06");
    bind(ClearEF09, "ClearEF09");
    bind(CRC32, "CRC32");
    bind(GenerateMAC, "GenerateMAC");
    bind(getSHA1, "getSHA1");
    bind(getMD5, "getMD5");
    bind(FreeString, "FreeString");
    loaded_ = all;
    return loaded_;
}

QString ZelLibrary::take(char16_t* s) {
    if (!s) return {};
    // The 4 bytes before the text hold its length in bytes.
    quint32 bytes = 0;
    std::memcpy(&bytes, reinterpret_cast<const char*>(s) - 4, 4);
    QString text = QString::fromUtf16(s, static_cast<qsizetype>(bytes / 2));
    FreeString(s);
    return text;
}

}  // namespace orv
