// What a control skinner needs of the form skinner of its window: a place in the form's list,
// so that it goes when the form's skinning goes, and the form's skin, window and drawing
// surface. The form skinner sits above the control skinners (its control discovery creates
// them) and implements this.
#pragma once

#include <windows.h>

#include <memory>

namespace qn {

class TCanvas;
class TCustomForm;
class TObject;
class TSkinData;
struct TSkinObjects;

class TSkinControlHost {
 public:
  TSkinControlHost() = default;
  TSkinControlHost(const TSkinControlHost&) = delete;
  TSkinControlHost& operator=(const TSkinControlHost&) = delete;

  // Appends the skinner unless it is listed already; true when it was. The form frees the
  // skinners in its list when it lets go of its window.
  virtual bool AddControlList(TObject* skinner) = 0;
  // Takes the skinner out of the list (it goes by itself).
  virtual void DeleteControl(TObject* skinner) = 0;
  // The skin-data component and the skin objects the form paints with.
  virtual TSkinData* SkinData() const = 0;
  virtual std::shared_ptr<TSkinObjects> SkinObjects() const = 0;
  // The form's window and form object (null for a plain window).
  virtual HWND FormWindow() const = 0;
  virtual TCustomForm* FormObject() const = 0;
  // A canvas that control skinners paint through, on whatever DC they give it.
  virtual TCanvas& ControlCanvas() = 0;
  // The form skinner's state: 1 running, 3 a skin change under way, 4 going, 6 released.
  virtual int SkinState() const = 0;

 protected:
  ~TSkinControlHost() = default;
};

}  // namespace qn
