// The setup window as the driver sees it: its controls at the form's
// positions, its texts in both modes, the placement at the first show, the
// colour rule and the keys that must not cancel.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "tools/uiauto/window_reader_win.h"
#include "ui/application_win.h"
#include "ui/colors.h"
#include "ui/controls_win.h"
#include "ui/placement.h"
#include "ui/prompts_win.h"
#include "ui/setup_window_ids.h"
#include "ui/setup_window_win.h"

namespace zq {
namespace {

using uiauto::ReadTree;
using uiauto::Utf8ToWide;
using uiauto::WindowInfo;

const WindowInfo* ById(const std::vector<WindowInfo>& tree, int id) {
  for (const WindowInfo& info : tree) {
    if (info.hwnd != tree[0].hwnd && info.id == id) return &info;
  }
  return nullptr;
}

void SetMode(TfmSetupZQ& window, bool install) {
  window.SetCaption(install ? "Instala\xE7\xE3o do Sistema" : "Atualiza\xE7\xE3o do Sistema");
  window.SetTitleOpe(install ? "Instalando o Sistema" : "Instalando Vers\xE3o Nova");
}

TEST(SetupWindow, ControlsAtTheFormPositions) {
  TfmSetupZQ* window = TfmSetupZQ::Create();
  ASSERT_EQ(window, fmSetupZQ);
  EXPECT_FALSE(IsWindowVisible(window->Handle()));  // hidden until shown
  const std::vector<WindowInfo> tree = ReadTree(window->Handle());
  EXPECT_EQ(tree[0].class_name, "TfmSetupZQ");
  EXPECT_EQ(tree[0].rect.right, 402);
  EXPECT_EQ(tree[0].rect.bottom, 222);
  EXPECT_EQ(Utf8ToWide(tree[0].text), L"Instalação do Sistema");
  // No system menu (so no close box), no minimise or maximise, no sizing.
  const DWORD style = tree[0].style;
  EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
  EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
  EXPECT_EQ(GetWindow(window->Handle(), GW_OWNER), app::Handle());

  struct Fixed {
    int id;
    const char* class_name;
    int left, top, width, height;
    const wchar_t* text;
  } fixed[] = {
      {kIdPaTop, "TPanel", 0, 0, 402, 182, L""},
      {kIdIm1, "TImage", 111, 12, 179, 52, L""},
      {kIdPb, "msctls_progress32", 21, 117, 353, 16, L""},
      {kIdPanel1, "TPanel", 0, 181, 402, 1, L""},
      {kIdBtCanc, "Button", 313, 190, 69, 24, L"Cancelar"},
      {kIdBtDummy, "Button", 219, 199, 1, 1, L""},
  };
  for (const Fixed& f : fixed) {
    const WindowInfo* info = ById(tree, f.id);
    ASSERT_NE(info, nullptr) << f.id;
    EXPECT_EQ(info->class_name, f.class_name);
    EXPECT_EQ(info->rect.left, f.left) << f.id;
    EXPECT_EQ(info->rect.top, f.top) << f.id;
    EXPECT_EQ(info->rect.right - info->rect.left, f.width) << f.id;
    EXPECT_EQ(info->rect.bottom - info->rect.top, f.height) << f.id;
    EXPECT_EQ(Utf8ToWide(info->text), f.text) << f.id;
  }
  EXPECT_NE(ById(tree, kIdPb)->style & PBS_SMOOTH, 0u);
  EXPECT_EQ(window->BarMax(), 0);

  // Labels sit at their positions and size themselves to one line of text.
  struct LabelCase {
    int id;
    int left, top;
    const wchar_t* text;
    int min_height, max_height;
  } labels[] = {
      {kIdLaTitleOpe, 22, 75, L"Versão Nova", 15, 24},
      {kIdLaSetup, 22, 100, L"Baixando os arquivos do sistema ...", 11, 16},
      {kIdLaRest, 22, 139, L"Iniciando o download dos componentes ...", 11, 16},
  };
  for (const LabelCase& l : labels) {
    const WindowInfo* info = ById(tree, l.id);
    ASSERT_NE(info, nullptr) << l.id;
    EXPECT_EQ(info->class_name, "TLabel");
    EXPECT_EQ(info->rect.left, l.left) << l.id;
    EXPECT_EQ(info->rect.top, l.top) << l.id;
    EXPECT_EQ(Utf8ToWide(info->text), l.text);
    const LONG height = info->rect.bottom - info->rect.top;
    EXPECT_GE(height, l.min_height) << l.id;
    EXPECT_LE(height, l.max_height) << l.id;
    EXPECT_GT(info->rect.right - info->rect.left, 50) << l.id;
    EXPECT_LE(info->rect.right, 402) << l.id;
  }
  // The logo came from the program's resource.
  EXPECT_TRUE(window->im1.HasBitmap());
  // Children of the white top panel.
  EXPECT_EQ(GetParent(window->laSetup.Handle()), window->paTop.Handle());
  EXPECT_EQ(GetParent(window->pb.Handle()), window->paTop.Handle());
  EXPECT_EQ(GetParent(window->btCanc.Handle()), window->Handle());
  EXPECT_EQ(window->paTop.Color(), clWhite);
  EXPECT_EQ(window->laSetup.Color(), clWhite);
  EXPECT_EQ(window->Panel1.Color(), 14671839u);
}

TEST(SetupWindow, TextsInBothModesAndTheLabelsGrowWithTheirText) {
  TfmSetupZQ* window = TfmSetupZQ::Create();
  struct Case {
    bool install;
    const wchar_t* caption;
    const wchar_t* title;
  } cases[] = {{true, L"Instalação do Sistema", L"Instalando o Sistema"},
               {false, L"Atualização do Sistema", L"Instalando Versão Nova"}};
  for (const Case& c : cases) {
    SetMode(*window, c.install);
    const std::vector<WindowInfo> tree = ReadTree(window->Handle());
    EXPECT_EQ(Utf8ToWide(tree[0].text), c.caption);
    const WindowInfo* title = ById(tree, kIdLaTitleOpe);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(Utf8ToWide(title->text), c.title);
  }
  const RECT one_line = window->laRest.Bounds();
  window->SetRestText("Taxa: 150,00 KB/s   (1,17 Mb/s)\rTempo Restante: 2 seg");
  const RECT two_lines = window->laRest.Bounds();
  EXPECT_EQ(two_lines.top, 139);
  EXPECT_GE(two_lines.bottom - two_lines.top, 2 * (one_line.bottom - one_line.top) - 2);
  window->SetSetupText("Arquivos baixados com sucesso");
  EXPECT_EQ(window->laSetup.Text(), "Arquivos baixados com sucesso");
  EXPECT_EQ(window->Caption(), "Atualiza\xE7\xE3o do Sistema");
}

TEST(SetupWindow, FormCreateSettings) {
  TfmSetupZQ* window = TfmSetupZQ::Create();
  ASSERT_TRUE(IsWin61Or62());  // Wine's default version is 6.1
  EXPECT_EQ(window->form.Hint(), kHintForceTopW7);
  EXPECT_EQ(window->laTitle_Ope.Font().name, "Segoe UI");
  EXPECT_EQ(window->laTitle_Ope.Font().color, 0x993300u);
  EXPECT_EQ(window->laTitle_Ope.Font().height, -16);
  EXPECT_EQ(window->form.Tag(), kKeepSystemFaceTag);
  EXPECT_EQ(window->form.Color(), clBtnFace);  // the true system colour, not the tint
  EXPECT_EQ(window->form.ActiveControl(), &window->btDummy);
  EXPECT_EQ(window->FStepBytes, 0);
  EXPECT_FALSE(window->FCancelRequested);
  EXPECT_TRUE(window->form.DoubleBuffered());
}

TEST(SetupWindow, PlacementAboveTheTaskbarWithTheHint) {
  TfmSetupZQ* window = TfmSetupZQ::Create();
  RECT before;
  GetWindowRect(window->Handle(), &before);
  window->ShowAndBringToFront();
  app::ProcessMessages();
  RECT rect;
  GetWindowRect(window->Handle(), &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int screen_w = GetSystemMetrics(SM_CXSCREEN);
  const int screen_h = GetSystemMetrics(SM_CYSCREEN);
  const int taskbar = ui::TaskbarHeight();
  std::printf("screen %dx%d, window %dx%d, taskbar %d, at %ld,%ld\n", screen_w, screen_h, width, height, taskbar,
              rect.left, rect.top);
  EXPECT_TRUE(IsWindowVisible(window->Handle()));
  EXPECT_EQ(rect.left, (screen_w - width) / 2);
  EXPECT_EQ(rect.top, (screen_h - taskbar - 30 - height) / 2);
  // Shown again: the placement stays.
  SetWindowPos(window->Handle(), nullptr, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  window->ShowAndBringToFront();
  GetWindowRect(window->Handle(), &rect);
  EXPECT_EQ(rect.left, 5);
  EXPECT_EQ(rect.top, 6);
}

TEST(WindowLayer, FormWithoutTheHintIsCentredAndTintsTheButtonFace) {
  ui::Form form("TTestForm", "Teste", 300, 100, ui::FontSpec{});
  form.SetColor(clBtnFace);
  EXPECT_EQ(form.Color(), kFaceTint);  // no tag: the layer's own tint
  form.Show();
  RECT rect;
  GetWindowRect(form.Handle(), &rect);
  EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - (rect.right - rect.left)) / 2);
  EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - (rect.bottom - rect.top)) / 2);
}

