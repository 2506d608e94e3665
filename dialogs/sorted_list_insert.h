#pragma once

#include <QString>

class QTreeWidget;
class QTreeWidgetItem;

// Rows of a list kept in ascending order of their item text (column 0), compared as text
// without regard to case, so "1", "10", "2". A new row goes before the first row whose text
// compares greater: rows with equal text keep the order in which they were inserted.
int SortedInsertPosition(const QTreeWidget& list, const QString& itemText);

// Inserts `item` (taking ownership) at its sorted position and returns that position.
int InsertSorted(QTreeWidget& list, QTreeWidgetItem* item);
