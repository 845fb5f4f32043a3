#include "app/file_grid_presenter.h"

#include "catalogue/cached_double_string_list.h"
#include "catalogue/file_list.h"
#include "catalogue/format_records.h"
#include "catalogue/img_functions.h"
#include "catalogue/lm_types.h"
#include "catalogue/thumb_grid.h"
#include "dbgrid/db_grid.h"
#include "framework/actions.h"
#include "framework/dialog_service.h"
#include "framework/file_utils.h"
#include "framework/formatting.h"
#include "framework/graphics.h"
#include "framework/image_list.h"
#include "framework/menus.h"
#include "framework/sysutils.h"
#include "platform/shell_file_info.h"

namespace {

constexpr size_t MaxTypeNameLength = 80;

// The first Count characters of a UTF-8 text.
std::string FirstCharacters(const std::string& S, size_t Count) {
    size_t i = 0;
    for (size_t n = 0; i < S.size() && n < Count; ++n) {
        ++i;
        while (i < S.size() && (static_cast<unsigned char>(S[i]) & 0xC0) == 0x80) ++i;
    }
    return S.substr(0, i);
}

bool AskShell(const std::string& FileName, std::string& TypeName, Integer& IconIndex) {
    SHFILEINFO info;
    if (!SHGetFileInfo(FileName, 0, info, SHGFI_TYPENAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) return false;
    TypeName = info.szTypeName;
    IconIndex = info.iIcon;
    return true;
}

}  // namespace

TFileGridPresenter::TFileGridPresenter(TComponent* AOwner, TgxDBGrid* Grid, const TFileGridColumns& Columns,
                                       TLMFileList2* List, TgxThumbGrid2* Thumbs, TImgFunctions* ImgFunc,
                                       TFileGridWindow AWindow)
    : TComponent(AOwner),
      Window(std::move(AWindow)),
      ShellInfo(AskShell),
      FGrid(Grid),
      FColumns(Columns),
      FList(List),
      FThumbs(Thumbs),
      FImgFunc(ImgFunc) {
    for (TComponent* c : {static_cast<TComponent*>(FGrid), static_cast<TComponent*>(FList),
                          static_cast<TComponent*>(FThumbs), static_cast<TComponent*>(FImgFunc)})
        if (c) FreeNotification(c);
    FDimensionsCache = new TCachedDoubleStringList(this);
    FDimensionsCache->SetName("ImageDimensionsCache");
    HookColumns();
    BuildActions();
    BuildMenus();
}

void TFileGridPresenter::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FGrid) FGrid = nullptr;
    if (AComponent == FList) FList = nullptr;
    if (AComponent == FThumbs) FThumbs = nullptr;
    if (AComponent == FImgFunc) FImgFunc = nullptr;
    if (AComponent == FHeaderColumn) FHeaderColumn = nullptr;
}

void TFileGridPresenter::BeforeDestruction() {
    if (FGrid) {
        for (Integer i = 0; i < FGrid->GetColumnCount(); ++i) {
            TgxDBTreeListColumn* c = FGrid->GetDBColumn(i);
            c->OnGetText = nullptr;
            c->OnCustomDrawCell = nullptr;
        }
        FGrid->OnCustomDrawPreviewCell = nullptr;
        FGrid->OnColumnSorting = nullptr;
        FGrid->OnEndColumnsCustomizing = nullptr;
    }
    if (FThumbs) FThumbs->OnGetDimensions = nullptr;
    TComponent::BeforeDestruction();
}

// ---- column text rules ---------------------------------------------------------------------------

std::string TFileGridPresenter::GetSizeColumnText(const std::string& Value) {
    Int64 size = 0;
    if (!TryStrToInt64(Trim(Value), size) || size < 0) return {};
    return FileSizeToStr(size, Window.FileSizeDetailLevel ? Window.FileSizeDetailLevel() : 0);
}

std::string TFileGridPresenter::GetLMTypeColumnText(const std::string& Value) {
    Integer code = 0;
    if (!TryStrToInt(Trim(Value), code)) return {};
    return LMFileTypeToStr(IntToLMFileType(code));
}

std::string TFileGridPresenter::GetDateColumnText(const std::string& Value) {
    TDateTime date = 0;
    if (!TryStrToDateTime(Value, date) || date == 0) return {};
    return Value;
}

void TFileGridPresenter::SetWindowsFileInfoCache(const std::string& FileName) {
    const std::string ext = UpperCase(ExtractFileExt(FileName));
    if (!FInfoCache.Invalid && FInfoCache.Extension == ext) return;
    FInfoCache.Invalid = false;
    FInfoCache.Extension = ext;
    bool ok = false;
    try {
        std::string name;
        Integer icon = 0;
        if (FileExists(FileName) && ShellInfo && ShellInfo(FileName, name, icon)) {
            ok = true;
            FInfoCache.TypeName = FirstCharacters(name, MaxTypeNameLength);
            if (icon <= 0) {
                FInfoCache.Invalid = true;
                FInfoCache.IconIndex = UnknownIconIndex();
            } else {
                FInfoCache.IconIndex = icon;
            }
        }
    } catch (...) {
        ok = false;
    }
    if (!ok) {
        FInfoCache.Invalid = true;
        FInfoCache.IconIndex = UnknownIconIndex();
        FInfoCache.TypeName.clear();
    }
    if (FInfoCache.TypeName.empty()) FInfoCache.TypeName = (ext.empty() ? ext : ext.substr(1)) + " File";
}

