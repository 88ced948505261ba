#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

class CombatDocument;

// Whom the target bar aims at: the row chosen by typed letters, a row number or the arrows,
// and those added before it. Each is remembered with the combatant its row held when it was
// chosen, so that a row cleared, loaded anew or renamed since is never struck in its stead.
class TargetChoice
{
public:
    explicit TargetChoice(const CombatDocument &document)
        : m_document(document)
    {
    }

    // Starts anew with `row` chosen when it is offered; the current combatant's row goes on
    // following the turn until another is chosen.
    void start(int row);
    // Whom the choice offers: those in the fight, in the order they fight (combat::targetRows);
    // those who put off their turns and may act now; or every named row, those in the fight
    // first.
    enum class Offer { Fight, Waiting, Named };
    void setOffer(Offer offer) { m_offer = offer; }
    QList<int> offered() const;

    int chosen() const { return m_chosen; }
    // False once Space has moved on from the last added to a row it only offers.
    bool chosenCounts() const { return m_chosenCounts; }
    const QList<int> &added() const { return m_added; }
    // Whom a blow strikes: the added rows and the chosen one, when it counts.
    QList<int> targets() const;
    // The one Ctrl+H names: the chosen when it counts, else the last added.
    int aimed() const;
    // The name the row held when it was chosen.
    QString nameSeen(int row) const { return m_seen.value(row).name; }

    // The first offered row the text names, now chosen; false (nothing chosen) when none.
    bool choose(const QString &typed);
    // The next or previous in the order (from the current combatant when nobody is chosen).
    void step(int by);
    // The chosen row joins the targets, and the next in the order not yet added is offered.
    // With `saved` it made its saving throw, or, added already, it did not after all.
    bool add(bool saved = false);
    // The targets that made their saves against the blow.
    bool saved(int row) const { return m_saved.contains(row); }
    QList<int> savedTargets() const;
    // After any change of the combat: follows the turn, and drops every target that left
    // the fight or whose row no longer holds it. The names of those dropped.
    QStringList follow();

private:
    void setChosen(int row);
    bool stillHolds(int row) const;

    struct Seen
    {
        quint32 serial = 0;
        QString name;
    };

    const CombatDocument &m_document;
    int m_chosen = -1;
    bool m_chosenCounts = true;
    bool m_followsTurn = false;
    Offer m_offer = Offer::Fight;
    QList<int> m_added;
    QList<int> m_saved;
    QHash<int, Seen> m_seen;
};
