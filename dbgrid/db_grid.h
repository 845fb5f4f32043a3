#pragma once
// TgxDBGrid: the tree list bound to a data source. Every record of the dataset becomes a node
// (load-all mode), columns bound to fields by name show the record's values, records can be
// grouped under group nodes by the values of chosen columns, and the focused node and the
// dataset's current record follow each other.
//
// Sources: db_grid.cpp (binding and loading), db_grid_column.cpp (columns), db_grid_sync.cpp
// (focus and dataset in step, dataset changes), db_grid_select.cpp (selection, keys, options),
// db_grid_grouping.cpp (the grouping list and its bracket), db_grid_window.cpp (window mode),
// db_grid_partial.cpp (partial-load mode).

#include <functional>
#include <string>
#include <vector>

#include "framework/data_source.h"
#include "framework/dataset.h"
#include "treelist/tree_list_control.h"

class TCustomgxDBGrid;
class TgxDBTreeListColumn;
class TgxDBGridSummaryGroup;
class TgxDBGridSummaryGroups;
class TRegIniWrapper;

// ---- options ----------------------------------------------------------------------------------

enum TgxDBGridOption {
    egoColumnSizing,
    egoColumnMoving,
    egoEditing,
    egoTabs,
    egoTabThrough,
    egoRowSelect,
    egoMultiSelect,
    egoCanDelete,
    egoConfirmDelete,
    egoCanNavigation,
    egoCanAppend,
    egoCancelOnExit,
    egoImmediateEditor,
    egoCanInsert,
    egoLoadAllRecords,
    egoPreview,
    egoDrawEndEllipsis,
    egoStoreToRegistry,
    egoAutoWidth,
    egoShowHourGlass,
    egoCaseInsensitive,
    egoDblClick,
    egoIndicator,
    egoExtMultiSelect,
    egoResetColumnFocus,
    egoExtCustomizing,
    egoHideFocusRect,
    egoStoreToIniFile,
    egoUseLocate,
    egoSmartReload,
    egoSmartRefresh,
    egoSeekDetail,
};
using TgxDBGridOptions = TSet<TgxDBGridOption, 32>;

enum TgxDBGridOptionEx {
    egoInvertSelect,
    egoUseBitmap,
    egoBandHeaderWidth,
    egoAutoCalcPreviewLines,
    egoBandSizing,
    egoBandMoving,
    egoHorzThrough,
    egoVertThrough,
    egoCellMultiSelect,
    egoEnterThrough,
    egoEnterShowEditor,
    egoFullSizing,
    egoDragScroll,
    egoDragExpand,
    egoDragCollapse,
    egoRowAutoHeight,
    egoBandButtonClicking,
    egoBandPanelSizing,
    egoHeaderButtonClicking,
    egoHeaderPanelSizing,
    egoRowSizing,
    egoAutoSort,
    egoNotHideColumn,
    egoMultiSort,
    egoShowButtonAlways,
    egoAutoHeaderPanelHeight,
    egoKeepColumnWidth,
    egoSyncSelection,
    egoCollapsedReload,
    egoAnsiSort,
    egoMouseScroll,
    egoAutoSearch,
};
using TgxDBGridOptionsEx = TSet<TgxDBGridOptionEx, 32>;

constexpr TgxDBGridOptions DefaultDBGridOptions{egoColumnSizing,    egoColumnMoving,  egoEditing,       egoTabThrough,
                                                egoCanDelete,       egoConfirmDelete, egoCanNavigation, egoCancelOnExit,
                                                egoImmediateEditor, egoCanInsert};
constexpr TgxDBGridOptionsEx DefaultDBGridOptionsEx{egoUseBitmap,   egoBandHeaderWidth, egoBandSizing, egoBandMoving,
                                                    egoVertThrough, egoEnterShowEditor, egoDragScroll, egoAutoSort};

enum TgxSummaryType { cstNone, cstSum, cstMin, cstMax, cstCount, cstAvg };

// ---- nodes ------------------------------------------------------------------------------------

// The value of one cell as the record held it: nvValue marks FieldValue, nvLookupKey LookupKey.
inline constexpr Byte nvValue = 1;
inline constexpr Byte nvLookupKey = 2;
struct TNodeVariantData {
    Byte Flags = 0;
    Variant FieldValue = Null();
    Variant LookupKey = Null();
};

class TgxDBTreeListControlNode : public TgxTreeListTextNode {
    LUMORA_CLASS(TgxDBTreeListControlNode, TgxTreeListTextNode)
public:
    explicit TgxDBTreeListControlNode(TCustomgxTreeList* AOwner) : TgxTreeListTextNode(AOwner) {}

protected:
    ~TgxDBTreeListControlNode() override = default;
};

class TgxDBGridNode : public TgxDBTreeListControlNode {
    LUMORA_CLASS(TgxDBGridNode, TgxDBTreeListControlNode)
public:
    explicit TgxDBGridNode(TCustomgxTreeList* AOwner) : TgxDBTreeListControlNode(AOwner) {}

