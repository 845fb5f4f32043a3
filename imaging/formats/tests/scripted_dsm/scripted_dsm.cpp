// A source manager module for the acquisition engine's tests: DSM_Entry hands every call to
// ScriptedDsmEntry of the test program that loaded it, where each test scripts the manager and
// its source.

#include "imaging/formats/twain_protocol.h"

extern "C" TW_UINT16 ScriptedDsmEntry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT,
                                      TW_UINT16 MSG, TW_MEMREF pData);

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest,
                                                                      TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                                                      TW_MEMREF pData) {
    return ScriptedDsmEntry(pOrigin, pDest, DG, DAT, MSG, pData);
}
