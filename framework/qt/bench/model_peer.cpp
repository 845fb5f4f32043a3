#include "framework/qt/bench/model_peer.h"

#include <QStandardItemModel>
#include <QString>

#include <malloc.h>

size_t lumora_bench::QtStandardModelBytes(const std::vector<std::vector<std::string>>& Rows) {
    const size_t before = mallinfo2().uordblks;
    auto* model = new QStandardItemModel();
    for (const auto& row : Rows) {
        QList<QStandardItem*> items;
        items.reserve(qsizetype(row.size()));
        for (const std::string& text : row) items.append(new QStandardItem(QString::fromStdString(text)));
        model->appendRow(items);
    }
    const size_t after = mallinfo2().uordblks;
    delete model;
    return after > before ? after - before : 0;
}