    // The key of the node's record; a group node carries its first leaf's.
    Variant KeyValue;
    // For a group node the value its grouping column stands for; Null for leaves.
    Variant GroupValue = Null();
    long double GroupSummary = 0;
    bool GroupSummaryAssigned = false;
    // One total per item of the grouping column's summary group; empty until first used.
    struct TItemSummary {
        long double Value = 0;
        bool Assigned = false;
    };
    std::vector<TItemSummary> ItemSummaries;
    std::string PreviewText;
    // Position of the record in the walk that loaded it; a group node carries its first leaf's.
    Integer RecordIndex = 0;
    // The record's own bookmark, taken when the leaf was loaded.
    TBookmarkStr Bookmark;

    // The cell records, indexed like the columns.
    std::vector<TNodeVariantData> Cells;

protected:
    ~TgxDBGridNode() override = default;
};

// ---- the data link ----------------------------------------------------------------------------

class TgxGridDataLink : public TDataLink {
    LUMORA_CLASS(TgxGridDataLink, TDataLink)
public:
    explicit TgxGridDataLink(TCustomgxDBGrid* AGrid);

    TCustomgxDBGrid* GetGrid() const { return FGrid; }
    // The field of a name (asking it for free-notification to the grid); -1 when the dataset
    // lacks it.
    void AddFieldName(const std::string& Name);
    TField* GetField(Integer Index) const;
    Integer GetFieldCount() const { return Integer(FFieldIndexes.size()); }
    void ClearFields() { FFieldIndexes.clear(); }
    bool GetModified() const { return FModified; }
    void SetModified(bool Value) { FModified = Value; }

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(Integer Distance) override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;
    void EditingChanged() override {}
    void LayoutChanged() override;
    void FocusControl(TField*& Field) override;

private:
    friend class TCustomgxDBGrid;
    TCustomgxDBGrid* FGrid;
    std::vector<Integer> FFieldIndexes;
    bool FModified = false;
};

// ---- columns ----------------------------------------------------------------------------------

using TColumnGetText = std::function<void(TObject* Sender, TgxTreeListNode* ANode, std::string& AText)>;
using TgxSummaryEvent = std::function<void(TObject* Sender, TDataSet* DataSet, long double& Value)>;

class TgxDBTreeListColumn : public TgxTreeListColumn {
    LUMORA_CLASS(TgxDBTreeListColumn, TgxTreeListColumn)
public:
    explicit TgxDBTreeListColumn(TComponent* AOwner);
    void BeforeDestruction() override;

    TCustomgxDBGrid* GetGrid() const;
    TField* GetField() const { return FField; }
    const std::string& GetFieldName() const { return FFieldName; }
    bool GetDisableGrouping() const { return FDisableGrouping; }
    void SetDisableGrouping(bool Value);
    Integer GetGroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(Integer Value);

    TColumnGetText OnGetText;

    void Assign(TPersistent* Source) override;
    TAlignment GetDefaultAlignment() override;
    void GetDefaultCaption(std::string& Text) override;
    bool GetDefaultReadOnly() override;
    Integer GetDefaultWidth() override;
    void RestoreDefaults() override;

    // -- new virtual operations
    virtual void SetFieldName(const std::string& Value);
    virtual bool NeedsFieldValue() { return false; }
    // The field's display text; empty without a field.
    virtual void GetFieldDisplayText(std::string& Text);
    virtual void GetFieldEditText(TField* Field, std::string& Text) { Text = Field ? Field->GetText() : ""; }
    virtual void ConvertEditText(const std::string& Text, std::string& Result) { Result = Text; }
    virtual void VariantToText(const Variant& Value, std::string& Text) { Text = VarToStr(Value); }
    // The Variant type by which the column's cells compare.
    virtual TVarType GetSortKind();
    virtual bool CanEditBlob() { return false; }
    virtual void SetFieldEditText(TField* Field, const std::string& Text);

protected:
    friend class TCustomgxDBGrid;
    // Looks the field up again (nil when the grid has no active dataset or the name is empty).
    void BindField();

    TField* FField = nullptr;
    std::string FFieldName;
    bool FDisableGrouping = false;
    Integer FGroupIndex = -1;
};

class TgxDBGridColumn : public TgxDBTreeListColumn {
    LUMORA_CLASS(TgxDBGridColumn, TgxDBTreeListColumn)
public:
    explicit TgxDBGridColumn(TComponent* AOwner) : TgxDBTreeListColumn(AOwner) {}

    TgxSummaryType GetSummaryType() const { return FSummaryType; }
    void SetSummaryType(TgxSummaryType Value);
    bool GetSortBySummary() const { return FSortBySummary && FSummaryType != cstNone; }
    void SetSortBySummary(bool Value) { FSortBySummary = Value && FSummaryType != cstNone; }
    std::string SummaryField, SummaryFormat, SummaryGroupName;
    TgxSummaryType SummaryFooterType = cstNone;
    std::string SummaryFooterField, SummaryFooterFormat;
    TgxSummaryEvent OnSummary, OnSummaryFooter;

