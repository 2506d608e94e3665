#include "dialogs/sorted_list_insert.h"

#include <QTreeWidget>

int SortedInsertPosition(const QTreeWidget& list, const QString& itemText) {
    const int count = list.topLevelItemCount();
    for (int row = 0; row < count; ++row) {
        if (QString::compare(list.topLevelItem(row)->text(0), itemText, Qt::CaseInsensitive) > 0) {
            return row;
        }
    }
    return count;
}

int InsertSorted(QTreeWidget& list, QTreeWidgetItem* item) {
    const int row = SortedInsertPosition(list, item->text(0));
    list.insertTopLevelItem(row, item);
    return row;
}
