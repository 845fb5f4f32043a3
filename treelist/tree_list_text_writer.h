#pragma once
// The text form of a tree list's rows: a header line of the shown columns' captions and one line
// of cells per row, each cell followed by TAB. Used by the copy command and by lists that write
// rows the tree list does not hold as nodes.

#include <string>
#include <vector>

#include "framework/string_list.h"
#include "treelist/tree_list.h"

class TgxTreeListTextWriter {
public:
    TgxTreeListTextWriter(TCustomgxTreeList* AList, TStrings* AStrings);
    // The captions, each followed by TAB, then CR.
    void Header();
    // A group node's own text, or the node's cells.
    void Node(TgxTreeListNode* Node);
    // A row whose cells Text gives (the absolute column index to the cell text).
    template <class F>
    void Row(F&& Text) {
        FLine.clear();
        for (Integer column : Columns) {
            FLine += Text(column);
            FLine += '\t';
        }
        S->Add(FLine);
    }

private:
    TCustomgxTreeList* L;
    TStrings* S;
    std::vector<Integer> Columns;
    std::string FLine;
};