    // Found at the start of a load (db_grid_summary.cpp): the fields of SummaryField and of the
    // footer summary, and the footer total.
    TField* SummaryFieldObj = nullptr;
    TField* FooterFieldObj = nullptr;
    long double FooterValue = 0;
    bool FooterValueAssigned = false;
    // The footer cell: empty for cstNone, else the formatted footer total.
    std::string GetFooterText();

private:
    TgxSummaryType FSummaryType = cstNone;
    bool FSortBySummary = false;
};

// ---- column kinds ------------------------------------------------------------------------------

// The column class a field type gets when the grid makes its own columns, and the priority of the
// column kind that proposed it.
struct TgxDBGridColumnClassEntry {
    TClass ColumnClass = nullptr;
    Integer Priority = 0;
};
using TgxDBGridColumnClassProposal =
    std::function<void(TFieldType FieldType, TFieldKind FieldKind, TgxDBGridColumnClassEntry& Entry)>;
// Field types ftUnknown .. ftTypedBinary have an entry each; later types get TgxDBGridColumn.
inline constexpr int GridColumnClassTypes = 22;
// A column kind proposes classes: Callback is asked for every field type in order (with fkData
// and the current entry), then once with ftUnknown and fkLookup for lookup fields; a proposal
// replaces an entry only with a higher priority.
void RegisterDefaultColumnClasses(const TgxDBGridColumnClassProposal& Callback);
// The table as it starts: no class for ftUnknown, TgxDBGridColumn for every other entry, lookup
// fields included, all with priority 0.
void ResetDefaultColumnClasses();

// ---- the grid ---------------------------------------------------------------------------------

using TgxGetEditColor =
    std::function<void(TObject* Sender, TgxTreeListNode* Node, TgxTreeListColumn* Column, TColor& Color)>;
using TgxGetPreviewTextEvent = std::function<void(TObject* Sender, TgxTreeListNode* Node, std::string& Text)>;
using TAddGroupColumnEvent = std::function<void(TObject* Sender, TgxDBTreeListColumn* Column, bool& Allow)>;
using TgxDBTreeListColumnSorting = std::function<void(TObject* Sender, TgxDBTreeListColumn* Column, bool& Allow)>;
using TEndDragGroupColumn =
    std::function<void(TObject* Sender, TgxDBTreeListColumn* Column, Integer NewGroupIndex, bool& Allow)>;
using TgxDBGridBackgroundDrawEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect)>;

class TCustomgxDBTreeListControl : public TCustomgxTreeListControl {
    LUMORA_CLASS(TCustomgxDBTreeListControl, TCustomgxTreeListControl)
public:
    explicit TCustomgxDBTreeListControl(TComponent* AOwner);

    // Case-insensitive; raises "<Name>: Column by Field ''<name>'' not found" when none.
    TgxDBTreeListColumn* ColumnByFieldName(const std::string& FieldName);
    TgxDBTreeListColumn* FindColumnByFieldName(const std::string& FieldName);
    TgxDBTreeListColumn* GetDBColumn(Integer Index) const;
    Integer GetGrIndicatorWidth() override { return FGrIndicatorWidth; }
    void SetGrIndicatorWidth(Integer Value);

    TgxGetEditColor OnGetEditColor;

    // -- new virtual operations
    virtual TDataLink* GetDataLink() = 0;
    virtual TDataSource* GetDataSource() = 0;
    virtual bool GetDefaultFields() = 0;
    virtual void UpdateColumnField(TgxDBTreeListColumn* /*Column*/) {}
    virtual void ChangeGroupIndex(TgxDBTreeListColumn* /*Column*/, Integer /*NewIndex*/) {}
    virtual void ColumnRenamed(const std::string& /*OldName*/, const std::string& /*NewName*/) {}
    virtual void ClearGrouping() {}
    // A column of ColumnClass owned by AOwner, named "<grid>Column<n>" and attached to the grid.
    virtual TgxTreeListColumn* CreateColumn(TClass ColumnClass, TComponent* AOwner);

    TColor GetEditColor() override;
    // The focused column's field's EditMask (empty without a field); a mask column's own mask
    // replaces it in its editor.
    void GetEditMask(std::string& Value) override;

private:
    Integer FGrIndicatorWidth = 12;
};

class TCustomgxDBGrid : public TCustomgxDBTreeListControl {
    LUMORA_CLASS(TCustomgxDBGrid, TCustomgxDBTreeListControl)
public:
    explicit TCustomgxDBGrid(TComponent* AOwner);
    void BeforeDestruction() override;
    ~TCustomgxDBGrid() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // -- binding
    TDataLink* GetDataLink() override { return FDataLink; }
    TgxGridDataLink* GetGridDataLink() const { return FDataLink; }
    TDataSource* GetDataSource() override { return FDataLink->GetDataSource(); }
    void SetDataSource(TDataSource* Value);
    TDataSet* GetDataSet() const { return FDataLink->GetDataSet(); }
    const std::string& GetKeyField() const { return FKeyField; }
    void SetKeyField(const std::string& Value);
    TField* GetKeyFieldObj() const { return FKeyFieldObj; }
    bool GetDefaultFields() override { return FDefaultFields; }
    void SetDefaultFields(bool Value);
    const std::string& GetPreviewFieldName() const { return FPreviewFieldName; }
    void SetPreviewFieldName(const std::string& Value);
    Integer GetPreviewMaxLength() const { return FPreviewMaxLength; }
    void SetPreviewMaxLength(Integer Value);
    bool GetUseBookmarks() const { return FUseBookmarks; }
    void SetUseBookmarks(bool Value);
    bool GetPartialLoad() const { return FPartialLoad; }
    void SetPartialLoad(bool Value);
    Integer GetPartialLoadBufferCount() const { return FPartialLoadBufferCount; }
    void SetPartialLoadBufferCount(Integer Value) { FPartialLoadBufferCount = Value; }
    TgxDBGridOptions GetOptions() const { return FOptions; }
    void SetOptions(TgxDBGridOptions Value);
    TgxDBGridOptionsEx GetOptionsEx() const { return FOptionsEx; }
    void SetOptionsEx(TgxDBGridOptionsEx Value);
    Integer GetRecordCount() const { return FRecordCount; }

