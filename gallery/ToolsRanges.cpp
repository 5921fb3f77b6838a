// Track bars, a spin edit, a bare up-down and progress bars that a button moves.
#include "gallery/GalleryForm.h"
#include "platform/win/RangeCtrls.h"
#include "platform/win/Spin.h"

namespace qn {

namespace {

template <class T>
T* Place(TWinControl* parent, int x, int y, int w, int h) {
  auto* c = new T(parent->Owner() ? parent->Owner() : parent);
  c->SetParent(parent);
  c->SetBounds(x, y, w, h);
  return c;
}

// Moves both progress bars a step on each click of its button; belongs to the page, so it goes
// with the bars.
class TProgressStepper : public TComponent {
 public:
  TProgressStepper(TComponent* owner, TProgressBar* lying, TProgressBar* upright)
      : TComponent(owner), lying_(lying), upright_(upright) {}
  void Step(TObject*) {
    lying_->StepIt();
    upright_->StepIt();
  }

 private:
  TProgressBar* lying_;
  TProgressBar* upright_;
};

}  // namespace

void TGalleryForm::BuildRanges(TWinControl* page, const RECT& area) {
  const int x = area.left, y = area.top;

  auto* lying = Place<TTrackBar>(page, x + 4, y + 4, 248, 40);
  lying->SetMax(20);
  lying->SetFrequency(2);
  lying->SetPosition(7);

  auto* upright = Place<TTrackBar>(page, x + 4, y + 52, 40, 160);
  upright->SetOrientation(TTrackBarOrientation::trVertical);
  upright->SetBounds(x + 4, y + 52, 40, 160);
  upright->SetMax(10);
  upright->SetPosition(4);

  auto* spin = Place<TSpinEdit>(page, x + 56, y + 56, 100, 24);
  spin->SetMinValue(0);
  spin->SetMaxValue(99);
  spin->SetValue(12);

  Place<TUpDown>(page, x + 168, y + 52, 20, 34)->SetPosition(50);

  auto* bar = Place<TProgressBar>(page, x + 56, y + 96, 196, 20);
  bar->SetPosition(37);
  auto* column = Place<TProgressBar>(page, x + 56, y + 128, 22, 150);
  column->SetOrientation(TProgressBarOrientation::pbVertical);
  column->SetBounds(x + 56, y + 128, 22, 150);
  column->SetPosition(37);

  auto* stepper = new TProgressStepper(page, bar, column);
  auto* step = Place<TButton>(page, x + 92, y + 128, 120, 28);
  step->SetCaption(L"&Step the bars");
  step->OnClick = TNotifyEvent::Bind<&TProgressStepper::Step>(stepper);
}

}  // namespace qn
