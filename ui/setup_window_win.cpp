#include "ui/setup_window_win.h"

#include <memory>

#include "res/resource_ids.h"
#include "ui/application_win.h"
#include "ui/colors.h"
#include "ui/jpeg_decode_win.h"
#include "ui/mode_texts.h"
#include "ui/placement.h"
#include "ui/prompts_win.h"
#include "ui/setup_window_ids.h"

namespace zq {

TfmSetupZQ* fmSetupZQ = nullptr;

namespace {

// The application object's ownership of the window.
std::unique_ptr<TfmSetupZQ>& OwnedWindow() {
  static std::unique_ptr<TfmSetupZQ> window;
  return window;
}

ui::FontSpec FormFont() { return {"MS Sans Serif", -11, clWindowText, DEFAULT_CHARSET}; }
ui::FontSpec Tahoma8() { return {"Tahoma", -11, clBlack, DEFAULT_CHARSET}; }
ui::FontSpec TitleFont() { return {"Tahoma", -16, clBlack, ANSI_CHARSET}; }

constexpr uint32_t kSeparatorColor = 14671839;  // RGB (223, 223, 223)
constexpr uint32_t kTitleColor = 0x993300;      // RGB (0, 51, 153)

}  // namespace

// The form resource: positions and sizes at 96 DPI, texts, fonts, colours.
TfmSetupZQ::TfmSetupZQ()
    : form(kSetupWindowClass, ModeCaption(true), 402, 222, FormFont()),
      btCanc(form, kIdBtCanc, 313, 190, 69, 24, "Cancelar", Tahoma8()),
      paTop(form, kIdPaTop, 0, 0, 402, 182, clWhite),
      im1(paTop, kIdIm1, 111, 12, 179, 52),
      laSetup(paTop, kIdLaSetup, 22, 100, "Baixando os arquivos do sistema ...", Tahoma8()),
      pb(paTop, kIdPb, 21, 117, 353, 16),
      laRest(paTop, kIdLaRest, 22, 139, "Iniciando o download dos componentes ...", Tahoma8()),
      Panel1(paTop, kIdPanel1, 0, 181, 402, 1, kSeparatorColor),
      btDummy(form, kIdBtDummy, 219, 199, 1, 1, "", Tahoma8()),
      laTitle_Ope(paTop, kIdLaTitleOpe, 22, 75, "Versão Nova", TitleFont()) {
  form.SetColor(clBtnFace);  // the resource's colour, before the tag is set
  im1.SetBitmap(ui::LoadJpegResource(ZQ_RES_LOGO));
  btCanc.OnClick = [this] { btCancClick(); };
  form.AddButton(&btCanc);
  form.AddButton(&btDummy);  // no handler: a click on it does nothing
  FormCreate();
}

TfmSetupZQ* TfmSetupZQ::Create() {
  auto& owned = OwnedWindow();
  owned.reset();
  owned.reset(new TfmSetupZQ());
  fmSetupZQ = owned.get();
  return fmSetupZQ;
}

void TfmSetupZQ::FormCreate() {
  form.SetDoubleBuffered(true);
  pb.SetDoubleBuffered(true);
  if (IsWin61Or62()) {
    form.SetHint(kHintForceTopW7);
    ui::FontSpec font = laTitle_Ope.Font();
    font.name = "Segoe UI";
    laTitle_Ope.SetFont(font);
  }
  ui::FontSpec font = laTitle_Ope.Font();
  font.color = kTitleColor;
  laTitle_Ope.SetFont(font);
  FStepBytes = 0;
  form.SetActiveControl(&btDummy);
  FCancelRequested = false;
  form.SetTag(kKeepSystemFaceTag);
  form.SetColor(clBtnFace);
}

void TfmSetupZQ::btCancClick() { FCancelRequested = true; }

void TfmSetupZQ::SetCaption(const std::string& text) { form.SetText(text); }
std::string TfmSetupZQ::Caption() const { return form.Text(); }
void TfmSetupZQ::SetTitleOpe(const std::string& text) { laTitle_Ope.SetCaption(text); }
void TfmSetupZQ::SetSetupText(const std::string& text) { laSetup.SetCaption(text); }
void TfmSetupZQ::SetRestText(const std::string& text) { laRest.SetCaption(text); }
void TfmSetupZQ::ShowAndBringToFront() { form.Show(); }
void TfmSetupZQ::SetBarMax(int32_t max) { pb.SetMax(max); }
int32_t TfmSetupZQ::BarMax() const { return pb.Max(); }
void TfmSetupZQ::SetBarPosition(int32_t position) { pb.SetPosition(position); }
void TfmSetupZQ::StepBar(int32_t delta) { pb.StepBy(delta); }

void TfmSetupZQ::DisableCancelButton() {
  btCanc.SetEnabled(false);
  btCanc.Repaint();
}

HWND TfmSetupZQ::Handle() const { return form.Handle(); }

}  // namespace zq