    // -- modes
    bool IsGridMode();
    bool IsWindowMode() { return IsGridMode() && !FPartialLoad; }
    bool IsPartialLoadMode() { return IsGridMode() && FPartialLoad; }
    bool IsLoadAllMode() { return !IsGridMode(); }

    // -- loading
    void ReloadData(bool Active);
    void ReloadNodes();
    void RefreshNodes();
    // The first leaf in tree order whose key equals Value; nil in window mode.
    TgxTreeListNode* FindNodeByKeyValue(const Variant& Value);
    // Window mode copies records rather than nodes: every record of the dataset, or with
    // multi-select the selected records in selection order (db_grid_window.cpp).
    void SaveToStrings(TStrings* Strings) override;
    void SaveSelectedToStrings(TStrings* Strings) override;
    void GetNodeVariantData(TgxTreeListNode* Node, Integer Column, TNodeVariantData& Data);
    void SetNodeVariantData(TgxTreeListNode* Node, Integer Column, const TNodeVariantData& Data);
    void LoadNodeData(TgxTreeListNode* Node);
    void LoadCellData(TgxTreeListNode* Node, TgxDBTreeListColumn* Column);

    // -- columns
    TgxTreeListColumn* CreateColumn(TClass ColumnClass, TComponent* AOwner) override;
    TgxTreeListColumn* CreateColumnByClass(TClass ColumnClass);
    void CreateDefaultColumns(TDataSet* DataSet, TComponent* AOwner);
    virtual TClass GetDefaultColumnClass();
    virtual TClass GetColumnClassForField(TField* Field);
    void LinkDefaultFields();
    void DestroyColumns() override;
    void RemoveColumn(TgxTreeListColumn* Column) override;

    // -- grouping
    void BeginGrouping();
    void EndGrouping();
    Integer GetGroupColumnCount() const { return Integer(FGroupColumns.size()); }
    TgxDBTreeListColumn* GetGroupColumn(Integer Index) const;
    bool AddGroupColumn(Integer Index, TgxDBTreeListColumn* Column);
    void RemoveGroupColumn(Integer Index);
    virtual bool CanAddGroupColumn(TgxDBTreeListColumn* Column);
    void ChangeGroupIndex(TgxDBTreeListColumn* Column, Integer NewIndex) override;
    void ClearGrouping() override;
    void UpdateColumnField(TgxDBTreeListColumn* Column) override;
    void RefreshGrouping();

    // -- summaries (db_grid_summary.cpp)
    TgxDBGridSummaryGroups* GetSummaryGroups();
    void SetSummaryGroups(TgxDBGridSummaryGroups* Value);
    const std::string& GetSummarySeparator() const { return FSummarySeparator; }
    void SetSummarySeparator(const std::string& Value);
    bool GetShowSummaryFooter() const { return GetShowFooter(); }
    void SetShowSummaryFooter(bool Value) { SetShowFooter(Value); }
    // Without a SummaryGroupName or SummaryType the default group, else the group of that name
    // (without regard to case); nil when none.
    TgxDBGridSummaryGroup* FindSummaryGroup(TgxDBTreeListColumn* Column);
    // The summary part of a group row.
    std::string GetGroupSummaryText(TgxTreeListNode* Node, TgxDBTreeListColumn* Column);
    virtual void UpdateGroupFields();
    virtual long double GetNodeSummaryValue(TgxTreeListNode* Node);
    void ColumnRenamed(const std::string& OldName, const std::string& NewName) override;
    virtual void DoBeforeCalcSummary();
    // Recomputes every group and footer summary from the nodes; KeepFooter (after a smart reload,
    // which leaves the records as they were) recomputes only the group summaries.
    void RecalcSummaries(bool KeepFooter = false);
    // The group level orders its group nodes by their summary (its grouping column's
    // SortBySummary), rather than by their values.
    bool SortsBySummary(Integer Level);
    // Orders every such level by the summaries, descending when its column sorts down.
    void ApplySummarySort();
    std::function<void(TObject* Sender, TgxTreeListNode* Node, TDataSet* DataSet, long double& Value)>
        OnGroupNodeSummary;
    TNotifyEvent OnBeforeCalcSummary, OnAfterCalcSummary;
    void GetRowFooterCellText(TgxTreeListNode* Node, Integer Column, Integer FooterIndex, std::string& Text) override;
    bool IsExistFooterCell(Integer Column) override;
    bool IsExistRowFooterCell(TgxTreeListNode* Node, Integer Column, Integer FooterIndex) override;
    bool IsLevelFooter(Integer Level) override;
    void ClearCache() override;

