#include "platform/core/FormText.h"

#include <cctype>
#include <memory>
#include <sstream>

#include "platform/core/TextConv.h"

namespace qn {

namespace {

enum class Tok { End, Ident, Int, Str, Sym };

struct Token {
  Tok kind = Tok::End;
  std::string text;     // identifier, number or symbol
  std::wstring str;     // decoded string
  int line = 0;
};

class Lexer {
 public:
  explicit Lexer(const std::string& text) : s_(text) {}

  Token Next() {
    SkipSpace();
    Token t;
    t.line = line_;
    if (i_ >= s_.size()) return t;
    char c = s_[i_];
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      size_t start = i_;
      while (i_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '_' || s_[i_] == '.'))
        ++i_;
      t.kind = Tok::Ident;
      t.text = s_.substr(start, i_ - start);
      return t;
    }
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '$') {
      size_t start = i_++;
      while (i_ < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[i_]))) ++i_;
      t.kind = Tok::Int;
      t.text = s_.substr(start, i_ - start);
      return t;
    }
    if (c == '\'' || c == '#') {
      t.kind = Tok::Str;
      ReadString(t.str);
      return t;
    }
    t.kind = Tok::Sym;
    t.text = std::string(1, c);
    ++i_;
    if (c == '@') {  // @resource(NAME)
      size_t start = i_;
      while (i_ < s_.size() && s_[i_] != ')' && s_[i_] != '\n') ++i_;
      if (i_ < s_.size() && s_[i_] == ')') ++i_;
      t.text = "@" + s_.substr(start, i_ - start);
    }
    return t;
  }

  // The raw text up to the closing brace of a binary value.
  std::string ReadUntil(char close) {
    size_t start = i_;
    while (i_ < s_.size() && s_[i_] != close) {
      if (s_[i_] == '\n') ++line_;
      ++i_;
    }
    if (i_ >= s_.size()) throw EReadError("Line " + std::to_string(line_) + ": missing '" + close + "'");
    std::string out = s_.substr(start, i_ - start);
    ++i_;
    return out;
  }

  int Line() const { return line_; }

 private:
  void SkipSpace() {
    while (i_ < s_.size()) {
      char c = s_[i_];
      if (c == '\n') { ++line_; ++i_; }
      else if (c == ' ' || c == '\t' || c == '\r') ++i_;
      else if (c == '/' && i_ + 1 < s_.size() && s_[i_ + 1] == '/') {
        while (i_ < s_.size() && s_[i_] != '\n') ++i_;
      } else break;
    }
  }

  // 'quoted text' and #code pieces, joined; '' inside quotes is one quote.
  void ReadString(std::wstring& out) {
    for (;;) {
      if (i_ < s_.size() && s_[i_] == '\'') {
        ++i_;
        std::string piece;
        for (;;) {
          if (i_ >= s_.size() || s_[i_] == '\n')
            throw EReadError("Line " + std::to_string(line_) + ": unterminated string");
          if (s_[i_] == '\'') {
            if (i_ + 1 < s_.size() && s_[i_ + 1] == '\'') { piece += '\''; i_ += 2; continue; }
            ++i_;
            break;
          }
          piece += s_[i_++];
        }
        out += Utf8ToWide(piece);
      } else if (i_ < s_.size() && s_[i_] == '#') {
        ++i_;
        unsigned v = 0;
        size_t start = i_;
        while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]))) v = v * 10 + unsigned(s_[i_++] - '0');
        if (i_ == start) throw EReadError("Line " + std::to_string(line_) + ": bad character code");
        out += static_cast<wchar_t>(v);
      } else {
        break;
      }
    }
  }

  const std::string& s_;
  size_t i_ = 0;
  int line_ = 1;
};

// Collects the binary properties an object defines, by name.
class DefinedProps : public TFiler {
 public:
  struct Entry { std::string name; TStreamProc reader, writer; bool has_data; };
  void DefineBinaryProperty(const std::string& name, TStreamProc reader, TStreamProc writer,
                            bool has_data) override {
    entries.push_back({name, std::move(reader), std::move(writer), has_data});
  }
  std::vector<Entry> entries;
};

struct Fixup {
  TObject* object;
  std::string prop;
  std::string target;
  int line;
};

class Reader {
 public:
  Reader(TComponent* root, const std::string& text, const TFormReadContext& ctx)
      : root_(root), lex_(text), ctx_(ctx) {}