TEST(SetupWindow, KeysOnTheFocusedDummyButtonDoNotCancel) {
  TfmSetupZQ* window = TfmSetupZQ::Create();
  window->ShowAndBringToFront();
  app::ProcessMessages();
  EXPECT_EQ(GetFocus(), window->btDummy.Handle());
  for (WPARAM key : {VK_SPACE, VK_RETURN, VK_ESCAPE}) {
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, key, 0x00390001);
    PostMessageA(focus, WM_KEYUP, key, static_cast<LPARAM>(0xC0390001u));
    app::ProcessMessages();
    EXPECT_FALSE(window->FCancelRequested) << key;
    EXPECT_EQ(GetFocus(), window->btDummy.Handle()) << key;
  }
  // A click is what cancels, and it only raises the flag.
  SendMessageA(window->btCanc.Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(window->FCancelRequested);
  EXPECT_EQ(uiauto::FindTopLevel("Confirma\xC3\xA7\xC3\xA3o", ""), nullptr);
}

TEST(SetupWindow, BarAndCancelButtonAtTheEnd) {
  TfmSetupZQ* window = TfmSetupZQ::Create();
  window->SetBarMax(3000000000 / 2);
  EXPECT_EQ(window->BarMax(), 1500000000);  // the 32-bit range
  window->StepBar(1000);
  window->StepBar(24);
  EXPECT_EQ(window->pb.Position(), 1024);
  window->SetBarPosition(window->BarMax() - 1);
  EXPECT_EQ(window->pb.Position(), 1499999999);
  window->DisableCancelButton();
  EXPECT_FALSE(window->btCanc.Enabled());
}