    // -- the group panel above the headers (db_grid_group_panel.cpp): a box per grouping column,
    // each one step right and half a header row lower than the previous; headers dragged onto it
    // group, boxes dragged off it ungroup. Showing or hiding it slides the rows for at most 400 ms.
    bool GetShowGroupPanel() const { return FShowGroupPanel; }
    void SetShowGroupPanel(bool Value);
    TColor GetGroupPanelColor() const { return FGroupPanelColor; }
    void SetGroupPanelColor(TColor Value);
    TColor GetGroupPanelFontColor() const { return FGroupPanelFontColor; }
    void SetGroupPanelFontColor(TColor Value);
    // The panel's height for Count grouping columns, shown or not.
    Integer GroupPanelHeightFor(Integer Count);
    Integer GetGroupPanelHeight() override { return FShowGroupPanel ? GroupPanelHeightFor(GetGroupColumnCount()) : 0; }
    // Box Index of the panel in client coordinates.
    TRect GetGroupPanelBox(Integer Index);
    // Where a header dropped at client X goes: the first box whose centre lies right of X, else
    // the grouping column count.
    Integer GetGroupDropPosition(Integer X);
    // The grouping column whose box holds the client point, nil when none.
    TgxDBTreeListColumn* GetGroupColumnAt(Integer X, Integer Y);
    bool IsOnGroupPanel(TPoint P);
    void DrawTopPanel(TCanvas* ACanvas, const TRect& ARect, HBRUSH ABrush) override;
    void CalcDropPosition(TPoint& P, TgxHeaderPosInfo& PosInfo, Integer DraggedItem, Integer PressedItem,
                          bool IsBand) override;
    void GetHeaderDragCursor(TPoint P, TCursor& Cursor) override;
    bool IsCustomizing() override;
    void EndDragHeader(bool Drop) override;
    virtual void DoEndDragGroupColumn(TgxDBTreeListColumn* Column, Integer NewGroupIndex, bool& Allow);
    TEndDragGroupColumn OnEndDragGroupColumn;
    TgxDBGridBackgroundDrawEvent OnBackgroundDrawEvent;

    // -- the stored layout (db_grid_layout.cpp): the visibility switches, bands, column places,
    // widths, grouping and sorting, in an INI file section or under a registry key of the
    // current user. With egoStoreToIniFile / egoStoreToRegistry the grid reads it when it is
    // loaded and writes it when it is destroyed.
    const std::string& GetIniFileName() const { return FIniFileName; }
    void SetIniFileName(const std::string& Value) { FIniFileName = Value; }
    const std::string& GetIniSectionName() const { return FIniSectionName; }
    void SetIniSectionName(const std::string& Value) { FIniSectionName = Value; }
    const std::string& GetRegistryPath() const { return FRegistryPath; }
    void SetRegistryPath(const std::string& Value) { FRegistryPath = Value; }
    // The section is IniSectionName, else "<form name>_<grid name>".
    void LoadFromIniFile(const std::string& FileName);
    void SaveToIniFile(const std::string& FileName);
    // Reads nothing when the key does not exist.
    void LoadFromRegistry(const std::string& Path);
    void SaveToRegistry(const std::string& Path);
    void LoadLayout(TRegIniWrapper* Store, const std::string& Section);
    // Saving to an INI file first erases the section and the sections below it.
    void SaveLayout(TRegIniWrapper* Store, const std::string& Section);

    // -- focus and dataset
    void MoveDataSetToNode(TgxTreeListNode* Focused, TgxTreeListNode* Node, bool UseLocate, const Variant& Key);
    void FocusCurrentRecord();
    void SyncFocusedNode();
    virtual Integer MoveBy(Integer Distance);
    // Partial-load mode: 0 rebuilds the slice around the current record, 1 extends it at the
    // end, 2 at the start, 3 loads every record. TopMode places the current row: 0 where the
    // focused row was, 1 at the top, 2 on the last whole row.
    void PartialLoadRecords(Integer Mode, Integer TopMode = 0, bool KeepSelection = false);

    // -- selection
    void SelectAll();
    TgxDBTreeListColumn* GetSortedDBColumn();

    // -- events
    TNotifyEvent OnChangeNodeEx;
    TNotifyEvent OnClearNodeData;
    TTLNodeEvent OnRefreshNodeData;
    TNotifyEvent OnReloadGroupList;
    TgxGetPreviewTextEvent OnGetPreviewText;
    // Extra text of a group row (appended after its value and summary).
    TgxGetPreviewTextEvent OnGetGroupNodeText;
    TAddGroupColumnEvent OnAddGroupColumn;
    TgxDBTreeListColumnSorting OnColumnSorting;

