#include "platform/data/ADODB.h"

#include <algorithm>

#include "platform/core/TextConv.h"
#include "platform/data/ConnectionString.h"
#include "platform/data/SqliteDb.h"

namespace qn {

const wchar_t kJetProvider[] = L"Microsoft.Jet.OLEDB.4.0";

namespace {

const char kOpenObject[] = "Operation is not allowed when the object is open.";

}  // namespace

// ---- TADOConnection ----

QN_CLASS_IMPL(TADOConnection, TComponent,
              {prop::Str("ConnectionString", &TADOConnection::ConnectionString, &TADOConnection::SetConnectionString),
               prop::Bool("LoginPrompt", &TADOConnection::LoginPrompt, &TADOConnection::SetLoginPrompt),
               prop::Str("Provider", &TADOConnection::Provider, &TADOConnection::SetProvider),
               prop::Bool("Connected", &TADOConnection::Connected, &TADOConnection::SetConnected)})

TADOConnection::TADOConnection(TComponent* owner) : TComponent(owner) {}

TADOConnection::~TADOConnection() {
  for (TCustomADODataSet* d : std::vector<TCustomADODataSet*>(datasets_)) {
    try {
      d->Close();
    } catch (...) {
      // A handler failing while we go changes nothing: the data set is closed by then.
    }
    d->SetConnection(nullptr);
  }
}

void TADOConnection::SetConnectionString(const std::wstring& text) {
  if (Connected()) throw EDatabaseError(kOpenObject);
  connection_string_ = text;
}

std::wstring TADOConnection::Provider() const {
  if (auto p = ConnectionStringValue(connection_string_, L"Provider")) return *p;
  return provider_;
}

void TADOConnection::SetProvider(const std::wstring& provider) {
  if (Connected()) throw EDatabaseError(kOpenObject);
  provider_ = provider;
}

void TADOConnection::SetConnected(bool v) {
  if (Loading()) {
    streamed_connected_ = v;
    return;
  }
  if (v) Open();
  else Close();
}

void TADOConnection::Loaded() {
  TComponent::Loaded();
  if (streamed_connected_) {
    streamed_connected_ = false;
    Open();
  }
}

void TADOConnection::Open() {
  if (db_) return;
  if (!SameTextAscii(Provider(), std::wstring(kJetProvider)))
    throw EDatabaseError("Provider cannot be found. It may not be properly installed.");
  std::wstring file = ConnectionStringValue(connection_string_, L"Data Source").value_or(L"");
  db_ = std::make_unique<TSqliteDatabase>(file);
}

void TADOConnection::Close() {
  if (!db_) return;
  try {
    for (TCustomADODataSet* d : std::vector<TCustomADODataSet*>(datasets_)) d->Close();
  } catch (...) {
    db_.reset();
    throw;
  }
  db_.reset();
}

TSqliteDatabase& TADOConnection::Database() {
  Open();
  return *db_;
}

void TADOConnection::AddDataSet(TCustomADODataSet* d) {
  if (std::find(datasets_.begin(), datasets_.end(), d) == datasets_.end()) datasets_.push_back(d);
}

void TADOConnection::RemoveDataSet(TCustomADODataSet* d) {
  datasets_.erase(std::remove(datasets_.begin(), datasets_.end(), d), datasets_.end());
}

// ---- parameters ----

QN_CLASS_IMPL(TParameter, TCollectionItem,
              {prop::Str("Name", &TParameter::Name, &TParameter::SetName),
               prop::Str("Value", &TParameter::ValueText, &TParameter::SetValueText)})

void TParameter::SetName(const std::wstring& name) { name_ = name; }

void TParameter::SetValue(const TDataValue& value) {
  value_ = value;
  assigned_ = true;
}

void TParameter::Clear() {
  value_ = {};
  assigned_ = false;
}

QN_CLASS_IMPL(TParameters, TCollection)

TParameters::TParameters(TPersistent* owner)
    : TCollection(owner, [](TCollection* c) -> TCollectionItem* { return new TParameter(c); }) {}

TParameter* TParameters::FindParam(const std::wstring& name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameTextAscii(Items(i)->Name(), name)) return Items(i);
  return nullptr;
}

TParameter* TParameters::ParamByName(const std::wstring& name) const {
  TParameter* p = FindParam(name);
  if (!p) throw EDatabaseError("Parameter '" + WideToUtf8(name) + "' not found");
  return p;
}

void TParameters::ParseSQL(const std::wstring& sql) {
  struct Kept {
    std::wstring name;
    TDataValue value;
    bool assigned;
  };
  std::vector<Kept> kept;
  for (int i = 0; i < Count(); ++i) kept.push_back({Items(i)->Name(), Items(i)->Value(), Items(i)->Assigned()});
  Clear();
  for (const std::wstring& name : SqlParamNames(sql)) {
    TParameter* p = AddParameter();
    p->SetName(name);
    for (const Kept& k : kept) {
      if (!SameTextAscii(k.name, name)) continue;
      if (k.assigned) p->SetValue(k.value);
      break;
    }
  }
}

namespace {

// Characters of a parameter name, as the engine reads them.
bool IsNameChar(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_' ||
         c == L'$' || static_cast<unsigned>(c) >= 0x80;
}

}  // namespace