  void Run() {
    Advance();
    at_ = tok_.line;
    ExpectIdent("object");
    std::string name = TakeIdent();
    ExpectSym(":");
    std::string cls = TakeIdent();
    if (!root_->InheritsFrom(cls)) Fail("root is a " + root_->ClassName() + ", not a " + cls);
    root_->SetLoading(true);
    root_->SetName(Utf8ToWide(name));
    loaded_.push_back(root_);
    ReadBody(root_);
    if (tok_.kind != Tok::End) Fail("text after the end of the root object");
    for (const Fixup& f : fixups_) {
      TComponent* target = SameTextAscii(f.target, WideToUtf8(root_->Name())) ? root_ : root_->FindComponent(f.target);
      if (!target) throw EReadError("Line " + std::to_string(f.line) + ": no component named " + f.target);
      if (!SetObjectProp(f.object, f.prop, target))
        throw EReadError("Line " + std::to_string(f.line) + ": cannot set " + f.prop);
    }
    for (TComponent* c : loaded_) c->Loaded();
  }

 private:
  void ReadBody(TComponent* comp) {
    for (;;) {
      if (tok_.kind == Tok::Ident && tok_.text == "end") {
        Advance();
        return;
      }
      if (tok_.kind == Tok::Ident && tok_.text == "object") {
        ReadChild(comp);
        continue;
      }
      at_ = tok_.line;
      if (tok_.kind != Tok::Ident) Fail("property name expected");
      std::string path = TakeIdent();
      ExpectSym("=");
      ReadProperty(comp, path);
    }
  }

  void ReadChild(TComponent* container) {
    at_ = tok_.line;
    Advance();
    std::string name = TakeIdent();
    ExpectSym(":");
    std::string cls = TakeIdent();
    const TClassInfo* info = FindClass(cls);
    if (!info || !info->create) Fail("class " + cls + " not found");
    TObject* obj = info->create(root_);
    auto* comp = dynamic_cast<TComponent*>(obj);
    if (!comp) {
      delete obj;
      Fail(cls + " is not a component");
    }
    comp->SetLoading(true);
    comp->SetName(Utf8ToWide(name));
    comp->SetParentComponent(container);
    loaded_.push_back(comp);
    ReadBody(comp);
  }

  // Follows "Font.Name" to the object that owns the last name.
  TObject* Resolve(TObject* obj, const std::string& path, std::string& last) {
    size_t start = 0;
    for (;;) {
      size_t dot = path.find('.', start);
      if (dot == std::string::npos) {
        last = path.substr(start);
        return obj;
      }
      std::string part = path.substr(start, dot - start);
      const TPropInfo* p = GetPropInfo(obj, part);
      if (p && p->kind == TTypeKind::tkStrings && path.substr(dot + 1) == "Strings") {
        last = part;  // "Lines.Strings" stores the list of Lines
        return obj;
      }
      if (!p || p->kind != TTypeKind::tkClass) Fail("property " + path + " does not exist");
      obj = p->getObj(*obj);
      if (!obj) Fail("property " + part + " is nil");
      start = dot + 1;
    }
  }

  void ReadProperty(TObject* obj, const std::string& path) {
    std::string name;
    TObject* target = Resolve(obj, path, name);
    const TPropInfo* p = GetPropInfo(target, name);
    if (!p) {
      ReadDefined(target, path, name);
      return;
    }
    switch (p->kind) {
      case TTypeKind::tkInteger:
      case TTypeKind::tkEnumeration:
      case TTypeKind::tkSet:
      case TTypeKind::tkString: {
        std::wstring text = ReadSimpleValue();
        if (!SetPropFromText(target, name, text))
          Fail("invalid value for " + path + ": " + WideToUtf8(text));
        break;
      }
      case TTypeKind::tkMethod: {
        std::string method = TakeIdent();
        TMethodRef m = ctx_.findMethod ? ctx_.findMethod(method) : TMethodRef();
        if (!m) Fail("method " + method + " not found");
        if (!p->setMethod(*target, m)) Fail("method " + method + " does not fit " + path);
        break;
      }
      case TTypeKind::tkStrings: {
        ExpectSym("(");
        std::vector<std::wstring> lines;
        while (!(tok_.kind == Tok::Sym && tok_.text == ")")) {
          if (tok_.kind != Tok::Str) Fail("string expected in list");
          lines.push_back(TakeString());
        }
        Advance();
        p->setList(*target, lines);
        break;
      }
      case TTypeKind::tkClass: {
        if (tok_.kind == Tok::Sym && tok_.text == "<") {
          auto* coll = dynamic_cast<TCollection*>(p->getObj(*target));
          if (!coll) Fail(path + " is not a collection");
          ReadCollection(coll);
        } else if (tok_.kind == Tok::Ident) {
          std::string ref = TakeIdent();
          if (ref == "nil") {
            if (!p->setObj) Fail(path + " is read-only");
            p->setObj(*target, nullptr);
          } else {
            fixups_.push_back({target, name, ref, at_});
          }
        } else {
          Fail("component name expected for " + path);
        }
        break;
      }
    }
  }