std::string TFileGridPresenter::GetWindowsTypeString(const std::string& FileName) {
    if (FileName.empty()) return {};
    try {
        SetWindowsFileInfoCache(FileName);
        return FInfoCache.TypeName;
    } catch (...) {
        return {};
    }
}

std::string TFileGridPresenter::GetAttributesText(const std::string& FileName) {
    bool readOnly = false, hidden = false, system = false, archive = false;
    if (FileName.empty() || !GetFileAttributeFlags(FileName, readOnly, hidden, system, archive)) return {};
    return std::string(readOnly ? "R" : "") + (hidden ? "H" : "");
}

std::string TFileGridPresenter::GetImageDimensions(const std::string& FileName, bool UseCache, TDateTime FileDate) {
    try {
        if (FileName.empty() || getlmtype(FileName) != lmImage) return {};
        const std::string key = MakeCacheKey(FileName, FileDate);
        TCachedDoubleStringList* cache = GetImageDimensionsCache();
        // The cache keeps its latest values upper-cased: the text is all digits, "x" and "bit".
        if (UseCache && cache)
            if (std::string cached = cache->GetValue(key); !cached.empty()) return LowerCase(cached);
        TImageProperties props;
        if (!FImgFunc || !FImgFunc->GetImageFileProperties(FileName, props) || props.Width == 0 || props.Height == 0)
            return {};
        const std::string text =
            IntToStr(props.Width) + "x" + IntToStr(props.Height) + "x" + IntToStr(props.BitDepth) + "bit";
        if (cache) cache->AddValue(key, text);
        return text;
    } catch (...) {
        return {};
    }
}

std::string TFileGridPresenter::GetDescriptionColumnText(TgxTreeListNode* Node) {
    try {
        return Window.DescriptionText ? Window.DescriptionText(NodeFullName(Node)) : std::string();
    } catch (...) {
        return {};
    }
}

std::string TFileGridPresenter::GetNodeValue(TgxTreeListNode* Node, TgxTreeListColumn* Column) {
    try {
        if (!FGrid || !Node || !Column) return {};
        const std::string text = VarToStr(FGrid->GetNodeValue(Node, Column->GetIndex()));
        const TFileGridColumns& c = FColumns;
        if (Column == c.LMType) return GetLMTypeColumnText(text);
        if (Column == c.Size) return GetSizeColumnText(text);
        if (Column == c.Date) return GetDateColumnText(text);
        if (Column == c.Description) return GetDescriptionColumnText(Node);
        if (Column == c.FileType) return GetWindowsTypeString(NodeFullName(Node));
        if (Column == c.Attributes) return GetAttributesText(NodeFullName(Node));
        if (Column == c.Dimensions)
            return GetImageDimensions(NodeFullName(Node), true, FList ? FList->GetNodeDate(Node) : 0);
        return text;
    } catch (...) {
        return {};
    }
}

void TFileGridPresenter::ThumbGridGetDimensions(TObject*, const std::string& FileName, TDateTime FileDate,
                                                std::string& Dimensions) {
    Dimensions = GetImageDimensions(FileName, true, FileDate);
}

TCachedDoubleStringList* TFileGridPresenter::GetImageDimensionsCache() {
    if (FDimensionsCache->GetCacheDirectory().empty() && Window.CacheFolder)
        FDimensionsCache->SetCacheDirectory(Window.CacheFolder());
    return FDimensionsCache->GetCacheDirectory().empty() ? nullptr : FDimensionsCache;
}

std::string TFileGridPresenter::NodeFullName(TgxTreeListNode* Node) {
    return FList && Node ? FList->GetNodeFullName(Node) : std::string();
}

Integer TFileGridPresenter::UnknownIconIndex() {
    SHFILEINFO info;
    if (FThumbs && !FThumbs->UnknownIcon.empty() &&
        SHGetFileInfo(FThumbs->UnknownIcon, 0, info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON) && info.iIcon > 0)
        return info.iIcon;
    return SystemGenericFileIcon;
}

bool TFileGridPresenter::IsGroupRow(TgxTreeListNode* Node) {
    return !Node || !FGrid || FGrid->IsGroupNode(Node);
}

Integer TFileGridPresenter::DisplayMode() {
    return FList ? FList->GetFileDisplayMode() : 0;
}

