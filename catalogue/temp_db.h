#pragma once
// The data module that holds the program's two file tables: the listed folder's files and the
// open bookmark list's entries. It lives from start-up to shutdown.
//
// For now it is an empty component created at start-up in its place in the order; the tables,
// their data sources and the folder listing are added here.

#include "framework/component.h"

class TdmTempDB : public TComponent {
    LUMORA_CLASS(TdmTempDB, TComponent)
public:
    explicit TdmTempDB(TComponent* AOwner);
    ~TdmTempDB() override;
};

// The one data module (null outside a run of the program).
extern TdmTempDB* dmTempDB;
