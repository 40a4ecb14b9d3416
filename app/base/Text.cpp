#include "base/Text.h"

#include "orv/gbk.h"

namespace orv {

QByteArray toGbk(const QString& text) {
    const std::u16string_view view(reinterpret_cast<const char16_t*>(text.utf16()),
                                   static_cast<std::size_t>(text.size()));
    const std::string bytes = gbk::fromUtf16(view);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString fromGbk(const QByteArray& bytes) {
    const std::u16string text =
        gbk::toUtf16(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QString trimSpaces(const QString& text) {
    qsizetype first = 0, last = text.size();
    while (first < last && text[first] == QLatin1Char(' '))
        ++first;
    while (last > first && text[last - 1] == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

}  // namespace orv
