#pragma once

#include <QString>

class QMimeData;

// The one local file a drag carries, or "" when it carries anything else.
QString draggedCombatFile(const QMimeData *data);
