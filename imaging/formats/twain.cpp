// The acquisition engine: loading and calling the source manager, the session's states, the
// modal loop and native transfers, capabilities, and the DIB handles it hands out.

#include "imaging/formats/twain.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "framework/atomic_file.h"
#include "framework/clipboard.h"
#include "framework/dialog_service.h"
#include "framework/dialogs.h"
#include "framework/dib_reader.h"
#include "framework/file_utils.h"
#include "framework/forms.h"
#include "framework/message_loop.h"

namespace {

const char* const kLoadFailed = "Unable to load Source Manager (TWAIN_32.DLL)";
const char* const kOpenFailed = "Unable to open Source Manager (TWAIN_32.DLL)";

// Failure codes of the first-failure record.
enum : Integer {
    tfGetCapability = 2,
    tfSetCapability = 3,
    tfOpenSource = 4,
    tfEnableSource = 5,
    tfWrongState = 7,
    tfNoContainer = 8,
    tfContainerLock = 9,
    tfContainerType = 10,
    tfItemType = 11,
    tfNoItems = 12,
    tfNoPixelType = 13,
};

struct TTwainEngine {
    Integer State = 1;
    HMODULE Library = nullptr;
    DSMENTRYPROC Entry = nullptr;
    TW_IDENTITY App{};
    TW_IDENTITY Source{};
    TW_USERINTERFACE UI{};
    bool HideUI = false;
    TW_UINT16 ResultCode = 0;
    Integer Pending = 0;
    HGLOBAL LastImage = nullptr;
    HGLOBAL Images[TwainMaxImages] = {};
    Integer ImageCount = 0;
    TTwainImageHook Hook = nullptr;
    bool HookArmed = false;
    Integer Available = 0;  // 0 untested, 1 available, -1 not
    TTwainFailure Failure;
};

void FillAppIdentity(TW_IDENTITY& Id, Integer Major, Integer Minor, Integer Language, Integer Country,
                     const std::string& Version, const std::string& Manufacturer, const std::string& Family,
                     const std::string& Product) {
    Id = TW_IDENTITY{};
    Id.Version.MajorNum = TW_UINT16(Major);
    Id.Version.MinorNum = TW_UINT16(Minor);
    Id.Version.Language = TW_UINT16(Language);
    Id.Version.Country = TW_UINT16(Country);
    TwainSetString(Id.Version.Info, Version);
    Id.ProtocolMajor = 1;
    Id.ProtocolMinor = 6;
    Id.SupportedGroups = DG_CONTROL | DG_IMAGE;
    TwainSetString(Id.Manufacturer, Manufacturer);
    TwainSetString(Id.ProductFamily, Family);
    TwainSetString(Id.ProductName, Product);
}

TTwainEngine& Engine() {
    static TTwainEngine* e = [] {
        auto* engine = new TTwainEngine;
        FillAppIdentity(engine->App, 1, 0, 13, 1, "<?>", "<?>", "<?>", "<?>");
        return engine;
    }();
    return *e;
}

void ErrorBox(const std::string& Text) {
    MessageBox(nullptr, Text, "TWAIN Error", MB_ICONWARNING | MB_OK);
}

void CheckAssertion(bool Condition) {
    if (!Condition) MessageBox(nullptr, "Assertion failed", "LMTWAIN", MB_OK);
}

bool ManagerCall(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF Data) {
    TTwainEngine& e = Engine();
    if (!e.Entry) {
        e.ResultCode = TWRC_FAILURE;
        return false;
    }
    e.ResultCode = e.Entry(&e.App, nullptr, DG, DAT, MSG, Data);
    return e.ResultCode == TWRC_SUCCESS;
}

bool SourceCall(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF Data) {
    TTwainEngine& e = Engine();
    CheckAssertion(e.State > 3);
    if (!e.Entry) {
        e.ResultCode = TWRC_FAILURE;
        return false;
    }
    e.ResultCode = e.Entry(&e.App, &e.Source, DG, DAT, MSG, Data);
    return e.ResultCode == TWRC_SUCCESS;
}

void ClearError() {
    Engine().Failure = TTwainFailure{};
}

void RecordError(Integer Code) {
    TTwainEngine& e = Engine();
    if (e.Failure.Code != 0) return;
    e.Failure.Code = Code;
    if (Code >= 2 && Code <= 5) {
        TW_UINT16 failed = e.ResultCode;
        e.Failure.ResultCode = failed;
        e.Failure.ConditionCode = TWAIN_GetConditionCode();
        e.ResultCode = failed;  // the failed call stays the last one reported
    }
}

void ClearImageList() {
    Engine().ImageCount = 0;
}

TW_UINT32 ItemSize(TW_UINT16 ItemType) {
    return ItemType < std::size(TwainItemSizes) ? TwainItemSizes[ItemType] : 0;
}

// The proxy window standing in for a caller that gave none.
TForm* CreateProxyWindow() {
    try {
        auto* f = new TForm(nullptr);
        f->SetCaption("Acquire Proxy");
        f->SetBorderStyle(bsSingle);
        f->SetBorderIcons(TBorderIcons{biSystemMenu});
        f->SetPosition(poDefault);
        f->Show();
        return f;
    } catch (...) {
        return nullptr;
    }
}

void DestroyProxyWindow(TForm* Proxy) {
    if (Proxy) Proxy->Free();
}

// Steps 1 and 2 of a native transfer.
void TransferStep() {
    TTwainEngine& e = Engine();
    TW_HANDLE image = nullptr;
    SourceCall(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image);
    switch (e.ResultCode) {
        case TWRC_XFERDONE:
            if (image && e.ImageCount < TwainMaxImages) {
                Integer index = e.ImageCount;
                e.LastImage = image;
                e.Images[e.ImageCount++] = image;
                if (e.HookArmed && e.Hook) e.Hook(image, index);
            } else if (image) {
                GlobalFree(image);  // past the list: nobody could ever release it
            }
            e.State = 7;
            break;
        case TWRC_CANCEL:
            if (image) GlobalFree(image);
            e.State = 7;
            break;
        default: {
            e.LastImage = nullptr;
            TW_PENDINGXFERS pending{};
            SourceCall(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
            e.Pending = pending.Count;
            e.State = 5;
            break;
        }
    }
}

void EndOneTransfer() {
    TTwainEngine& e = Engine();
    TW_PENDINGXFERS pending{};
    SourceCall(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    e.Pending = pending.Count;
    e.State = pending.Count != 0 ? 6 : 5;
}

// The last image goes to someone else: it leaves the list so no handle there is freed twice.
void DropLastImage(HGLOBAL Dib) {
    TTwainEngine& e = Engine();
    if (e.ImageCount > 0 && e.Images[e.ImageCount - 1] == Dib) --e.ImageCount;
}

// The header of a locked DIB block and where its parts lie.
struct TLockedDib {
    HGLOBAL Handle = nullptr;
    const Byte* Data = nullptr;
    size_t Size = 0;
    TDibHeader Header;
    bool Valid = false;

    explicit TLockedDib(HGLOBAL Dib) : Handle(Dib) {
        if (!Dib) return;
        Data = static_cast<const Byte*>(GlobalLock(Dib));
        if (!Data) return;
        Size = GlobalSize(Dib);
        Valid = DibReadHeader(Data, Size, Header) == TDibError::None;
    }
    ~TLockedDib() {
        if (Data) GlobalUnlock(Handle);
    }
    TLockedDib(const TLockedDib&) = delete;
    TLockedDib& operator=(const TLockedDib&) = delete;
};

Integer ColorCountOf(const TDibHeader& h) {
    Int64 colours;
    if (h.Core || h.ColorsUsed == 0)
        colours = h.BitCount < 31 ? Int64(1) << h.BitCount : Int64(1) << 31;
    else
        colours = h.ColorsUsed;
    return colours > 256 ? 0 : Integer(colours);
}

std::string AskFileName(bool Save, const std::string& Filter) {
    std::unique_ptr<TOpenDialog> dialog(Save ? new TSaveDialog(nullptr) : new TOpenDialog(nullptr));
    dialog->SetFilter(Filter);
    if (!dialog->Execute()) return {};
    std::string name = dialog->GetFileName();
    if (Save && !name.empty() && ExtractFileExt(name).empty()) name += ".bmp";
    return name;
}

}  // namespace

// ---- Loading and the session's states --------------------------------------------------------

std::string TWAIN_SourceManagerPath(const std::string& Folder) {
    std::string path = Folder;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + "TWAIN_32.DLL";
}

bool TWAIN_LoadSourceManager() {
    TTwainEngine& e = Engine();
    if (e.State >= 2) return true;
    std::string path = TWAIN_SourceManagerPath(GetWindowsDirectory());
    if (!FileExists(path)) {
        e.Available = -1;
        return false;
    }
    HMODULE lib = LoadLibrary(path);
    auto entry = lib ? reinterpret_cast<DSMENTRYPROC>(GetProcAddress(lib, "DSM_Entry")) : nullptr;
    if (!entry) {
        if (lib) FreeLibrary(lib);
        e.Available = -1;
        return false;
    }
    e.Library = lib;
    e.Entry = entry;
    e.State = 2;
    e.Available = 1;
    return true;
}

bool TWAIN_OpenSourceManager(HWND Wnd) {
    TTwainEngine& e = Engine();
    e.UI.hParent = Wnd;
    if (e.State < 2) TWAIN_LoadSourceManager();
    if (e.State == 2) {
        TW_HANDLE parent = Wnd;
        if (ManagerCall(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent)) e.State = 3;
    }
    return e.State >= 3;
}

bool TWAIN_OpenDefaultSource() {
    TTwainEngine& e = Engine();
    if (e.State != 3) return e.State >= 4;
    e.Source.Id = 0;
    e.Source.ProductName[0] = 0;
    if (ManagerCall(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &e.Source))
        e.State = 4;
    else
        RecordError(tfOpenSource);
    return e.State == 4;
}

bool TWAIN_EnableSource(HWND Wnd) {
    TTwainEngine& e = Engine();
    if (e.State != 4) return e.State >= 5;
    e.UI.ShowUI = !e.HideUI;
    e.UI.ModalUI = false;
    e.UI.hParent = Wnd;
    SourceCall(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &e.UI);
    if (e.ResultCode == TWRC_FAILURE) {
        RecordError(tfEnableSource);
        return false;
    }
    e.State = 5;
    return true;
}

bool TWAIN_DisableSource() {
    TTwainEngine& e = Engine();
    if (e.State == 5 && SourceCall(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &e.UI)) e.State = 4;
    return e.State <= 4;
}

bool TWAIN_CloseSource() {
    TTwainEngine& e = Engine();
    e.ResultCode = TWRC_SUCCESS;
    if (e.State == 5) TWAIN_DisableSource();
    if (e.State == 4 && ManagerCall(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &e.Source)) e.State = 3;
    return e.State <= 3;
}

bool TWAIN_CloseSourceManager(HWND Wnd) {
    TTwainEngine& e = Engine();
    e.ResultCode = TWRC_SUCCESS;
    TWAIN_CloseSource();
    if (e.State == 3) {
        TW_HANDLE parent = Wnd;
        if (ManagerCall(DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent)) e.State = 2;
    }
    return e.State <= 2;
}

bool TWAIN_UnloadSourceManager() {
    TTwainEngine& e = Engine();
    if (e.State == 2) {
        FreeLibrary(e.Library);
        e.Library = nullptr;
        e.Entry = nullptr;
        e.State = 1;
    }
    return e.State == 1;
}

// ---- The modal loop and transfers ------------------------------------------------------------

void TWAIN_ModalEventLoop() {
    TTwainEngine& e = Engine();
    TMsg msg;
    while (e.State >= 5 && !e.LastImage) {
        if (!GetMessage(msg, nullptr, 0, 0)) {
            // The program is closing: the outer loop must see the quit too.
            PostQuitMessage(Integer(msg.wParam));
            break;
        }
        if (!TWAIN_ProcessSourceMessage(msg)) {
            TranslateMessage(msg);
            DispatchMessage(msg);
        }
    }
}

bool TWAIN_ProcessSourceMessage(TMsg& Msg) {
    TTwainEngine& e = Engine();
    if (e.State < 5) return false;
    TW_EVENT event{&Msg, MSG_NULL};
    SourceCall(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
    bool taken = e.ResultCode == TWRC_DSEVENT;
    switch (event.TWMessage) {
        case MSG_XFERREADY:
            e.State = 6;
            TWAIN_DoNativeTransfers();
            break;
        case MSG_CLOSEDSREQ: TWAIN_DisableSource(); break;
        default: break;
    }
    return taken;
}

void TWAIN_DoNativeTransfers() {
    TTwainEngine& e = Engine();
    CheckAssertion(e.State == 6);
    while (e.State == 6) {
        TransferStep();
        if (e.State == 7) EndOneTransfer();
    }
}

void TWAIN_TransferOne() {
    CheckAssertion(Engine().State == 6);
    if (Engine().State != 6) return;
    TransferStep();
    TWAIN_EndTransfer();
}

void TWAIN_EndTransfer() {
    TTwainEngine& e = Engine();
    if (e.State == 7) {
        EndOneTransfer();
    } else if (e.State == 6) {
        TW_PENDINGXFERS pending{};
        SourceCall(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
        e.Pending = pending.Count;
        e.State = 5;
    }
}

// ---- Pixel types and capabilities ------------------------------------------------------------

TW_UINT32 TWAIN_FilterPixelTypes(Cardinal Mask, TW_UINT32 Count, TW_UINT16* Items) {
    Cardinal offered = 0;
    for (TW_UINT32 i = 0; i < Count; ++i)
        if (Items[i] < 32) offered |= Cardinal(1) << Items[i];
    offered &= Mask;
    TW_UINT32 n = 0;
    for (TW_UINT16 type = 0; type < 32; ++type)
        if (offered & (Cardinal(1) << type)) Items[n++] = type;
    return n;
}

bool TWAIN_ItemTypesCompatible(TW_UINT16 A, TW_UINT16 B) {
    if (A == B) return true;
    return A <= TWTY_UINT32 && B <= TWTY_UINT32 && ItemSize(A) == ItemSize(B);
}

bool TWAIN_NegotiatePixelTypes(Cardinal PixelTypeMask) {
    TTwainEngine& e = Engine();
    if (e.State != 4) {
        RecordError(tfWrongState);
        return false;
    }
    if (PixelTypeMask == 0) return true;
    TW_CAPABILITY cap{ICAP_PIXELTYPE, TWON_DONTCARE16, nullptr};
    if (!SourceCall(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap)) {
        RecordError(tfGetCapability);
        return false;
    }
    if (!cap.hContainer) {
        RecordError(tfNoContainer);
        return false;
    }
    auto* data = static_cast<Byte*>(GlobalLock(cap.hContainer));
    if (!data) {
        RecordError(tfContainerLock);
        GlobalFree(cap.hContainer);
        return false;
    }
    size_t size = GlobalSize(cap.hContainer);
    Integer failure = 0;
    bool sendBack = false;
    // The item list of an array or enumeration (item type first, then the item count) whose items
    // start at ItemsAt. The block's fields are unaligned: they are copied, never referenced.
    auto filterList = [&](size_t ItemsAt) {
        TW_UINT16 itemType;
        TW_UINT32 count;
        std::memcpy(&itemType, data, 2);
        std::memcpy(&count, data + 2, 4);
        if (count == 0) {
            failure = tfNoItems;
        } else if (itemType != TWTY_UINT16 && itemType != TWTY_INT16) {
            failure = tfItemType;
        } else if (ItemsAt + size_t(count) * 2 > size) {
            failure = tfNoItems;  // the source claims more items than it sent
        } else {
            std::vector<TW_UINT16> items(count);
            std::memcpy(items.data(), data + ItemsAt, size_t(count) * 2);
            count = TWAIN_FilterPixelTypes(PixelTypeMask, count, items.data());
            std::memcpy(data + ItemsAt, items.data(), size_t(count) * 2);
            std::memcpy(data + 2, &count, 4);
            if (count == 0)
                failure = tfNoPixelType;
            else
                sendBack = true;
        }
    };
    if (cap.ConType == TWON_ARRAY && size >= offsetof(TW_ARRAY, ItemList)) {
        filterList(offsetof(TW_ARRAY, ItemList));
    } else if (cap.ConType == TWON_ENUMERATION && size >= offsetof(TW_ENUMERATION, ItemList)) {
        filterList(offsetof(TW_ENUMERATION, ItemList));
        const TW_UINT32 none = 0xFFFFFFFF;
        if (sendBack) {
            std::memcpy(data + offsetof(TW_ENUMERATION, CurrentIndex), &none, 4);
            std::memcpy(data + offsetof(TW_ENUMERATION, DefaultIndex), &none, 4);
        }
    } else if (cap.ConType == TWON_ONEVALUE && size >= sizeof(TW_ONEVALUE)) {
        TW_UINT32 value;
        std::memcpy(&value, data + offsetof(TW_ONEVALUE, Item), 4);
        if (value >= 32 || !(PixelTypeMask & (Cardinal(1) << value))) failure = tfNoPixelType;
    } else {
        failure = tfContainerType;
    }
    GlobalUnlock(cap.hContainer);
    if (failure == 0 && sendBack && !SourceCall(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap)) failure = tfSetCapability;
    GlobalFree(cap.hContainer);
    if (failure != 0) RecordError(failure);
    return failure == 0;
}

Integer TWAIN_SetCapOneValue(TW_UINT16 Cap, TW_UINT16 ItemType, TW_UINT32 Value) {
    if (Engine().State != 4) {
        ErrorBox("Attempt to set capability outside State 4.");
        return 0;
    }
    HGLOBAL block = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
    auto* one = block ? static_cast<TW_ONEVALUE*>(GlobalLock(block)) : nullptr;
    if (!one) {
        if (block) GlobalFree(block);
        ErrorBox("Insufficient Memory");
        return 0;
    }
    one->ItemType = ItemType;
    std::memcpy(&one->Item, &Value, std::min<size_t>(ItemSize(ItemType), sizeof(Value)));
    GlobalUnlock(block);
    TW_CAPABILITY cap{Cap, TWON_ONEVALUE, block};
    bool ok = SourceCall(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap);
    GlobalFree(block);
    return ok ? 1 : 0;
}

Integer TWAIN_GetCapCurrent(TW_UINT16 Cap, TW_UINT16 ItemType, void* Value) {
    CheckAssertion(Value != nullptr);
    if (Engine().State < 4) {
        ErrorBox("Attempt to get capability value below State 4.");
        return 0;
    }
    if (!Value) return 0;
    TW_CAPABILITY cap{Cap, TWON_ONEVALUE, nullptr};
    if (!SourceCall(DG_CONTROL, DAT_CAPABILITY, MSG_GETCURRENT, &cap) || !cap.hContainer) return 0;
    Integer result = 0;
    if (auto* data = static_cast<const Byte*>(GlobalLock(cap.hContainer))) {
        size_t size = GlobalSize(cap.hContainer), want = ItemSize(ItemType);
        const Byte* item = nullptr;
        if (cap.ConType == TWON_ENUMERATION && size >= offsetof(TW_ENUMERATION, ItemList)) {
            auto* en = reinterpret_cast<const TW_ENUMERATION*>(data);
            size_t at = offsetof(TW_ENUMERATION, ItemList) + size_t(en->CurrentIndex) * ItemSize(en->ItemType);
            if (en->CurrentIndex < en->NumItems && TWAIN_ItemTypesCompatible(en->ItemType, ItemType) &&
                at + want <= size)
                item = data + at;
        } else if (cap.ConType == TWON_ONEVALUE && size >= sizeof(TW_ONEVALUE)) {
            auto* one = reinterpret_cast<const TW_ONEVALUE*>(data);
            size_t at = offsetof(TW_ONEVALUE, Item);
            if (TWAIN_ItemTypesCompatible(one->ItemType, ItemType) && at + want <= size) item = data + at;
        }
        if (item && want) {
            std::memcpy(Value, item, want);
            result = 1;
        }
        GlobalUnlock(cap.hContainer);
    }
    GlobalFree(cap.hContainer);
    return result;
}

namespace {

Integer GetUInt16Cap(TW_UINT16 Cap) {
    TW_UINT16 value = 0;
    return TWAIN_GetCapCurrent(Cap, TWTY_UINT16, &value) ? value : 0;
}

}  // namespace

Integer TWAIN_SetXferCount(Integer Count) {
    return TWAIN_SetCapOneValue(CAP_XFERCOUNT, TWTY_INT16, TW_UINT16(TW_INT16(Count)));
}
Integer TWAIN_GetCurrentUnits() {
    return GetUInt16Cap(ICAP_UNITS);
}
Integer TWAIN_SetCurrentUnits(Integer Units) {
    return TWAIN_SetCapOneValue(ICAP_UNITS, TWTY_UINT16, TW_UINT16(Units));
}
Integer TWAIN_GetBitDepth() {
    return GetUInt16Cap(ICAP_BITDEPTH);
}
Integer TWAIN_SetBitDepth(Integer Bits) {
    return TWAIN_SetCapOneValue(ICAP_BITDEPTH, TWTY_UINT16, TW_UINT16(Bits));
}
Integer TWAIN_GetPixelType() {
    return GetUInt16Cap(ICAP_PIXELTYPE);
}
Integer TWAIN_SetCurrentPixelType(Integer PixelType) {
    return TWAIN_SetCapOneValue(ICAP_PIXELTYPE, TWTY_UINT16, TW_UINT16(PixelType));
}

// ---- The public operations -------------------------------------------------------------------

Integer TWAIN_SelectImageSource(HWND Wnd) {
    TForm* proxy = nullptr;
    if (!IsWindow(Wnd)) {
        if (Wnd) {
            ErrorBox("TWAIN_SelectImageSource: window handle is invalid");
            return 0;
        }
        proxy = CreateProxyWindow();
        if (!proxy) {
            ErrorBox("TWAIN_SelectImageSource: Unable to create proxy window");
            return 0;
        }
        Wnd = proxy;
    }
    Integer result = 0;
    if (!TWAIN_LoadSourceManager()) {
        ErrorBox(kLoadFailed);
    } else if (!TWAIN_OpenSourceManager(Wnd)) {
        ErrorBox(kOpenFailed);
    } else {
        TW_IDENTITY chosen{};
        result = ManagerCall(DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &chosen) ? 1 : 0;
    }
    TWAIN_CloseSourceManager(Wnd);
    TWAIN_UnloadSourceManager();
    DestroyProxyWindow(proxy);
    return result;
}

HGLOBAL TWAIN_AcquireImages(HWND Wnd, Cardinal PixelTypeMask) {
    TTwainEngine& e = Engine();
    e.LastImage = nullptr;
    ClearError();
    ClearImageList();
    TForm* proxy = nullptr;
    if (!IsWindow(Wnd)) {
        proxy = CreateProxyWindow();
        Wnd = proxy;
    }
    bool ready = false;
    if (!Wnd)
        ErrorBox("Unable to create proxy window");
    else if (!TWAIN_LoadSourceManager())
        ErrorBox(kLoadFailed);
    else if (!TWAIN_OpenSourceManager(Wnd))
        ErrorBox(kOpenFailed);
    else if (!TWAIN_OpenDefaultSource())
        TWAIN_ReportLastError("Unable to open default Data Source.");
    else if (!TWAIN_NegotiatePixelTypes(PixelTypeMask))
        TWAIN_ReportLastError("Failed to negotiate Pixel Type.");
    else if (!TWAIN_EnableSource(Wnd))
        TWAIN_ReportLastError("Failed to enable Data Source.");
    else
        ready = true;
    if (ready) {
        EnableWindow(Wnd, false);
        TWAIN_ModalEventLoop();
        if (IsWindow(Wnd)) EnableWindow(Wnd, true);
    }
    TWAIN_DisableSource();
    TWAIN_CloseSource();
    TWAIN_CloseSourceManager(Wnd);
    TWAIN_UnloadSourceManager();
    DestroyProxyWindow(proxy);
    return e.LastImage;
}

void TWAIN_ReleaseDIB(HGLOBAL Dib) {
    if (Dib) GlobalFree(Dib);
}

Integer TWAIN_GetImageCount() {
    return Engine().ImageCount;
}

HGLOBAL TWAIN_GetImage(Integer Index) {
    TTwainEngine& e = Engine();
    return Index >= 0 && Index < e.ImageCount ? e.Images[Index] : nullptr;
}

Integer TWAIN_GetDIBWidth(HGLOBAL Dib) {
    TLockedDib d(Dib);
    return d.Data ? Integer(d.Header.Width) : 0;
}

Integer TWAIN_GetDIBHeight(HGLOBAL Dib) {
    TLockedDib d(Dib);
    return d.Data ? Integer(d.Header.Height) : 0;
}

Integer TWAIN_GetDIBBitCount(HGLOBAL Dib) {
    TLockedDib d(Dib);
    return d.Data ? d.Header.BitCount : 0;
}

Integer TWAIN_GetDIBColorCount(HGLOBAL Dib) {
    TLockedDib d(Dib);
    return d.Valid ? ColorCountOf(d.Header) : 0;
}

void TWAIN_PaintDIB(HDC DC, Integer X, Integer Y, Integer Width, Integer Height, HGLOBAL Dib, Integer XSrc,
                    Integer YSrc) {
    TLockedDib d(Dib);
    TDibBlock block;
    if (!d.Data || DibReadBlock(d.Data, d.Size, nullptr, 0, block) != TDibError::None) return;
    StretchDIBits(DC, X, Y, Width, Height, XSrc, YSrc, Width, Height, block.Pixels,
                  reinterpret_cast<const BITMAPINFO*>(d.Data), DIB_RGB_COLORS, SRCCOPY);
}

HPALETTE TWAIN_CreateDIBPalette(HGLOBAL Dib) {
    TLockedDib d(Dib);
    if (!d.Data) return nullptr;
    Integer colours = d.Valid ? ColorCountOf(d.Header) : 0;
    if (d.Valid && d.Header.PaletteAt + size_t(colours) * d.Header.PaletteEntry > d.Size) colours = 0;
    Integer entries = colours ? colours : 256;
    std::vector<Byte> storage(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * size_t(entries));
    auto* pal = reinterpret_cast<LOGPALETTE*>(storage.data());
    pal->palVersion = 0x300;
    pal->palNumEntries = WORD(entries);
    for (Integer i = 0; i < entries; ++i) {
        PALETTEENTRY& pe = pal->palPalEntry[i];
        if (colours) {
            const Byte* q = d.Data + d.Header.PaletteAt + size_t(i) * d.Header.PaletteEntry;
            pe = {q[2], q[1], q[0], 0};
        } else {
            // 3 bits of red, 3 of green, 2 of blue.
            pe = {Byte((i >> 5) * 255 / 7), Byte(((i >> 2) & 7) * 255 / 7), Byte((i & 3) * 255 / 3), 0};
        }
    }
    return CreatePalette(pal);
}

Integer TWAIN_AcquireToClipboard(HWND Wnd, Cardinal PixelTypeMask) {
    HGLOBAL image = TWAIN_AcquireImages(Wnd, PixelTypeMask);
    if (!image) return 0;
    DropLastImage(image);
    try {
        Clipboard()->SetAsHandle(CF_DIB, image);
        return 1;
    } catch (...) {
        GlobalFree(image);
        return 0;
    }
}

Integer TWAIN_AcquireToFile(HWND Wnd, const std::string& FileName) {
    HGLOBAL image = TWAIN_AcquireImages(Wnd, 0);
    if (!image) return -1;
    Integer result = TWAIN_WriteDIBFile(image, FileName);
    DropLastImage(image);
    GlobalFree(image);
    return result;
}

Integer TWAIN_WriteDIBFile(HGLOBAL Dib, const std::string& FileName) {
    std::string name = FileName.empty() ? AskFileName(true, "Windows Bitmap (*.bmp)|*.bmp") : FileName;
    if (name.empty()) return -1;
    auto* data = Dib ? static_cast<Byte*>(GlobalLock(Dib)) : nullptr;
    if (!data) return -3;
    struct Unlock {
        HGLOBAL h;
        ~Unlock() { GlobalUnlock(h); }
    } unlock{Dib};
    size_t size = GlobalSize(Dib);
    TDibHeader h;
    if (DibReadHeader(data, size, h) != TDibError::None) return -3;
    if (h.ImageSize == 0) {
        if (h.Compression != BI_RGB && h.Compression != BI_BITFIELDS) return -4;
        h.ImageSize = uint32_t(h.Height * Int64(h.RowBytes()));
        if (!h.Core) std::memcpy(data + offsetof(BITMAPINFOHEADER, biSizeImage), &h.ImageSize, 4);
    }
    // The table takes 3 bytes an entry under a core header, 4 otherwise; masks sit before it.
    uint64_t pixelsAt = h.PaletteAt + uint64_t(ColorCountOf(h)) * h.PaletteEntry;
    uint64_t total = pixelsAt + h.ImageSize;
    if (total > size || total + 14 > 0xFFFFFFFFu) return -3;
    std::string file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    uint32_t fileSize = uint32_t(14 + total), offset = uint32_t(14 + pixelsAt);
    std::memcpy(&file[2], &fileSize, 4);
    std::memcpy(&file[10], &offset, 4);
    file.append(reinterpret_cast<const char*>(data), size_t(total));
    return WriteFileAtomically(name, file) ? 0 : -4;
}

HGLOBAL TWAIN_LoadDIBFile(const std::string& FileName) {
    std::string name = FileName.empty() ? AskFileName(false, "Windows Bitmaps (*.bmp)|*.bmp") : FileName;
    if (name.empty()) return nullptr;
    std::ifstream in(name, std::ios::binary);
    if (!in) return nullptr;
    std::vector<Byte> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (file.size() < 14 || file[0] != 'B' || file[1] != 'M') return nullptr;
    uint32_t offset;
    std::memcpy(&offset, &file[10], 4);
    const Byte* dib = file.data() + 14;
    size_t dibSize = file.size() - 14;
    TDibHeader h;
    if (DibReadHeader(dib, dibSize, h) != TDibError::None) return nullptr;
    // The packed block: header and colour table, then the rows from where the file header says.
    uint64_t tableEnd = h.PaletteAt + uint64_t(ColorCountOf(h)) * h.PaletteEntry;
    if (tableEnd > dibSize || offset < 14 + tableEnd || offset > file.size()) return nullptr;
    std::vector<Byte> packed(dib, dib + tableEnd);
    packed.insert(packed.end(), file.begin() + offset, file.end());
    TDibBlock block;
    if (DibReadBlock(packed.data(), packed.size(), nullptr, 0, block) != TDibError::None) return nullptr;
    HGLOBAL handle = GlobalAlloc(GMEM_FIXED, packed.size());
    if (!handle) return nullptr;
    std::memcpy(GlobalLock(handle), packed.data(), packed.size());
    GlobalUnlock(handle);
    return handle;
}

// ---- State and settings ----------------------------------------------------------------------

bool TWAIN_IsAvailable() {
    TTwainEngine& e = Engine();
    if (e.Available == 0) {
        if (e.State >= 2)
            e.Available = 1;
        else if (TWAIN_LoadSourceManager())
            TWAIN_UnloadSourceManager();
    }
    return e.Available == 1;
}

Integer TWAIN_GetEngineVersion() {
    return 106;
}
Integer TWAIN_GetState() {
    return Engine().State;
}
bool TWAIN_GetHideUI() {
    return Engine().HideUI;
}
void TWAIN_SetHideUI(bool Value) {
    Engine().HideUI = Value;
}

void TWAIN_RegisterApplication(Integer Major, Integer Minor, Integer Language, Integer Country,
                               const std::string& Version, const std::string& Manufacturer, const std::string& Family,
                               const std::string& Product) {
    FillAppIdentity(Engine().App, Major, Minor, Language, Country, Version, Manufacturer, Family, Product);
}

void TWAIN_SetImageHook(TTwainImageHook Hook) {
    Engine().Hook = Hook;
    Engine().HookArmed = Hook != nullptr;
}

void TWAIN_ClearImageHook() {
    Engine().Hook = nullptr;
    Engine().HookArmed = false;
}

Integer TWAIN_GetResultCode() {
    return Engine().ResultCode;
}

Integer TWAIN_GetConditionCode() {
    TTwainEngine& e = Engine();
    if (e.State < 3) return TWCC_SEQERROR;
    TW_STATUS status{};
    bool ok = e.State == 3 ? ManagerCall(DG_CONTROL, DAT_STATUS, MSG_GET, &status)
                           : SourceCall(DG_CONTROL, DAT_STATUS, MSG_GET, &status);
    return ok ? status.ConditionCode : TWCC_BUMMER;
}

void TWAIN_ReportLastError(const std::string& Text) {
    ErrorBox(Text);
}

TTwainFailure TWAIN_LastFailure() {
    return Engine().Failure;
}
