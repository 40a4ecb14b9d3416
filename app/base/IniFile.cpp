#include "base/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "base/IniDocument.h"
#include "base/Text.h"

namespace orv {

namespace {

constexpr qsizetype kValueBuffer = 255;      // characters, terminator included
constexpr qsizetype kSectionBuffer = 32767;  // characters, terminators included

// Cuts GBK text to at most `max` bytes without splitting a two-byte character.
QByteArray cutGbk(const QByteArray& s, qsizetype max) {
    if (s.size() <= max) return s;
    qsizetype i = 0;
    while (i < max) {
        const qsizetype step = static_cast<unsigned char>(s[i]) >= 0x81 ? 2 : 1;
        if (i + step > max) break;
        i += step;
    }
    return s.left(i);
}

// A NUL-separated list as the system functions fill a buffer of `buffer`
// characters: what does not fit is cut off.
QString nulList(const QList<QByteArray>& items, qsizetype buffer) {
    QByteArray joined;
    for (const QByteArray& i : items)
        joined += i + '\0';
    if (joined.size() > buffer - 2) joined.truncate(buffer - 2);
    while (joined.endsWith('\0'))
        joined.chop(1);
    return fromGbk(joined);
}

}  // namespace

std::optional<QByteArray> IniFile::load() const {
    QFile f(filename_);
    if (!f.open(QIODevice::ReadOnly)) {
        // Only a file that is not there reads as empty; one that is there
        // but refuses to be read (permissions, a folder) is unreadable.
        if (!QFileInfo(filename_).exists()) return QByteArray();
        return std::nullopt;
    }
    QByteArray content = f.readAll();
    if (f.error() != QFileDevice::NoError) return std::nullopt;  // an I/O error part-way
    return content;
}

bool IniFile::write(const QByteArray& content) const {
    QSaveFile f(filename_);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(content);
    return f.commit();
}

template <typename Edit>
bool IniFile::edit(Edit&& change) {
    if (filename_.isEmpty()) return false;
    const std::optional<QByteArray> content = load();
    if (!content) return false;
    IniDocument doc = IniDocument::parse(*content);
    change(doc);
    return write(doc.serialize());
}

bool IniFile::SetSectionData(const QString& section, const QString& data) {
    QList<QByteArray> lines;
    for (const QString& entry : data.split(QChar(0), Qt::SkipEmptyParts))
        lines << toGbk(entry);
    return edit([&](IniDocument& d) { d.replaceSection(toGbk(section), lines); });
}

QString IniFile::GetSectionData(const QString& section) const {
    return SectionDataOf(contents(), section);
}

QString IniFile::SectionDataOf(const QByteArray& content, const QString& section) {
    const auto entries = IniDocument::parse(content).entries(toGbk(section));
    if (!entries) return {};
    QList<QByteArray> items;
    for (const auto& e : *entries)
        items << (e.hasValue ? e.key + "=" + e.value : e.key);
    return nulList(items, kSectionBuffer);
}

bool IniFile::DeleteSetting(const QString& section, const QString& key) {
    return edit([&](IniDocument& d) {
        if (key.isNull()) {
            d.removeSection(toGbk(section));
        } else {
            d.removeKey(toGbk(section), toGbk(key));
        }
    });
}

bool IniFile::SaveSetting(const QString& section, const QString& key, const QVariant& value) {
    if (!value.canConvert<QString>()) return false;
    const QByteArray text = toGbk(value.toString());
    return edit([&](IniDocument& d) { d.setValue(toGbk(section), toGbk(key), text); });
}

bool IniFile::SaveSettings(const QList<Setting>& settings) {
    return edit([&](IniDocument& d) {
        for (const Setting& s : settings)
            d.setValue(toGbk(s.section), toGbk(s.key), toGbk(s.value));
    });
}

QString IniFile::GetSetting(const QString& section, const QString& key, const QString& def) const {
    return SettingOf(contents(), section, key, def);
}

QString IniFile::SettingOf(const QByteArray& content, const QString& section, const QString& key,
                           const QString& def) {
    const auto v = IniDocument::parse(content).value(toGbk(section), toGbk(key));
    if (!v || v->isEmpty()) return def;
    return fromGbk(cutGbk(*v, kValueBuffer - 1));
}

qint32 IniFile::GetSections(QStringList& names) const {
    const QString list = nulList(IniDocument::parse(contents()).sections(), kSectionBuffer);
    names = list.split(QChar(0));
    return list.isEmpty() ? 0 : static_cast<qint32>(names.size());
}

qint32 IniFile::GetKeys(const QString& section, QStringList& names) const {
    QList<QByteArray> keys;
    if (const auto entries = IniDocument::parse(contents()).entries(toGbk(section)))
        for (const auto& e : *entries)
            keys << e.key;
    const QString list = nulList(keys, kSectionBuffer);
    names = list.split(QChar(0));
    return list.isEmpty() ? 0 : static_cast<qint32>(names.size());
}

}  // namespace orv
