// clsIniFile: the settings file, read and written at once on every call
// (nothing is cached), with the behaviour of the Windows private-profile
// functions the program relies on. Values are GBK on disk; lines end CR LF;
// a missing file is created by the first write. A file that exists but
// cannot be read gives the defaults to every read, and every write fails
// and leaves it as it is: a write keeps the file's other content, which it
// could not know.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace orv {

class IniFile {
public:
    IniFile() = default;
    explicit IniFile(QString filename) : filename_(std::move(filename)) {}

    // Replaces the section with `data`: "key=value" entries separated by NUL.
    bool SetSectionData(const QString& section, const QString& data);
    // The section's "key=value" entries separated by NUL ("" when absent),
    // at most 32765 characters.
    QString GetSectionData(const QString& section) const;
    // Deletes the key; a null key (QString()) deletes the whole section.
    bool DeleteSetting(const QString& section, const QString& key = QString());
    // Writes the value's text; false without writing when it has none or
    // the file cannot be read.
    bool SaveSetting(const QString& section, const QString& key, const QVariant& value);
    // Several values, in one write of the file; false, writing nothing,
    // when the file cannot be read.
    struct Setting {
        QString section, key, value;
    };
    bool SaveSettings(const QList<Setting>& settings);
    // The value, cut to 254 bytes; `def` when the key is missing or empty.
    QString GetSetting(const QString& section, const QString& key, const QString& def) const;
    // Section names, or one empty name and 0 when there are none.
    qint32 GetSections(QStringList& names) const;
    qint32 GetKeys(const QString& section, QStringList& names) const;

    // What GetSectionData and GetSetting give for a file holding `content`
    // (the update manifest is read from its bytes with the same rules).
    static QString SectionDataOf(const QByteArray& content, const QString& section);
    static QString SettingOf(const QByteArray& content, const QString& section, const QString& key,
                             const QString& def);

    // The bytes every read above goes by: empty when the file is missing or
    // cannot be read. Several settings read from one reading agree.
    QByteArray contents() const { return load().value_or(QByteArray()); }

    const QString& Filename() const { return filename_; }
    void setFilename(const QString& f) { filename_ = f; }

private:
    // The file's bytes: empty when it does not exist, nullopt when it
    // exists but cannot be read.
    std::optional<QByteArray> load() const;
    bool write(const QByteArray& content) const;
    template <typename Edit>
    bool edit(Edit&& change);

    QString filename_;
};

}  // namespace orv
