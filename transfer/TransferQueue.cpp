#include "transfer/TransferQueue.h"

#include <memory>

namespace vidlark {

void AppendToQueue(QListWidget& queue, const std::string& path)
{
    auto* item = new QListWidgetItem(QString::fromStdString(path), &queue);
    item->setData(Qt::UserRole, QByteArray::fromStdString(path));
}

std::string QueuedPath(const QListWidget& queue, int index)
{
    const QListWidgetItem* item = queue.item(index);
    return item ? item->data(Qt::UserRole).toByteArray().toStdString() : std::string();
}

std::string TakeFirstQueued(QListWidget& queue)
{
    const std::string path = QueuedPath(queue, 0);
    std::unique_ptr<QListWidgetItem> item(queue.takeItem(0));
    return path;
}

} // namespace vidlark
