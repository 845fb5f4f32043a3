#pragma once
// How the main window's file grid shows its files: the texts of the size, kind, type name, date,
// attribute, dimension and description columns, the drawn icon and file-name cells and the
// preview line, the one-entry cache of type names and icons, the sort and header menus and the
// grid commands. The presenter works over a grid, its columns, the file-list controller and the
// thumbnail grid, and asks the window what it needs through TFileGridWindow, so it can run on
// any form.
//
// Every text rule and drawing handler swallows its failures: an empty text or an undrawn cell.

#include <functional>
#include <string>

#include "catalogue/file_grid_columns.h"
#include "framework/component.h"
#include "framework/date_time.h"
#include "treelist/tree_list.h"

class TAction;
class TCachedDoubleStringList;
class TImgFunctions;
class TMenuItem;
class TPopupMenu;
class TgxDBTreeListColumn;
class TgxTreeListColumn;
class TgxTreeListNode;
struct TGridLayout;

// What the presenter asks of the window that shows the grid; an empty member answers 0, false
// or "" and does nothing.
struct TFileGridWindow {
    // The setting "FileSizeDetailLevel".
    std::function<Integer()> FileSizeDetailLevel;
    std::function<bool()> FullScreen;
    // The window's display is set up (the icon cells are drawn only then).
    std::function<bool()> DisplayInitialised;
    // The browse mode in force: 3 folders, 4 bookmarks.
    std::function<Integer()> BrowseMode;
    // The open bookmark list has changed and is to be saved.
    std::function<void()> BookmarkListChanged;
    // The description of a file ("" when it has none).
    std::function<std::string(const std::string& FullName)> DescriptionText;
    // The selection status is to be shown again.
    std::function<void()> SelectionStatus;
    // Where the dimension cache keeps its file (with a trailing "/"); asked on first use, no
    // cache while it is "".
    std::function<std::string()> CacheFolder;
};

// The shell's type name and small system icon index of an existing file; false when it cannot
// tell. The presenter's default asks SHGetFileInfo; tests put a counting fake in its place.
using TShellTypeInfo = std::function<bool(const std::string& FileName, std::string& TypeName, Integer& IconIndex)>;

// The one entry: the type name and icon of the last extension asked for.
struct TWindowsFileInfoCache {
    std::string Extension;  // upper case, with its point
    std::string TypeName;
    Integer IconIndex = 0;  // in the small system image list
    bool Invalid = true;  // fetched again on the next request
};

class TFileGridPresenter : public TComponent {
    LUMORA_CLASS(TFileGridPresenter, TComponent)
public:
    // Grid and Columns are required; List, Thumbs and ImgFunc may be null. The presenter makes
    // its header menu, grid menu, actions and the dimension cache owned by itself, and hooks the
    // columns' and the grid's events.
    TFileGridPresenter(TComponent* AOwner, TgxDBGrid* Grid, const TFileGridColumns& Columns, TLMFileList2* List,
                       TgxThumbGrid2* Thumbs, TImgFunctions* ImgFunc, TFileGridWindow Window);

    TFileGridWindow Window;
    TShellTypeInfo ShellInfo;

    // ---- column text rules ---------------------------------------------------------------------
    // "" for a text that is no number or a negative one (missing files carry -9), else the size
    // text at the FileSizeDetailLevel.
    std::string GetSizeColumnText(const std::string& Value);
    // The stored kind code as the kind's caption ("Image file"); "" when it is no number.
    std::string GetLMTypeColumnText(const std::string& Value);
    // Value, or "" when it is no date and time or is 0.
    std::string GetDateColumnText(const std::string& Value);
    // The shell's type name through the cache; "EXT File" when the shell cannot name the type.
    std::string GetWindowsTypeString(const std::string& FileName);
    // "R" for a file the user may not write, "H" for a hidden (dot) file.
    std::string GetAttributesText(const std::string& FileName);
    // "WxHxBPPbit" of an image file, through the dimension cache when UseCache is set; "" for
    // anything that is no readable image.
    std::string GetImageDimensions(const std::string& FileName, bool UseCache, TDateTime FileDate);
    std::string GetDescriptionColumnText(TgxTreeListNode* Node);
    // The display text of one column of a node as the grid shows it ("" on any failure).
    std::string GetNodeValue(TgxTreeListNode* Node, TgxTreeListColumn* Column);

    // Fills the cache entry for the file's extension.
    void SetWindowsFileInfoCache(const std::string& FileName);
    const TWindowsFileInfoCache& GetWindowsFileInfoCache() const { return FInfoCache; }

    // The thumbnail grid's OnGetDimensions.
    void ThumbGridGetDimensions(TObject* Sender, const std::string& FileName, TDateTime FileDate,
                                std::string& Dimensions);

    // ---- sorting -------------------------------------------------------------------------------
    // Rebuilds Item as the "File Sorting" submenu.
    void GenerateSortMenuItems(TMenuItem* Item);
    void mkSortClick(TObject* Sender);
    void mkClearSortClick(TObject* Sender);
    void FileGridColumnSorting(TObject* Sender, TgxDBTreeListColumn* Column, bool& Allow);

