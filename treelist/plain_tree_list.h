#pragma once
// TgxTreeList: the ready-to-place tree list that keeps its own data. Every node is a text node,
// the selected nodes are held in a list ordered by node address, a node change can re-sort the
// list by its sorted column, cells are edited as text, and the whole node tree is stored as the
// byte stream "Data" (WriteData / ReadData).
//
// TgxTreeListMaskColumn: a column with an edit mask; its cells are edited by
// TgxInplaceTreeListMaskEdit, which takes the column's mask.

#include <functional>
#include <string>
#include <vector>

#include "framework/stream.h"
#include "treelist/inplace_text_edit.h"
#include "treelist/tree_list_control.h"

using TgxTLGetFooterCellText = std::function<void(TObject* Sender, TgxTreeListNode* ANode, Integer AColumn,
                                                  Integer AFooterIndex, std::string& AText)>;
using TgxTLGetPreviewLineCount = std::function<void(TObject* Sender, TgxTreeListNode* ANode, Integer& LCount)>;
using TgxTLGetPreviewText = std::function<void(TObject* Sender, TgxTreeListNode* ANode, std::string& AText)>;
using TgxTLIsExistRowFooterCell = std::function<void(TObject* Sender, TgxTreeListNode* ANode, Integer AColumn,
                                                     Integer AFooterIndex, bool& AExist)>;
using TgxTLIsLevelFooter = std::function<void(TObject* Sender, Integer ALevel, bool& AExist)>;

class TgxTreeList : public TCustomgxTreeListControl {
    LUMORA_CLASS(TgxTreeList, TCustomgxTreeListControl)
public:
    explicit TgxTreeList(TComponent* AOwner);
    // The selection goes first.
    void BeforeDestruction() override;

    // -- the node stream "Data": little-endian 32-bit fields, one record per node written depth
    // first, texts as UTF-8 with a length byte (cut to at most 255 bytes at a character).
    // Written only when there is a top-level node.
    bool HasData() const { return GetCount() > 0; }
    void WriteData(TStream* Stream);
    // Replaces the nodes by those of the stream. A record header below 24 bytes, a count the
    // rest of the stream cannot hold or an early end raise EReadError; the nodes read so far
    // stay.
    void ReadData(TStream* Stream);

    // -- events
    TgxTLGetFooterCellText OnGetFooterCellText;
    TgxTLGetPreviewLineCount OnGetPreviewLineCount;
    TgxTLGetPreviewText OnGetPreviewText;
    TgxTLGetPreviewLineCount OnGetRowLineCount;
    TgxTLIsExistRowFooterCell OnIsExistRowFooterCell;
    TgxTLIsLevelFooter OnIsLevelFooter;

    // -- answers to the layers below
    // The focused node's text in the focused column.
    void GetEditText(std::string& Value) override;
    // Stores a changed text, measures the row again when its height follows the text, re-sorts.
    void SetNodeEditText(TgxTreeListNode* Node, Integer Column, const std::string& Text) override;
    Variant GetNodeSortValue(TgxTreeListNode* Node, Integer Column) override;
    Integer GetIndicatorImage(TgxTreeListNode* Node, bool Selected) override;
    void GetPreviewText(TgxTreeListNode* Node, std::string& Text) override;
    Integer GetRowLineCount(TgxTreeListNode* Node, Integer& LineHeight) override;
    Integer GetPreviewLineCount(TgxTreeListNode* Node) override;
    void GetRowFooterCellText(TgxTreeListNode* Node, Integer Column, Integer FooterIndex, std::string& Text) override;
    bool IsExistRowFooterCell(TgxTreeListNode* Node, Integer Column, Integer FooterIndex) override;
    bool IsLevelFooter(Integer Level) override;
    void NodeAdded(TgxTreeListNode* Node) override;
    void NodeDeleted(TgxTreeListNode* Node, TgxTreeListNode* PrevSiblingOrParent, TgxTreeListNode* NextVisible,
                     bool IsLast, bool WasVisible) override;
    void SetNodeString(TgxTreeListNode* Node, Integer Column, const std::string& Text) override;
    void PrepareLayout() override;
    void ClearSorting() override;
    void PrepareColumnSort(TgxTreeListColumn* Column) override;
    void ColumnSortChanged(TgxTreeListColumn* Column) override;
    void SortingChanged() override;

    // -- the selection store
    Integer GetSelectedCount() override { return Integer(FSelection.size()); }
    TgxTreeListNode* GetSelectedNode(Integer Index) override;
    bool IsNodeSelected(TgxTreeListNode* Node) override;
    void SetNodeSelected(TgxTreeListNode* Node, bool Value) override;
    void ClearSelection() override;
    void DeleteSelection() override;
    void SelectNodeRange(TgxTreeListNode* Node1, TgxTreeListNode* Node2) override;

private:
    // The first column in list order that is sorted (with multi-sorting the first of the sorted
    // columns, which it becomes when the list is empty); nullptr when none.
    TgxTreeListColumn* FirstSortedColumn();
    // After a node was added or deleted or a cell text set.
    void AutoResort();
    // Where Node is or belongs in the selection.
    std::vector<TgxTreeListNode*>::iterator SelectionPlace(TgxTreeListNode* Node);

    std::vector<TgxTreeListNode*> FSelection;
    bool FDeferredResort = false;
};

class TgxTreeListMaskColumn : public TgxTreeListColumn {
    LUMORA_CLASS(TgxTreeListMaskColumn, TgxTreeListColumn)
public:
    explicit TgxTreeListMaskColumn(TComponent* AOwner) : TgxTreeListColumn(AOwner) {}
    const std::string& GetEditMask() const { return FEditMask; }
    void SetEditMask(const std::string& Value) { FEditMask = Value; }
    TClass GetEditorClass() override;
    void RestoreDefaults() override;
    void Assign(TPersistent* Source) override;

private:
    std::string FEditMask;
};

// The masked editor of a mask column: the container's mask, replaced by the edited column's
// EditMask when that is not empty.
class TgxInplaceTreeListMaskEdit : public TgxInplaceMaskEdit {
    LUMORA_CLASS(TgxInplaceTreeListMaskEdit, TgxInplaceMaskEdit)
public:
    explicit TgxInplaceTreeListMaskEdit(TComponent* AOwner) : TgxInplaceMaskEdit(AOwner) {}
    void GetMaskFromContainer(std::string& Mask) override;
};
