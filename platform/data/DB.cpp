#include "platform/data/DB.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cwchar>

#include "platform/core/TextConv.h"

namespace qn {

namespace {

const TDataValue kNull;

}  // namespace

std::wstring DataValueToText(const TDataValue& v) {
  if (const auto* i = std::get_if<int64_t>(&v)) return std::to_wstring(*i);
  if (const auto* d = std::get_if<double>(&v)) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", *d);
    return Utf8ToWide(buf);
  }
  if (const auto* s = std::get_if<std::wstring>(&v)) return *s;
  return {};
}

// ---- TField ----

QN_CLASS_IMPL(TField, TObject)

TField::TField(TDataSet* dataset, int index, std::wstring name)
    : dataset_(dataset), index_(index), name_(std::move(name)) {}

const TDataValue& TField::Value() const { return dataset_->CurrentValue(index_); }

bool TField::IsNull() const { return std::holds_alternative<std::monostate>(Value()); }

std::wstring TField::AsString() const { return DataValueToText(Value()); }

int64_t TField::AsLargeInt() const {
  const TDataValue& v = Value();
  if (const auto* i = std::get_if<int64_t>(&v)) return *i;
  if (const auto* d = std::get_if<double>(&v)) {
    if (!(std::fabs(*d) < 9.2e18)) throw EDatabaseError("Value of field '" + WideToUtf8(name_) + "' is out of range");
    return std::llround(*d);
  }
  if (const auto* s = std::get_if<std::wstring>(&v)) {
    std::wstring t = *s;
    t.erase(0, t.find_first_not_of(L' '));
    t.erase(t.find_last_not_of(L' ') + 1);
    if (!t.empty()) {
      wchar_t* end = nullptr;
      errno = 0;
      long long n = std::wcstoll(t.c_str(), &end, 10);
      if (errno == 0 && end && *end == 0) return n;
    }
    throw EDatabaseError("'" + WideToUtf8(*s) + "' is not a valid integer value");
  }
  return 0;
}

int TField::AsInteger() const {
  int64_t v = AsLargeInt();
  if (v < INT_MIN || v > INT_MAX) throw EDatabaseError("Value of field '" + WideToUtf8(name_) + "' is out of range");
  return static_cast<int>(v);
}

// ---- TDataSet ----

QN_CLASS_IMPL(TDataSet, TComponent,
              {prop::Bool("Active", &TDataSet::Active, &TDataSet::SetActive),
               prop::Event("AfterOpen", &TDataSet::AfterOpen),
               prop::Event("AfterClose", &TDataSet::AfterClose),
               prop::Event("AfterScroll", &TDataSet::AfterScroll)})

TDataSet::TDataSet(TComponent* owner) : TComponent(owner) {}

TDataSet::~TDataSet() {
  // Links hear that the records are gone while this object is still whole; events of a
  // data set being destroyed are not fired.
  if (active_) {
    active_ = false;
    Reset();
    DataEvent(TDataEvent::deUpdateState, 0);
  }
  for (TDataSource* s : std::vector<TDataSource*>(sources_)) s->SetDataSet(nullptr);
}

void TDataSet::SetActive(bool active) {
  if (Loading()) {
    streamed_active_ = active;
    return;
  }
  if (active) Open();
  else Close();
}

void TDataSet::Loaded() {
  TComponent::Loaded();
  if (streamed_active_) {
    streamed_active_ = false;
    Open();
  }
}

void TDataSet::Open() {
  if (active_) return;
  TRecordData data;
  OpenCursor(data);  // a failure leaves everything as it was: closed
  active_ = true;
  Install(std::move(data), 0);
  DataEvent(TDataEvent::deUpdateState, 0);
  DataEvent(TDataEvent::deDataSetChange, 0);
  if (AfterOpen) AfterOpen(this);
  if (AfterScroll) AfterScroll(this);
}

void TDataSet::Close() {
  if (!active_) return;
  active_ = false;
  Reset();
  DataEvent(TDataEvent::deUpdateState, 0);
  if (AfterClose && !Destroying()) AfterClose(this);
}

void TDataSet::Requery() {
  CheckActive();
  TRecordData data;
  try {
    OpenCursor(data);
  } catch (...) {
    Close();
    throw;
  }
  Install(std::move(data), current_);
  DataEvent(TDataEvent::deDataSetChange, 0);
  if (AfterScroll) AfterScroll(this);
}

void TDataSet::Install(TRecordData&& data, int current) {
  data_ = std::move(data);
  fields_.clear();
  for (size_t i = 0; i < data_.fieldNames.size(); ++i)
    fields_.push_back(std::make_unique<TField>(this, static_cast<int>(i), data_.fieldNames[i]));
  int n = RecordCount();
  current_ = n == 0 ? -1 : std::clamp(current, 0, n - 1);
  bof_ = current_ <= 0;
  eof_ = n == 0;
}

void TDataSet::Reset() {
  fields_.clear();
  data_ = {};
  current_ = -1;
  bof_ = eof_ = true;
}

