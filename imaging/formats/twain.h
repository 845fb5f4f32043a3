#pragma once
// The scanner and camera acquisition engine: plain TWAIN_... functions over process-wide state
// that follows the protocol's states 1 to 7. The source manager "TWAIN_32.DLL" is loaded at run
// time from the Windows folder (GetWindowsDirectory, framework/dynlib.h) and reached only through
// its DSM_Entry. Acquired images are packed device-independent bitmaps in global memory blocks
// (DIB handles); whoever receives one frees it with TWAIN_ReleaseDIB.
//
// Failures are shown in "TWAIN Error" boxes through the dialog service.

#include <string>

#include "framework/controls.h"
#include "framework/dynlib.h"
#include "framework/windows_gdi.h"
#include "imaging/formats/twain_protocol.h"

// Called with each image as it arrives and its index in the image list.
using TTwainImageHook = void (*)(HGLOBAL Dib, Integer Index);

// The most images one acquisition keeps; further ones are freed as they arrive.
constexpr Integer TwainMaxImages = 999;

// Shows the source manager's source selection (with a proxy window when Wnd is nil); 1 when the
// user chose a source.
Integer TWAIN_SelectImageSource(HWND Wnd);
// Acquires from the default source; PixelTypeMask has bit n for pixel type n (0: not
// negotiated). The handle of the last image transferred, nil when none; every image is in the
// image list until the next acquisition.
HGLOBAL TWAIN_AcquireImages(HWND Wnd, Cardinal PixelTypeMask);
void TWAIN_ReleaseDIB(HGLOBAL Dib);
Integer TWAIN_GetImageCount();
// Image Index of the list; nil outside it.
HGLOBAL TWAIN_GetImage(Integer Index);

Integer TWAIN_GetDIBWidth(HGLOBAL Dib);
Integer TWAIN_GetDIBHeight(HGLOBAL Dib);
Integer TWAIN_GetDIBBitCount(HGLOBAL Dib);
// The entries of the colour table: 2^bits under a core header, else the colours used or 2^bits
// when that is 0; 0 (no table) above 256.
Integer TWAIN_GetDIBColorCount(HGLOBAL Dib);
// Draws the Width x Height area of the image from (XSrc, YSrc) unscaled at (X, Y).
void TWAIN_PaintDIB(HDC DC, Integer X, Integer Y, Integer Width, Integer Height, HGLOBAL Dib, Integer XSrc,
                    Integer YSrc);
// A palette of the image's table colours (a fixed 256-colour table when it has none).
HPALETTE TWAIN_CreateDIBPalette(HGLOBAL Dib);

// Acquires and hands the last image to the clipboard as CF_DIB; 1 when it was placed.
Integer TWAIN_AcquireToClipboard(HWND Wnd, Cardinal PixelTypeMask);
// Acquires and writes the last image as a BMP file (an empty name asks with a save dialog).
// 0 on success; -1 nothing acquired or cancelled, -2 the file cannot be created, -3 the image
// cannot be locked, -4 writing failed.
Integer TWAIN_AcquireToFile(HWND Wnd, const std::string& FileName);
// Writes the image as a BMP file (an empty name asks with a save dialog), through a temporary
// file so that a failure leaves an existing file as it was; results as TWAIN_AcquireToFile.
Integer TWAIN_WriteDIBFile(HGLOBAL Dib, const std::string& FileName);
// Reads a BMP file into a new DIB handle (an empty name asks with an open dialog); nil when the
// file cannot be read or its header does not fit the file.
HGLOBAL TWAIN_LoadDIBFile(const std::string& FileName);

// Whether the source manager can be loaded: tried once, then remembered.
bool TWAIN_IsAvailable();
Integer TWAIN_GetEngineVersion();
Integer TWAIN_GetState();
bool TWAIN_GetHideUI();
void TWAIN_SetHideUI(bool Value);
void TWAIN_RegisterApplication(Integer Major, Integer Minor, Integer Language, Integer Country,
                               const std::string& Version, const std::string& Manufacturer, const std::string& Family,
                               const std::string& Product);
void TWAIN_SetImageHook(TTwainImageHook Hook);
void TWAIN_ClearImageHook();

// Capabilities of the open source (state 4): 1 on success; the getters answer 0 when the value
// cannot be read.
Integer TWAIN_SetXferCount(Integer Count);
Integer TWAIN_GetCurrentUnits();
Integer TWAIN_SetCurrentUnits(Integer Units);
Integer TWAIN_GetBitDepth();
Integer TWAIN_SetBitDepth(Integer Bits);
Integer TWAIN_GetPixelType();
Integer TWAIN_SetCurrentPixelType(Integer PixelType);
Integer TWAIN_GetCapCurrent(TW_UINT16 Cap, TW_UINT16 ItemType, void* Value);
Integer TWAIN_SetCapOneValue(TW_UINT16 Cap, TW_UINT16 ItemType, TW_UINT32 Value);

Integer TWAIN_GetResultCode();
Integer TWAIN_GetConditionCode();
// Shows Text, the step that failed, in a "TWAIN Error" box.
void TWAIN_ReportLastError(const std::string& Text);

// The engine's steps, for callers that drive a session themselves.
bool TWAIN_LoadSourceManager();
bool TWAIN_OpenSourceManager(HWND Wnd);
bool TWAIN_OpenDefaultSource();
bool TWAIN_NegotiatePixelTypes(Cardinal PixelTypeMask);
bool TWAIN_EnableSource(HWND Wnd);
void TWAIN_ModalEventLoop();
bool TWAIN_ProcessSourceMessage(TMsg& Msg);
void TWAIN_DoNativeTransfers();
// One native transfer, then the end of it (MSG_ENDXFER, or MSG_RESET when nothing came).
void TWAIN_TransferOne();
void TWAIN_EndTransfer();
bool TWAIN_DisableSource();
bool TWAIN_CloseSource();
bool TWAIN_CloseSourceManager(HWND Wnd);
bool TWAIN_UnloadSourceManager();

// The source manager's file: Folder, a "/" unless it is empty or ends in one, "TWAIN_32.DLL".
std::string TWAIN_SourceManagerPath(const std::string& Folder);
// Keeps the pixel types of the Count items that Mask holds, in ascending order; their number.
TW_UINT32 TWAIN_FilterPixelTypes(Cardinal Mask, TW_UINT32 Count, TW_UINT16* Items);
// Equal item types, or integer types (0 to 5) of one size.
bool TWAIN_ItemTypesCompatible(TW_UINT16 A, TW_UINT16 B);

// The first failure of the last acquisition: its code (0: none) and, for codes 2 to 5, the
// return and condition codes of the failed call.
struct TTwainFailure {
    Integer Code = 0;
    Integer ResultCode = 0;
    Integer ConditionCode = 0;
};
TTwainFailure TWAIN_LastFailure();
