// An INI file's lines with the rules of the Windows private-profile
// functions: section and key names compared without regard to case, blanks
// around keys and values trimmed, the first occurrence wins, a value in
// matching quotes is unquoted when read. Works on the file's bytes (GBK).
#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

namespace orv {

class IniDocument {
public:
    struct Entry {
        QByteArray key;
        QByteArray value;      // trimmed, quotes kept
        bool hasValue = true;  // false for a line without '='
    };

    static IniDocument parse(const QByteArray& content);
    // Lines joined with CR LF, the last one ended too.
    QByteArray serialize() const;

    QList<QByteArray> sections() const;
    // Entries of the first section of that name; nullopt when it is absent.
    std::optional<QList<Entry>> entries(const QByteArray& section) const;
    // The first key of that name in the first such section, unquoted.
    std::optional<QByteArray> value(const QByteArray& section, const QByteArray& key) const;

    void setValue(const QByteArray& section, const QByteArray& key, const QByteArray& value);
    void removeKey(const QByteArray& section, const QByteArray& key);
    void removeSection(const QByteArray& section);
    // Replaces the section's lines by `lines` ("key=value" each); the
    // section is added when absent.
    void replaceSection(const QByteArray& section, const QList<QByteArray>& lines);

private:
    struct Range {
        qsizetype header;  // index of the "[name]" line
        qsizetype end;     // one past the section's last line
    };
    std::optional<Range> find(const QByteArray& section) const;
    // Index of the key's line inside the range, or -1.
    qsizetype findKey(const Range& r, const QByteArray& key) const;
    // Where a new line of the section goes: after its last non-blank line.
    qsizetype insertionPoint(const Range& r) const;
    void appendSection(const QByteArray& section, const QList<QByteArray>& lines);

    QList<QByteArray> lines_;
};

}  // namespace orv
