#pragma once

#include <QByteArray>
#include <QList>
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
    ProfileReader(const ProfileReader &) = delete; // the parse points into m_text
    ProfileReader &operator=(const ProfileReader &) = delete;

    // Missing section, missing key and empty value all read as "".
    QString ReadIniValue(const QString &section, const QString &key) const;
    bool hasSection(const QString &section) const;

private:
    // Views into m_text: parsing allocates nothing per line.
    struct Entry
    {
        QStringView key;
        QStringView value;
    };
    struct Section
    {
        QStringView name;
        QList<Entry> entries;
        bool duplicate = false; // an earlier section has the name; lookups pass it by
    };

    void parse();
    const Section *findSection(QStringView name) const;

    QString m_text;
    QList<Section> m_sections;
    mutable qsizetype m_lastSection = 0; // lookups come section by section
};

// The value of one key of one section of the file at `path`; "" when there is
// no readable ordinary file there, or the section or key is missing.
QString ReadIniValue(const QString &section, const QString &key, const QString &path);

} // namespace files
