// ADO-style data components: a connection opened from a connection string, and queries and
// tables with a static cursor over it. The provider "Microsoft.Jet.OLEDB.4.0" is served by
// the embedded SQLite engine, opening the file named by "Data Source" read-only; no other
// provider exists. No Windows header.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/data/DB.h"

namespace qn {

class TCustomADODataSet;
class TSqliteDatabase;

// The one provider there is.
extern const wchar_t kJetProvider[];

class TADOConnection : public TComponent {
  QN_CLASS(TADOConnection)
 public:
  explicit TADOConnection(TComponent* owner);
  ~TADOConnection() override;

  // Kept exactly as given. Raises EDatabaseError while connected.
  std::wstring ConnectionString() const { return connection_string_; }
  void SetConnectionString(const std::wstring& text);
  // Stored only: no login dialog is ever shown.
  bool LoginPrompt() const { return login_prompt_; }
  void SetLoginPrompt(bool v) { login_prompt_ = v; }
  // The connection string's "Provider", else the one set here.
  std::wstring Provider() const;
  void SetProvider(const std::wstring& provider);
  bool Connected() const { return db_ != nullptr; }
  // While the owner is being read, connecting waits until Loaded.
  void SetConnected(bool v);

  // Raises EDatabaseError for an unknown provider, a missing or unreadable file and a file
  // that is no database; the connection then stays closed.
  void Open();
  // Closes every data set using this connection first.
  void Close();

  int DataSetCount() const { return static_cast<int>(datasets_.size()); }
  TCustomADODataSet* DataSets(int index) const { return datasets_.at(static_cast<size_t>(index)); }

  void Loaded() override;

 private:
  friend class TCustomADODataSet;
  TSqliteDatabase& Database();  // connects on demand
  void AddDataSet(TCustomADODataSet* dataset);
  void RemoveDataSet(TCustomADODataSet* dataset);

  std::wstring connection_string_;
  std::wstring provider_;
  bool login_prompt_ = true;
  bool streamed_connected_ = false;
  std::unique_ptr<TSqliteDatabase> db_;
  std::vector<TCustomADODataSet*> datasets_;
};

// A named parameter of a statement (":name" in its text).
class TParameter : public TCollectionItem {
  QN_CLASS(TParameter)
 public:
  explicit TParameter(TCollection* collection) : TCollectionItem(collection) {}

  std::wstring Name() const { return name_; }
  void SetName(const std::wstring& name);
  // Unassigned until a value (null included) is set; running a statement with an
  // unassigned parameter raises EDatabaseError.
  bool Assigned() const { return assigned_; }
  const TDataValue& Value() const { return value_; }
  void SetValue(const TDataValue& value);
  void SetValue(const std::wstring& text) { SetValue(TDataValue(text)); }
  void SetValue(const wchar_t* text) { SetValue(TDataValue(std::wstring(text))); }
  void SetValue(int v) { SetValue(TDataValue(static_cast<int64_t>(v))); }
  void SetValue(int64_t v) { SetValue(TDataValue(v)); }
  void SetValue(double v) { SetValue(TDataValue(v)); }
  void SetNull() { SetValue(TDataValue()); }
  void Clear();  // back to unassigned

  // The value as text, for form descriptions.
  std::wstring ValueText() const { return DataValueToText(value_); }
  void SetValueText(const std::wstring& text) { SetValue(text); }

  std::wstring DisplayName() const override { return name_; }

 private:
  std::wstring name_;
  TDataValue value_;
  bool assigned_ = false;
};

class TParameters : public TCollection {
  QN_CLASS(TParameters)
 public:
  explicit TParameters(TPersistent* owner);

