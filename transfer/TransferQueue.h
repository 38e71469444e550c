#pragma once
// The transfer queue is the list box ListBox1: one full source path per item,
// shown as text and kept byte for byte (native names need not be UTF-8).

#include <QListWidget>

#include <string>

namespace vidlark {

void AppendToQueue(QListWidget& queue, const std::string& path);
std::string QueuedPath(const QListWidget& queue, int index);
// Removes the first entry and returns its path; empty when the queue is empty.
std::string TakeFirstQueued(QListWidget& queue);

} // namespace vidlark
