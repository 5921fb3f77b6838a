// A list view with its column header, a stand-alone header control, and a media player with a
// short tone loaded; a line below them says what was last clicked and what the player answered.
#include <cmath>
#include <cstdio>
#include <vector>

#include "gallery/GalleryForm.h"
#include "platform/win/ComCtrls.h"
#include "platform/win/HeaderCtrl.h"
#include "platform/win/ImgList.h"
#include "platform/win/MPlayer.h"

namespace qn {

namespace {

template <class T>
T* Place(TWinControl* parent, int x, int y, int w, int h) {
  auto* c = new T(parent->Owner() ? parent->Owner() : parent);
  c->SetParent(parent);
  c->SetBounds(x, y, w, h);
  return c;
}

// The tone the player plays: half a second of a soft 660 Hz sine, fading out, as a wave file
// in the temporary folder (written again at every start). Empty when it cannot be written.
std::wstring WriteTone() {
  wchar_t dir[MAX_PATH] = {};
  if (!GetTempPathW(MAX_PATH, dir)) return {};
  const std::wstring path = std::wstring(dir) + L"skingallery-tone.wav";
  constexpr uint32_t kRate = 11025, kSamples = kRate / 2;
  std::vector<uint8_t> wav;
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) wav.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&](uint16_t v) {
    wav.push_back(static_cast<uint8_t>(v));
    wav.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto tag = [&](const char* t) { wav.insert(wav.end(), t, t + 4); };
  tag("RIFF");
  u32(36 + kSamples);
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(1);  // PCM, mono, 8 bits
  u16(1);
  u32(kRate);
  u32(kRate);
  u16(1);
  u16(8);
  tag("data");
  u32(kSamples);
  for (uint32_t i = 0; i < kSamples; ++i) {
    const double fade = 1.0 - static_cast<double>(i) / kSamples;
    wav.push_back(static_cast<uint8_t>(128 + 70 * fade * std::sin(i * 2 * 3.14159265358979 * 660 / kRate)));
  }
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return {};
  const bool ok = fwrite(wav.data(), 1, wav.size(), f) == wav.size();
  return fclose(f) == 0 && ok ? path : std::wstring();
}

// A 12 x 12 picture: a jar of the colour on magenta, which the image list leaves out.
void AddJar(TImageList* list, TColor colour) {
  TBitmap jar(12, 12, TPixelFormat::pf24bit);
  HDC dc = jar.DC();
  TBrushHandle ground = MakeSolidBrush(ColorToRGB(clFuchsia));
  RECT all{0, 0, 12, 12};
  FillRect(dc, &all, ground.Get());
  TBrushHandle body = MakeSolidBrush(ColorToRGB(colour));
  RECT neck{4, 1, 8, 4}, belly{2, 4, 10, 11};
  FillRect(dc, &neck, body.Get());
  FillRect(dc, &belly, body.Get());
  list->AddMasked(&jar, clFuchsia);
}

// A list view whose column header shows a picture on the first column and right-aligns the
// second, set on the window each time it is made (the class library's columns carry neither).
class TGalleryListView : public TListView {
 public:
  explicit TGalleryListView(TComponent* owner) : TListView(owner), images_(new TImageList(this)) {
    images_->SetSize(12, 12);
    AddJar(images_, 0x2060C0);
  }

 protected:
  void CreateWindowHandleDone() override {
    TListView::CreateWindowHandleDone();
    LVCOLUMNW days{};
    days.mask = LVCF_FMT;
    days.fmt = LVCFMT_RIGHT;
    SendMessageW(handle_, LVM_SETCOLUMNW, 1, reinterpret_cast<LPARAM>(&days));
    HWND column_header = HeaderHandle();
    if (!column_header) return;
    SendMessageW(column_header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_->Handle()));
    HDITEMW wine{};
    wine.mask = HDI_FORMAT;
    SendMessageW(column_header, HDM_GETITEMW, 0, reinterpret_cast<LPARAM>(&wine));
    wine.mask = HDI_FORMAT | HDI_IMAGE;
    wine.fmt |= HDF_IMAGE;
    wine.iImage = 0;
    SendMessageW(column_header, HDM_SETITEMW, 0, reinterpret_cast<LPARAM>(&wine));
  }

 private:
  TImageList* images_;  // owned: freed after the window that shows it
};

// Tells on the line below what the header and the player were last asked to do; belongs to
// the page, so it goes with them.
class TToolReport : public TComponent {
 public:
  TToolReport(TComponent* owner, TLabel* line) : TComponent(owner), line_(line) {}
  void SectionClicked(TObject*, THeaderSection* section) {
    line_->SetCaption(L"Header: " + section->Text() + L" clicked");
  }
  void PlayerClicked(TObject* sender, TMPBtnType button) {
    auto* player = static_cast<TMediaPlayer*>(sender);
    const std::string& name = kMPBtnTypeInfo.names[static_cast<size_t>(button)];
    std::wstring text = L"Player: " + std::wstring(name.begin() + 2, name.end()) + L" — ";
    text += player->Error() ? player->ErrorMessage() : L"done";
    line_->SetCaption(text);
  }

 private:
  TLabel* line_;
};

}  // namespace

void TGalleryForm::BuildHeaderAndPlayer(TWinControl* page, const RECT& area) {
  const int x = area.left, y = area.top, w = area.right - area.left;

  // A list view in report style: its column header shows a picture on the first column and
  // right-aligns the days.
  auto* view = Place<TGalleryListView>(page, x + 4, y + 4, w - 8, 128);
  view->SetViewStyle(TViewStyle::vsReport);
  view->SetRowSelect(true);
  view->AddColumn(L"Wine", 100);
  view->AddColumn(L"Days", 50);
  view->AddColumn(L"Jar", 80);
  const wchar_t* wines[] = {L"Ginseng wine", L"Wolfberry wine", L"Angelica wine", L"Jujube wine",
                            L"Pine-needle wine", L"Chrysanthemum"};
  for (int i = 0; i < 6; ++i)
    view->AddItem(wines[i], {std::to_wstring(7 + 14 * i), i % 2 ? L"Stoneware" : L"Earthen"});
  // A header control of its own: a picture and left, right-aligned and centred captions, and
  // room after the last section.
  auto* images = new TImageList(this);
  images->SetSize(12, 12);
  AddJar(images, 0x208040);
  auto* header = Place<THeaderControl>(page, x + 4, y + 142, w - 8, 24);
  header->SetImages(images);
  THeaderSection* name = header->AddSection(L"方名", 80);
  name->SetImageIndex(0);
  header->AddSection(L"Days", 60)->SetAlignment(TAlignment::taRightJustify);
  header->AddSection(L"Note", 60)->SetAlignment(TAlignment::taCenter);

  // A media player with the tone loaded: what is enabled follows the player, as on a real one.
  auto* player = Place<TMediaPlayer>(page, x + 4, y + 184, w - 8, 30);
  player->SetFileName(WriteTone());
  player->Open();

  auto* line = Place<TLabel>(page, x + 4, y + 222, w - 8, 40);
  line->SetTransparent(true);
  line->SetCaption(L"Click a column, a section or a player button.");
  auto* report = new TToolReport(page, line);
  header->OnSectionClick = TSectionNotifyEvent::Bind<&TToolReport::SectionClicked>(report);
  player->OnPostClick = TMPPostClickEvent::Bind<&TToolReport::PlayerClicked>(report);
}

}  // namespace qn