std::vector<std::wstring> SqlParamNames(const std::wstring& sql) {
  std::vector<std::wstring> names;
  const size_t n = sql.size();
  auto skip_to = [&](size_t from, wchar_t close) {
    size_t e = sql.find(close, from);
    return e == std::wstring::npos ? n : e + 1;
  };
  size_t i = 0;
  while (i < n) {
    wchar_t c = sql[i];
    if (c == L'\'' || c == L'"' || c == L'`') {
      // A doubled quote inside is part of the text: the scan simply resumes inside it.
      i = skip_to(i + 1, c);
    } else if (c == L'[') {
      i = skip_to(i + 1, L']');
    } else if (c == L'-' && i + 1 < n && sql[i + 1] == L'-') {
      i = skip_to(i + 2, L'\n');
    } else if (c == L'/' && i + 1 < n && sql[i + 1] == L'*') {
      size_t e = sql.find(L"*/", i + 2);
      i = e == std::wstring::npos ? n : e + 2;
    } else if (c == L':' && i + 1 < n && IsNameChar(sql[i + 1])) {
      size_t start = ++i;
      while (i < n && IsNameChar(sql[i])) ++i;
      std::wstring name = sql.substr(start, i - start);
      bool seen = std::any_of(names.begin(), names.end(), [&](const std::wstring& x) { return SameTextAscii(x, name); });
      if (!seen) names.push_back(name);
    } else {
      ++i;
    }
  }
  return names;
}

// ---- TCustomADODataSet ----

const TEnumInfo kCursorTypeInfo{{"ctUnspecified", "ctOpenForwardOnly", "ctKeyset", "ctDynamic", "ctStatic"}};
const TEnumInfo kLockTypeInfo{{"ltUnspecified", "ltReadOnly", "ltPessimistic", "ltOptimistic", "ltBatchOptimistic"}};

QN_CLASS_IMPL(TCustomADODataSet, TDataSet,
              {prop::Obj("Connection", &TCustomADODataSet::Connection, &TCustomADODataSet::SetConnection),
               prop::Enum("CursorType", kCursorTypeInfo, &TCustomADODataSet::CursorType, &TCustomADODataSet::SetCursorType),
               prop::Enum("LockType", kLockTypeInfo, &TCustomADODataSet::LockType, &TCustomADODataSet::SetLockType),
               prop::Obj("Parameters", &TCustomADODataSet::Parameters)})

TCustomADODataSet::TCustomADODataSet(TComponent* owner)
    : TDataSet(owner), params_(std::make_unique<TParameters>(this)) {}

TCustomADODataSet::~TCustomADODataSet() {
  Destroying_();  // no events from here on
  Close();
  SetConnection(nullptr);
}

void TCustomADODataSet::SetConnection(TADOConnection* connection) {
  if (connection == connection_) return;
  CheckInactive();
  if (connection_) {
    connection_->RemoveDataSet(this);
    RemoveFreeNotification(connection_);
  }
  connection_ = connection;
  if (connection_) {
    connection_->AddDataSet(this);
    FreeNotification(connection_);
  }
}

void TCustomADODataSet::Notification(TComponent* component, TOperation op) {
  TDataSet::Notification(component, op);
  if (op == TOperation::opRemove && component && component == connection_) {
    Close();
    SetConnection(nullptr);
  }
}

void TCustomADODataSet::OpenCursor(TRecordData& out) {
  if (!connection_) throw EDatabaseError("Missing Connection or ConnectionString");
  connection_->Database().Query(CommandText(), [this](const std::wstring& name) -> const TDataValue* {
    TParameter* p = params_->FindParam(name);
    return p && p->Assigned() ? &p->Value() : nullptr;
  }, out);
}

// ---- TADOQuery ----

void TSQLStrings::Clear() {
  if (lines_.empty()) return;
  lines_.clear();
  Changed();
}

void TSQLStrings::Add(const std::wstring& line) {
  lines_.push_back(line);
  Changed();
}

void TSQLStrings::Assign(const std::vector<std::wstring>& lines) {
  lines_ = lines;
  Changed();
}

std::wstring TSQLStrings::Text() const {
  std::wstring t;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i) t += L'\n';
    t += lines_[i];
  }
  return t;
}

QN_CLASS_IMPL(TADOQuery, TCustomADODataSet, {prop::Strings("SQL", &TADOQuery::SQLLines, &TADOQuery::SetSQLLines)})

TADOQuery::TADOQuery(TComponent* owner) : TCustomADODataSet(owner) {
  sql_.OnChange = [this] { SQLChanged(); };
}

void TADOQuery::SQLChanged() {
  if (!Loading()) Close();
  Parameters()->ParseSQL(sql_.Text());
}

// ---- TADOTable ----

QN_CLASS_IMPL(TADOTable, TCustomADODataSet, {prop::Str("TableName", &TADOTable::TableName, &TADOTable::SetTableName)})

void TADOTable::SetTableName(const std::wstring& name) {
  if (name == table_name_) return;
  CheckInactive();
  table_name_ = name;
}

std::wstring TADOTable::CommandText() const {
  if (table_name_.empty()) throw EDatabaseError("Missing TableName property");
  // Quoted as a name, so that the table name can never be read as more SQL.
  std::wstring quoted = L"\"";
  for (wchar_t c : table_name_) {
    if (c == L'"') quoted += L'"';
    quoted += c;
  }
  return L"select * from " + quoted + L"\"";
}

void RegisterDBClasses() {
  for (const TClassInfo* c : {&TADOConnection::StaticClass(), &TADOQuery::StaticClass(), &TADOTable::StaticClass(),
                              &TDataSource::StaticClass()})
    RegisterComponentClass(*c);
}

}  // namespace qn
