#include "app/widgets/DraggedFile.h"

#include <QMimeData>
#include <QUrl>

QString draggedCombatFile(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return QString();
    const QUrl url = data->urls().constFirst();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}
