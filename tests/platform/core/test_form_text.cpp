#include <gtest/gtest.h>

#include "platform/core/FormText.h"
#include "platform/core/TextConv.h"

namespace qn {
namespace {

class TFontish : public TPersistent {
  QN_CLASS(TFontish)
 public:
  int Height() const { return height; }
  void SetHeight(int h) { height = h; }
  std::wstring FaceName() const { return name; }
  void SetFaceName(const std::wstring& n) { name = n; }
  int height = 0;
  std::wstring name;
};
QN_CLASS_IMPL(TFontish, TPersistent,
              {prop::Int("Height", &TFontish::Height, &TFontish::SetHeight),
               prop::Str("Name", &TFontish::FaceName, &TFontish::SetFaceName)})

class TPanelItem : public TCollectionItem {
  QN_CLASS(TPanelItem)
 public:
  explicit TPanelItem(TCollection* c) : TCollectionItem(c) {}
  int Width() const { return width; }
  void SetWidth(int w) { width = w; }
  std::wstring Text() const { return text; }
  void SetText(const std::wstring& t) { text = t; }
  int width = 0;
  std::wstring text;
};
QN_CLASS_IMPL(TPanelItem, TCollectionItem,
              {prop::Int("Width", &TPanelItem::Width, &TPanelItem::SetWidth),
               prop::Str("Text", &TPanelItem::Text, &TPanelItem::SetText)})

std::vector<std::string>& LoadLog() {
  static std::vector<std::string> log;
  return log;
}

class TWidget : public TComponent {
  QN_CLASS(TWidget)
 public:
  explicit TWidget(TComponent* owner)
      : TComponent(owner), panels(this, [](TCollection* c) { return new TPanelItem(c); }) {}
  TFontish* Font() const { return const_cast<TFontish*>(&font); }
  TCollection* Panels() const { return const_cast<TCollection*>(&panels); }
  std::vector<std::wstring> Lines() const { return lines; }
  void SetLines(const std::vector<std::wstring>& l) { lines = l; }
  TWidget* Buddy() const { return buddy; }
  void SetBuddy(TWidget* b) { buddy = b; }
  std::wstring Caption() const { return caption; }
  void SetCaption(const std::wstring& c) {
    caption = c;
    caption_while_loading = Loading();
  }
  void SetParentComponent(TComponent* p) override { parent = p; }
  void Loaded() override {
    TComponent::Loaded();
    LoadLog().push_back(WideToUtf8(Name()) + (blob.empty() ? "" : "+blob"));
  }
  void DefineProperties(TFiler& filer) override {
    filer.DefineBinaryProperty(
        "Blob", [this](TStream& s) { blob.assign(static_cast<size_t>(s.Size()), 0); s.ReadBuffer(blob.data(), blob.size()); },
        [this](TStream& s) { s.WriteBuffer(blob.data(), blob.size()); }, !blob.empty());
  }
  TNotifyEvent OnClick;
  TFontish font;
  TCollection panels;
  std::vector<std::wstring> lines;
  std::vector<uint8_t> blob;
  TWidget* buddy = nullptr;
  TComponent* parent = nullptr;
  std::wstring caption;
  bool caption_while_loading = false;
};
QN_CLASS_IMPL(TWidget, TComponent,
              {prop::Obj("Font", &TWidget::Font),
               prop::Obj("Panels", &TWidget::Panels),
               prop::Strings("Lines", &TWidget::Lines, &TWidget::SetLines),
               prop::Obj("Buddy", &TWidget::Buddy, &TWidget::SetBuddy),
               prop::Str("Caption", &TWidget::Caption, &TWidget::SetCaption),
               prop::Event("OnClick", &TWidget::OnClick)})

struct Handlers {
  void Click(TObject* s) { clicked = s; }
  TObject* clicked = nullptr;
};

class FormTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterComponentClass(TWidget::StaticClass());
    LoadLog().clear();
    ctx.findMethod = [this](const std::string& name) {
      return name == "Click" ? TMethodRef(TNotifyEvent::Bind<&Handlers::Click>(&handlers)) : TMethodRef();
    };
    ctx.loadResource = [](const std::string& name, std::vector<uint8_t>& out) {
      if (name != "SKIN") return false;
      out = {1, 2, 3};
      return true;
    };
  }
  Handlers handlers;
  TFormReadContext ctx;
};