  TParameter* Items(int index) const { return static_cast<TParameter*>(TCollection::Items(index)); }
  TParameter* AddParameter() { return static_cast<TParameter*>(Add()); }
  // Compared without regard to case; null when absent.
  TParameter* FindParam(const std::wstring& name) const;
  // Raises EDatabaseError when absent.
  TParameter* ParamByName(const std::wstring& name) const;
  // Makes the list the parameters the statement names, in order of first use; those
  // already here keep their values.
  void ParseSQL(const std::wstring& sql);
};

// The names of the ":name" parameters of a statement in order of first use, each once;
// quoted text, quoted names and comments are skipped.
std::vector<std::wstring> SqlParamNames(const std::wstring& sql);

enum class TCursorType { ctUnspecified, ctOpenForwardOnly, ctKeyset, ctDynamic, ctStatic };
extern const TEnumInfo kCursorTypeInfo;
enum class TADOLockType { ltUnspecified, ltReadOnly, ltPessimistic, ltOptimistic, ltBatchOptimistic };
extern const TEnumInfo kLockTypeInfo;

// A data set over an ADO connection. Whatever cursor type is asked for, it behaves as a
// static cursor.
class TCustomADODataSet : public TDataSet {
  QN_CLASS(TCustomADODataSet)
 public:
  explicit TCustomADODataSet(TComponent* owner);
  ~TCustomADODataSet() override;

  TADOConnection* Connection() const { return connection_; }
  // Raises EDatabaseError while open.
  void SetConnection(TADOConnection* connection);
  TCursorType CursorType() const { return cursor_type_; }
  void SetCursorType(TCursorType t) { cursor_type_ = t; }
  TADOLockType LockType() const { return lock_type_; }
  void SetLockType(TADOLockType t) { lock_type_ = t; }
  TParameters* Parameters() const { return params_.get(); }

  void Notification(TComponent* component, TOperation op) override;

 protected:
  // The statement that opening runs.
  virtual std::wstring CommandText() const = 0;
  void OpenCursor(TRecordData& out) override;

 private:
  TADOConnection* connection_ = nullptr;
  TCursorType cursor_type_ = TCursorType::ctKeyset;
  TADOLockType lock_type_ = TADOLockType::ltOptimistic;
  std::unique_ptr<TParameters> params_;
};

// The lines of a query's statement. Every change tells the query (OnChange).
class TSQLStrings {
 public:
  void Clear();
  void Add(const std::wstring& line);
  void Assign(const std::vector<std::wstring>& lines);
  int Count() const { return static_cast<int>(lines_.size()); }
  const std::wstring& Strings(int index) const { return lines_.at(static_cast<size_t>(index)); }
  const std::vector<std::wstring>& Lines() const { return lines_; }
  // The lines joined with line breaks.
  std::wstring Text() const;

  std::function<void()> OnChange;

 private:
  void Changed() {
    if (OnChange) OnChange();
  }
  std::vector<std::wstring> lines_;
};

class TADOQuery : public TCustomADODataSet {
  QN_CLASS(TADOQuery)
 public:
  explicit TADOQuery(TComponent* owner);

  // Changing the statement closes the query and lists its parameters anew.
  TSQLStrings& SQL() { return sql_; }
  const TSQLStrings& SQL() const { return sql_; }
  std::vector<std::wstring> SQLLines() const { return sql_.Lines(); }
  void SetSQLLines(const std::vector<std::wstring>& lines) { sql_.Assign(lines); }

 protected:
  std::wstring CommandText() const override { return sql_.Text(); }

 private:
  void SQLChanged();
  TSQLStrings sql_;
};

// Opening a table reads every row of it.
class TADOTable : public TCustomADODataSet {
  QN_CLASS(TADOTable)
 public:
  explicit TADOTable(TComponent* owner) : TCustomADODataSet(owner) {}

  std::wstring TableName() const { return table_name_; }
  // Raises EDatabaseError while open.
  void SetTableName(const std::wstring& name);

 protected:
  std::wstring CommandText() const override;

 private:
  std::wstring table_name_;
};

// Makes the data components known to the form reader.
void RegisterDBClasses();

}  // namespace qn
