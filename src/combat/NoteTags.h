#pragma once

#include "combat/Conditions.h"

#include <QString>

// Marks a game master writes in a row's note, saved with it and read by older versions as
// plain text: "[Hidden]" keeps a combatant off the players' window until its first turn,
// "[PC]" marks a player's character. Matched ignoring case.
namespace combat {

inline const QString HiddenTag = QStringLiteral("[Hidden]");
inline const QString PlayerTag = QStringLiteral("[PC]");

bool hasTag(const QString &note, const QString &tag);

// The note with the tag added at its end, after one blank unless the note is empty or ends
// with white space; unchanged when it has the tag already.
QString withTag(const QString &note, const QString &tag);

// The note with every copy of the tag taken out, each with one adjoining blank (the one after
// it, else the one before); restoreText puts them back exactly.
struct TagRemoval
{
    QString note;
    QList<RemovedText> removed;
};
TagRemoval withoutTag(const QString &note, const QString &tag);

// Puts the removed texts back at their positions (ascending, as withoutTag gives them).
QString restoreText(const QString &note, const QList<RemovedText> &removed);

} // namespace combat
