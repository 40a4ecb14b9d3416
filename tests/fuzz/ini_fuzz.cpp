// INI files as a user's editor or a damaged disk may leave them: the input
// is the file (GBK or any bytes, long lines, missing brackets). It is read
// the way the program reads its settings file and the update manifest, and
// written through, checking what the private-profile rules promise.
//
// Input: flags, then the file's bytes. The lines are always parsed, read
// and edited in memory; the file's own calls read (and write) the whole
// file each, so they run only where the flags ask (the fuzzer keeps every
// kind of input, and the cheap ones run many times faster).
//   flags bits 0-1: 1 read through the file (sections), 2 write through
//   (the counter, a value), 3 both and the settings record
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <limits>

#include "FuzzApp.h"
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "base/IniDocument.h"
#include "base/IniFile.h"
#include "base/Settings.h"
#include "base/Text.h"
#include "tempdir.h"

namespace {

constexpr int kNamesLooked = 3;  // sections, and keys a section

QByteArray bytesOf(std::string_view v) {
    return QByteArray(v.data(), static_cast<qsizetype>(v.size()));
}

qsizetype countSections(const orv::IniDocument& doc, const QByteArray& name) {
    const QList<QByteArray> names = doc.sections();
    return std::count_if(names.begin(), names.end(), [&](const QByteArray& n) {
        return n.compare(name, Qt::CaseInsensitive) == 0;
    });
}

// The rules on the parsed lines, in memory: every section's entries and
// values (and the conversions the settings record makes of them), and the
// edits the writers make.
void checkDocument(orv::IniDocument doc) {
    const QList<QByteArray> sections = doc.sections();
    for (qsizetype i = 0; i < sections.size() && i < kNamesLooked; ++i) {
        const auto entries = doc.entries(sections[i]);
        ORV_FUZZ_CHECK(entries.has_value());
        for (qsizetype k = 0; k < entries->size() && k < kNamesLooked; ++k) {
            // The first key of a name wins; a later one of the same name
            // (in any case) reads as the first.
            const auto v = doc.value(sections[i], (*entries)[k].key);
            ORV_FUZZ_CHECK(v.has_value());
            const QString text = orv::fromGbk(*v);
            (void)orv::toInt32(text);
            (void)orv::toBool(text);
        }
    }
    doc.setValue("FUZZ", "Key", "v");
    ORV_FUZZ_CHECK(doc.value("fuzz", "KEY") == QByteArray("v"));
    doc.replaceSection("MSG", {"a=1", "b=2"});
    ORV_FUZZ_CHECK(doc.value("MSG", "B") == QByteArray("2"));
    // A null key deletes the first section of that name.
    const qsizetype named = countSections(doc, "fuzz");
    doc.removeSection("FUZZ");
    ORV_FUZZ_CHECK(countSections(doc, "fuzz") == named - 1);
    doc.removeKey("MSG", "a");
    ORV_FUZZ_CHECK(doc.value("MSG", "b") == QByteArray("2"));
}

// Through the file, as the program's readers ask. Each call reads the file
// again, so only a few: the whole of the first section and the manifest's
// UPDATE section; with `settings` the settings record too (13 reads).
void readFile(const orv::IniFile& ini, bool settings) {
    QStringList sections;
    const qint32 n = ini.GetSections(sections);
    ORV_FUZZ_CHECK(n == 0 ? sections.size() == 1 : n == sections.size());
    const QString data = ini.GetSectionData(sections[0]);
    ORV_FUZZ_CHECK(data.size() <= 32765);
    QStringList keys;
    if (ini.GetKeys(sections[0], keys) > 0) {
        const QString v = ini.GetSetting(sections[0], keys.last(), QStringLiteral("-"));
        ORV_FUZZ_CHECK(orv::toGbk(v).size() <= 254 || v == QLatin1String("-"));
    }
    ini.GetSectionData(QStringLiteral("UPDATE"));
    if (settings)
        orv::LoadSettings(ini, [] { return QStringList{QStringLiteral("Fuzz TIANYU Reader 00")}; });
}

// The file's writers: the transaction counter as every run takes it, and a
// value read back.
void writeThrough(orv::IniFile& ini) {
    const qint64 first = orv::NextTransactionNumber(ini);
    ORV_FUZZ_CHECK(first >= 1);
    // At its largest the counter starts again from 1, so the next is 2.
    const qint64 next = first == std::numeric_limits<qint64>::max() ? 2 : first + 1;
    ORV_FUZZ_CHECK(orv::NextTransactionNumber(ini) == next);
    ORV_FUZZ_CHECK(
        ini.SaveSetting(QStringLiteral("FUZZ"), QStringLiteral("Key"), QStringLiteral("值 value")));
    ORV_FUZZ_CHECK(ini.GetSetting(QStringLiteral("FUZZ"), QStringLiteral("key"), QString()) ==
                   QStringLiteral("值 value"));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orvfuzz::ensureQtApp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static orvtest::TempDir dir;
    static const QString path = QString::fromStdString(dir.file("zelReader.ini"));
    orvfuzz::FuzzInput in(data, size);
    const uint8_t flags = in.byte();
    const QByteArray content = bytesOf(in.rest());

    // Writing the file back keeps its lines as they were.
    const orv::IniDocument doc = orv::IniDocument::parse(content);
    const QByteArray once = doc.serialize();
    ORV_FUZZ_CHECK(orv::IniDocument::parse(once).serialize() == once);

    checkDocument(doc);
    const int mode = flags & 3;
    if (mode == 0) return 0;
    {
        QFile f(path);
        ORV_FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ORV_FUZZ_CHECK(f.write(content) == content.size());
    }
    orv::IniFile ini(path);
    if (mode & 1) readFile(ini, mode == 3);
    if (mode & 2) writeThrough(ini);
    return 0;
}
