#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringView>

// A reader of the profile ("ini") layout that combat files use. It decodes and
// parses the bytes once; every lookup answers from that parse.
//
// Reading rules: section and key names match without regard to case, blanks
// around them ignored; the value is everything after the first '=' of its line,
// blanks and quotes kept; lines end in CR LF, LF or CR; lines without '=' and
// anything before the first section are ignored; of duplicate sections or keys
// the first wins.
namespace files {

class ProfileReader
{
public:
    explicit ProfileReader(const QByteArray &bytes);

    // Missing section, missing key and empty value all read as "".
    QString ReadIniValue(const QString &section, const QString &key) const;
    bool hasSection(const QString &section) const;
    // A key line present, even with an empty value.
    bool hasKey(const QString &section, const QString &key) const;

    // The last line when no line end closes it, as in a file cut short; empty when
    // the text ends with one.
    QStringView unendedLine() const { return m_unendedLine; }
    // The name of the last section line before the unended line, blanks trimmed;
    // null when none comes before it.
    QStringView sectionBeforeUnendedLine() const { return m_sectionBeforeUnended; }

    // A section or key name, hashed and compared as Qt compares without regard to
    // case. The hash is kept: comparing it first spares reading most names' text.
    struct Name
    {
        explicit Name(QStringView name);
        QStringView text;
        size_t hash;
    };

private:
    // Names and values are views into m_text, which is never changed after the
    // parse, so a copy of the reader shares the text and its views stay valid.
    using Section = QHash<Name, QStringView>; // key -> value, the first of each key
    QString m_text;
    QHash<Name, Section> m_sections; // the first section of each name
    QStringView m_unendedLine;
    QStringView m_sectionBeforeUnended;
};

bool operator==(const ProfileReader::Name &a, const ProfileReader::Name &b) noexcept;
size_t qHash(const ProfileReader::Name &name, size_t seed = 0) noexcept;

} // namespace files
