#include "app/rolls/RollsModel.h"

#include <QFont>

int RollsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_records.size());
}

QVariant RollsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_records.size())
        return {};
    const combat::RollRecord &record = m_records.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
        return combat::rollLine(record);
    case Qt::FontRole:
        if (record.marks.contains(QStringLiteral("20")) || record.marks.contains(QStringLiteral("threat"))) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    default:
        return {};
    }
}

void RollsModel::add(const QList<combat::RollRecord> &records)
{
    if (records.isEmpty())
        return;
    const int added = int(std::min<qsizetype>(records.size(), MaxLines));
    beginInsertRows({}, 0, added - 1);
    m_records = records.first(added) + m_records;
    endInsertRows();
    if (m_records.size() > MaxLines) {
        beginRemoveRows({}, MaxLines, int(m_records.size()) - 1);
        m_records.resize(MaxLines);
        endRemoveRows();
    }
}
