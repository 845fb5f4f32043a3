#include "catalogue/temp_db.h"

TdmTempDB* dmTempDB = nullptr;

TdmTempDB::TdmTempDB(TComponent* AOwner) : TComponent(AOwner) {
    SetName("dmTempDB");
}

TdmTempDB::~TdmTempDB() {
    if (dmTempDB == this) dmTempDB = nullptr;
}
