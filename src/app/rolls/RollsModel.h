#pragma once

#include "combat/Rolls.h"

#include <QAbstractListModel>
#include <QList>

// The lines of the Rolls list, newest on top, the last MaxLines kept. They live only as long
// as the window: rolls are neither saved nor steps of the history.
class RollsModel : public QAbstractListModel
{
    Q_OBJECT

public:
    static constexpr int MaxLines = 200;

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // The line as combat::rollLine writes it; bold for a natural 20 or a threat.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Puts the lines on top, in the order given (one command's rolls read top to bottom).
    void add(const QList<combat::RollRecord> &records);
    const combat::RollRecord &record(int line) const { return m_records.at(line); }

private:
    QList<combat::RollRecord> m_records;
};
