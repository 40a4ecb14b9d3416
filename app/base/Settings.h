// SystemSettings: the settings record loaded from zelReader.ini, and the
// procedures that load and save it.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "base/IniFile.h"

namespace orv {

struct SystemSettings {
    QString READER;
    QString IP;
    QString PORT;
    qint32 ConnOverTime = 60;
    qint32 EchoOverTime = 300;
    QString UPDATE;
    QString AUTOUPDATE;
    bool DETAILEDLOG = false;
    QString INVOICE1, INVOICE2, INVOICE3, INVOICE4;
};

// The names of the attached PC/SC readers (the card access object's list).
using ReaderLister = std::function<QStringList()>;

// What stands in for an empty READER when no Tianyu reader is listed:
// "USB", the serial-mode maker's reader, where that reader exists; the
// first PC/SC reader listed where it does not (there "USB" never answers,
// and what owners plug in is a standard reader pcscd lists by its name).
enum class ReaderFallback { Usb, FirstListed };
// This platform's choice (Settings_win.cpp, Settings_posix.cpp).
ReaderFallback platformReaderFallback();

// The reader an empty READER means: the first Tianyu reader, else the
// fallback (still "USB" when nothing is listed).
QString defaultReader(const QStringList& readers, ReaderFallback fallback);

// Reads section SYSTEM with its defaults; nothing is written back. The
// reader list is asked for only when READER is missing or empty.
SystemSettings LoadSettings(const IniFile& ini, const ReaderLister& readers,
                            ReaderFallback fallback = platformReaderFallback());

void SaveServerSettings(IniFile& ini, const SystemSettings& s);
void SaveReaderSetting(IniFile& ini, const SystemSettings& s);

// Adds 1 to the transaction counter SN (default 1), writes it back and
// returns it: the first number on a fresh file is 2.
qint64 NextTransactionNumber(IniFile& ini);

// The conversions LoadSettings applies: text to a 32-bit integer (0 when it
// is no number or overflows) and text to a boolean ("True"/"False" in any
// case, or a number: 0 is false; anything else false).
qint32 toInt32(const QString& text);
bool toBool(const QString& text);

// True for an http or https URL with a host: the only addresses the
// settings UPDATE, AUTOUPDATE and INVOICE1 to INVOICE4 may hold.
bool isWebAddress(const QString& address);
// True for the names of those settings (in any case).
bool isAddressSetting(const QString& key);

// The first reader whose upper-case name contains TIANYU, or "".
QString tianyuReader(const QStringList& readers);

}  // namespace orv
