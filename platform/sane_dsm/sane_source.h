#pragma once
// Our source manager: it presents the SANE devices as scanner sources to the acquisition engine
// (imaging/formats/twain.h). Built as the module "TWAIN_32.DLL" in the program folder, it uses the
// framework of the program that loads it, so its dialogs go through that program's dialog service
// and its default source lives in that program's registry store.
//
// The manager opens SANE when it is opened and the default device (the one chosen last, else the
// first found) as its one source. A native transfer scans one page; a document feeder keeps
// transfers pending until it runs out or the transfer count is reached.

#include <string>
#include <vector>

#include <sane/sane.h>

#include "framework/types.h"
#include "imaging/formats/twain_protocol.h"

// Where the default source is kept (HKEY_CURRENT_USER).
inline constexpr const char* SaneSourceKey = "Software\\Qorvex\\Scanning";
inline constexpr const char* SaneSourceValue = "Default Source";

class TSaneSourceManager {
public:
    TW_UINT16 Entry(TW_IDENTITY* Origin, TW_IDENTITY* Dest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF Data);

private:
    enum class TPhase { Idle, Enabled, Transferring, Ended };

    TW_UINT16 Fail(TW_UINT16 Condition);
    TW_UINT16 Status(TW_STATUS& Out);
    TW_UINT16 ManagerCall(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF Data);
    TW_UINT16 SourceCall(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF Data);
    TW_UINT16 OpenManager();
    void CloseManager();
    TW_UINT16 OpenSource(TW_IDENTITY& Identity);
    void CloseSource();
    TW_UINT16 UserSelect(TW_IDENTITY& Identity);
    TW_UINT16 ProcessEvent(TW_EVENT& Event);
    TW_UINT16 NativeTransfer(TW_HANDLE& Image);
    TW_UINT16 EndTransfer(TW_PENDINGXFERS& Pending, bool Reset);
    TW_UINT16 Capability(TW_UINT16 MSG, TW_CAPABILITY& Cap);
    void TransfersEnded();

    // Options of the open device.
    SANE_Int FindOption(const char* Name) const;
    std::string GetString(const char* Name) const;
    double GetNumber(const char* Name) const;
    bool SetString(const char* Name, const std::string& Value);
    bool SetNumber(const char* Name, double Value);
    std::vector<std::string> StringChoices(const char* Name) const;
    std::vector<Integer> ResolutionChoices() const;
    bool FeederSelected() const;
    // Pixel types offered and the current one, from the scan modes and bit depths.
    std::vector<TW_UINT16> PixelTypes() const;
    TW_UINT16 CurrentPixelType() const;
    bool SetPixelType(TW_UINT16 Type);
    TW_UINT16 CurrentBitDepth() const;
    bool SetBitDepth(TW_UINT16 Bits);

    bool FManagerOpen = false;
    SANE_Handle FDevice = nullptr;
    std::string FDeviceName;
    std::string FDeviceTitle;
    TW_UINT16 FCondition = TWCC_SUCCESS;
    TPhase FPhase = TPhase::Idle;
    bool FShowUI = true;
    bool FStarted = false;  // the next page was started to see whether the feeder has one
    TW_INT16 FXferCount = -1;
    Integer FPages = 0;
    TW_UINT16 FUnits = TWUN_INCHES;
};