// The control hears of a step only when the bar moves by a pixel or more,
// but what it shows never falls a pixel behind the exact position, and a
// position set outright reaches it at once.
TEST(SetupWindow, BarShowsEveryPixelWithoutAnUpdatePerStep) {
  TfmSetupZQ* window = TfmSetupZQ::Create();
  const int32_t max = 3530000;  // 10,000 bytes a pixel of the 353-pixel bar
  window->SetBarMax(max);
  const auto shown = [&] { return static_cast<int32_t>(SendMessageA(window->pb.Handle(), PBM_GETPOS, 0, 0)); };
  int updates = 0;
  int32_t last = shown();
  for (int i = 0; i < 2000; ++i) {
    window->StepBar(1000);
    if (shown() != last) ++updates, last = shown();
    ASSERT_EQ(window->pb.Position(), (i + 1) * 1000);
    ASSERT_LT(window->pb.Position() - shown(), 10000) << i;
  }
  EXPECT_EQ(updates, 200);  // one per pixel, not one per step
  window->StepBar(max);     // past the end: held at the maximum, as the control does
  EXPECT_EQ(window->pb.Position(), max);
  EXPECT_EQ(shown(), max);
  window->SetBarPosition(12345);
  EXPECT_EQ(shown(), 12345);
  window->StepBar(-20000);
  EXPECT_EQ(window->pb.Position(), 0);
}

}  // namespace
}  // namespace zq