  void ReadCollection(TCollection* coll) {
    Advance();  // <
    coll->Clear();
    while (!(tok_.kind == Tok::Sym && tok_.text == ">")) {
      ExpectIdent("item");
      TCollectionItem* item = coll->Add();
      for (;;) {
        if (tok_.kind == Tok::Ident && tok_.text == "end") {
          Advance();
          break;
        }
        at_ = tok_.line;
        std::string path = TakeIdent();
        ExpectSym("=");
        ReadProperty(item, path);
      }
    }
    Advance();
  }

  void ReadDefined(TObject* obj, const std::string& path, const std::string& name) {
    auto* pers = dynamic_cast<TPersistent*>(obj);
    DefinedProps defs;
    if (pers) pers->DefineProperties(defs);
    for (auto& e : defs.entries) {
      if (!SameTextAscii(e.name, name)) continue;
      TMemoryStream bytes(ReadBinaryValue());
      bytes.SetPosition(0);
      if (e.reader) e.reader(bytes);
      return;
    }
    Fail("property " + path + " does not exist");
  }

  std::vector<uint8_t> ReadBinaryValue() {
    std::vector<uint8_t> out;
    if (tok_.kind == Tok::Sym && tok_.text.rfind("@resource(", 0) == 0) {
      std::string res = tok_.text.substr(10);
      if (!res.empty() && res.back() == ')') res.pop_back();
      if (!ctx_.loadResource || !ctx_.loadResource(res, out)) Fail("resource " + res + " not found");
      Advance();
      return out;
    }
    if (!(tok_.kind == Tok::Sym && tok_.text == "{")) Fail("binary value expected");
    std::string hex = lex_.ReadUntil('}');
    int hi = -1;
    for (char c : hex) {
      int d = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -2;
      if (d == -2) {
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        Fail("bad character in binary value");
      }
      if (hi < 0) hi = d;
      else {
        out.push_back(static_cast<uint8_t>(hi << 4 | d));
        hi = -1;
      }
    }
    if (hi >= 0) Fail("odd number of hex digits");
    Advance();
    return out;
  }

  // Numbers, identifiers, strings (joined by +) and sets, as text for SetPropFromText.
  std::wstring ReadSimpleValue() {
    if (tok_.kind == Tok::Int || tok_.kind == Tok::Ident) {
      std::wstring v = Utf8ToWide(tok_.text);
      Advance();
      return v;
    }
    if (tok_.kind == Tok::Str) {
      std::wstring v = TakeString();
      while (tok_.kind == Tok::Sym && tok_.text == "+") {
        Advance();
        if (tok_.kind != Tok::Str) Fail("string expected after +");
        v += TakeString();
      }
      return v;
    }
    if (tok_.kind == Tok::Sym && tok_.text == "[") {
      std::wstring v = L"[";
      Advance();
      bool first = true;
      while (!(tok_.kind == Tok::Sym && tok_.text == "]")) {
        if (tok_.kind == Tok::Sym && tok_.text == ",") { Advance(); continue; }
        if (tok_.kind != Tok::Ident) Fail("set element expected");
        if (!first) v += L",";
        v += Utf8ToWide(tok_.text);
        first = false;
        Advance();
      }
      Advance();
      return v + L"]";
    }
    Fail("value expected");
  }

  void Advance() { tok_ = lex_.Next(); }
  std::string TakeIdent() {
    if (tok_.kind != Tok::Ident) Fail("identifier expected");
    std::string v = tok_.text;
    Advance();
    return v;
  }
  std::wstring TakeString() {
    std::wstring v = tok_.str;
    Advance();
    return v;
  }
  void ExpectIdent(const char* word) {
    if (tok_.kind != Tok::Ident || tok_.text != word) Fail(std::string("'") + word + "' expected");
    Advance();
  }
  void ExpectSym(const char* sym) {
    if (tok_.kind != Tok::Sym || tok_.text != sym) Fail(std::string("'") + sym + "' expected");
    Advance();
  }
  [[noreturn]] void Fail(const std::string& what) {
    throw EReadError("Line " + std::to_string(at_) + ": " + what);
  }

  TComponent* root_;
  Lexer lex_;
  const TFormReadContext& ctx_;
  Token tok_;
  int at_ = 1;  // line of the object or property being read, for messages
  std::vector<Fixup> fixups_;
  std::vector<TComponent*> loaded_;
};

