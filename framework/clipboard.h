#pragma once
// The clipboard: text, device-independent bitmaps (kept bit for bit in a private format, with an
// ordinary image beside them for other programs), other formats as raw blocks, open/close
// brackets and a contents-changed notification.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/dynlib.h"

// Clipboard formats (Windows values); others are registered by name.
constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_METAFILEPICT = 3;
constexpr UINT CF_OEMTEXT = 7;
constexpr UINT CF_DIB = 8;
constexpr UINT CF_PALETTE = 9;
constexpr UINT CF_UNICODETEXT = 13;
constexpr UINT CF_ENHMETAFILE = 14;
constexpr UINT CF_HDROP = 15;

// A format id (0xC000 and up) for a format name; the same name gives the same id.
UINT RegisterClipboardFormat(const std::string& Name);
std::string GetClipboardFormatName(UINT Format);

class TClipboard : public TPersistent {
    LUMORA_CLASS(TClipboard, TPersistent)
public:
    TClipboard();
    ~TClipboard() override;

    // Writes between Open and Close replace the contents once and then add formats; a write
    // outside a bracket replaces the contents. The contents change when the outermost Close
    // comes.
    void Open();
    void Close();
    void Clear();
    bool HasFormat(UINT Format);
    int GetFormatCount();
    UINT GetFormat(int Index);

    std::string GetAsText();
    void SetAsText(std::string Value);
    // The block of a format: CF_DIB is a packed DIB (BITMAPINFOHEADER, colour table, rows).
    std::vector<uint8_t> GetAsBytes(UINT Format);
    void SetAsBytes(UINT Format, const std::vector<uint8_t>& Data);
    // The block of a format as a global memory block: the caller frees what GetAsHandle gives,
    // the clipboard takes what SetAsHandle gets.
    HGLOBAL GetAsHandle(UINT Format);
    void SetAsHandle(UINT Format, HGLOBAL Value);

    // A bitmap or picture goes on as a DIB; a bitmap is filled from the DIB on the clipboard.
    void Assign(TPersistent* Source) override;

    // Runs Listener (keyed by Key) whenever the contents change, in this program or another.
    void AddChangeListener(TObject* Key, TNotifyEvent Listener);
    void RemoveChangeListener(TObject* Key);
    // Internal: the backend reports a change.
    void NotifyChanged();

    // Internal: what is being written inside a bracket.
    struct Pending;

protected:
    void AssignTo(TPersistent* Dest) override;

private:
    void Adding();
    void Commit();
    Integer FOpenRefCount = 0;
    bool FEmptied = false;
    Pending* FPending = nullptr;
    std::vector<std::pair<TObject*, TNotifyEvent>> FListeners;
};

// The clipboard of the program.
TClipboard* Clipboard();

// The viewer chain: each viewer gets WM_DRAWCLIPBOARD when the contents change and passes it on
// to the next one (the window SetClipboardViewer returned).
HWND SetClipboardViewer(HWND Wnd);
bool ChangeClipboardChain(HWND Remove, HWND Next);
HWND GetClipboardViewer();
