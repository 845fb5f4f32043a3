#pragma once
// TDataSource connects a dataset to its data links; TDataLink is the base of everything that
// shows or follows a dataset (data-aware controls, grids). A link keeps its own window of
// BufferCount records inside the dataset's buffer window and hears what changed through its
// virtual notifications.

#include <functional>
#include <vector>

#include "framework/component.h"
#include "framework/dataset.h"

using TDataChangeEvent = std::function<void(TObject* Sender, TField* Field)>;

class TDataSource : public TComponent {
    LUMORA_CLASS(TDataSource, TComponent)
public:
    explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;

    // Puts the dataset into edit mode when AutoEdit is on and it is browsing.
    void Edit();
    bool IsLinkedTo(TDataSet* DataSet) const;

    TDataSet* GetDataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* ADataSet);
    TDataSetState GetState() const { return FState; }
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool GetAutoEdit() const { return FAutoEdit; }
    void SetAutoEdit(bool Value) { FAutoEdit = Value; }
    Integer GetDataLinkCount() const { return static_cast<Integer>(FDataLinks.size()); }
    TDataLink* GetDataLink(Integer Index) const { return FDataLinks[Index]; }

    TNotifyEvent OnStateChange;
    TDataChangeEvent OnDataChange;
    TNotifyEvent OnUpdateData;

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TDataSet;
    friend class TDataLink;

    void AddDataLink(TDataLink* DataLink);
    void RemoveDataLink(TDataLink* DataLink);
    void DataEvent(TDataEvent Event, intptr_t Info);
    void NotifyDataLinks(TDataEvent Event, intptr_t Info);
    void SetState(TDataSetState Value);
    void UpdateState();

    TDataSet* FDataSet = nullptr;
    std::vector<TDataLink*> FDataLinks;
    TDataSetState FState = dsInactive;
    bool FEnabled = true;
    bool FAutoEdit = true;
};

class TDataLink : public TPersistent {
    LUMORA_CLASS(TDataLink, TPersistent)
public:
    TDataLink();
    ~TDataLink() override;

    // Asks the data source to put the dataset into edit mode; answers whether the link is editing.
    bool Edit();
    // Writes the control's pending edit into the record (UpdateData), once.
    void UpdateRecord();
    virtual bool ExecuteAction(TObject* Action) { return false; }
    virtual bool UpdateAction(TObject* Action) { return false; }

    bool GetActive() const { return FActive; }
    // The link's active record within its own window. Setting it repoints the dataset's active
    // buffer (field reads then show that record); the caller restores it.
    Integer GetActiveRecord() const;
    void SetActiveRecord(Integer Value);
    Integer GetBufferCount() const { return FBufferCount; }
    void SetBufferCount(Integer Value);
    TDataSet* GetDataSet() const;
    TDataSource* GetDataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* ADataSource);
    bool GetDataSourceFixed() const { return FDataSourceFixed; }
    void SetDataSourceFixed(bool Value) { FDataSourceFixed = Value; }
    bool GetEditing() const { return FEditing; }
    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    // Number of records in the link's window.
    Integer GetRecordCount() const;
    bool GetVisualControl() const { return FVisualControl; }
    void SetVisualControl(bool Value) { FVisualControl = Value; }

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    // By default a data-set change is a record change, and a scroll or layout change a data-set
    // change.
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(Integer Distance) { DataSetChanged(); }
    virtual void FocusControl(TField*& Field) {}
    virtual void EditingChanged() {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* Field) {}
    virtual void UpdateData() {}

private:
    friend class TDataSource;
    friend class TDataSet;

    void DataEvent(TDataEvent Event, intptr_t Info);
    void UpdateState();
    void SetActive(bool Value);
    void SetEditing(bool Value);
    void UpdateRange(Integer Shift, bool Fill);

    TDataSource* FDataSource = nullptr;
    Integer FFirstRecord = 0;
    Integer FBufferCount = 1;
    bool FActive = false;
    bool FEditing = false;
    bool FReadOnly = false;
    bool FUpdating = false;
    bool FVisualControl = false;
    bool FDataSourceFixed = false;
};