    // -- answers to the tree list
    TgxTreeListNode* CreateNode() override;
    Variant GetNodeValue(TgxTreeListNode* Node, Integer Column) override;
    std::string GetNodeString(TgxTreeListNode* Node, Integer Column) override;
    Variant GetNodeSortValue(TgxTreeListNode* Node, Integer Column) override;
    void GetPreviewText(TgxTreeListNode* Node, std::string& Text) override;
    void DeleteColumnValues(TgxTreeListNode* Node, Integer Column) override;
    void AfterLayoutChanged() override;
    void PrepareLayout() override;
    void NodeDeleted(TgxTreeListNode* Node, TgxTreeListNode* PrevSiblingOrParent, TgxTreeListNode* NextVisible,
                     bool IsLast, bool WasVisible) override;
    bool IsGroupNode(TgxTreeListNode* Node) override { return Node && Node->GetCount() != 0; }
    void SetFocusedCell(TgxTreeListNode* Node, Integer Column, bool MakeVisible) override;
    void SetFocusedAbsoluteIndex(Integer Index) override;
    bool FocusNodeOnCollapse(TgxTreeListNode* Node) override;
    Integer GetIndicatorImage(TgxTreeListNode* Node, bool Selected) override;
    bool CanScroll() override;
    bool CanDblClick() override { return FOptions.Contains(egoDblClick); }
    void SortNodes(Integer Level, Integer Column, bool Descending) override;
    void ClearSorting() override;
    bool CanSortNodes() override { return !IsWindowMode(); }
    bool IsAutoSort() override { return FOptionsEx.Contains(egoAutoSort) && !IsGridMode(); }
    bool IsMultiSort() override { return FOptionsEx.Contains(egoMultiSort) && !IsWindowMode(); }
    bool CanColumnSorting(TgxTreeListColumn* Column) override;
    void PrepareColumnSort(TgxTreeListColumn* Column) override;
    void ColumnSortChanged(TgxTreeListColumn* Column) override;
    void SortingChanged() override;

    // -- the selection store
    Integer GetSelectedCount() override { return Integer(FSelection.size()); }
    TgxTreeListNode* GetSelectedNode(Integer Index) override;
    bool IsNodeSelected(TgxTreeListNode* Node) override;
    void SetNodeSelected(TgxTreeListNode* Node, bool Value) override;
    bool CanSelectNode(TgxTreeListNode* Node) override;
    void ClearSelection() override;
    void DeleteSelection() override;
    void SelectNodeRange(TgxTreeListNode* Node1, TgxTreeListNode* Node2) override;
    void DoSelectedCountChange() override;
    void BeginSelectionUpdate() override;
    void EndSelectionUpdate() override;
    Integer CompareSelectionItems(TgxTreeListNode* Node1, TgxTreeListNode* Node2) override;
    void SetSelectionAnchor(TgxTreeListNode* Node) override;
    Integer CompareWithSelectionAnchor(TgxTreeListNode* Node) override;
    void ChangeTopVisibleNode(TgxTreeListNode* Node) override;
    // Window mode, and partial-load mode short of either end: the dataset is searched.
    bool SearchNodeByText(Integer Column, const std::string& Text, TgxTreeListNode*& Node, Integer Mode) override;

    // -- window mode: the buffer rows
    void UpdateScrollBars() override;
    bool IsFirstNode(TgxTreeListNode* Node) override;
    bool IsLastVisibleNode(TgxTreeListNode* Node) override;
    void GetVertScrollInfo(Integer& Min, Integer& Max, Integer& Page, Integer& Pos) override;

    // Deletes the record of a leaf (the Ctrl+Delete key on one row).
    void DeleteNodeRecord(TgxTreeListNode* Node);

protected:
    friend class TgxGridDataLink;
    friend class TgxDBTreeListColumn;