const char* kForm = R"(object Form1: TWidget
  Caption = '青囊' + '珍藏'#32'V1'
  Font.Height = -13
  Font.Name = '宋体'
  object Child: TWidget
    Tag = 99
    Buddy = Later
    OnClick = Click
    Lines.Strings = (
      '更新说明:'
      'it''s')
    Panels = <
      item
        Width = 300
      end
      item
        Width = 150
        Text = 'QQ'
      end>
    object Inner: TWidget
      Blob = {0A0b FF}
    end
  end
  object Later: TWidget
    Blob = @resource(SKIN)
  end
end
)";

TEST_F(FormTextTest, ReadsEveryKindOfValueAndCallsLoadedAfterFixups) {
  TWidget root(nullptr);
  ReadComponentText(&root, kForm, ctx);
  EXPECT_EQ(root.Name(), L"Form1");
  EXPECT_EQ(root.caption, L"青囊珍藏 V1");
  EXPECT_TRUE(root.caption_while_loading);
  EXPECT_EQ(root.font.height, -13);
  EXPECT_EQ(root.font.name, L"宋体");
  auto* child = root.Find<TWidget>("Child");
  auto* inner = root.Find<TWidget>("Inner");
  auto* later = root.Find<TWidget>("Later");
  ASSERT_TRUE(child && inner && later);
  EXPECT_EQ(inner->Owner(), &root);  // the form owns every component it reads
  EXPECT_EQ(inner->parent, child);
  EXPECT_EQ(child->parent, &root);
  EXPECT_EQ(child->Tag(), 99);
  EXPECT_EQ(child->buddy, later);  // forward reference resolved after reading
  EXPECT_EQ(child->lines, (std::vector<std::wstring>{L"更新说明:", L"it's"}));
  ASSERT_EQ(child->panels.Count(), 2);
  EXPECT_EQ(static_cast<TPanelItem*>(child->panels.Items(0))->width, 300);
  EXPECT_EQ(static_cast<TPanelItem*>(child->panels.Items(1))->text, L"QQ");
  EXPECT_EQ(inner->blob, (std::vector<uint8_t>{0x0A, 0x0B, 0xFF}));
  EXPECT_EQ(later->blob, (std::vector<uint8_t>{1, 2, 3}));
  child->OnClick(child);
  EXPECT_EQ(handlers.clicked, child);
  EXPECT_EQ(LoadLog(), (std::vector<std::string>{"Form1", "Child", "Inner+blob", "Later+blob"}));
  EXPECT_FALSE(root.Loading());
}

TEST_F(FormTextTest, WrittenTextReadsBackToTheSameValues) {
  TWidget root(nullptr);
  ReadComponentText(&root, kForm, ctx);
  std::vector<uint8_t> big(1000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
  root.Find<TWidget>("Later")->blob = big;
  std::string text = WriteComponentText(&root);

  TWidget copy(nullptr);
  ReadComponentText(&copy, text, ctx);
  EXPECT_EQ(copy.caption, root.caption);
  EXPECT_EQ(copy.font.name, L"宋体");
  EXPECT_EQ(copy.Find<TWidget>("Child")->lines, root.Find<TWidget>("Child")->lines);
  EXPECT_EQ(copy.Find<TWidget>("Child")->panels.Count(), 2);
  EXPECT_EQ(copy.Find<TWidget>("Later")->blob, big);
}

TEST_F(FormTextTest, MistakesAreReportedWithTheirLine) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"object F: TWidget\n  Colour = 1\nend", "Line 2: property Colour does not exist"},
      {"object F: TWidget\n  object X: TNoSuch\n  end\nend", "Line 2: class TNoSuch not found"},
      {"object F: TWidget\n  OnClick = Nowhere\nend", "Line 2: method Nowhere not found"},
      {"object F: TWidget\n  Buddy = Ghost\nend", "Line 2: no component named Ghost"},
      {"object F: TWidget\n  Caption = 'open\nend", "Line 2: unterminated string"},
      {"object F: TWidget\n  Tag = abc\nend", "Line 2: invalid value for Tag: abc"},
      {"object F: TButtonish\nend", "Line 1: root is a TWidget, not a TButtonish"},
  };
  for (const Case& c : cases) {
    TWidget root(nullptr);
    try {
      ReadComponentText(&root, c.text, ctx);
      ADD_FAILURE() << "no error for: " << c.text;
    } catch (const EReadError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

}  // namespace
}  // namespace qn