    // ---- the header menu -----------------------------------------------------------------------
    TPopupMenu* pmHeader = nullptr;
    TMenuItem* pukSortAscending = nullptr;
    TMenuItem* pukSortDescending = nullptr;
    TMenuItem* pukGroupByThisField = nullptr;
    TMenuItem* mkShowGroupingArea = nullptr;
    TMenuItem* pukRemoveThisColumn = nullptr;
    TMenuItem* pukColumnSelector = nullptr;
    TMenuItem* pukBestFit = nullptr;
    TMenuItem* pukBestFitallcolumns = nullptr;
    // The column the header menu was opened on (null: none).
    TgxTreeListColumn* GetHeaderColumn() const { return FHeaderColumn; }
    void SetHeaderColumn(TgxTreeListColumn* Column);
    // Sets the header column and the menu's checks and opens it at the screen point.
    void PopupHeaderMenu(TgxTreeListColumn* Column, Integer X, Integer Y);
    void pukSortAscendingClick(TObject* Sender);
    void pukSortDescendingClick(TObject* Sender);
    void pukGroupByThisFieldClick(TObject* Sender);
    void pukRemoveThisColumnClick(TObject* Sender);
    void pukBestFitClick(TObject* Sender);
    void pukBestFitallcolumnsClick(TObject* Sender);

    // ---- the grid menu and the actions ---------------------------------------------------------
    // The grid settings menu: the "File Sorting" submenu, rebuilt each time it opens, and the
    // grid actions.
    TPopupMenu* PopFileGrid = nullptr;
    TMenuItem* mkGridSorting = nullptr;
    TAction* actGridGrouper = nullptr;
    TAction* actGridColumnSelector = nullptr;
    TAction* actGridColumnWidth = nullptr;
    TAction* actGridPreview = nullptr;
    TAction* actGridCollapseAll = nullptr;
    TAction* actGridExpandAll = nullptr;
    TAction* actGridSelectAll = nullptr;
    void actGridGrouperExecute(TObject* Sender);
    void actGridColumnSelectorExecute(TObject* Sender);
    void FileGridEndColumnsCustomizing(TObject* Sender);
    void actGridPreviewExecute(TObject* Sender);
    void actGridCollapseAllExecute(TObject* Sender);
    void actGridExpandAllExecute(TObject* Sender);
    void actGridSelectAllExecute(TObject* Sender);
    void actGridColumnWidthExecute(TObject* Sender);
    // The grid actions that work only in the details view follow the display mode.
    void UpdateGridActions();

    // ---- drawing -------------------------------------------------------------------------------
    void FileGridIconCustomDrawCell(TObject* Sender, TCanvas* ACanvas, TRect ARect, TgxTreeListNode* ANode,
                                    TgxTreeListColumn* AColumn, bool ASelected, bool AFocused, bool ANewItemRow,
                                    std::string& AText, TColor& AColor, TFont* AFont, TAlignment& AAlignment,
                                    bool& ADone);
    void FileGridFilenameCustomDrawCell(TObject* Sender, TCanvas* ACanvas, TRect ARect, TgxTreeListNode* ANode,
                                        TgxTreeListColumn* AColumn, bool ASelected, bool AFocused, bool ANewItemRow,
                                        std::string& AText, TColor& AColor, TFont* AFont, TAlignment& AAlignment,
                                        bool& ADone);
    void FileGridCustomDrawPreviewCell(TObject* Sender, TCanvas* ACanvas, TRect ARect, TgxTreeListNode* ANode,
                                       bool ASelected, std::string& AText, TColor& AColor, TColor& ATextColor,
                                       TFont* AFont, bool& ADone);

    // ---- the layout -----------------------------------------------------------------------------
    // The grid's options and every column's visibility, place, grouping, width and sort, as the
    // settings store keeps them; false without a grid.
    bool GetLayout(TGridLayout& Layout);
    // Applies a stored layout: the columns it names take its values (a width of 0 keeps the
    // column's) and its order; the group panel and preview actions follow.
    void ApplyLayout(const TGridLayout& Layout);

    // The dimension cache once its folder is known, else null.
    TCachedDoubleStringList* GetImageDimensionsCache();
    const TFileGridColumns& GetColumns() const { return FColumns; }

    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Takes its handlers back from the grid, its columns and the thumbnail grid.
    void BeforeDestruction() override;

private:
    void HookColumns();
    void BuildMenus();
    void BuildActions();
    // The display mode of the file list (0 without controller), and whether it shows thumbnails.
    Integer DisplayMode();
    bool InThumbnailView() { return FList && DisplayMode() >= 1 && DisplayMode() <= 3; }
    std::string NodeFullName(TgxTreeListNode* Node);
    // Index of the unknown file's icon in the small system list.
    Integer UnknownIconIndex();
    // The grid's group rows keep their texts.
    bool IsGroupRow(TgxTreeListNode* Node);
    // Sets the header column's sort.
    void SortHeaderColumn(TgxTreeListColumnSort Sort);

    TgxDBGrid* FGrid;
    TFileGridColumns FColumns;
    TLMFileList2* FList;
    TgxThumbGrid2* FThumbs;
    TImgFunctions* FImgFunc;
    TCachedDoubleStringList* FDimensionsCache = nullptr;
    TWindowsFileInfoCache FInfoCache;
    TgxTreeListColumn* FHeaderColumn = nullptr;
};