    void KeyDown(Word& Key, TShiftState Shift) override;
    void WMVScroll(TMessage& Message) override;
    // Line and thumb moves stop at column boundaries.
    void WMHScroll(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

    // -- data link notifications
    void DataSetChanged();
    void RecordChanged(TField* Field);
    void LinkLayoutChanged();
    void LinkActiveChanged();

    // The walk over the dataset that builds the nodes; OldNodes (sorted by key) are reused.
    virtual void LoadNodes(std::vector<TgxDBGridNode*>* OldNodes);
    virtual void DoClearNodeData();
    virtual void DoRefreshNodeData(TgxTreeListNode* Node);
    virtual void DoChangeNodeEx();

private:
    class TPartialLoader;
    struct TSelectionEntry {
        TBookmarkStr Bookmark;
        TgxTreeListNode* Node;
    };
    struct TChangeNodeInfo {
        Variant Id = Null();
        Integer Level = -1;
        bool Selected = false;
    };

    TgxDBGridNode* AsGridNode(TgxTreeListNode* Node) const { return static_cast<TgxDBGridNode*>(Node); }
    void FindKeyField();
    void FindPreviewField();
    Variant CurrentKey();
    // The position among the siblings (Parent's children, or the top level) where a group node
    // of Value stands or belongs, searching from position From on; Found tells which. At a level
    // ordered by summary the search is linear and a new group node belongs at the end (nullptr).
    TgxTreeListNode* FindGroupNode(TgxTreeListNode* Parent, const Variant& Value, bool Descending, bool& Found,
                                   Integer From = 0);
    TgxDBGridNode* AddGroupNode(TgxTreeListNode* Parent, TgxTreeListNode* Before, TgxDBTreeListColumn* Column,
                                const Variant& Value, const Variant& Key, Integer RecordIndex);
    // A group node that takes Column's cell from Leaf.
    TgxDBGridNode* AddLeafGroupNode(TgxTreeListNode* Parent, TgxTreeListNode* Before, TgxDBTreeListColumn* Column,
                                    const Variant& Value, TgxDBGridNode* Leaf);
    // The group value of a leaf for a grouping column.
    Variant GetLeafGroupValue(TgxDBGridNode* Node, TgxDBTreeListColumn* Column);
    void UpdateGroupKeys();
    // The row a reload found at the top before it, made the top row once the nodes are laid out.
    void RestoreTopNode();
    void FreeWithEmptyParents(TgxTreeListNode* Node);
    void Resort();
    bool CanSmartRefresh();
    // The dataset holds as many records as the grid has leaves, or the current one fewer.
    bool RecordCountInStep();
    bool CanSmartReload() { return FOptions.Contains(egoSmartReload) && FGroupsChanged && !IsWindowMode(); }
    void SmartRefreshCurrentRecord();
    void RefreshNodeInPlace(TgxTreeListNode* Node);
    TgxTreeListNode* RefreshFocusedNode(TgxTreeListNode* Node);
    TgxTreeListNode* KeySearch(const Variant& Key, TgxTreeListNode* Exclude);
    void AddInsertNode(bool AtEnd);
    void SmartReload();
    // Orders leaves by RecordIndex, keeping the order of equal ones.
    void InRecordOrder(std::vector<TgxTreeListNode*>& Leaves);
    void ApplyGroupIndexes();
    bool IsTouched(TgxTreeListNode* Node) const;
    // Another grid on the same dataset is loading or locating.
    bool OtherGridBusy() const;
    TChangeNodeInfo TakeChangeNodeInfo();
    void CompareChangeNodeInfo();
    bool IsBookmarkSelection() { return FUseBookmarks || IsWindowMode(); }
    // Where a bookmark is or belongs in the bookmark selection.
    bool FindBookmark(const TBookmarkStr& Bookmark, Integer& Index);
    Integer CompareBookmarkStr(const TBookmarkStr& A, const TBookmarkStr& B);
    Integer NodeSelectionPlace(TgxTreeListNode* Node);
    void SaveSelection();
    void DropSavedSelection();
    // Re-selects a loaded leaf that the saved selection held.
    void RestoreLeafSelection(TgxDBGridNode* Leaf);
    bool ConfirmDelete();
    void InvalidateKeyIndex() { FKeyIndexValid = false; }
    // Every node in depth-first order (a node before its children), by child positions: walking
    // by sibling links would search each sibling list again.
    template <class F>
    void WalkNodes(F&& Visit) {
        std::vector<std::pair<TgxTreeListNode*, Integer>> stack;
        for (Integer i = 0; i < GetCount(); ++i) {
            stack.emplace_back(GetItem(i), 0);
            Visit(GetItem(i));
            while (!stack.empty()) {
                auto& [node, next] = stack.back();
                if (next >= node->GetCount()) {
                    stack.pop_back();
                    continue;
                }
                TgxTreeListNode* child = node->GetItem(next++);
                Visit(child);
                stack.emplace_back(child, 0);
            }
        }
    }
    // The key map, built when it is not valid.
    void BuildKeyIndex();
    // Window mode: Read() with the data link's active record at Node's buffer row.
    template <class F>
    auto AtBufferRow(TgxTreeListNode* Node, F&& Read) -> decltype(Read());
    Variant WindowNodeValue(TgxTreeListNode* Node, Integer Column);
    std::string WindowNodeString(TgxTreeListNode* Node, Integer Column);
    // The current record's cell text in Column (before the column's OnGetText).
    std::string RecordText(TgxDBTreeListColumn* Column);
    // Window mode: the header line, then a line for each record Visit moves the dataset to
    // (Visit calls Write once per record), with the controls disabled and the bookmark restored.
    void SaveRecordsToStrings(TStrings* Strings, const std::function<void(const std::function<void()>& Write)>& Visit);
    std::string WindowPreviewText(TgxTreeListNode* Node);
    TBookmarkStr WindowBookmark(TgxTreeListNode* Node);
    // Sizes the data link's buffer to the rows that fit and keeps one node per buffer record.
    void UpdateWindowNodes();
    // Window mode, Shift with PgUp, PgDn, Home or End: the records from the anchor to the one
    // the key moves to become the selection.
    void SelectByKeyboard(Word Key);
    // Window mode with editing: Up, Down and Insert append, insert and cancel records; true when
    // the key was handled (and consumed).
    bool WindowEditingKey(Word& Key, TShiftState Shift);
    // Partial-load mode after a dataset move: the slice is rebuilt when it lost the current record.
    void PartialMoveBy();

    TgxGridDataLink* FDataLink;
    std::string FKeyField;
    TField* FKeyFieldObj = nullptr;
    TField* FPreviewField = nullptr;
    std::string FPreviewFieldName;
    Integer FPreviewMaxLength = 0;
    bool FDefaultFields = false;
    bool FGeneratingColumns = false;
    bool FPartialLoad = false;
    Integer FPartialLoadBufferCount = 100;
    bool FUseBookmarks = true;
    TgxDBGridOptions FOptions = DefaultDBGridOptions;
    TgxDBGridOptionsEx FOptionsEx = DefaultDBGridOptionsEx;

    bool FLoading = false;
    bool FLocating = false;
    bool FLocateEcho = false;
    bool FInSync = false;
    bool FMovingByIndex = false;
    bool FRefreshing = false;
    bool FSelectAllLoading = false;
    bool FRegrouping = false;
    bool FGroupsChanged = false;
    bool FApplyingGroupIndexes = false;
    bool FUpdatingColumnField = false;
    bool FUpdatingWindow = false;
    Integer FWindowRowCount = 1;
    bool FBOFReached = false;
    bool FEOFReached = false;
    Integer FPartialLoadLock = 0;
    // The record of the selection anchor (window and partial-load modes).
    TBookmarkStr FAnchorBookmark;
    // Where the horizontal position stood when the thumb drag began; -1 outside a drag.
    Integer FThumbDragStart = -1;
    Variant FTopKey;
    Integer FTopLevel = 0;
    TgxTreeListNode* FTopNodeToRestore = nullptr;
    Variant FPendingKey = Null();
    TgxTreeListNode* FPendingNode = nullptr;
    // AddGroupColumn gives the new grouping column its sort; the reload that follows orders it.
    bool FAddingGroupColumn = false;
    Integer FRecordCount = 0;
    Integer FFocusedColumnIndex = -1;

    std::vector<TgxDBTreeListColumn*> FGroupColumns;
    std::vector<std::string> FSavedGroupFields;
    Integer FGroupingLock = 0;
    Integer FSavedMode = 0;

    std::vector<TSelectionEntry> FSelection;
    std::vector<TBookmarkStr> FSavedSelection;
    std::vector<Variant> FSavedSelectionKeys;
    std::vector<TgxTreeListNode*> FTouchedNodes;
    Integer FSelectionBracket = 0;
    TChangeNodeInfo FChangeNodeInfo;

    // -- the group panel (db_grid_group_panel.cpp)
    // Presses on a box: true when the press was the panel's.
    bool GroupPanelMouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    void SlideGroupPanel(bool Showing);
    bool FShowGroupPanel = false;
    TColor FGroupPanelColor = clBtnShadow;
    TColor FGroupPanelFontColor = clBtnFace;
    TgxDBTreeListColumn* FGroupPanelColumn = nullptr;
    TPoint FGroupPanelPress;
    bool FGroupPanelDragPending = false;
    bool FGroupPanelDragging = false;

    // -- the stored layout (db_grid_layout.cpp)
    std::string LayoutSection();
    void LoadStoredLayout();
    void SaveStoredLayout();
    std::string FIniFileName, FIniSectionName, FRegistryPath;
    std::string FParentFormName;

    // -- summaries (db_grid_summary.cpp)
    void ResetFooterTotals();
    void AddFooterRecord(TgxTreeListNode* Node, const std::vector<TgxDBTreeListColumn*>* Columns);
    void AddGroupRecord(TgxTreeListNode* Group, TgxTreeListNode* Node,
                        const std::vector<TgxDBTreeListColumn*>* Columns);
    void FinishSummaries(bool NoDivide);
    // The columns the footer and group summaries read from nodes, built before a recomputation.
    void BuildSummaryColumns();
    // The numeric value of a leaf in a column, 0 for none.
    long double NodeNumber(TgxTreeListNode* Node, TgxDBTreeListColumn* Column);
    // Item index per grouping level and column, -1 for none.
    const std::vector<Integer>* RowFooterItems(Integer Level);
    TgxDBGridSummaryGroups* FSummaryGroups = nullptr;
    std::string FSummarySeparator = ", ";
    std::vector<TgxDBTreeListColumn*> FFooterSummaryColumns, FGroupSummaryColumns;
    std::vector<std::vector<Integer>> FRowFooterItems;
    bool FRowFooterItemsValid = false;

    // Key to first leaf, built on demand and dropped on every node change.
    std::vector<std::pair<Variant, TgxTreeListNode*>> FKeyIndex;
    bool FKeyIndexValid = false;
};

class TgxDBGrid : public TCustomgxDBGrid {
    LUMORA_CLASS(TgxDBGrid, TCustomgxDBGrid)
public:
    explicit TgxDBGrid(TComponent* AOwner) : TCustomgxDBGrid(AOwner) {}
};

// Variant order for the grid: a comparison that fails counts as less; two unassigned values are
// equal.
int GridVarCompare(const Variant& A, const Variant& B);
bool GridVarEquals(const Variant& A, const Variant& B);
