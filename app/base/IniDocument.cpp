#include "base/IniDocument.h"

namespace orv {

namespace {

QByteArray trimBlanks(const QByteArray& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    return s.mid(b, e - b);
}

bool sameName(const QByteArray& a, const QByteArray& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The name of a "[name]" line, or nullopt for any other line.
std::optional<QByteArray> headerName(const QByteArray& line) {
    const QByteArray t = trimBlanks(line);
    if (!t.startsWith('[')) return std::nullopt;
    const qsizetype close = t.indexOf(']');
    return trimBlanks(t.mid(1, close < 0 ? t.size() - 1 : close - 1));
}

bool isComment(const QByteArray& trimmed) {
    return trimmed.isEmpty() || trimmed.startsWith(';');
}

// Key and raw value of an entry line; a line without '=' is a key alone.
IniDocument::Entry splitEntry(const QByteArray& line) {
    const qsizetype eq = line.indexOf('=');
    if (eq < 0) return {trimBlanks(line), {}, false};
    return {trimBlanks(line.left(eq)), trimBlanks(line.mid(eq + 1)), true};
}

QByteArray unquote(const QByteArray& v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.mid(1, v.size() - 2);
    return v;
}

}  // namespace

IniDocument IniDocument::parse(const QByteArray& content) {
    IniDocument doc;
    if (content.isEmpty()) return doc;
    doc.lines_ = content.split('\n');
    if (doc.lines_.back().isEmpty()) doc.lines_.removeLast();  // the final line break
    for (QByteArray& l : doc.lines_)
        if (l.endsWith('\r')) l.chop(1);
    return doc;
}

QByteArray IniDocument::serialize() const {
    QByteArray out;
    for (const QByteArray& l : lines_)
        out += l + "\r\n";
    return out;
}

QList<QByteArray> IniDocument::sections() const {
    QList<QByteArray> names;
    for (const QByteArray& l : lines_)
        if (const auto name = headerName(l)) names << *name;
    return names;
}

std::optional<IniDocument::Range> IniDocument::find(const QByteArray& section) const {
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const auto name = headerName(lines_[i]);
        if (!name || !sameName(*name, section)) continue;
        qsizetype end = i + 1;
        while (end < lines_.size() && !headerName(lines_[end]))
            ++end;
        return Range{i, end};
    }
    return std::nullopt;
}

qsizetype IniDocument::findKey(const Range& r, const QByteArray& key) const {
    for (qsizetype i = r.header + 1; i < r.end; ++i) {
        if (isComment(trimBlanks(lines_[i]))) continue;
        if (sameName(splitEntry(lines_[i]).key, key)) return i;
    }
    return -1;
}

std::optional<QList<IniDocument::Entry>> IniDocument::entries(const QByteArray& section) const {
    const auto r = find(section);
    if (!r) return std::nullopt;
    QList<Entry> out;
    for (qsizetype i = r->header + 1; i < r->end; ++i)
        if (!isComment(trimBlanks(lines_[i]))) out << splitEntry(lines_[i]);
    return out;
}

std::optional<QByteArray> IniDocument::value(const QByteArray& section,
                                             const QByteArray& key) const {
    const auto r = find(section);
    if (!r) return std::nullopt;
    const qsizetype i = findKey(*r, key);
    if (i < 0) return std::nullopt;
    return unquote(splitEntry(lines_[i]).value);
}

qsizetype IniDocument::insertionPoint(const Range& r) const {
    qsizetype at = r.end;
    while (at > r.header + 1 && trimBlanks(lines_[at - 1]).isEmpty())
        --at;
    return at;
}

void IniDocument::appendSection(const QByteArray& section, const QList<QByteArray>& lines) {
    lines_ << "[" + section + "]";
    lines_ << lines;
}

void IniDocument::setValue(const QByteArray& section, const QByteArray& key,
                           const QByteArray& value) {
    const QByteArray line = key + "=" + value;
    const auto r = find(section);
    if (!r) {
        appendSection(section, {line});
        return;
    }
    const qsizetype i = findKey(*r, key);
    if (i >= 0) {
        lines_[i] = splitEntry(lines_[i]).key + "=" + value;  // the key keeps its spelling
    } else {
        lines_.insert(insertionPoint(*r), line);
    }
}

void IniDocument::removeKey(const QByteArray& section, const QByteArray& key) {
    const auto r = find(section);
    if (!r) return;
    const qsizetype i = findKey(*r, key);
    if (i >= 0) lines_.removeAt(i);
}

void IniDocument::removeSection(const QByteArray& section) {
    if (const auto r = find(section)) lines_.remove(r->header, r->end - r->header);
}

void IniDocument::replaceSection(const QByteArray& section, const QList<QByteArray>& lines) {
    const auto r = find(section);
    if (!r) {
        appendSection(section, lines);
        return;
    }
    const qsizetype keep = insertionPoint(*r);
    QList<QByteArray> tail = lines_.mid(keep, r->end - keep);  // blank lines after it
    lines_.remove(r->header + 1, r->end - r->header - 1);
    qsizetype at = r->header + 1;
    for (const QByteArray& l : lines)
        lines_.insert(at++, l);
    for (const QByteArray& l : tail)
        lines_.insert(at++, l);
}

}  // namespace orv