void TDataSet::CheckActive() const {
  if (!active_) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckInactive() const {
  if (active_) throw EDatabaseError("Cannot perform this operation on an open dataset");
}

void TDataSet::MoveTo(int record) {
  int distance = record - current_;
  if (distance == 0) return;
  current_ = record;
  DataEvent(TDataEvent::deDataSetScroll, distance);
  if (AfterScroll) AfterScroll(this);
}

int TDataSet::MoveBy(int distance) {
  CheckActive();
  int n = RecordCount();
  if (n == 0 || distance == 0) return 0;
  // 64-bit so that a huge distance cannot wrap around.
  int64_t want = static_cast<int64_t>(current_) + distance;
  int target = static_cast<int>(std::clamp<int64_t>(want, 0, n - 1));
  if (distance > 0) {
    bof_ = false;
    eof_ = want > n - 1;
  } else {
    eof_ = false;
    bof_ = want < 0;
  }
  int moved = target - current_;
  MoveTo(target);
  return moved;
}

void TDataSet::First() {
  CheckActive();
  bof_ = true;
  eof_ = IsEmpty();
  if (!IsEmpty()) MoveTo(0);
}

void TDataSet::Last() {
  CheckActive();
  eof_ = true;
  bof_ = IsEmpty();
  if (!IsEmpty()) MoveTo(RecordCount() - 1);
}

void TDataSet::SetRecNo(int recno) {
  CheckActive();
  if (IsEmpty()) return;
  bof_ = eof_ = false;
  MoveTo(std::clamp(recno, 1, RecordCount()) - 1);
}

TField* TDataSet::Fields(int index) const {
  if (index < 0 || index >= FieldCount())
    throw EDatabaseError("Field index " + std::to_string(index) + " out of range");
  return fields_[static_cast<size_t>(index)].get();
}

TField* TDataSet::FindField(const std::wstring& name) const {
  for (const auto& f : fields_)
    if (SameTextAscii(f->FieldName(), name)) return f.get();
  return nullptr;
}

TField* TDataSet::FieldByName(const std::wstring& name) const {
  TField* f = FindField(name);
  if (!f) throw EDatabaseError("Field '" + WideToUtf8(name) + "' not found");
  return f;
}

const TDataValue& TDataSet::RecordValue(int record, int field) const {
  if (record < 0 || record >= RecordCount() || field < 0 || field >= FieldCount()) return kNull;
  const auto& row = data_.records[static_cast<size_t>(record)];
  // A short row (none come from the engine, but nothing checks a subclass) reads as null.
  return static_cast<size_t>(field) < row.size() ? row[static_cast<size_t>(field)] : kNull;
}

const TDataValue& TDataSet::CurrentValue(int field) const { return RecordValue(current_, field); }

void TDataSet::AttachSource(TDataSource* source) {
  if (std::find(sources_.begin(), sources_.end(), source) == sources_.end()) sources_.push_back(source);
}

void TDataSet::DetachSource(TDataSource* source) {
  sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void TDataSet::DataEvent(TDataEvent event, int info) {
  // A handler may detach a source while we walk them.
  for (TDataSource* s : std::vector<TDataSource*>(sources_))
    if (std::find(sources_.begin(), sources_.end(), s) != sources_.end()) s->DataEvent(event, info);
}

void TDataSet::Notification(TComponent* component, TOperation op) {
  TComponent::Notification(component, op);
  if (op != TOperation::opRemove) return;
  sources_.erase(std::remove_if(sources_.begin(), sources_.end(), [&](TDataSource* s) { return s == component; }),
                 sources_.end());
}

// ---- TDataSource ----

QN_CLASS_IMPL(TDataSource, TComponent, {prop::Obj("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet)})

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
  SetDataSet(nullptr);
  for (TDataLink* l : std::vector<TDataLink*>(links_)) l->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TDataSet* dataset) {
  if (dataset == dataset_) return;
  if (dataset_) {
    dataset_->DetachSource(this);
    RemoveFreeNotification(dataset_);
  }
  dataset_ = dataset;
  if (dataset_) {
    dataset_->AttachSource(this);
    FreeNotification(dataset_);
  }
  DataEvent(TDataEvent::deUpdateState, 0);
  DataEvent(TDataEvent::deDataSetChange, 0);
}

void TDataSource::Notification(TComponent* component, TOperation op) {
  TComponent::Notification(component, op);
  if (op == TOperation::opRemove && component && component == dataset_) SetDataSet(nullptr);
}

void TDataSource::DataEvent(TDataEvent event, int info) {
  for (TDataLink* l : std::vector<TDataLink*>(links_))
    if (std::find(links_.begin(), links_.end(), l) != links_.end()) l->DataEvent(event, info);
}

// ---- TDataLink ----

TDataLink::~TDataLink() {
  if (source_) {
    auto& links = source_->links_;
    links.erase(std::remove(links.begin(), links.end(), this), links.end());
  }
}

void TDataLink::SetDataSource(TDataSource* source) {
  if (source == source_) return;
  if (source_) {
    auto& links = source_->links_;
    links.erase(std::remove(links.begin(), links.end(), this), links.end());
  }
  source_ = source;
  if (source_) source_->links_.push_back(this);
  UpdateState();
  if (active_) DataSetChanged();
}

void TDataLink::UpdateState() {
  bool now = DataSet() && DataSet()->Active();
  if (now == active_) return;
  active_ = now;
  ActiveChanged();
}

void TDataLink::DataEvent(TDataEvent event, int info) {
  switch (event) {
    case TDataEvent::deUpdateState:
      UpdateState();
      break;
    case TDataEvent::deDataSetChange:
      if (active_) DataSetChanged();
      break;
    case TDataEvent::deDataSetScroll:
      if (active_) DataSetScrolled(info);
      break;
  }
}

}  // namespace qn