void TFileGridPresenter::HookColumns() {
    using TRule = std::function<std::string(TgxTreeListNode * Node, const std::string& Text)>;
    auto hook = [this](TgxDBGridColumn* Column, TRule Rule) {
        if (!Column) return;
        Column->OnGetText = [this, Rule](TObject*, TgxTreeListNode* Node, std::string& Text) {
            if (IsGroupRow(Node)) return;
            try {
                Text = Rule(Node, Text);
            } catch (...) {
                Text.clear();
            }
        };
    };
    hook(FColumns.Size, [this](TgxTreeListNode*, const std::string& T) { return GetSizeColumnText(T); });
    hook(FColumns.LMType, [this](TgxTreeListNode*, const std::string& T) { return GetLMTypeColumnText(T); });
    hook(FColumns.Date, [this](TgxTreeListNode*, const std::string& T) { return GetDateColumnText(T); });
    hook(FColumns.FileType,
         [this](TgxTreeListNode* N, const std::string&) { return GetWindowsTypeString(NodeFullName(N)); });
    hook(FColumns.Attributes,
         [this](TgxTreeListNode* N, const std::string&) { return GetAttributesText(NodeFullName(N)); });
    hook(FColumns.Dimensions, [this](TgxTreeListNode* N, const std::string&) {
        return GetImageDimensions(NodeFullName(N), true, FList ? FList->GetNodeDate(N) : 0);
    });
    hook(FColumns.Description, [this](TgxTreeListNode* N, const std::string&) { return GetDescriptionColumnText(N); });
    if (FColumns.Icon)
        FColumns.Icon->OnCustomDrawCell = [this](TObject* S, TCanvas* C, TRect R, TgxTreeListNode* N,
                                                 TgxTreeListColumn* Col, bool Sel, bool Foc, bool New, std::string& T,
                                                 TColor& Clr, TFont* F, TAlignment& A, bool& D) {
            FileGridIconCustomDrawCell(S, C, R, N, Col, Sel, Foc, New, T, Clr, F, A, D);
        };
    if (FColumns.Filename)
        FColumns.Filename->OnCustomDrawCell = [this](TObject* S, TCanvas* C, TRect R, TgxTreeListNode* N,
                                                     TgxTreeListColumn* Col, bool Sel, bool Foc, bool New,
                                                     std::string& T, TColor& Clr, TFont* F, TAlignment& A, bool& D) {
            FileGridFilenameCustomDrawCell(S, C, R, N, Col, Sel, Foc, New, T, Clr, F, A, D);
        };
    FGrid->OnCustomDrawPreviewCell = [this](TObject* S, TCanvas* C, TRect R, TgxTreeListNode* N, bool Sel,
                                            std::string& T, TColor& Clr, TColor& TC, TFont* F, bool& D) {
        FileGridCustomDrawPreviewCell(S, C, R, N, Sel, T, Clr, TC, F, D);
    };
    FGrid->OnColumnSorting = [this](TObject* S, TgxDBTreeListColumn* Col, bool& Allow) {
        FileGridColumnSorting(S, Col, Allow);
    };
    FGrid->OnEndColumnsCustomizing = [this](TObject* S) { FileGridEndColumnsCustomizing(S); };
    if (FThumbs)
        FThumbs->OnGetDimensions = [this](TObject* S, const std::string& Name, TDateTime Date, std::string& Dim) {
            ThumbGridGetDimensions(S, Name, Date, Dim);
        };
}

// ---- drawing ---------------------------------------------------------------------------------------

void TFileGridPresenter::FileGridIconCustomDrawCell(TObject*, TCanvas* ACanvas, TRect ARect, TgxTreeListNode* ANode,
                                                    TgxTreeListColumn*, bool ASelected, bool, bool, std::string& AText,
                                                    TColor&, TFont*, TAlignment&, bool& ADone) {
    // The cell shows the icon only, never the extension it is bound to.
    AText.clear();
    if (IsGroupRow(ANode) || (Window.FullScreen && Window.FullScreen()) ||
        !(Window.DisplayInitialised && Window.DisplayInitialised()))
        return;
    try {
        ACanvas->GetBrush()->SetColor(ASelected ? clHighlight : clWindow);
        ACanvas->FillRect(ARect);
        SetWindowsFileInfoCache(NodeFullName(ANode));
        const Integer index = FInfoCache.IconIndex < 1 ? SystemGenericFileIcon : FInfoCache.IconIndex;
        SystemImageList(true)->Draw(ACanvas, ARect.Left + 2, ARect.Top, index, ASelected ? dsSelected : dsNormal,
                                    itImage);
        ADone = true;
    } catch (...) {}
}

void TFileGridPresenter::FileGridFilenameCustomDrawCell(TObject*, TCanvas*, TRect, TgxTreeListNode* ANode,
                                                        TgxTreeListColumn*, bool, bool, bool, std::string& AText,
                                                        TColor&, TFont*, TAlignment&, bool&) {
    if (!IsGroupRow(ANode) && FThumbs && FThumbs->HideFileExtensions) AText = ChangeFileExt(AText, "");
}

void TFileGridPresenter::FileGridCustomDrawPreviewCell(TObject*, TCanvas*, TRect, TgxTreeListNode* ANode, bool,
                                                       std::string& AText, TColor&, TColor&, TFont*, bool&) {
    AText = GetDescriptionColumnText(ANode);
}
