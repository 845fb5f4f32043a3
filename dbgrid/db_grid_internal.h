#pragma once
// What the grid's sources share.

#include <string>

#include "framework/dataset.h"

namespace dbgrid_internal {

// The dataset is editing, inserting or setting a key.
inline bool IsEditingState(TDataSet* DataSet) {
    const TDataSetState state = DataSet->GetState();
    return state == dsEdit || state == dsInsert || state == dsSetKey;
}

// A bookmark string as the dataset's bookmark pointer.
inline TBookmark AsBookmark(const TBookmarkStr& Bookmark) {
    return reinterpret_cast<TBookmark>(const_cast<char*>(Bookmark.data()));
}

}  // namespace dbgrid_internal
