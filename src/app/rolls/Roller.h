#pragma once

#include "app/rolls/RollsModel.h"
#include "combat/Dice.h"

#include <QObject>

class CombatDocument;

// A window's dice: rolls what the document's rows ask for into the Rolls list. Only Roll
// Initiative changes the combat, as one step of the document's history.
class Roller : public QObject
{
public:
    explicit Roller(CombatDocument &document, QObject *parent = nullptr);

    RollsModel &rolls() { return m_rolls; }

    void rollInitiative(bool monstersOnly);
    // The row's Attack or Damage text; with no row (-1), a line that says so.
    void rollRow(int row, combat::RollKind kind);
    void rollAgain(int line);

private:
    CombatDocument &m_document;
    combat::RandomDice m_dice{combat::diceSeedFromEnvironment()};
    RollsModel m_rolls;
};
