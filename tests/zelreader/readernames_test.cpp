// Reader names at the library boundary, with a stand-in for the smart-card
// service: the vpcd readers cannot be renamed to carry Chinese characters.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "session.h"
#include "zelreader.h"

namespace {

// What the stand-in lists (as pcsc-lite gives names: UTF-8), and the name
// the library last asked to connect to.
std::string listed;
std::string connected;

constexpr SCARDCONTEXT kContext = 7;
constexpr SCARDHANDLE kCard = 9;

zel::PcscApi fakePcsc() {
    zel::PcscApi api;
    api.establishContext = [](DWORD, LPCVOID, LPCVOID, LPSCARDCONTEXT ctx) -> LONG {
        *ctx = kContext;
        return SCARD_S_SUCCESS;
    };
    api.releaseContext = [](SCARDCONTEXT) -> LONG { return SCARD_S_SUCCESS; };
    api.listReaders = [](SCARDCONTEXT, LPCSTR, LPSTR names, LPDWORD size) -> LONG {
        const DWORD need = static_cast<DWORD>(listed.size());
        if (names) {
            if (*size < need) return SCARD_E_INSUFFICIENT_BUFFER;
            std::memcpy(names, listed.data(), need);
        }
        *size = need;
        return SCARD_S_SUCCESS;
    };
    api.connect = [](SCARDCONTEXT, LPCSTR reader, DWORD, DWORD, LPSCARDHANDLE card,
                     LPDWORD protocol) -> LONG {
        connected = reader;
        // Known when it is one of the listed names, byte for byte.
        const std::string names = '\0' + listed;
        if (connected.empty() || names.find('\0' + connected + '\0') == std::string::npos)
            return SCARD_E_UNKNOWN_READER;
        *card = kCard;
        *protocol = SCARD_PROTOCOL_T1;
        return SCARD_S_SUCCESS;
    };
    api.reconnect = [](SCARDHANDLE, DWORD, DWORD, DWORD, LPDWORD protocol) -> LONG {
        *protocol = SCARD_PROTOCOL_T1;
        return SCARD_S_SUCCESS;
    };
    api.status = [](SCARDHANDLE, LPSTR, LPDWORD, LPDWORD state, LPDWORD protocol, LPBYTE,
                    LPDWORD atrLen) -> LONG {
        *state = SCARD_SPECIFIC;
        *protocol = SCARD_PROTOCOL_T1;
        *atrLen = 0;
        return SCARD_S_SUCCESS;
    };
    api.disconnect = [](SCARDHANDLE, DWORD) -> LONG { return SCARD_S_SUCCESS; };
    return api;
}

class ReaderNames : public ::testing::Test {
protected:
    void SetUp() override {
        zel::Session::instance().setPcsc(fakePcsc());
        connected.clear();
    }
    void TearDown() override {
        EjectCard();
        zel::Session::instance().setPcsc(zel::PcscApi{});
    }
    static std::u16string take(char16_t* s) {
        std::u16string text = s ? std::u16string(s) : std::u16string();
        FreeString(s);
        return text;
    }
};

// Regression: names went through the ANSI code page (GBK) on Linux, where
// pcsc-lite speaks UTF-8, so a Chinese name came back garbled and could not
// be selected again.
TEST_F(ReaderNames, AreUtf8AtPcscOnLinux) {
    const std::u16string chinese = u"天喻 读卡器 00 00";
    const std::u16string thai = u"\u0E01 Reader 01";  // no GBK form at all
    listed = "\xE5\xA4\xA9\xE5\x96\xBB \xE8\xAF\xBB\xE5\x8D\xA1\xE5\x99\xA8 00 00";  // UTF-8
    listed += '\0';
    listed += "\xE0\xB8\x81 Reader 01";
    listed += '\0';
    listed += '\0';

    char16_t* out = nullptr;
    EXPECT_EQ(GetReaderList(&out), 2);
    EXPECT_EQ(take(out), chinese + u";" + thai + u";");

    for (const std::u16string& name : {chinese, thai}) {
        EXPECT_EQ(SetReader(name.c_str()), 0);
        EXPECT_EQ(ResetCard(), 0);  // found again by its own name
        EXPECT_EQ(EjectCard(), SCARD_S_SUCCESS);
    }
    EXPECT_EQ(connected, "\xE0\xB8\x81 Reader 01");
    EXPECT_EQ(SetReader(u"天喻 读卡器 00 01"), 0);
    EXPECT_EQ(ResetCard(), -6);  // the stand-in knows no such reader
}

}  // namespace

namespace {

// Regression (found by zelreader_fuzz): a list that the service did not end
// with its NULs was read past its end, looking for them.
TEST_F(ReaderNames, UnterminatedListIsReadWithinWhatTheServiceGave) {
    listed = std::string("Reader A") + '\0' + "Reader B";  // no NULs after the last name
    char16_t* out = nullptr;
    EXPECT_EQ(GetReaderList(&out), 2);
    EXPECT_EQ(take(out), u"Reader A;Reader B;");
}

}  // namespace
