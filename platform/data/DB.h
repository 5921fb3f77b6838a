// Data sets with a static cursor: opening reads every record into memory, so the record
// count is known and moving is cheap. A data source hands a data set to data-aware controls
// through data links, which hear when it opens, closes, re-queries and scrolls.
// No Windows header.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "platform/core/Classes.h"

namespace qn {

// Raised for anything a data component cannot do; the message is UTF-8 text.
class EDatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One value of a record or a parameter: null, integer, floating point or text.
using TDataValue = std::variant<std::monostate, int64_t, double, std::wstring>;

std::wstring DataValueToText(const TDataValue& value);

// What opening a data set yields: the field names and every record, row by row.
struct TRecordData {
  std::vector<std::wstring> fieldNames;
  std::vector<std::vector<TDataValue>> records;
};

class TDataSet;
class TDataSource;

// A column of the open data set, read at its current record.
class TField : public TObject {
  QN_CLASS(TField)
 public:
  TField(TDataSet* dataset, int index, std::wstring name);

  TDataSet* DataSet() const { return dataset_; }
  int Index() const { return index_; }
  std::wstring FieldName() const { return name_; }

  // Null when the data set has no current record.
  bool IsNull() const;
  std::wstring AsString() const;
  // Integers as they are, floating point rounded, text parsed; null reads as 0. Raises
  // EDatabaseError for text that is no number and for values beyond 32 bits.
  int AsInteger() const;
  int64_t AsLargeInt() const;
  const TDataValue& Value() const;

 private:
  TDataSet* dataset_;
  int index_;
  std::wstring name_;
};

using TDataSetNotifyEvent = TEvent<void(TDataSet* dataset)>;

enum class TDataEvent { deUpdateState, deDataSetChange, deDataSetScroll };

class TDataSet : public TComponent {
  QN_CLASS(TDataSet)
 public:
  explicit TDataSet(TComponent* owner);
  ~TDataSet() override;

  bool Active() const { return active_; }
  // While the owner is being read, opening waits until Loaded.
  void SetActive(bool active);
  // Runs the data set's command and reads every record. On failure the data set stays
  // closed and the error goes on to the caller.
  void Open();
  void Close();
  // Reads the records again, keeping the record number where it can. A failure closes
  // the data set.
  void Requery();

  // 0 while closed.
  int RecordCount() const { return static_cast<int>(data_.records.size()); }
  bool IsEmpty() const { return data_.records.empty(); }
  // End and beginning of data: set by a move that hit the last or first record, and both
  // set while the data set is empty or closed.
  bool Eof() const { return eof_; }
  bool Bof() const { return bof_; }
  // 1-based number of the current record; 0 when there is none.
  int RecNo() const { return current_ + 1; }
  void SetRecNo(int recno);

  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Moves by distance records, stopping at the first or last one; returns how far it went.
  int MoveBy(int distance);

  int FieldCount() const { return static_cast<int>(fields_.size()); }
  // Raise EDatabaseError when there is no such field.
  TField* Fields(int index) const;
  TField* FieldByName(const std::wstring& name) const;
  // Null when there is no such field (names compared without regard to case).
  TField* FindField(const std::wstring& name) const;

  // Any record's value, for controls that show more than the current one (record 0-based).
  const TDataValue& RecordValue(int record, int field) const;
  // The value of field at the current record; null when there is none.
  const TDataValue& CurrentValue(int field) const;

  TDataSetNotifyEvent AfterOpen;
  TDataSetNotifyEvent AfterClose;
  TDataSetNotifyEvent AfterScroll;

  void Loaded() override;
  void Notification(TComponent* component, TOperation op) override;

 protected:
  // Runs the command and fills out with the field names and every record.
  virtual void OpenCursor(TRecordData& out) = 0;
  // Raises EDatabaseError unless the data set is open.
  void CheckActive() const;
  void CheckInactive() const;

 private:
  friend class TDataSource;
  void AttachSource(TDataSource* source);
  void DetachSource(TDataSource* source);
  void DataEvent(TDataEvent event, int info);
  void Install(TRecordData&& data, int current);
  void Reset();
  void MoveTo(int record);

  bool active_ = false;
  bool streamed_active_ = false;
  TRecordData data_;
  std::vector<std::unique_ptr<TField>> fields_;
  int current_ = -1;
  bool bof_ = true;
  bool eof_ = true;
  std::vector<TDataSource*> sources_;
};

class TDataLink;

// Hands one data set to any number of data links.
class TDataSource : public TComponent {
  QN_CLASS(TDataSource)
 public:
  explicit TDataSource(TComponent* owner);
  ~TDataSource() override;

  TDataSet* DataSet() const { return dataset_; }
  void SetDataSet(TDataSet* dataset);

  void Notification(TComponent* component, TOperation op) override;

 private:
  friend class TDataSet;
  friend class TDataLink;
  void DataEvent(TDataEvent event, int info);

  TDataSet* dataset_ = nullptr;
  std::vector<TDataLink*> links_;
};

// The tie between a data-aware control and a data source. Subclasses hear about the data
// set through the virtual methods below.
class TDataLink {
 public:
  TDataLink() = default;
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;
  virtual ~TDataLink();

  TDataSource* DataSource() const { return source_; }
  void SetDataSource(TDataSource* source);
  TDataSet* DataSet() const { return source_ ? source_->DataSet() : nullptr; }
  // Whether the linked data set is open.
  bool Active() const { return active_; }

 protected:
  // The data set opened or closed, or the link now reaches another one.
  virtual void ActiveChanged() {}
  // The records were read anew (opened or re-queried): show them all again.
  virtual void DataSetChanged() {}
  // The current record moved by distance records.
  virtual void DataSetScrolled(int distance) {}

 private:
  friend class TDataSource;
  void DataEvent(TDataEvent event, int info);
  void UpdateState();

  TDataSource* source_ = nullptr;
  bool active_ = false;
};

}  // namespace qn