std::string Quote(const std::wstring& w) {
  std::string out = "'";
  for (char c : WideToUtf8(w)) {
    if (c == '\'') out += "''";
    else if (c == '\n' || c == '\r') out += "'#" + std::to_string(int(c)) + "'";
    else out += c;
  }
  return out + "'";
}

class Writer {
 public:
  std::string Run(TComponent* root) {
    WriteObject(root, root, 0);
    return out_.str();
  }

 private:
  void WriteObject(TComponent* comp, TComponent* root, int depth) {
    Indent(depth);
    out_ << "object " << WideToUtf8(comp->Name()) << ": " << comp->ClassName() << "\n";
    WriteProps(comp, "", depth + 1);
    if (comp == root) {
      for (int i = 0; i < root->ComponentCount(); ++i) WriteObject(root->Components(i), root, depth + 1);
    }
    Indent(depth);
    out_ << "end\n";
  }

  void WriteProps(TObject* obj, const std::string& prefix, int depth) {
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = &obj->ClassType(); c; c = c->parent) chain.insert(chain.begin(), c);
    for (const TClassInfo* c : chain) {
      for (const TPropInfo& p : c->props) {
        if (p.name == "Name" && prefix.empty() && dynamic_cast<TComponent*>(obj)) continue;
        WriteProp(obj, p, prefix, depth);
      }
    }
    if (auto* pers = dynamic_cast<TPersistent*>(obj)) {
      DefinedProps defs;
      pers->DefineProperties(defs);
      for (auto& e : defs.entries) {
        if (!e.has_data || !e.writer) continue;
        TMemoryStream m;
        e.writer(m);
        Indent(depth);
        out_ << prefix << e.name << " = {";
        static const char* hex = "0123456789ABCDEF";
        size_t n = 0;
        for (uint8_t b : m.Bytes()) {
          if (n++ % 32 == 0) {
            out_ << "\n";
            Indent(depth + 1);
          }
          out_ << hex[b >> 4] << hex[b & 15];
        }
        out_ << "}\n";
      }
    }
  }

  void WriteProp(TObject* obj, const TPropInfo& p, const std::string& prefix, int depth) {
    switch (p.kind) {
      case TTypeKind::tkInteger:
        if (!p.setOrd) return;
        Indent(depth);
        out_ << prefix << p.name << " = " << p.getOrd(*obj) << "\n";
        return;
      case TTypeKind::tkEnumeration:
        if (!p.setOrd) return;
        Indent(depth);
        out_ << prefix << p.name << " = " << p.enumType->NameOf(p.getOrd(*obj)) << "\n";
        return;
      case TTypeKind::tkSet: {
        if (!p.setOrd) return;
        int64_t bits = p.getOrd(*obj);
        std::string items;
        for (size_t i = 0; i < p.enumType->names.size() && i < 63; ++i)
          if (bits & (int64_t(1) << i)) items += (items.empty() ? "" : ", ") + p.enumType->names[i];
        Indent(depth);
        out_ << prefix << p.name << " = [" << items << "]\n";
        return;
      }
      case TTypeKind::tkString:
        if (!p.setStr) return;
        Indent(depth);
        out_ << prefix << p.name << " = " << Quote(p.getStr(*obj)) << "\n";
        return;
      case TTypeKind::tkStrings: {
        if (!p.setList) return;
        Indent(depth);
        out_ << prefix << p.name << ".Strings = (";
        for (const auto& line : p.getList(*obj)) {
          out_ << "\n";
          Indent(depth + 1);
          out_ << Quote(line);
        }
        out_ << ")\n";
        return;
      }
      case TTypeKind::tkClass: {
        TObject* value = p.getObj(*obj);
        if (auto* coll = dynamic_cast<TCollection*>(value)) {
          Indent(depth);
          out_ << prefix << p.name << " = <";
          for (int i = 0; i < coll->Count(); ++i) {
            out_ << "\n";
            Indent(depth + 1);
            out_ << "item\n";
            WriteProps(coll->Items(i), "", depth + 2);
            Indent(depth + 1);
            out_ << "end";
          }
          out_ << ">\n";
        } else if (value && !dynamic_cast<TComponent*>(value)) {
          WriteProps(value, prefix + p.name + ".", depth);
        }
        return;
      }
      case TTypeKind::tkMethod:
        return;
    }
  }

  void Indent(int depth) { out_ << std::string(static_cast<size_t>(depth) * 2, ' '); }
  std::ostringstream out_;
};

}  // namespace

void ReadComponentText(TComponent* root, const std::string& utf8_text, const TFormReadContext& context) {
  Reader(root, utf8_text, context).Run();
}

std::string WriteComponentText(TComponent* root) { return Writer().Run(root); }

}  // namespace qn
