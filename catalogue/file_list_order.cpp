// The shared key list of the file-list controller: the selection, all items and the slideshow
// orders.

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "catalogue/file_list.h"
#include "dbgrid/db_grid.h"
#include "framework/math_utils.h"

void TLMFileList2::ForEachItem(const std::function<bool(TgxTreeListNode* Node)>& Visit) {
    if (!FGrid) return;
    // Child positions rather than sibling links: finding a sibling searches its list.
    std::vector<std::pair<TgxTreeListNode*, Integer>> stack;
    auto visit = [&](TgxTreeListNode* Node) {
        if (Node->GetCount() > 0) {
            stack.emplace_back(Node, 0);
            return true;
        }
        return Visit(Node);
    };
    for (Integer i = 0; i < FGrid->GetCount(); ++i) {
        if (!visit(FGrid->GetItem(i))) return;
        while (!stack.empty()) {
            auto& [node, next] = stack.back();
            if (next >= node->GetCount()) {
                stack.pop_back();
                continue;
            }
            if (!visit(node->GetItem(next++))) return;
        }
    }
}

std::vector<Integer> TLMFileList2::AllKeys() {
    std::vector<Integer> keys;
    ForEachItem([&](TgxTreeListNode* Node) {
        if (const Integer key = GetNodeKeyID(Node); key != -1) keys.push_back(key);
        return true;
    });
    return keys;
}

std::vector<Integer> TLMFileList2::SelectedKeys() {
    std::vector<Integer> keys;
    if (!FGrid || FGrid->GetSelectedCount() == 0) return keys;
    std::unordered_set<TgxTreeListNode*> selected;
    for (Integer i = 0; i < FGrid->GetSelectedCount(); ++i)
        if (TgxTreeListNode* n = FGrid->GetSelectedNode(i)) selected.insert(n);
    // A selection store without nodes (bookmarks kept for records not loaded) is asked per node.
    const bool byNode = selected.empty();
    ForEachItem([&](TgxTreeListNode* Node) {
        if (byNode ? Node->GetSelected() : selected.count(Node) != 0)
            if (const Integer key = GetNodeKeyID(Node); key != -1) keys.push_back(key);
        return true;
    });
    return keys;
}

Integer TLMFileList2::SetList(const std::function<std::vector<Integer>()>& Keys) {
    try {
        FList = Keys();
    } catch (...) {
        FList.clear();
    }
    FStale = false;
    FNotRandom = true;
    return Integer(FList.size());
}

Integer TLMFileList2::PrepareSelectedList() {
    return SetList([&] { return SelectedKeys(); });
}

Integer TLMFileList2::PrepareAllList() {
    return SetList([&] { return AllKeys(); });
}

void TLMFileList2::EnsureList() {
    if (FStale) PrepareAllList();
}

TgxTreeListNode* TLMFileList2::GetListNode(Integer Index) {
    try {
        EnsureList();
        if (Index < 0 || Index >= GetListCount()) return nullptr;
        return NodeOfKey(FList[size_t(Index)]);
    } catch (...) {
        return nullptr;
    }
}

Integer TLMFileList2::GetListKeyID(Integer Index) {
    EnsureList();
    if (Index < 0 || Index >= GetListCount() || !NodeOfKey(FList[size_t(Index)]))
        throw Exception("Node not found!");
    return FList[size_t(Index)];
}

void TLMFileList2::GetListFileRecord(Integer Index, TFileRecord& Rec) { NodeToFileRecord(GetListNode(Index), Rec); }

// ---- the slideshow -------------------------------------------------------------------------------

void TLMFileList2::BuildSlideshowOrder(bool FromCurrent, Word Method) {
    std::vector<Integer> items;
    try {
        items = AllKeys();
    } catch (...) {
        items.clear();
    }
    // Without a focused item in the list "from current" is the natural start.
    Integer start = -1;
    if (FromCurrent && Method != 2) {
        const Integer focused = GetFocusedKeyID();
        if (focused != -1) {
            auto at = std::find(items.begin(), items.end(), focused);
            if (at != items.end()) start = Integer(at - items.begin());
        }
    }
    FList.clear();
    FList.reserve(items.size());
    if (Method == 1) {
        for (Integer i = start >= 0 ? start : Integer(items.size()) - 1; i >= 0; --i) FList.push_back(items[size_t(i)]);
    } else if (Method == 2) {
        if (Reseed) Reseed();
        // Every item is equally likely at every place: the draw covers all that are left.
        for (size_t left = items.size(); left > 0; --left) {
            const size_t pick = size_t(Random(Integer(left)));
            FList.push_back(items[pick]);
            items[pick] = items[left - 1];
        }
    } else {
        FList.assign(items.begin() + std::max<Integer>(start, 0), items.end());
    }
    FPosition = -1;
    FStale = false;
    FMethodChanged = false;
    FNotRandom = Method != 2;
}

void TLMFileList2::SyncSlideshowPosition() {
    if (FSlideshowMethod == 2) return;
    const Integer focused = GetFocusedKeyID();
    if (focused == -1) return;
    if (FStale) BuildSlideshowOrder(false, FSlideshowMethod);
    auto at = std::find(FList.begin(), FList.end(), focused);
    if (at != FList.end()) FPosition = Integer(at - FList.begin());
}

bool TLMFileList2::SlideshowNext() {
    if (FPosition >= GetListCount() - 1) FStale = true;
    if (FStale)
        BuildSlideshowOrder(false, FSlideshowMethod);
    else if (FMethodChanged)
        BuildSlideshowOrder(true, FSlideshowMethod);
    if (FList.empty()) return true;
    const bool last = FPosition + 1 == GetListCount() - 1 && !LoopSlideshow;
    ++FPosition;
    GotoKeyID(FList[size_t(FPosition)]);
    return last;
}

bool TLMFileList2::SlideshowPrevious() {
    if (FStale) {
        // The old order is gone; the rebuilt one starts before its first entry.
        BuildSlideshowOrder(false, FSlideshowMethod);
        return false;
    }
    if (FPosition <= 0 || FPosition >= GetListCount()) return false;
    const bool first = FPosition == 1 && !LoopSlideshow;
    --FPosition;
    GotoKeyID(FList[size_t(FPosition)]);
    return first;
}

void TLMFileList2::SlideshowRandomNext() {
    // A new order starts before its first entry, so that a round shows every item.
    if (FNotRandom || FStale || FPosition + 1 >= GetListCount()) BuildSlideshowOrder(false, 2);
    if (FList.empty()) return;
    ++FPosition;
    GotoKeyID(FList[size_t(FPosition)]);
}
