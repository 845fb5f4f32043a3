#include "components/bar_positions.h"

#include <vector>

#include "framework/exceptions.h"

namespace {

const char* const NoName = "Cannot save tool window's position because Name property is not set";

std::vector<TCustomToolWindowX*> BarsOf(TComponent* Form) {
    std::vector<TCustomToolWindowX*> bars;
    for (int i = 0; i < Form->GetComponentCount(); ++i)
        if (auto* b = dynamic_cast<TCustomToolWindowX*>(Form->GetComponent(i))) bars.push_back(b);
    return bars;
}

// The form's dock of exactly that name.
TDockX* DockNamed(TComponent* Form, const std::string& Name) {
    for (int i = 0; i < Form->GetComponentCount(); ++i)
        if (auto* d = dynamic_cast<TDockX*>(Form->GetComponent(i)); d && d->GetName() == Name) return d;
    return nullptr;
}

}  // namespace

void SaveBarPositions(TComponent* Form, const TPositionWriteData& Data) {
    for (TCustomToolWindowX* bar : BarsOf(Form)) {
        const std::string& name = bar->GetName();
        if (name.empty()) throw Exception(NoName);
        TDockX* dock = bar->GetDockedTo();
        if (dock && dock->GetAllowDrag() && dock->GetName().empty())
            throw Exception("Cannot save tool window's position because DockedTo's Name property not set");
        Data.WriteInteger(name, "Rev", 3);
        Data.WriteInteger(name, "Visible", bar->GetVisible() ? 1 : 0);
        std::string dockedTo = dock ? (dock->GetAllowDrag() ? dock->GetName() : "") : bar->GetFloating() ? "+" : "";
        Data.WriteString(name, "DockedTo", dockedTo);
        Data.WriteString(name, "LastDock", bar->GetLastDock() ? bar->GetLastDock()->GetName() : "");
        Data.WriteInteger(name, "DockRow", bar->GetDockRow());
        Data.WriteInteger(name, "DockPos", bar->GetDockPos());
        Data.WriteInteger(name, "FloatLeft", bar->GetFloatingPosition().X);
        Data.WriteInteger(name, "FloatTop", bar->GetFloatingPosition().Y);
        bar->WritePositionData(Data);
    }
}

void LoadBarPositions(TComponent* Form, const TPositionReadData& Data) {
    std::vector<TDockX*> docks;
    struct EndUpdates {
        std::vector<TDockX*>& Docks;
        ~EndUpdates() {
            for (auto it = Docks.rbegin(); it != Docks.rend(); ++it) (*it)->EndUpdate();
        }
    } end{docks};
    for (int i = 0; i < Form->GetComponentCount(); ++i)
        if (auto* d = dynamic_cast<TDockX*>(Form->GetComponent(i))) {
            d->BeginUpdate();
            docks.push_back(d);
        }
    auto* form = dynamic_cast<TCustomForm*>(Form);
    for (TCustomToolWindowX* bar : BarsOf(Form)) {
        const std::string& name = bar->GetName();
        if (name.empty()) throw Exception(NoName);
        Integer rev = Data.ReadInteger(name, "Rev", 0);
        if (rev != 2 && rev != 3) continue;
        bar->SetVisible(Data.ReadInteger(name, "Visible", bar->GetVisible() ? 1 : 0) != 0);
        std::string dockedTo = Data.ReadString(name, "DockedTo", "");
        if (dockedTo.empty()) continue;
        TDockX* dock = nullptr;
        if (dockedTo != "+") {
            dock = DockNamed(Form, dockedTo);
            if (!dock || !dock->GetAllowDrag()) continue;
        } else if (!form) {
            continue;
        }
        bar->FDockRow = Data.ReadInteger(name, "DockRow", bar->FDockRow);
        bar->FDockPos = Data.ReadInteger(name, "DockPos", bar->FDockPos);
        TPoint floatAt{Data.ReadInteger(name, "FloatLeft", 0), Data.ReadInteger(name, "FloatTop", 0)};
        bar->ReadPositionData(Data);
        bar->FFloatingPosition = floatAt;
        if (dock) {
            bar->SetParent(dock);
        } else {
            bar->SetParent(form);
            bar->SetBounds(floatAt.X, floatAt.Y, bar->GetWidth(), bar->GetHeight());
            bar->MoveOnScreen(true);
            if (rev > 2 && bar->GetUseLastDock()) {
                std::string last = Data.ReadString(name, "LastDock", "");
                if (TDockX* d = last.empty() ? nullptr : DockNamed(Form, last)) bar->SetLastDock(d);
            }
        }
        bar->Arrange();
        bar->PositionDataLoaded(Data);
    }
}

namespace {

// The store's key, open under the root (made when missing).
struct TBarKey {
    TRegIniFile Ini{""};
    TBarKey(HKEY RootKey, const std::string& KeyName) {
        Ini.SetRootKey(RootKey);
        Ini.OpenKey(KeyName, true);
    }
};

}  // namespace

void SaveBarPositionsToRegistry(TComponent* Form, HKEY RootKey, const std::string& KeyName) {
    TBarKey key(RootKey, KeyName);
    TPositionWriteData data;
    data.WriteInteger = [&](const std::string& Section, const std::string& Value, Integer V) {
        key.Ini.WriteInteger(Section, Value, V);
    };
    data.WriteString = [&](const std::string& Section, const std::string& Value, const std::string& V) {
        key.Ini.WriteString(Section, Value, V);
    };
    SaveBarPositions(Form, data);
}

void LoadBarPositionsFromRegistry(TComponent* Form, HKEY RootKey, const std::string& KeyName) {
    TBarKey key(RootKey, KeyName);
    TPositionReadData data;
    data.ReadInteger = [&](const std::string& Section, const std::string& Value, Integer Default) {
        return key.Ini.ReadInteger(Section, Value, Default);
    };
    data.ReadString = [&](const std::string& Section, const std::string& Value, const std::string& Default) {
        return key.Ini.ReadString(Section, Value, Default);
    };
    LoadBarPositions(Form, data);
}
