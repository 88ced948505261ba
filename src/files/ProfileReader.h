#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

// A reader of the profile ("ini") layout that combat files use. It parses the
// bytes once; every lookup answers from that parse.
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

private:
    using Keys = QHash<QString, QString>; // case-folded key -> value

    void parse(const QString &text);
    const Keys *findSection(const QString &section) const;

    QList<Keys> m_sections;
    QHash<QString, qsizetype> m_sectionIndex; // case-folded name -> index
};

// The value of one key of one section of the file at `path`; "" when there is
// no readable ordinary file there, or the section or key is missing.
QString ReadIniValue(const QString &section, const QString &key, const QString &path);

} // namespace files
